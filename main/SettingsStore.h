// Reading and writing the user settings: the rules, over a store each platform provides.
//
// Errors: a store answers false or an empty value and never throws. LoadSettings reports each
// value it cannot read through its callback and goes on; SaveSettings throws Failure, which
// the close query catches and shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "clFly/Failure.h"
#include "main/UserSettings.h"

namespace quillop {

// A value as the store holds it.
struct StoredValue {
    bool Exists = false;
    bool IsInteger = false;  // a 32-bit integer, the only kind the settings use
    std::size_t Size = 0;    // bytes of data held; more than 4 cannot be read as an integer
    std::int32_t Value = 0;
};

// A store that could not be read as a whole.
struct StoreProblem {
    std::string Reason;  // the system's reason
    std::string KeptAs;  // where what could not be read is kept at the next save; empty if nowhere
};

enum class StoreAccess { Read, Write };

// The per-user store: the settings' three values and the start-at-logon entry.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // Opens the settings for reading or for writing, creating their place if needed. A place
    // that cannot be opened reads as empty and fails at the first write.
    virtual void Open(StoreAccess access) = 0;
    // Reads a value, matching the name without regard to case.
    virtual StoredValue Read(const std::string& name) = 0;
    // Writes a 32-bit integer; false when the store refused.
    virtual bool Write(const std::string& name, std::int32_t value) = 0;
    // Finishes what Open began; false when what was written could not be kept.
    virtual bool Close() = 0;
    // Makes or removes the entry that runs the program at logon; false on failure.
    virtual bool SetRunAtLogon(bool run) = 0;
    // Whether the entry that runs the program at logon is there.
    virtual bool RunsAtLogon() = 0;
    // The name a failed start-at-logon entry is reported under.
    virtual std::string RunAtLogonName() const = 0;
    // Where the settings and the start-at-logon entry are, as the user is told.
    virtual std::string Place() const = 0;
    virtual std::string RunAtLogonPlace() const = 0;
    // The system's reason for the last refusal of Write, Close or SetRunAtLogon.
    virtual std::string LastRefusal() const = 0;
    // What Open found wrong with the store as a whole (a file that could not be read), once.
    virtual std::optional<StoreProblem> TakeOpenProblem() { return std::nullopt; }
};

// Reads the stored settings into `settings`. A value of the wrong type, or a store that could
// not be read at all, is reported through `report`; what could not be read keeps what it had,
// and the others are read all the same. A store that could not be read at all leaves "Startup"
// as the start-at-logon entry is.
void LoadSettings(SettingsStore& store, UserSettings& settings,
                  const std::function<void(const Failure&)>& report);

// Writes the settings and the start-at-logon entry. Throws Failure naming the first value that
// could not be written, where, why, and that the changes are not saved.
void SaveSettings(SettingsStore& store, const UserSettings& settings);

}  // namespace quillop
