#include "engine/posix/FileStatus.h"

#include <cerrno>
#include <sys/stat.h>

namespace nemora::engine::posix {
namespace {

FileStatus From(int result, const struct stat& status) {
    FileStatus file;
    if (result != 0) {
        file.error = errno;
        return file;
    }
    file.type = S_ISREG(status.st_mode)   ? FileStatus::Type::File
                : S_ISDIR(status.st_mode) ? FileStatus::Type::Folder
                : S_ISLNK(status.st_mode) ? FileStatus::Type::Link
                                          : FileStatus::Type::Other;
    file.size = static_cast<std::uint64_t>(status.st_size);
    file.device = static_cast<std::uint64_t>(status.st_dev);
    file.inode = static_cast<std::uint64_t>(status.st_ino);
    return file;
}

}  // namespace

FileStatus FileStatus::Of(const std::string& path) {
    struct stat status {};
    const int result = ::stat(path.c_str(), &status);
    return From(result, status);
}

FileStatus FileStatus::OfLink(const std::string& path) {
    struct stat status {};
    const int result = ::lstat(path.c_str(), &status);
    return From(result, status);
}

}  // namespace nemora::engine::posix
