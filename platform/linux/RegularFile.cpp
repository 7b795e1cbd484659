#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool OpenRegularFile(QFile& file, const QString& path) {
    // Not blocking, so that opening a pipe returns at once; the type is then taken from the
    // open descriptor itself, so nothing can swap the file between the look and the open.
    const int fd =
        open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    // Reads of a regular file never wait anyway; the flag goes for the reader's sake.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

}  // namespace platform
