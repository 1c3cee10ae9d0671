#pragma once

#include <unistd.h>
#include <utility>

namespace nemora::engine::posix {

// An open file descriptor, closed when it goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        Reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~FileDescriptor() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closing reports what a full disk may only show here.
    bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

}  // namespace nemora::engine::posix
