#include "main/qt/QtSettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <limits>
#include <utility>

#include "main/Autostart.h"
#include "main/ExternalNames.h"

namespace quillop {

namespace {

QString ConfigHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// The key of the INI file whose name matches without regard to case, or an empty string.
QString FindKey(const QSettings& settings, const QString& name) {
    for (const QString& key : settings.childKeys()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return key;
        }
    }
    return {};
}

class ConfigFileStore final : public SettingsStore {
  public:
    void Open() override {
        settings_ = std::make_unique<QSettings>(
            ConfigHome() + "/" + kSettingsName + "/" + kSettingsName + ".conf",
            QSettings::IniFormat);
        // NOTE: refusing a non-atomic write (the default) keeps an interrupted write from
        // leaving a damaged file: QSettings writes a new file and renames it over the old.
        settings_->setAtomicSyncRequired(true);
        // NOTE: QSettings reads the file at the first question, and only then knows its status.
        settings_->allKeys();
        // NOTE: QSettings shares what it read of a file between its objects, and a later object
        // on the same file no longer reports the failure, so the store remembers it. A file
        // that is damaged (FormatError) and one that could not be opened, such as one without
        // read permission or a folder in its place (AccessError), are alike to the user.
        if (settings_->status() != QSettings::NoError && !unreadable_) {
            unreadable_ = true;
            const QString path = QDir::toNativeSeparators(settings_->fileName());
            problem_ = QString(
                           "The settings file %1 could not be read. The default settings "
                           "are used, and the file is kept as %2 when the settings are "
                           "saved")
                           .arg(path, QFileInfo(path).fileName() + ".damaged")
                           .toStdString();
        }
    }

    std::string TakeOpenProblem() override { return std::exchange(problem_, {}); }

    StoredValue Read(const std::string& name) override {
        StoredValue stored;
        if (unreadable_) {
            return stored;
        }
        const QString key = FindKey(*settings_, QString::fromStdString(name));
        if (key.isEmpty()) {
            return stored;
        }
        stored.Exists = true;
        bool isNumber = false;
        const qlonglong value = settings_->value(key).toString().trimmed().toLongLong(&isNumber);
        stored.IsInteger = isNumber && value >= std::numeric_limits<std::int32_t>::min() &&
                           value <= std::numeric_limits<std::int32_t>::max();
        stored.Size = stored.IsInteger ? 4 : 0;
        stored.Value = stored.IsInteger ? static_cast<std::int32_t>(value) : 0;
        return stored;
    }

    bool Write(const std::string& name, std::int32_t value) override {
        if (unreadable_ && !SetUnreadableFileAside()) {
            return false;
        }
        // The name in another case is the same value (the one read was the first of them): only
        // the name as written stays.
        const QString wanted = QString::fromStdString(name);
        for (const QString& key : settings_->childKeys()) {
            if (key != wanted && key.compare(wanted, Qt::CaseInsensitive) == 0) {
                settings_->remove(key);
            }
        }
        settings_->setValue(wanted, value);
        return settings_->isWritable();
    }

    bool Close() override {
        if (!settings_) {
            return true;
        }
        settings_->sync();
        const bool kept = settings_->status() == QSettings::NoError;
        settings_.reset();
        return kept;
    }

    bool SetRunAtLogon(bool run) override {
        const QString folder = ConfigHome() + "/autostart";
        const QString path = folder + "/" + kSettingsName + ".desktop";
        if (!run) {
            return !QFile::exists(path) || QFile::remove(path);
        }
        if (!QDir().mkpath(folder)) {
            return false;
        }
        const std::string program = QCoreApplication::applicationFilePath().toStdString();
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return false;
        }
        const std::string entry = AutostartEntry(program);
        file.write(entry.data(), static_cast<qint64>(entry.size()));
        return file.commit();
    }

    std::string RunAtLogonName() const override { return kSettingsName; }

  private:
    // Renames a file that could not be read to "<name>.damaged", as it is, so that the settings
    // are written into a new file instead of being merged into what could not be read.
    bool SetUnreadableFileAside() {
        const QString path = settings_->fileName();
        settings_.reset();
        QFile::remove(path + ".damaged");
        if (!QFile::rename(path, path + ".damaged")) {
            return false;
        }
        unreadable_ = false;
        Open();
        return true;
    }

    std::unique_ptr<QSettings> settings_;
    bool unreadable_ = false;
    std::string problem_;
};

}  // namespace

std::unique_ptr<SettingsStore> CreateConfigFileStore() {
    return std::make_unique<ConfigFileStore>();
}

}  // namespace quillop
