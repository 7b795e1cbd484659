#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace testdata {

// A byte-order mark followed by every line ended by CR LF, as UTF-16LE bytes.
QByteArray Utf16File(const std::vector<std::u16string>& lines);
// Any 16-bit units as little-endian bytes, for files that break the format.
QByteArray Utf16Units(const std::u16string& units);

// A fresh executable folder with an empty "Data" folder beside the executable, in force
// for the settings store for the lifetime of the object; the settings object and the
// string table are released on both ends, so each reads the folder anew.
class TempDataFolder {
public:
    TempDataFolder();
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder&) = delete;
    TempDataFolder& operator=(const TempDataFolder&) = delete;

    QString DataPath(const QString& fileName) const;
    void Write(const QString& fileName, const QByteArray& bytes) const;

private:
    QTemporaryDir m_root;
};

// Gives each test its own settings file, by way of its own application name.
class ScopedApplicationName {
public:
    explicit ScopedApplicationName(const QString& name);
    ~ScopedApplicationName();
    ScopedApplicationName(const ScopedApplicationName&) = delete;
    ScopedApplicationName& operator=(const ScopedApplicationName&) = delete;

    // The settings file the name leads to.
    QString SettingsFile() const;

private:
    QString m_previous;
};

}  // namespace testdata
