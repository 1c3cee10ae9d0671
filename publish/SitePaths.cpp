#include "publish/SitePaths.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

namespace nemora::publish {

namespace fs = std::filesystem;

std::string FolderOf(const std::string& relative) {
    const std::size_t slash = relative.rfind('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

std::string UpToTop(const std::string& folder) {
    if (folder.empty()) return "./";
    std::string up;
    for (std::size_t at = 0; at != std::string::npos; at = folder.find('/', at + 1)) up += "../";
    return up;
}

std::string MirrorFolder(const std::string& out, const std::string& folder) {
    return folder.empty() ? out + "/" : out + "/" + folder + "/";
}

std::string Normal(const std::string& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path), error);
    return error ? path : canonical.lexically_normal().string();
}

bool Within(const std::string& inner, const std::string& outer) {
    const fs::path a(inner);
    const fs::path b(outer);
    auto [endB, endA] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    // Every component of `outer` starts `inner` (a trailing empty one, from a
    // trailing '/', counts as matched).
    return endB == b.end() || (std::next(endB) == b.end() && endB->empty());
}

}  // namespace nemora::publish
