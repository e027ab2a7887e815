// The current user's registry as the end-to-end driver prepares and reads it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quillop::e2e {

// The program's settings key and the user's logon list, under HKEY_CURRENT_USER.
extern const char* const kSettingsKey;
extern const char* const kRunKey;

// A 32-bit value; nothing when it is missing or of another type.
std::optional<DWORD> ReadDword(const char* key, const char* name);
// A string value; nothing when it is missing or of another type.
std::optional<std::string> ReadString(const char* key, const char* name);
bool WriteDword(const char* key, const char* name, DWORD value);
// Writes a REG_SZ value of wide characters.
bool WriteWideString(const char* key, const char* name, const std::wstring& value);
void DeleteValue(const char* key, const char* name);
// Removes the settings key and the logon value: a first run.
void ForgetSettings();
// Lets everyone read the key and nobody change it, or gives everyone full access again.
// NOTE: Wine enforces the key's access list while wineserver runs but does not keep it.
bool SetKeyReadOnly(const char* key, bool readOnly);

}  // namespace quillop::e2e
