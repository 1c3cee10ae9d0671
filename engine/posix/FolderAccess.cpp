#include "engine/posix/FolderAccess.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace nemora::engine::posix {

int FolderAccess::ForNewFiles(const std::string& folder) {
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return 0;
    return errno;
}

}  // namespace nemora::engine::posix
