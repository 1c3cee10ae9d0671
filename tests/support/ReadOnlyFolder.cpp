#include "tests/support/ReadOnlyFolder.h"

#include <cerrno>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nemora::test {

ReadOnlyFolder::ReadOnlyFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
    if (::geteuid() == 0) {
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0;
    } else {
        closed_ = ::chmod(folder_.c_str(), 0555) == 0;
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (mounted_) ::umount(folder_.c_str());
    if (closed_) ::chmod(folder_.c_str(), 0755);
}

int ReadOnlyFolder::Cause() const {
    return mounted_ ? EROFS : EACCES;
}

}  // namespace nemora::test
