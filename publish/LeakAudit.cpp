#include "publish/LeakAudit.h"

#include <fstream>
#include <iterator>
#include <string_view>
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
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad() || bytes.size() > kLargestFile) return std::nullopt;
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

}  // namespace

LeakAudit::PageSource LeakAudit::Against(const std::string& site) {
    return [site](const std::string& relative) { return ReadAll(site + "/" + relative); };
}

LeakAudit::Outcome LeakAudit::Run(const std::string& folder, const PageSource& pages,
                                  const Callbacks& callbacks) {
    Listing listing;
    if (!List(folder, listing, callbacks) || listing.locked.empty()) return Outcome::NotASite;
    if (callbacks.locked) callbacks.locked(listing.locked.size());
    LeakIndex index;
    for (std::uint32_t page = 0; page < listing.locked.size(); ++page) {
        const std::optional<std::vector<std::uint8_t>> bytes = pages(listing.locked[page]);
        if (!bytes) {
            callbacks.unreadable(listing.locked[page]);
            continue;
        }
        const PageText::Visible visible = PageText::Of(PageText::Utf8(*bytes));
        index.Add(page, visible.title, visible.text);
    }
    index.Seal(static_cast<std::uint32_t>(listing.locked.size()));
    Outcome outcome = Outcome::Clean;
    for (const SiteWalker::File& file : listing.open) {
        std::optional<std::vector<std::uint8_t>> bytes = ReadAll(file.path);
        std::string_view name = file.relative;
        if (bytes && EndsWith(name, ".gz")) {
            bytes = Gunzip(*bytes);
            name.remove_suffix(3);
        }
        if (!bytes) {
            callbacks.unreadable(file.relative);
            continue;
        }
        const std::string text = PageText::Scanned(PageText::Utf8(*bytes), IsScript(name));
        for (LeakIndex::Match& match : index.Find(text)) {
            outcome = Outcome::Leaks;
            callbacks.finding(
                {file.relative, listing.locked[match.page], std::move(match.fragment)});
        }
    }
    return outcome;
}

}  // namespace nemora::publish
