#include "publish/SiteWalker.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "engine/posix/FileStatus.h"
#include "engine/posix/NameGlob.h"

namespace nemora::publish {
namespace {

namespace fs = std::filesystem;
using engine::posix::FileStatus;

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
    if (name.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), name.rbegin(), [](char a, char b) {
        return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
    });
}

std::string RealPath(const std::string& path) {
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    return error ? std::string() : real.string();
}

// The folder's path with every link resolved, also when it is not made yet.
std::string RealFolder(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const fs::path real = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? path : real.lexically_normal().string();
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
        realOut_ = RealFolder(rules_.outputFolder);
        while (realOut_.size() > 1 && realOut_.back() == '/') realOut_.pop_back();
        const FileStatus status = FileStatus::Of(site);
        if (realTop_.empty() || status.type != FileStatus::Type::Folder) return false;
        return Folder(site, "", status, false);
    }

private:
    bool Folder(const std::string& path, const std::string& relative, const FileStatus& status,
                bool outside) {
        std::error_code error;
        fs::directory_iterator entry(path, error);
        if (error) return false;
        std::vector<std::string> names;
        for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
            std::string name = entry->path().filename().string();
            if (name[0] == '.' && !rules_.includeHidden) continue;
            names.push_back(std::move(name));
        }
        std::sort(names.begin(), names.end());
        if (callbacks_.folder && !callbacks_.folder(relative)) return true;

        open_.emplace_back(status.device, status.inode);
        for (const std::string& name : names) {
            Entry(path + "/" + name, Join(relative, name), name, outside);
        }
        open_.pop_back();
        return true;
    }

    // `outside`: the entry lies in a folder reached through a link that
    // leads outside the site.
    void Entry(const std::string& path, const std::string& relative, const std::string& name,
               bool outside) {
        using Problem = SiteWalker::Problem;
        const FileStatus link = FileStatus::OfLink(path);
        if (!link.Found()) return Report(relative, Problem::Unreadable);
        const bool isLink = link.type == FileStatus::Type::Link;
        const FileStatus status = FileStatus::Of(path);
        if (!status.Found()) {
            return Report(relative, isLink ? Problem::DanglingLink : Problem::Unreadable);
        }
        std::string real;  // known for links and for what lies outside
        if (isLink) {
            real = RealPath(path);
            if (!IsInside(real, realTop_)) {
                if (!rules_.followOutsideLinks) return Report(relative, Problem::OutsideSite);
                outside = true;
            }
            if (const std::optional<Problem> problem = LinkTarget(real, status)) {
                return Report(relative, *problem);
            }
        }
        if (status.type == FileStatus::Type::Folder) {
            const auto id = std::make_pair(status.device, status.inode);
            if (std::find(open_.begin(), open_.end(), id) != open_.end()) {
                return Report(relative, Problem::LinkLoop);
            }
            if (!Folder(path, relative, status, outside)) Report(relative, Problem::Unreadable);
            return;
        }
        // Devices, pipes and sockets are no part of a site.
        if (status.type != FileStatus::Type::File) return Report(relative, Problem::NotAFile);
        if (outside && real.empty()) real = RealPath(path);
        if (callbacks_.file) {
            callbacks_.file({relative, path, status.size, SiteWalker::IsPage(name, rules_),
                             outside ? real : std::string()});
        }
    }

    // What keeps a link's target `real` out of the walk, if anything: a
    // folder that holds the site would walk it again (a loop), and the output
    // folder, or one that holds it, would publish the output into itself.
    std::optional<SiteWalker::Problem> LinkTarget(const std::string& real,
                                                  const FileStatus& status) const {
        const bool folder = status.type == FileStatus::Type::Folder;
        if (folder && IsInside(realTop_, real)) return SiteWalker::Problem::LinkLoop;
        if (!realOut_.empty() &&
            (IsInside(real, realOut_) || (folder && IsInside(realOut_, real)))) {
            return SiteWalker::Problem::IntoOutput;
        }
        return std::nullopt;
    }

    void Report(const std::string& relative, SiteWalker::Problem problem) {
        if (callbacks_.problem) callbacks_.problem(relative, problem);
    }

    static std::string Join(const std::string& folder, const std::string& name) {
        return folder.empty() ? name : folder + "/" + name;
    }

    std::string realTop_;
    std::string realOut_;
    const SiteWalker::Rules& rules_;
    const SiteWalker::Callbacks& callbacks_;
    // The folders being walked, by device and inode: a link back to one of
    // them would walk for ever.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> open_;
};

}  // namespace

bool SiteWalker::IsPage(const std::string& name, const Rules& rules) {
    if (rules.pageGlobs.empty())
        return EndsWithNoCase(name, ".html") || EndsWithNoCase(name, ".htm");
    return std::any_of(
        rules.pageGlobs.begin(), rules.pageGlobs.end(),
        [&](const std::string& glob) { return engine::posix::NameGlob::Matches(glob, name); });
}

bool SiteWalker::Walk(const std::string& site, const Rules& rules, const Callbacks& callbacks) {
    return TreeWalk(rules, callbacks).Run(site);
}

}  // namespace nemora::publish
