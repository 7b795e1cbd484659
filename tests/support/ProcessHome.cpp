#include "ProcessHome.h"

#include <QDir>
#include <QFile>

namespace {

QString makeFolder(const QString& path, QFile::Permissions permissions) {
    QDir().mkpath(path);
    QFile::setPermissions(path, permissions);
    return path;
}

QString baseFolder() {
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() || !QDir(home).exists() ? QDir::tempPath() : home;
}

}  // namespace

ProcessHome::ProcessHome() : dir(baseFolder() + "/case-XXXXXX") {
    const QString root = dir.path();
    const auto privateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    qputenv("HOME", root.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", makeFolder(root + "/config", privateFolder).toLocal8Bit());
    qputenv("XDG_DATA_HOME", makeFolder(root + "/data", privateFolder).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", makeFolder(root + "/runtime", privateFolder).toLocal8Bit());
}
