#include "cli/FileBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace nemora::cli {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

FileBytes ReadFileBytes(const std::string& path, std::uint64_t limit) {
    using Outcome = FileBytes::Outcome;
    // Non-blocking, so that opening a pipe with no writer does not wait.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0) return {errno == EISDIR ? Outcome::NotAFile : Outcome::CannotOpen, {}};
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) return {Outcome::ReadFailed, {}};
    if (!S_ISREG(status.st_mode)) return {Outcome::NotAFile, {}};
    const auto length = static_cast<std::uint64_t>(status.st_size);
    if (length > limit) return {Outcome::TooLarge, {}};

    FileBytes read;
    read.bytes.resize(static_cast<std::size_t>(length));
    // The length seen at the open: a file that grows meanwhile is read no further.
    std::size_t done = 0;
    while (done < read.bytes.size()) {
        const ssize_t got = ::read(file.Get(), read.bytes.data() + done, read.bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {Outcome::ReadFailed, {}};
        if (got == 0) break;  // it shrank: what is there is what the reader gets
        done += static_cast<std::size_t>(got);
    }
    read.bytes.resize(done);
    return read;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace nemora::cli
