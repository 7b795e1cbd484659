#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#ifndef _WIN32
#include "SpecialFiles.h"
#endif

#include <string>
#include <vector>

namespace testdata {

// A byte-order mark followed by every line ended by CR LF, as UTF-16LE bytes.
QByteArray Utf16File(const std::vector<std::u16string>& lines);
// Any 16-bit units as little-endian bytes, for files that break the format.
QByteArray Utf16Units(const std::u16string& units);
// A file of the given size that takes no room on the disk; the test fails if it is not made.
void SparseFile(const QString& path, qint64 size);

// A fresh executable folder with an empty "Data" folder beside the executable, in force
// for the settings store for the lifetime of the object; the settings object and the
// string table are released on both ends, so each reads the folder anew. A wait on a named
// pipe in the Data folder fails the test at a deadline instead of hanging it.
class TempDataFolder {
public:
    TempDataFolder();
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder&) = delete;
    TempDataFolder& operator=(const TempDataFolder&) = delete;

    QString DataPath(const QString& fileName) const;
    // Fails the test if the file is not written.
    void Write(const QString& fileName, const QByteArray& bytes) const;

private:
    QTemporaryDir m_root;
#ifndef _WIN32
    specialfiles::PipeWaitDeadline m_pipeWaits{m_root.filePath("bin/Data")};
#endif
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

#ifndef _WIN32
// A fresh data home (XDG_DATA_HOME) in force for the lifetime of the object, with the program's
// folder in it, so that the user's own files are the test's.
class ScopedDataHome {
public:
    ScopedDataHome();
    ~ScopedDataHome();
    ScopedDataHome(const ScopedDataHome&) = delete;
    ScopedDataHome& operator=(const ScopedDataHome&) = delete;

    QString Path() const { return m_home.path(); }
    // The file of that name in the program's folder of the data home.
    QString UserFile(const QString& fileName) const;

private:
    QTemporaryDir m_home;
    const bool m_wasSet;
    const QByteArray m_previous;
};
#endif

}  // namespace testdata
