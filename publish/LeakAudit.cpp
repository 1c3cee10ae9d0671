#include "publish/LeakAudit.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <string_view>
#include <thread>
#include <zlib.h>

#include "publish/InputPage.h"
#include "publish/LeakIndex.h"
#include "publish/PageText.h"
#include "publish/SiteWalker.h"

namespace nemora::publish {
namespace {

// No file of a site is read past this (nor decompressed past it).
constexpr std::uint64_t kLargestFile = 1ull << 30;

std::optional<std::vector<std::uint8_t>> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kLargestFile) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

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

struct Listing {
    std::vector<std::string> locked;  // protected pages, from the top
    std::vector<SiteWalker::File> open;
};

bool List(const std::string& folder, Listing& listing, const LeakAudit::Callbacks& callbacks) {
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
            case InputPage::Kind::StrongPage:
            case InputPage::Kind::LoaderPage:
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
    return SiteWalker::Walk(folder, rules, walk);
}

struct Scanned {
    bool unreadable = false;
    std::vector<LeakIndex::Match> matches;
};

Scanned ScanFile(const SiteWalker::File& file, const LeakIndex& index) {
    std::optional<std::vector<std::uint8_t>> bytes = ReadAll(file.path);
    std::string_view name = file.relative;
    if (bytes && EndsWith(name, ".gz")) {
        bytes = Gunzip(*bytes);
        name.remove_suffix(3);
    }
    if (!bytes) return {true, {}};
    return {false, index.Find(PageText::Scanned(PageText::Utf8(*bytes), IsScript(name)))};
}

}  // namespace

LeakAudit::PageSource LeakAudit::Against(const std::string& site) {
    return [site](const std::string& relative) { return ReadAll(site + "/" + relative); };
}

LeakAudit::Outcome LeakAudit::Run(const std::string& folder, const PageSource& pages,
                                  const Callbacks& callbacks) {
    Listing listing;
    if (!List(folder, listing, callbacks) || listing.locked.empty()) return Outcome::NotASite;
    if (callbacks.locked) callbacks.locked(listing.locked.size());
    // The pages are read on every core too, each core into an index of
    // its own, and the indexes joined.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<LeakIndex> parts(cores);
    std::vector<char> missing(listing.locked.size(), 0);
    std::atomic<std::uint32_t> nextPage{0};
    auto read = [&](LeakIndex& part) {
        for (std::uint32_t page; (page = nextPage++) < listing.locked.size();) {
            const std::optional<std::vector<std::uint8_t>> bytes = pages(listing.locked[page]);
            if (!bytes) {
                missing[page] = 1;
                continue;
            }
            const PageText::Visible visible = PageText::Of(PageText::Utf8(*bytes));
            part.Add(page, visible.title, visible.text);
        }
    };
    {
        std::vector<std::thread> readers;
        for (unsigned n = 1; n < cores; ++n) readers.emplace_back(read, std::ref(parts[n]));
        read(parts[0]);
        for (std::thread& reader : readers) reader.join();
    }
    for (std::size_t page = 0; page < missing.size(); ++page)
        if (missing[page]) callbacks.unreadable(listing.locked[page]);
    LeakIndex index = std::move(parts[0]);
    for (unsigned n = 1; n < cores; ++n) index.Join(std::move(parts[n]));
    index.Seal(static_cast<std::uint32_t>(listing.locked.size()));
    // The files are scanned on every core, each on its own; what they hold
    // is told in the walk's order.
    std::vector<Scanned> scans(listing.open.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < listing.open.size();)
            scans[i] = ScanFile(listing.open[i], index);
    };
    std::vector<std::thread> workers;
    for (unsigned n = 1; n < cores; ++n) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
    Outcome outcome = Outcome::Clean;
    for (std::size_t i = 0; i < scans.size(); ++i) {
        if (scans[i].unreadable) callbacks.unreadable(listing.open[i].relative);
        for (LeakIndex::Match& match : scans[i].matches) {
            outcome = Outcome::Leaks;
            callbacks.finding(
                {listing.open[i].relative, listing.locked[match.page], std::move(match.fragment)});
        }
    }
    return outcome;
}

}  // namespace nemora::publish
