#include "tests/windows/Registry_win32.h"

#include <aclapi.h>

#include "clFly/win32/ScopedWin.h"

namespace quillop::e2e {

const char* const kSettingsKey = "Software\\QuillopPro";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

// A value's type and bytes; nothing when it is missing.
std::optional<std::string> ReadRaw(const char* key, const char* name, DWORD wantedType) {
    DWORD type = 0;
    char data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) !=
            ERROR_SUCCESS ||
        type != wantedType) {
        return std::nullopt;
    }
    return std::string(data, size);
}

// Opens a key for writing, creating it if needed.
ScopedKey CreateKey(const char* key) {
    HKEY opened = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                    nullptr);
    return ScopedKey(opened);
}

}  // namespace

std::optional<DWORD> ReadDword(const char* key, const char* name) {
    const auto raw = ReadRaw(key, name, REG_DWORD);
    if (!raw || raw->size() != sizeof(DWORD)) {
        return std::nullopt;
    }
    return *reinterpret_cast<const DWORD*>(raw->data());
}

std::optional<std::string> ReadString(const char* key, const char* name) {
    const auto raw = ReadRaw(key, name, REG_SZ);
    if (!raw) {
        return std::nullopt;
    }
    return std::string(raw->c_str());
}

bool WriteDword(const char* key, const char* name, DWORD value) {
    const ScopedKey opened = CreateKey(key);
    return opened &&
           RegSetValueExA(opened.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool WriteWideString(const char* key, const char* name, const std::wstring& value) {
    const ScopedKey opened = CreateKey(key);
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    return opened && RegSetValueExW(opened.Get(), wideName.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
                         ERROR_SUCCESS;
}

void DeleteValue(const char* key, const char* name) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, key, name);
}

void ForgetSettings() {
    SetKeyReadOnly(kSettingsKey, false);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    DeleteValue(kRunKey, "QuillopPro");
}

bool SetKeyReadOnly(const char* key, bool readOnly) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, READ_CONTROL | WRITE_DAC, &handle) !=
        ERROR_SUCCESS) {
        return false;
    }
    const ScopedKey opened(handle);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    alignas(DWORD) BYTE aclBuffer[256] = {};
    auto* acl = reinterpret_cast<PACL>(aclBuffer);
    InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
    AddAccessAllowedAce(acl, ACL_REVISION, readOnly ? KEY_READ : KEY_ALL_ACCESS, everyone);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    const bool set =
        RegSetKeySecurity(opened.Get(), DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    FreeSid(everyone);
    return set;
}

}  // namespace quillop::e2e
