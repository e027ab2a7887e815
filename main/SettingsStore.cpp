#include "main/SettingsStore.h"

#include <optional>

namespace quillop {

namespace {

const char* const kStoreFailureClass = "ERegistryException";

// The second line of a report on a value that could not be read.
std::string UnreadValueDetail(const SettingsStore& store, const std::string& name,
                              const std::string& what) {
    return "\n'" + name + "' in " + store.Place() + " " + what + ", so its default is used.";
}

// The stored integer called name, nothing when there is none; throws when it is no integer.
std::optional<std::int32_t> ReadInteger(SettingsStore& store, const std::string& name) {
    const StoredValue stored = store.Read(name);
    if (!stored.Exists) {
        return std::nullopt;
    }
    if (stored.Size > 4) {
        throw Failure("Failed to get data for '" + name + "'" +
                          UnreadValueDetail(store, name, "holds more than a 32-bit number"),
                      kStoreFailureClass);
    }
    if (!stored.IsInteger) {
        throw Failure("Invalid data type for '" + name + "'" +
                          UnreadValueDetail(store, name, "is not a 32-bit number"),
                      kStoreFailureClass);
    }
    return stored.Value;
}

// Reads one setting, reporting a value of the wrong type instead of failing the whole read.
void ReadSetting(SettingsStore& store, const std::string& name,
                 const std::function<void(std::int32_t)>& apply,
                 const std::function<void(const Failure&)>& report) {
    try {
        if (const auto value = ReadInteger(store, name)) {
            apply(*value);
        }
    } catch (const Failure& failure) {
        report(failure);
    }
}

// The report of a store that could not be read at all.
std::string UnreadableStoreText(const SettingsStore& store, const StoreProblem& problem,
                                bool startup) {
    std::string text = "The settings in " + store.Place() + " could not be read (" +
                       problem.Reason + "). The default settings are used, with \"Load on " +
                       "startup\" " + (startup ? "on" : "off") + " as the logon entry is";
    if (!problem.KeptAs.empty()) {
        text += ", and what could not be read is kept as " + problem.KeptAs +
                " when the settings are saved";
    }
    return text + ".";
}

// The report of settings that could not be written, under the value named.
Failure SaveFailure(const SettingsStore& store, const std::string& name) {
    return Failure("Failed to set data for '" + name + "'\nThe settings could not be saved in " +
                       store.Place() + " (" + store.LastRefusal() +
                       "). What was stored before is left as it was; the changes made since " +
                       "are not saved.",
                   kStoreFailureClass);
}

// Keeps the store open for one read or write, closing it however that ends.
class OpenStore {
  public:
    OpenStore(SettingsStore& store, StoreAccess access) : store_(store) { store_.Open(access); }
    ~OpenStore() {
        if (!closed_) {
            store_.Close();
        }
    }
    OpenStore(const OpenStore&) = delete;
    OpenStore& operator=(const OpenStore&) = delete;
    bool Close() {
        closed_ = true;
        return store_.Close();
    }

  private:
    SettingsStore& store_;
    bool closed_ = false;
};

}  // namespace

void LoadSettings(SettingsStore& store, UserSettings& settings,
                  const std::function<void(const Failure&)>& report) {
    OpenStore open(store, StoreAccess::Read);
    if (const std::optional<StoreProblem> problem = store.TakeOpenProblem()) {
        // The defaults would turn on a logon entry the user may have switched off.
        settings.SetStartup(store.RunsAtLogon());
        report(Failure(UnreadableStoreText(store, *problem, settings.Startup())));
    }
    for (const SettingInfo& info : kSettingTable) {
        ReadSetting(
            store, info.ReadName, [&](std::int32_t v) { SetFromStored(settings, info.Id, v); },
            report);
    }
}

void SaveSettings(SettingsStore& store, const UserSettings& settings) {
    OpenStore open(store, StoreAccess::Write);
    std::string last;
    for (int position = 0; position < kSettingCount; ++position) {
        const SettingInfo& info = SettingWrittenAt(position);
        last = info.WriteName;
        if (!store.Write(last, StoredValueOf(settings, info.Id))) {
            throw SaveFailure(store, last);
        }
    }
    // What could not be kept is reported under the last value written.
    if (!open.Close()) {
        throw SaveFailure(store, last);
    }
    const bool run = settings.Startup();
    if (!store.SetRunAtLogon(run)) {
        throw Failure("Failed to set data for '" + store.RunAtLogonName() + "'\nThe logon entry " +
                          store.RunAtLogonPlace() + " could not be " +
                          (run ? "written" : "removed") + " (" + store.LastRefusal() +
                          "); the settings themselves are saved.",
                      kStoreFailureClass);
    }
}

}  // namespace quillop
