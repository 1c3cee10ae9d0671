#include "publish/LeakAudit.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string_view>
#include <thread>
#include <zlib.h>

#include "engine/posix/FileHead.h"
#include "engine/strong/SealedScript.h"
#include "publish/InputPage.h"
#include "publish/LeakIndex.h"
#include "publish/PageOpener.h"
#include "publish/PageText.h"
#include "publish/WholeFile.h"

namespace nemora::publish {
namespace {

// No file of a site is read past this (nor decompressed past it).
constexpr std::uint64_t kLargestFile = 1ull << 30;

// The content of a gzip file (every member); nothing when it is none.
std::optional<std::vector<std::uint8_t>> Gunzip(const std::vector<std::uint8_t>& packed) {
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 32) != Z_OK) return std::nullopt;
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[1 << 16];
    stream.next_in = const_cast<Bytef*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    int status = Z_OK;
    while (status != Z_STREAM_END || stream.avail_in > 0) {
        if (status == Z_STREAM_END && inflateReset(&stream) != Z_OK) break;
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - stream.avail_out));
        if ((status != Z_OK && status != Z_STREAM_END) || out.size() > kLargestFile) {
            inflateEnd(&stream);
            return std::nullopt;
        }
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) break;
    }
    inflateEnd(&stream);
    return out;
}

bool EndsWith(std::string_view name, std::string_view tail) {
    return name.size() >= tail.size() &&
           std::equal(tail.begin(), tail.end(), name.end() - tail.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(b)) == a;
           });
}

// Scripts and JSON hold text in strings whose escapes are undone first.
bool IsScript(std::string_view name) {
    return EndsWith(name, ".js") || EndsWith(name, ".json") || EndsWith(name, ".mjs");
}

// The data file a classic loader page reads, from the folder's top; empty
// when it names none inside the folder.
std::string DataFileOf(const SiteWalker::File& loader) {
    const engine::posix::FileHead head =
        engine::posix::FileHead::Read(loader.path, InputPage::kInspectedBytes);
    const std::optional<std::string> named = InputPage::LoaderDataFile(head.bytes);
    if (!named || named->starts_with('/') || named->find(':') != std::string::npos) return {};
    std::string path =
        (std::filesystem::path(loader.relative).parent_path() / *named).lexically_normal();
    return path.starts_with("../") ? std::string() : path;
}

// True for a sealed file's script, which holds the file's bytes
// enciphered and nothing else.
bool IsSealedScript(const std::vector<std::uint8_t>& bytes) {
    const std::string_view script(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return engine::strong::IsSealedFileScript(script);
}

struct Scanned {
    bool unreadable = false;
    std::vector<LeakIndex::Match> matches;
};

Scanned ScanFile(const SiteWalker::File& file, const LeakIndex& index) {
    std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(file.path, kLargestFile);
    std::string_view name = file.relative;
    if (bytes && EndsWith(name, ".gz")) {
        bytes = Gunzip(*bytes);
        name.remove_suffix(3);
    }
    if (!bytes) return {true, {}};
    if (IsSealedScript(*bytes)) return {};
    std::string converted;
    return {false,
            index.Find(PageText::Scanned(PageText::Utf8(*bytes, converted), IsScript(name)))};
}

// Runs `work` on every core, this thread's included.
void OnEveryCore(const std::function<void(unsigned core)>& work, unsigned cores) {
    std::vector<std::thread> threads;
    for (unsigned core = 1; core < cores; ++core) threads.emplace_back(work, core);
    work(0);
    for (std::thread& thread : threads) thread.join();
}

// A sealed site's scripts, where the run puts them, need no scan: known
// before the pages are read, a site with nothing else public costs one page.
// Read on every core; one that is not a whole sealed script stays.
void DropSealedScripts(std::vector<SiteWalker::File>& open) {
    std::vector<char> sealed(open.size(), 0);
    std::atomic<std::size_t> next{0};
    OnEveryCore(
        [&](unsigned) {
            for (std::size_t i; (i = next++) < open.size();) {
                if (!open[i].relative.starts_with("nemora-sealed/") ||
                    !EndsWith(open[i].relative, ".js"))
                    continue;
                const auto bytes = ReadWholeFile(open[i].path, kLargestFile);
                sealed[i] = bytes && IsSealedScript(*bytes);
            }
        },
        std::max(1u, std::thread::hardware_concurrency()));
    std::size_t at = 0;
    std::erase_if(open, [&](const SiteWalker::File&) { return sealed[at++] != 0; });
}

}  // namespace

LeakAudit::PageSource LeakAudit::Against(const std::string& site) {
    return [site](const std::string& relative) {
        engine::UnlockedPage page;
        std::optional<std::vector<std::uint8_t>> bytes =
            ReadWholeFile(site + "/" + relative, kLargestFile);
        page.status = bytes ? engine::Result::Ok : engine::Result::CannotOpen;
        if (bytes) page.page = std::move(*bytes);
        return page;
    };
}

LeakAudit::PageSource LeakAudit::WithPassword(const std::string& folder,
                                              engine::SecretString password) {
    auto opener = std::make_shared<PageOpener>(folder, std::move(password));
    return [opener](const std::string& relative) { return opener->Open(relative); };
}

