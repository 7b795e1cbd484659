#include "app/SettingsStore.h"

#include "app/PreferenceKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr int kMissing = -1;

QString& executablePathOverride() {
    static QString path;
    return path;
}

std::unique_ptr<CSettingsStore>& instance() {
    static std::unique_ptr<CSettingsStore> store;
    return store;
}

// A stored value counts only when it is a whole 32-bit number; anything else ("abc",
// "99999999999", a list) is treated as missing rather than turned into another number. The
// number reader stops at a NUL character, so a value holding one ("5\0garbage") is refused
// before it can pass as its leading digits.
std::optional<int> strictInt(const QVariant& value) {
    if (value.typeId() == QMetaType::QString) {
        if (value.toString().contains(QChar::Null))
            return std::nullopt;
        bool ok = false;
        const int number = value.toString().toInt(&ok, 10);
        return ok ? std::optional<int>(number) : std::nullopt;
    }
    if (value.canConvert<qlonglong>() && value.typeId() != QMetaType::QStringList) {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (ok && number >= std::numeric_limits<int>::min() &&
            number <= std::numeric_limits<int>::max())
            return static_cast<int>(number);
    }
    return std::nullopt;
}

// QSettings rewrites a file it could not parse from what it understood, which would
// drop a hand edit without a trace; keep the file under a free name first.
void keepUnparsableFile(const QSettings& settings) {
    if (settings.status() != QSettings::FormatError)
        return;
    const QString original = settings.fileName();
    QString copy = original + ".unreadable";
    for (int n = 1; QFile::exists(copy); ++n)
        copy = original + ".unreadable." + QString::number(n);
    QFile::copy(original, copy);
}

class PreferenceSection {
public:
    PreferenceSection() : m_settings("Brindlewax", QCoreApplication::applicationName()) {
        m_settings.beginGroup("Preferences");
    }

    int Read(const QString& key) { return strictInt(m_settings.value(key)).value_or(kMissing); }

    // A value the file already holds is not written again: every write rewrites and syncs
    // the whole file, and Preferences' OK hands over all values, changed or not.
    void Write(const QString& key, int value) {
        if (strictInt(m_settings.value(key)) == value)
            return;
        keepUnparsableFile(m_settings);
        m_settings.setValue(key, value);
    }

    void Remove(const QString& key) {
        if (!m_settings.contains(key))
            return;
        keepUnparsableFile(m_settings);
        m_settings.remove(key);
    }

private:
    QSettings m_settings;
};

#ifdef Q_OS_WIN
// The program's own names in force for a moment, for a question answered by them.
class ProgramNames {
public:
    ProgramNames()
        : m_organisation(QCoreApplication::organizationName()),
          m_application(QCoreApplication::applicationName()) {
        QCoreApplication::setOrganizationName(QStringLiteral("Brindlewax"));
        QCoreApplication::setApplicationName(QStringLiteral("quietbell"));
    }
    ~ProgramNames() {
        QCoreApplication::setOrganizationName(m_organisation);
        QCoreApplication::setApplicationName(m_application);
    }
    ProgramNames(const ProgramNames&) = delete;
    ProgramNames& operator=(const ProgramNames&) = delete;

private:
    const QString m_organisation;
    const QString m_application;
};
#endif

}  // namespace

int GetPreferenceInt(const QString& key, int defaultValue) {
    PreferenceSection section;
    const int value = section.Read(key);
    if (value != kMissing)
        return value;
    section.Write(key, defaultValue);
    return defaultValue;
}

void WritePreferenceInt(const QString& key, int value) {
    PreferenceSection().Write(key, value);
}

std::optional<int> FindPreferenceInt(const QString& key) {
    const int value = PreferenceSection().Read(key);
    return value == kMissing ? std::nullopt : std::optional<int>(value);
}

void RemovePreference(const QString& key) {
    PreferenceSection().Remove(key);
}

CSettingsStore::CSettingsStore()
    : m_nArabicInterface(
          GetPreferenceInt(prefkeys::kArabicInterface, prefkeys::kArabicInterfaceDefault)) {}

CSettingsStore* CSettingsStore::Instance() {
    if (!instance())
        instance().reset(new CSettingsStore());
    return instance().get();
}

void CSettingsStore::DestroyInstance() {
    instance().reset();
}

void CSettingsStore::SetExecutablePath(const QString& path) {
    executablePathOverride() = path;
}

QString CSettingsStore::GetDataFolder() {
    if (!m_strDataFolder.isEmpty())
        return m_strDataFolder;
    const QString executable = executablePathOverride().isEmpty()
                                   ? QCoreApplication::applicationFilePath()
                                   : QDir::fromNativeSeparators(executablePathOverride());
    // Without a separator the cut leaves nothing, and the folder is "Data" relative.
    const QString folder = executable.left(executable.lastIndexOf('/') + 1);
    m_strDataFolder = QDir::toNativeSeparators(folder + "Data/");
    return m_strDataFolder;
}

QString CSettingsStore::GetUserDataFolder() {
#ifdef Q_OS_WIN
    const ProgramNames names;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#else
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/quietbell";
#endif
    return QDir::toNativeSeparators(folder + "/");
}
