#include "tests/support/UnwritableFolder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nemora::test {

UnwritableFolder::UnwritableFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
    if (::geteuid() != 0) {
        made_ = ::chmod(folder_.c_str(), 0555) == 0;
    } else {
        immutable_ = made_ = SetImmutable(true);
    }
    // A user whom the mode does not stop either (CAP_DAC_OVERRIDE) gets no
    // unwritable folder.
    const std::filesystem::path probe = folder_ / ".unwritable-probe";
    if (made_ && ::mkdir(probe.c_str(), 0700) == 0) {
        ::rmdir(probe.c_str());
        made_ = false;
    }
}

UnwritableFolder::~UnwritableFolder() {
    if (immutable_) {
        SetImmutable(false);
    } else if (made_) {
        ::chmod(folder_.c_str(), 0755);
    }
}

bool UnwritableFolder::SetImmutable(bool on) const {
    const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

}  // namespace nemora::test
