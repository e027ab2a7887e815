// The three user settings, reached only through operations that read and set each value.
#pragma once

#include <cstdint>

namespace quillop {

constexpr int kMinFlies = 1;
constexpr int kMaxFlies = 99;
constexpr int kDefaultFlies = 3;

// Holds a number of flies to 1..99.
constexpr int ClampFlies(std::int64_t count) {
    return count < kMinFlies ? kMinFlies : count > kMaxFlies ? kMaxFlies : static_cast<int>(count);
}

class UserSettings {
  public:
    virtual ~UserSettings() = default;
    // "OnTop": the flies of start-up are top-most.
    virtual bool OnTop() const = 0;
    virtual void SetOnTop(bool onTop) = 0;
    // "Startup": the program runs at logon.
    virtual bool Startup() const = 0;
    virtual void SetStartup(bool startup) = 0;
    // "Flies": the number of flies at start-up. Setting it clamps to 1..99.
    virtual int Flies() const = 0;
    virtual void SetFlies(std::int64_t count) = 0;
};

// The settings in a plain object, with the defaults: on top, run at logon, three flies.
class PlainUserSettings final : public UserSettings {
  public:
    bool OnTop() const override { return onTop_; }
    void SetOnTop(bool onTop) override { onTop_ = onTop; }
    bool Startup() const override { return startup_; }
    void SetStartup(bool startup) override { startup_ = startup; }
    int Flies() const override { return flies_; }
    void SetFlies(std::int64_t count) override { flies_ = ClampFlies(count); }

  private:
    bool onTop_ = true;
    bool startup_ = true;
    int flies_ = kDefaultFlies;
};

class SettingsControls;

// The settings held by the settings window's controls. "Flies" reads the count field's read
// value, unclamped while the field is being edited, and setting it shows the clamped number.
class ControlUserSettings final : public UserSettings {
  public:
    explicit ControlUserSettings(SettingsControls& controls) : controls_(controls) {}
    bool OnTop() const override;
    void SetOnTop(bool onTop) override;
    bool Startup() const override;
    void SetStartup(bool startup) override;
    int Flies() const override;
    void SetFlies(std::int64_t count) override;

  private:
    SettingsControls& controls_;
};

}  // namespace quillop
