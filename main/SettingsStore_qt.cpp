#include "main/SettingsStore_qt.h"

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
        settings_ = std::make_unique<QSettings>(ConfigHome() + "/QuillopPro/QuillopPro.conf",
                                                QSettings::IniFormat);
        // NOTE: refusing a non-atomic write (the default) keeps an interrupted write from
        // leaving a damaged file: QSettings writes a new file and renames it over the old.
        settings_->setAtomicSyncRequired(true);
        // NOTE: QSettings reads the file at the first question, and only then knows its status.
        settings_->allKeys();
        // NOTE: QSettings shares what it read of a file between its objects, and a later object
        // on the same file no longer reports the damage, so the store remembers it.
        if (settings_->status() == QSettings::FormatError && !damaged_) {
            damaged_ = true;
            const QString path = QDir::toNativeSeparators(settings_->fileName());
            problem_ = QString("The settings file %1 could not be read. The default settings "
                               "are used, and the damaged file is kept as %2 when the settings "
                               "are saved")
                           .arg(path, QFileInfo(path).fileName() + ".damaged")
                           .toStdString();
        }
    }

    std::string TakeOpenProblem() override { return std::exchange(problem_, {}); }

    StoredValue Read(const std::string& name) override {
        StoredValue stored;
        if (damaged_) {
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
        if (damaged_ && !SetDamagedFileAside()) {
            return false;
        }
        const QString wanted = QString::fromStdString(name);
        const QString existing = FindKey(*settings_, wanted);
        if (!existing.isEmpty() && existing != wanted) {
            settings_->remove(existing);
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
        const QString path = folder + "/QuillopPro.desktop";
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

    std::string RunAtLogonName() const override { return "QuillopPro"; }

  private:
    // Renames a damaged file to "<name>.damaged" so that the settings are written into a new
    // file instead of being merged into what could not be read.
    bool SetDamagedFileAside() {
        const QString path = settings_->fileName();
        settings_.reset();
        QFile::remove(path + ".damaged");
        if (!QFile::rename(path, path + ".damaged")) {
            return false;
        }
        damaged_ = false;
        Open();
        return true;
    }

    std::unique_ptr<QSettings> settings_;
    bool damaged_ = false;
    std::string problem_;
};

}  // namespace

std::unique_ptr<SettingsStore> CreateConfigFileStore() {
    return std::make_unique<ConfigFileStore>();
}

}  // namespace quillop
