#include "main/win32/Win32SettingsStore.h"

#include <windows.h>

#include <string>

#include "clFly/win32/ScopedWin.h"
#include "main/ExternalNames.h"

namespace quillop {

namespace {

const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// The settings' key below HKEY_CURRENT_USER.
std::wstring SettingsKey() {
    return L"Software\\" + Wide(kSettingsName);
}

// Opens a key of the current user with full access, creating it if needed; null on failure.
ScopedKey OpenUserKey(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return ScopedKey();
    }
    return ScopedKey(key);
}

// The running executable's full path, in double quotes when it holds a space, so that the
// logon entry cannot start another program (such as C:\Program.exe).
std::wstring RunCommand() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    if (path.find(L' ') != std::wstring::npos) {
        return L"\"" + path + L"\"";
    }
    return path;
}

class RegistryStore final : public SettingsStore {
  public:
    void Open() override {
        key_.Reset();
        key_ = OpenUserKey(SettingsKey().c_str());
    }

    StoredValue Read(const std::string& name) override {
        StoredValue stored;
        DWORD type = 0;
        DWORD size = 0;
        // NOTE: RegQueryValueEx matches value names without regard to case.
        if (!key_ || RegQueryValueExW(key_.Get(), Wide(name).c_str(), nullptr, &type, nullptr,
                                      &size) != ERROR_SUCCESS) {
            return stored;
        }
        stored.Exists = true;
        stored.Size = size;
        stored.IsInteger = type == REG_DWORD && size == sizeof(DWORD);
        if (stored.IsInteger) {
            DWORD value = 0;
            if (RegQueryValueExW(key_.Get(), Wide(name).c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS) {
                stored.IsInteger = false;
            }
            stored.Value = static_cast<std::int32_t>(value);
        }
        return stored;
    }

    bool Write(const std::string& name, std::int32_t value) override {
        const DWORD data = static_cast<DWORD>(value);
        return key_ &&
               RegSetValueExW(key_.Get(), Wide(name).c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
    }

    bool Close() override {
        key_.Reset();
        return true;
    }

    bool SetRunAtLogon(bool run) override {
        const ScopedKey key = OpenUserKey(kRunKey);
        if (!key) {
            return false;
        }
        LSTATUS status;
        if (run) {
            const std::wstring command = RunCommand();
            status = RegSetValueExW(key.Get(), Wide(kSettingsName).c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(command.c_str()),
                                    DWORD((command.size() + 1) * sizeof(wchar_t)));
        } else {
            status = RegDeleteValueW(key.Get(), Wide(kSettingsName).c_str());
            if (status == ERROR_FILE_NOT_FOUND) {
                status = ERROR_SUCCESS;
            }
        }
        return status == ERROR_SUCCESS;
    }

    std::string RunAtLogonName() const override { return kSettingsName; }

  private:
    ScopedKey key_;
};

}  // namespace

std::unique_ptr<SettingsStore> CreateRegistryStore() {
    return std::make_unique<RegistryStore>();
}

}  // namespace quillop
