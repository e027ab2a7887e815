#include "main/win32/Win32SettingsStore.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "clFly/win32/ScopedWin.h"
#include "clFly/win32/SystemError.h"
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

// Opens a key of the current user, creating it if needed; null with the status on failure.
ScopedKey OpenUserKey(const wchar_t* path, REGSAM access, LSTATUS& status) {
    HKEY key = nullptr;
    status =
        RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key, nullptr);
    return status == ERROR_SUCCESS ? ScopedKey(key) : ScopedKey();
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
    // NOTE: a key the user may read but not change opens for reading only, so the settings are
    // read with no more rights than reading needs.
    void Open(StoreAccess access) override {
        key_.Reset();
        LSTATUS status = ERROR_SUCCESS;
        key_ = OpenUserKey(SettingsKey().c_str(),
                           access == StoreAccess::Read ? KEY_READ : KEY_READ | KEY_WRITE, status);
        refusal_ = key_ ? std::string() : SystemErrorText(static_cast<DWORD>(status));
        if (!key_ && access == StoreAccess::Read && !told_) {
            told_ = true;
            problem_ = StoreProblem{refusal_, {}};
        }
    }

    std::optional<StoreProblem> TakeOpenProblem() override {
        return std::exchange(problem_, std::nullopt);
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
        if (!key_) {
            return false;  // refusal_ holds why the key did not open
        }
        const DWORD data = static_cast<DWORD>(value);
        const LSTATUS status = RegSetValueExW(key_.Get(), Wide(name).c_str(), 0, REG_DWORD,
                                              reinterpret_cast<const BYTE*>(&data), sizeof data);
        refusal_ =
            status == ERROR_SUCCESS ? std::string() : SystemErrorText(static_cast<DWORD>(status));
        return status == ERROR_SUCCESS;
    }

    bool Close() override {
        key_.Reset();
        return true;
    }

    bool SetRunAtLogon(bool run) override {
        LSTATUS status = ERROR_SUCCESS;
        const ScopedKey key = OpenUserKey(kRunKey, KEY_READ | KEY_WRITE, status);
        if (!key) {
            refusal_ = SystemErrorText(static_cast<DWORD>(status));
            return false;
        }
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
        refusal_ =
            status == ERROR_SUCCESS ? std::string() : SystemErrorText(static_cast<DWORD>(status));
        return status == ERROR_SUCCESS;
    }

    bool RunsAtLogon() override {
        return RegGetValueW(HKEY_CURRENT_USER, kRunKey, Wide(kSettingsName).c_str(), RRF_RT_ANY,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    std::string RunAtLogonName() const override { return kSettingsName; }
    std::string Place() const override {
        return "the registry key HKEY_CURRENT_USER\\Software\\" + std::string(kSettingsName);
    }
    std::string RunAtLogonPlace() const override {
        return "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\" +
               std::string(kSettingsName);
    }
    std::string LastRefusal() const override { return refusal_; }

  private:
    ScopedKey key_;
    std::string refusal_;
    bool told_ = false;
    std::optional<StoreProblem> problem_;
};

}  // namespace

std::unique_ptr<SettingsStore> CreateRegistryStore() {
    return std::make_unique<RegistryStore>();
}

}  // namespace quillop
