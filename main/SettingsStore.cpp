#include "main/SettingsStore.h"

#include <optional>

namespace quillop {

namespace {

const char* const kStoreFailureClass = "ERegistryException";

// The stored integer called name, nothing when there is none; throws when it is no integer.
std::optional<std::int32_t> ReadInteger(SettingsStore& store, const std::string& name) {
    const StoredValue stored = store.Read(name);
    if (!stored.Exists) {
        return std::nullopt;
    }
    if (stored.Size > 4) {
        throw Failure("Failed to get data for '" + name + "'", kStoreFailureClass);
    }
    if (!stored.IsInteger) {
        throw Failure("Invalid data type for '" + name + "'", kStoreFailureClass);
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

void WriteInteger(SettingsStore& store, const std::string& name, std::int32_t value) {
    if (!store.Write(name, value)) {
        throw Failure("Failed to set data for '" + name + "'", kStoreFailureClass);
    }
}

// Keeps the store open for one read or write, closing it however that ends.
class OpenStore {
  public:
    explicit OpenStore(SettingsStore& store) : store_(store) { store_.Open(); }
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
    OpenStore open(store);
    if (const std::string problem = store.TakeOpenProblem(); !problem.empty()) {
        report(Failure(problem));
    }
    for (const SettingInfo& info : kSettingTable) {
        ReadSetting(
            store, info.ReadName, [&](std::int32_t v) { SetFromStored(settings, info.Id, v); },
            report);
    }
}

void SaveSettings(SettingsStore& store, const UserSettings& settings) {
    OpenStore open(store);
    std::string last;
    for (const SettingId id : {SettingId::OnTop, SettingId::Startup, SettingId::Flies}) {
        last = Setting(id).WriteName;
        WriteInteger(store, last, StoredValueOf(settings, id));
    }
    // What could not be kept is reported under the last value written.
    if (!open.Close()) {
        throw Failure("Failed to set data for '" + last + "'", kStoreFailureClass);
    }
    if (!store.SetRunAtLogon(settings.Startup())) {
        throw Failure("Failed to set data for '" + store.RunAtLogonName() + "'",
                      kStoreFailureClass);
    }
}

}  // namespace quillop
