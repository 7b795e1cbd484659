#include "SpecialFiles.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "FileDescriptor.h"

namespace specialfiles {

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

std::string Why() {
    return std::strerror(errno);
}

bool IsNamedPipe(const QString& path) {
    struct stat info {};
    return stat(Native(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

}  // namespace

void MakeNamedPipe(const QString& path) {
    ASSERT_EQ(mkfifo(Native(path).constData(), 0600), 0)
        << "no named pipe at " << path.toStdString() << ": " << Why();
}

void MakeSocketFile(const QString& path) {
    const QByteArray name = Native(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<size_t>(name.size()), sizeof(address.sun_path))
        << "too long for a socket's name: " << name.constData();
    std::copy(name.begin(), name.end(), address.sun_path);
    const FileDescriptor bound(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_TRUE(bound.Valid()) << "no socket: " << Why();
    ASSERT_EQ(bind(bound.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0)
        << "no socket file at " << name.constData() << ": " << Why();
}

void MakeLink(const QString& target, const QString& path) {
    ASSERT_EQ(symlink(Native(target).constData(), Native(path).constData()), 0)
        << "no link at " << path.toStdString() << ": " << Why();
}

PipeWaitDeadline::PipeWaitDeadline(const QString& folder, std::chrono::milliseconds deadline)
    : folder(folder), watcher([this, deadline] { Watch(deadline); }) {}

PipeWaitDeadline::~PipeWaitDeadline() {
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    ended.notify_all();
    watcher.join();
    EXPECT_TRUE(released.isEmpty()) << "something still waited to read " << released.toStdString()
                                    << " at the deadline; a writer had to let it go";
}

void PipeWaitDeadline::Watch(std::chrono::milliseconds deadline) {
    std::unique_lock lock(mutex);
    if (!ended.wait_for(lock, deadline, [this] { return done; }))
        released = ReleaseWaitingReaders();
}

QString PipeWaitDeadline::ReleaseWaitingReaders() const {
    QString pipes;
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        const QString path = entries.next();
        // A writer's open that does not wait succeeds only while a reader has the pipe open;
        // this late, that reader is the one stuck in its open.
        if (IsNamedPipe(path) &&
            FileDescriptor(open(Native(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC))
                .Valid())
            pipes += path + " ";
    }
    return pipes.trimmed();
}

}  // namespace specialfiles
