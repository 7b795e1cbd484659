#include "platform/SingleInstanceLock.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace platform {

namespace {

// A folder may hold the lock only when it is a real directory of ours that nobody else
// can write into; otherwise another user could hold or replace our lock file.
bool IsPrivateFolder(const QByteArray& folder) {
    struct stat info {};
    if (lstat(folder.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 0022) == 0;
}

QString TempFolderFallback() {
    const QString folder =
        QDir::tempPath() + QStringLiteral("/quietbell-%1").arg(static_cast<qulonglong>(geteuid()));
    const QByteArray encoded = QFile::encodeName(folder);
    if (mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return IsPrivateFolder(encoded) ? folder : QString();
}

}  // namespace

QString SingleInstanceLock::LockFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(runtime))
        return QFile::decodeName(runtime);
    return TempFolderFallback();
}

SingleInstanceLock::SingleInstanceLock(const QString& name) {
    const QString folder = LockFolder();
    if (folder.isEmpty())
        return;
    m_path = folder + QLatin1Char('/') + name + QStringLiteral(".lock");
    m_fd = open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                0600);
    if (m_fd < 0)
        return;
    if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_state = State::Acquired;
        return;
    }
    m_state = errno == EWOULDBLOCK ? State::AlreadyRunning : State::Unavailable;
    close(m_fd);
    m_fd = -1;
}

SingleInstanceLock::~SingleInstanceLock() {
    // The file stays: removing it could let a third copy lock a new file while a second
    // still waits on the old one.
    if (m_fd >= 0)
        close(m_fd);
}

}  // namespace platform
