// The settings in the user's configuration folder, and the XDG autostart entry.
//
// Errors: as SettingsStore; a file that cannot be read is told once through TakeOpenProblem
// and kept, renamed, at the next save.
#pragma once

#include <memory>

#include "main/SettingsStore.h"

namespace quillop {

// $XDG_CONFIG_HOME/QuillopPro/QuillopPro.conf (an INI file, ~/.config by default) and
// $XDG_CONFIG_HOME/autostart/QuillopPro.desktop.
std::unique_ptr<SettingsStore> CreateConfigFileStore();

}  // namespace quillop
