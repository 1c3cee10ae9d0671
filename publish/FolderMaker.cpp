#include "publish/FolderMaker.h"

#include <filesystem>
#include <system_error>

namespace nemora::publish {
namespace {

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// True only when this call made the folder (mode 0777 less the umask).
bool Create(const std::string& path) {
    std::error_code error;
    return std::filesystem::create_directory(path, error) && !error;
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
