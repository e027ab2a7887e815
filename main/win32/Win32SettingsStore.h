// The settings in the current user's registry.
//
// Errors: as SettingsStore: a key that cannot be opened reads as empty and fails each write.
#pragma once

#include <memory>

#include "main/SettingsStore.h"

namespace quillop {

// HKEY_CURRENT_USER\Software\QuillopPro, and the "QuillopPro" value of the user's Run key.
std::unique_ptr<SettingsStore> CreateRegistryStore();

}  // namespace quillop
