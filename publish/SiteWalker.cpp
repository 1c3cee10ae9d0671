#include "publish/SiteWalker.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>
#include <utility>

namespace nemora::publish {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
    if (name.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), name.rbegin(), [](char a, char b) {
        return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
    });
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

bool IsInside(const std::string& path, const std::string& top) {
    return path == top || (path.size() > top.size() && path.compare(0, top.size(), top) == 0 &&
                           (top == "/" || path[top.size()] == '/'));
}

class TreeWalk {
public:
    TreeWalk(const SiteWalker::Rules& rules, const SiteWalker::Callbacks& callbacks)
        : rules_(rules), callbacks_(callbacks) {}

    bool Run(const std::string& site) {
        realTop_ = RealPath(site);
        struct stat status {};
        if (realTop_.empty() || ::stat(site.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            return false;
        }
        return Folder(site, "", status);
    }

private:
    bool Folder(const std::string& path, const std::string& relative, const struct stat& status) {
        const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
        if (!dir) return false;
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (name[0] == '.' && !rules_.includeHidden) continue;
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        if (callbacks_.folder) callbacks_.folder(relative);

        open_.emplace_back(status.st_dev, status.st_ino);
        for (const std::string& name : names) Entry(path + "/" + name, Join(relative, name), name);
        open_.pop_back();
        return true;
    }

    void Entry(const std::string& path, const std::string& relative, const std::string& name) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0)
            return Report(relative, SiteWalker::Problem::Unreadable);
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0) {
            return Report(relative, S_ISLNK(link.st_mode) ? SiteWalker::Problem::DanglingLink
                                                          : SiteWalker::Problem::Unreadable);
        }
        if (S_ISLNK(link.st_mode) && !IsInside(RealPath(path), realTop_)) {
            return Report(relative, SiteWalker::Problem::OutsideSite);
        }
        if (S_ISDIR(status.st_mode)) {
            const auto id = std::make_pair(status.st_dev, status.st_ino);
            if (std::find(open_.begin(), open_.end(), id) != open_.end()) {
                return Report(relative, SiteWalker::Problem::LinkLoop);
            }
            if (!Folder(path, relative, status)) Report(relative, SiteWalker::Problem::Unreadable);
            return;
        }
        // Devices, pipes and sockets are no part of a site.
        if (!S_ISREG(status.st_mode)) return Report(relative, SiteWalker::Problem::Unreadable);
        if (callbacks_.file) {
            callbacks_.file({relative, path, static_cast<std::uint64_t>(status.st_size),
                             SiteWalker::IsPage(name, rules_)});
        }
    }

    void Report(const std::string& relative, SiteWalker::Problem problem) {
        if (callbacks_.problem) callbacks_.problem(relative, problem);
    }

    static std::string Join(const std::string& folder, const std::string& name) {
        return folder.empty() ? name : folder + "/" + name;
    }

    std::string realTop_;
    const SiteWalker::Rules& rules_;
    const SiteWalker::Callbacks& callbacks_;
    // The folders being walked, by device and inode: a link back to one of
    // them would walk for ever.
    std::vector<std::pair<dev_t, ino_t>> open_;
};

}  // namespace

bool SiteWalker::IsPage(const std::string& name, const Rules& rules) {
    if (rules.pageGlobs.empty())
        return EndsWithNoCase(name, ".html") || EndsWithNoCase(name, ".htm");
    return std::any_of(
        rules.pageGlobs.begin(), rules.pageGlobs.end(),
        [&](const std::string& glob) { return ::fnmatch(glob.c_str(), name.c_str(), 0) == 0; });
}

bool SiteWalker::Walk(const std::string& site, const Rules& rules, const Callbacks& callbacks) {
    return TreeWalk(rules, callbacks).Run(site);
}

}  // namespace nemora::publish
