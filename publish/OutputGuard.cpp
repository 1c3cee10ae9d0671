#include "publish/OutputGuard.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>

#include "engine/posix/FileStatus.h"
#include "engine/posix/FolderAccess.h"
#include "publish/ValueFormat.h"

namespace nemora::publish {
namespace {

namespace fs = std::filesystem;
using Clash = OutputGuard::Clash;

// A file as the system knows it, whatever names lead to it.
struct Identity {
    std::uint64_t device;
    std::uint64_t inode;
    auto operator<=>(const Identity&) const = default;
};

std::optional<Identity> IdentityOf(const fs::path& path) {
    const engine::posix::FileStatus status = engine::posix::FileStatus::Of(path.string());
    if (!status.Found()) return std::nullopt;
    return Identity{status.device, status.inode};
}

// One spelling for every path to a file that does not exist yet: absolute,
// without dots, links resolved as far as the path exists.
fs::path Spelling(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error).lexically_normal();
    fs::path spelled = fs::weakly_canonical(absolute, error);
    if (error) spelled = absolute;
    if (!spelled.has_filename()) spelled = spelled.parent_path();
    return spelled;
}

// The name a page's files take: its own, a link's included.
std::string NameOf(const std::string& page) {
    fs::path path = fs::path(page).lexically_normal();
    if (!path.has_filename()) path = path.parent_path();
    return path.filename().string();
}

// The pages by their identity where they exist, by their spelling always.
class PageIndex {
public:
    explicit PageIndex(const std::vector<std::string>& pages) {
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (const std::optional<Identity> identity = IdentityOf(pages[i])) {
                byIdentity_.emplace(*identity, i);
            }
            bySpelling_.emplace(Spelling(pages[i]).string(), i);
        }
    }

    // The page that `output` is, if any.
    std::optional<std::size_t> Find(const fs::path& output) const {
        if (const std::optional<Identity> identity = IdentityOf(output)) {
            if (const auto found = byIdentity_.find(*identity); found != byIdentity_.end()) {
                return found->second;
            }
        }
        if (const auto found = bySpelling_.find(output.string()); found != bySpelling_.end()) {
            return found->second;
        }
        return std::nullopt;
    }

private:
    std::map<Identity, std::size_t> byIdentity_;
    std::map<std::string, std::size_t> bySpelling_;
};

}  // namespace

std::vector<std::string> OutputGuard::PageFiles(const std::string& pageFileName, bool strong) {
    if (strong) return {pageFileName};
    return {pageFileName, DataFileName(pageFileName)};
}

std::vector<std::string> OutputGuard::SharedFiles(bool strong) {
    if (strong) return {"nemora-strong.js"};
    return {"decoder.htm", "decoder.jar"};
}

std::optional<Clash> OutputGuard::Check(const std::vector<std::string>& pages,
                                        const std::string& folder, bool strong) {
    const fs::path into = Spelling(folder);
    const PageIndex index(pages);
    // Each name written into the folder, and the page it is written for
    // (none: a shared file).
    std::map<std::string, std::optional<std::size_t>> writers;
    for (const std::string& name : SharedFiles(strong)) {
        const fs::path output = into / name;
        if (const std::optional<std::size_t> page = index.Find(output)) {
            return Clash{Clash::Kind::ReplacesPage, output.string(), pages[*page], {}};
        }
        writers.emplace(name, std::nullopt);
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        for (const std::string& name : PageFiles(NameOf(pages[i]), strong)) {
            const fs::path output = into / name;
            if (const std::optional<std::size_t> page = index.Find(output)) {
                return Clash{Clash::Kind::ReplacesPage, output.string(), pages[*page], {}};
            }
            const auto [writer, added] = writers.emplace(name, i);
            if (added) continue;
            if (!writer->second || *writer->second == i) {
                return Clash{Clash::Kind::NameTaken, output.string(), pages[i], {}};
            }
            return Clash{Clash::Kind::WrittenTwice, output.string(), pages[*writer->second],
                         pages[i]};
        }
    }
    return std::nullopt;
}

engine::Result OutputGuard::Refusal(const Clash& clash) {
    return clash.kind == Clash::Kind::ReplacesPage ? engine::Result::WouldReplacePage
                                                   : engine::Result::OutputNamesClash;
}

std::optional<OutputGuard::Unwritable> OutputGuard::UnwritableFolder(const std::string& folder) {
    using engine::posix::FileStatus;
    fs::path at = Spelling(folder);
    // The folder, or the deepest one that exists on its way.
    FileStatus status;
    while (!(status = FileStatus::Of(at.string())).Found()) {
        if (status.error != ENOENT || !at.has_relative_path()) return std::nullopt;
        at = at.parent_path();
    }
    // A file in the way is the folder maker's to report.
    if (status.type != FileStatus::Type::Folder) return std::nullopt;
    const int error = engine::posix::FolderAccess::ForNewFiles(at.string());
    if (error != EACCES && error != EROFS && error != EPERM) return std::nullopt;
    return Unwritable{at.string(), error};
}

}  // namespace nemora::publish
