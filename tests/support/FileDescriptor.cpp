#include "FileDescriptor.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

void FileDescriptor::Close() {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

std::optional<std::string> ReadUntilClosed(int fd, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    std::string text;
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd wanted{fd, POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&wanted, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            return text;
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR && errno != EAGAIN)
            return std::nullopt;
    }
}