std::optional<LeakAudit::Listing> LeakAudit::List(const std::string& folder,
                                                  const Callbacks& callbacks) {
    Listing listing;
    std::vector<SiteWalker::File> loaders;
    SiteWalker::Rules rules;
    rules.includeHidden = true;
    SiteWalker::Callbacks walk;
    walk.folder = [](const std::string&) { return true; };
    walk.file = [&](const SiteWalker::File& file) {
        const InputPage::Inspection inspection = InputPage::Inspect(file.path);
        if (inspection.problem != InputPage::Problem::None) {
            if (inspection.problem != InputPage::Problem::Empty)
                callbacks.unreadable(file.relative);
            return;
        }
        switch (inspection.kind) {
            case InputPage::Kind::LoaderPage:
                loaders.push_back(file);
                [[fallthrough]];
            case InputPage::Kind::StrongPage:
                listing.locked.push_back(file.relative);
                return;
            case InputPage::Kind::DecoderPage:
            case InputPage::Kind::StrongScript:
                return;
            case InputPage::Kind::NotText:
                if (EndsWith(file.relative, ".gz")) listing.open.push_back(file);
                return;
            case InputPage::Kind::Page:
                listing.open.push_back(file);
                return;
        }
    };
    walk.problem = [&](const std::string& relative, SiteWalker::Problem problem) {
        if (problem == SiteWalker::Problem::Unreadable) callbacks.unreadable(relative);
    };
    if (!SiteWalker::Walk(folder, rules, walk) || listing.locked.empty()) return std::nullopt;
    // The classic pages' data files are enciphered: nothing to read there.
    std::set<std::string> dataFiles;
    for (const SiteWalker::File& loader : loaders) dataFiles.insert(DataFileOf(loader));
    std::erase_if(listing.open,
                  [&](const SiteWalker::File& file) { return dataFiles.count(file.relative) > 0; });
    DropSealedScripts(listing.open);
    return listing;
}

LeakAudit::Outcome LeakAudit::Run(const std::string& folder, const PageSource& pages,
                                  const Callbacks& callbacks) {
    const std::optional<Listing> listing = List(folder, callbacks);
    return listing ? Run(*listing, pages, callbacks) : Outcome::NotASite;
}

LeakAudit::Outcome LeakAudit::Run(const Listing& listing, const PageSource& pages,
                                  const Callbacks& callbacks) {
    if (callbacks.locked) callbacks.locked(listing.locked.size());
    // The pages are read on every core, each core into an index of its
    // own, and the indexes joined.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<LeakIndex> parts(cores);
    std::vector<engine::Result> failed(listing.locked.size(), engine::Result::Ok);
    // With nothing readable without the password (a sealed site) no page's
    // text can have leaked: the first page alone is opened, which is
    // enough to tell a wrong password, and the index is never built.
    const std::size_t toOpen = listing.open.empty()
                                   ? std::min<std::size_t>(1, listing.locked.size())
                                   : listing.locked.size();
    failed.resize(toOpen);
    std::atomic<std::uint32_t> nextPage{0};
    OnEveryCore(
        [&](unsigned core) {
            for (std::uint32_t page; (page = nextPage++) < toOpen;) {
                const engine::UnlockedPage opened = pages(listing.locked[page]);
                if (opened.status != engine::Result::Ok) {
                    failed[page] = opened.status;
                    continue;
                }
                std::string converted;
                const PageText::Visible visible =
                    PageText::Of(PageText::Utf8(opened.page, converted));
                parts[core].Add(page, visible.title, visible.text);
            }
        },
        cores);
    const bool noneOpened = std::all_of(failed.begin(), failed.end(),
                                        [](engine::Result r) { return r != engine::Result::Ok; });
    const bool refused = std::any_of(failed.begin(), failed.end(), [](engine::Result r) {
        return r == engine::Result::WrongPassword;
    });
    if (noneOpened && refused) return Outcome::WrongPassword;
    for (std::size_t page = 0; page < failed.size(); ++page)
        if (failed[page] != engine::Result::Ok)
            callbacks.unopened(listing.locked[page], failed[page]);
    if (listing.open.empty()) return Outcome::Clean;
    LeakIndex index = std::move(parts[0]);
    for (unsigned n = 1; n < cores; ++n) index.Join(std::move(parts[n]));
    index.Seal(static_cast<std::uint32_t>(listing.locked.size()));
    // The files are scanned on every core, each on its own; what they hold
    // is told in the walk's order.
    std::vector<Scanned> scans(listing.open.size());
    std::atomic<std::size_t> next{0};
    OnEveryCore(
        [&](unsigned) {
            for (std::size_t i; (i = next++) < listing.open.size();)
                scans[i] = ScanFile(listing.open[i], index);
        },
        cores);
    Outcome outcome = Outcome::Clean;
    for (std::size_t i = 0; i < scans.size(); ++i) {
        if (scans[i].unreadable) callbacks.unreadable(listing.open[i].relative);
        for (LeakIndex::Match& match : scans[i].matches) {
            outcome = Outcome::Leaks;
            callbacks.finding({listing.open[i].relative, listing.locked[match.page],
                               std::move(match.fragment), match.heldWords, match.rareWords});
        }
    }
    return outcome;
}

}  // namespace nemora::publish
