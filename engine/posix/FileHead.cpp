#include "engine/posix/FileHead.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/posix/FileDescriptor.h"

namespace nemora::engine::posix {

FileHead FileHead::Read(const std::string& path, std::size_t limit) {
    FileHead head;
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.Valid()) {
        head.openError = errno;
        return head;
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        head.error = errno;
        return head;
    }
    head.type = S_ISDIR(status.st_mode)   ? FileStatus::Type::Folder
                : S_ISREG(status.st_mode) ? FileStatus::Type::File
                                          : FileStatus::Type::Other;
    head.size = static_cast<std::uint64_t>(status.st_size);
    if (head.type != FileStatus::Type::File || head.size == 0) return head;
    head.bytes.resize(limit);
    std::size_t got = 0;
    while (got < head.bytes.size()) {
        const ssize_t read = ::read(file.Get(), head.bytes.data() + got, head.bytes.size() - got);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) {
            head.error = errno;
            head.bytes.clear();
            return head;
        }
        if (read == 0) break;
        got += static_cast<std::size_t>(read);
    }
    head.bytes.resize(got);
    return head;
}

}  // namespace nemora::engine::posix
