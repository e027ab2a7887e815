#include "main/qt/QtSettingsStore.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QStandardPaths>

#include <charconv>
#include <climits>
#include <limits>
#include <utility>

#include "main/ExternalNames.h"
#include "main/posix/PosixAutostart.h"
#include "main/posix/PosixSettingsFile.h"

namespace quillop {

namespace {

std::string ConfigHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
}

std::string FileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The running program's path, as the desktop entry names it.
std::string ProgramPath() {
    // NOTE: Qt decodes the path as UTF-8 and answers an empty one when it cannot; the path as
    // the system spells it shows why.
    char raw[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", raw, sizeof raw);
    if (length > 0 && !IsUtf8(std::string_view(raw, static_cast<std::size_t>(length)))) {
        return std::string(raw, static_cast<std::size_t>(length));
    }
    return QCoreApplication::applicationFilePath().toStdString();
}

// A stored text as a 32-bit integer, as Qt's settings would convert it; nothing when it is none.
std::optional<std::int32_t> ToInteger(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

class ConfigFileStore final : public SettingsStore {
  public:
    ConfigFileStore()
        : path_(ConfigHome() + "/" + kSettingsName + "/" + kSettingsName + ".conf"),
          autostart_(ConfigHome() + "/autostart/" + kSettingsName + ".desktop") {}

    void Open(StoreAccess access) override {
        access_ = access;
        const FileContent content = ReadRegularFile(path_);
        std::optional<IniText> text =
            content.Exists ? IniText::Parse(content.Bytes) : std::optional<IniText>(IniText());
        unreadable_ = !content.Refusal.empty() || !text;
        text_ = text ? std::move(*text) : IniText();
        // Told once, at the first reading: what is read later is the same file.
        if (unreadable_ && access == StoreAccess::Read && !told_) {
            told_ = true;
            StoreProblem problem{content.Refusal.empty() ? "it is damaged" : content.Refusal,
                                 FileName(AsideName(path_))};
            struct stat older {};
            if (lstat(AsideName(path_).c_str(), &older) == 0) {
                problem.KeptAs +=
                    " (the older copy there becomes " + FileName(OlderAsideName(path_)) + ")";
            }
            problem_ = std::move(problem);
        }
    }

    std::optional<StoreProblem> TakeOpenProblem() override {
        return std::exchange(problem_, std::nullopt);
    }

    StoredValue Read(const std::string& name) override {
        StoredValue stored;
        const std::optional<std::string> text = text_.Value(name);
        if (!text) {
            return stored;
        }
        stored.Exists = true;
        const std::optional<std::int32_t> value = ToInteger(*text);
        stored.IsInteger = value.has_value();
        stored.Size = stored.IsInteger ? 4 : 0;
        stored.Value = value.value_or(0);
        return stored;
    }

    bool Write(const std::string& name, std::int32_t value) override {
        text_.Set(name, std::to_string(value));
        return true;
    }

    bool Close() override {
        if (access_ != StoreAccess::Write) {
            return true;
        }
        access_ = StoreAccess::Read;
        // What could not be read (a damaged file, a FIFO, a symlink to a device) is set aside as
        // it is, never written into or through.
        if (unreadable_) {
            if (std::string reason = SetAside(path_); !reason.empty()) {
                refusal_ = "the unreadable file could not be set aside: " + reason;
                return false;
            }
            unreadable_ = false;
        }
        refusal_ = SaveFile(path_, text_.Text());
        return refusal_.empty();
    }

    bool SetRunAtLogon(bool run) override {
        refusal_ = SetAutostartEntry(autostart_, run, run ? ProgramPath() : std::string());
        return refusal_.empty();
    }

    bool RunsAtLogon() override {
        struct stat entry {};
        return lstat(autostart_.c_str(), &entry) == 0;
    }

    std::string RunAtLogonName() const override { return kSettingsName; }
    std::string Place() const override { return "the file " + path_; }
    std::string RunAtLogonPlace() const override { return autostart_; }
    std::string LastRefusal() const override { return refusal_; }

  private:
    const std::string path_;
    const std::string autostart_;
    StoreAccess access_ = StoreAccess::Read;
    IniText text_;
    bool unreadable_ = false;
    bool told_ = false;
    std::optional<StoreProblem> problem_;
    std::string refusal_;
};

}  // namespace

std::unique_ptr<SettingsStore> CreateConfigFileStore() {
    return std::make_unique<ConfigFileStore>();
}

}  // namespace quillop
