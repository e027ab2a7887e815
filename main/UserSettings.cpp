#include "main/UserSettings.h"

#include "main/CountField.h"
#include "main/Platform.h"

namespace quillop {

std::int32_t StoredValueOf(const UserSettings& settings, SettingId id) {
    switch (id) {
        case SettingId::OnTop:
            return settings.OnTop() ? 1 : 0;
        case SettingId::Startup:
            return settings.Startup() ? 1 : 0;
        case SettingId::Flies:
            return settings.Flies();
    }
    return 0;
}

void SetFromStored(UserSettings& settings, SettingId id, std::int32_t value) {
    switch (id) {
        case SettingId::OnTop:
            settings.SetOnTop(value != 0);
            break;
        case SettingId::Startup:
            settings.SetStartup(value != 0);
            break;
        case SettingId::Flies:
            settings.SetFlies(value);
            break;
    }
}

bool ControlUserSettings::OnTop() const {
    return controls_.OnTopChecked();
}
void ControlUserSettings::SetOnTop(bool onTop) {
    controls_.SetOnTopChecked(onTop);
}
bool ControlUserSettings::Startup() const {
    return controls_.StartupChecked();
}
void ControlUserSettings::SetStartup(bool startup) {
    controls_.SetStartupChecked(startup);
}
int ControlUserSettings::Flies() const {
    return static_cast<int>(CountFieldValue(controls_.CountText()));
}
void ControlUserSettings::SetFlies(std::int64_t count) {
    controls_.SetCountText(CountFieldText(count));
}

}  // namespace quillop
