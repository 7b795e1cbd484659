#include "tests/app/TestDataFolder.h"

#include "app/SettingsStore.h"
#include "app/StringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtEndian>

#include <gtest/gtest.h>

namespace testdata {

namespace {
void releaseSingletons() {
    CStringTable::DestroyInstance();
    CSettingsStore::DestroyInstance();
}
}  // namespace

QByteArray Utf16Units(const std::u16string& units) {
    QByteArray bytes(static_cast<qsizetype>(units.size() * 2), '\0');
    qToLittleEndian<char16_t>(units.data(), static_cast<qsizetype>(units.size()), bytes.data());
    return bytes;
}

QByteArray Utf16File(const std::vector<std::u16string>& lines) {
    std::u16string units = u"\uFEFF";
    for (const std::u16string& line : lines)
        units += line + u"\r\n";
    return Utf16Units(units);
}

void SparseFile(const QString& path, qint64 size) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size))
        << "no file of " << size << " bytes at " << path.toStdString();
}

TempDataFolder::TempDataFolder() {
    releaseSingletons();
    QDir(m_root.path()).mkpath("bin/Data");
    CSettingsStore::SetExecutablePath(m_root.filePath("bin/quietbell"));
}

TempDataFolder::~TempDataFolder() {
    releaseSingletons();
    CSettingsStore::SetExecutablePath(QString());
}

QString TempDataFolder::DataPath(const QString& fileName) const {
    return m_root.filePath("bin/Data/" + fileName);
}

void TempDataFolder::Write(const QString& fileName, const QByteArray& bytes) const {
    QFile file(DataPath(fileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << "not written: " << DataPath(fileName).toStdString();
}

ScopedApplicationName::ScopedApplicationName(const QString& name)
    : m_previous(QCoreApplication::applicationName()) {
    QCoreApplication::setApplicationName(name);
#ifdef Q_OS_WIN
    QSettings("Brindlewax", name).clear();
#else
    QFile::remove(SettingsFile());
#endif
}

ScopedApplicationName::~ScopedApplicationName() {
    QCoreApplication::setApplicationName(m_previous);
}

QString ScopedApplicationName::SettingsFile() const {
    return QSettings("Brindlewax", QCoreApplication::applicationName()).fileName();
}

#ifndef _WIN32
ScopedDataHome::ScopedDataHome()
    : m_wasSet(qEnvironmentVariableIsSet("XDG_DATA_HOME")), m_previous(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_DATA_HOME", m_home.path().toLocal8Bit());
    EXPECT_TRUE(QDir(m_home.path()).mkpath("quietbell"));
}

ScopedDataHome::~ScopedDataHome() {
    if (m_wasSet)
        qputenv("XDG_DATA_HOME", m_previous);
    else
        qunsetenv("XDG_DATA_HOME");
}

QString ScopedDataHome::UserFile(const QString& fileName) const {
    return m_home.filePath("quietbell/" + fileName);
}
#endif

}  // namespace testdata
