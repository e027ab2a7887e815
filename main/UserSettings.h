// The three user settings: the one table of their names, defaults and limits, and the
// operations that read and set each value.
#pragma once

#include <cstdint>
#include <iterator>

namespace quillop {

enum class SettingId { OnTop, Startup, Flies };

// One stored setting. Stored names match without regard to case.
struct SettingInfo {
    SettingId Id;
    const char* ReadName;
    const char* WriteName;
    std::int32_t Default;
    std::int32_t Min;  // a yes-or-no setting is stored as 0 or 1
    std::int32_t Max;
    int WriteOrder;  // the settings are written in this order, 0 first
};

// The settings, in the order they are read.
inline constexpr SettingInfo kSettingTable[] = {
    // "StartUp" and "Startup" are the same value: reading asks for one, writing writes the other.
    {SettingId::Startup, "StartUp", "Startup", 1, 0, 1, 1},
    {SettingId::OnTop, "OnTop", "OnTop", 1, 0, 1, 0},
    {SettingId::Flies, "Flies", "Flies", 3, 1, 99, 2},
};
inline constexpr int kSettingCount = static_cast<int>(std::size(kSettingTable));

// The table's line that is written at `position` of the write order.
constexpr const SettingInfo& SettingWrittenAt(int position) {
    for (const SettingInfo& info : kSettingTable) {
        if (info.WriteOrder == position) {
            return info;
        }
    }
    return kSettingTable[0];
}

// The table's line for a setting.
constexpr const SettingInfo& Setting(SettingId id) {
    for (const SettingInfo& info : kSettingTable) {
        if (info.Id == id) {
            return info;
        }
    }
    return kSettingTable[0];
}

constexpr int kMinFlies = Setting(SettingId::Flies).Min;
constexpr int kMaxFlies = Setting(SettingId::Flies).Max;
constexpr int kDefaultFlies = Setting(SettingId::Flies).Default;
constexpr bool kDefaultOnTop = Setting(SettingId::OnTop).Default != 0;
constexpr bool kDefaultStartup = Setting(SettingId::Startup).Default != 0;

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

// A setting's value as it is stored, and setting it from a stored value.
std::int32_t StoredValueOf(const UserSettings& settings, SettingId id);
void SetFromStored(UserSettings& settings, SettingId id, std::int32_t value);

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
