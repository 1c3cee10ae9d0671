#include "publish/FolderMaker.h"

#include <sys/stat.h>

namespace nemora::publish {
namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Create(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

}  // namespace

bool FolderMaker::EnsureFolder(const std::string& given) {
    if (IsFolder(given)) return true;
    std::string path = given;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty()) return false;

    // Walk back to the first prefix that can be created.
    std::string q = path;
    while (!Create(q)) {
        const std::size_t cut = q.find_last_of('/');
        if (cut == std::string::npos || cut == 0) return false;
        q.resize(cut);
    }
    // Walk forward, one level at a time.
    while (q.size() < path.size()) {
        const std::size_t next = path.find('/', q.size() + 1);
        q = path.substr(0, next == std::string::npos ? path.size() : next);
        if (!Create(q)) return false;
    }
    return true;
}

}  // namespace nemora::publish
