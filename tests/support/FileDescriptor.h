#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>

// A file descriptor owned by the object, closed however the test ends.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Close();
            fd = std::exchange(other.fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd; }
    bool Valid() const { return fd >= 0; }
    void Close();

private:
    int fd = -1;
};

// Reads fd until every writer has closed its end, for at most timeout; nothing when the time
// ran out first or reading failed. fd may be non-blocking: a FIFO opened without waiting for
// a writer counts as open until a writer has come and gone.
std::optional<std::string> ReadUntilClosed(int fd, std::chrono::milliseconds timeout);
