#include "bench/Corpus.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <random>

namespace nemora::bench {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string path = it->path().string();
        if (it->is_regular_file() && path.size() >= suffix.size() &&
            path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
            files.push_back(path);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> ToShiftJis(const std::vector<std::uint8_t>& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::vector<std::uint8_t> out(utf8.size() + 16);
    auto* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(utf8.data()));
    std::size_t inLeft = utf8.size();
    auto* to = reinterpret_cast<char*>(out.data());
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1)) break;
        // A character code page 932 lacks (or a broken sequence): drop one byte.
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::vector<std::uint8_t> Concatenate(const std::vector<std::string>& files, std::size_t size,
                                      bool toShiftJis) {
    std::vector<std::uint8_t> all;
    std::size_t usable = 0;
    while (all.size() < size) {
        for (const auto& file : files) {
            std::vector<std::uint8_t> bytes = ReadFile(file);
            if (toShiftJis) bytes = ToShiftJis(bytes);
            if (bytes.empty() || std::find(bytes.begin(), bytes.end(), 0) != bytes.end()) continue;
            all.insert(all.end(), bytes.begin(), bytes.end());
            ++usable;
            if (all.size() >= size) break;
        }
        if (usable == 0) return {};
    }
    all.resize(size);
    return all;
}

}  // namespace

std::vector<std::uint8_t> HtmlFrom(const std::string& folder, std::size_t size) {
    return Concatenate(FilesEndingIn(folder, ".html"), size, false);
}

std::vector<std::vector<std::uint8_t>> HtmlPagesFrom(const std::string& folder) {
    std::vector<std::vector<std::uint8_t>> pages;
    for (const auto& file : FilesEndingIn(folder, ".html")) {
        std::vector<std::uint8_t> bytes = ReadFile(file);
        if (!bytes.empty() && std::find(bytes.begin(), bytes.end(), 0) == bytes.end())
            pages.push_back(std::move(bytes));
    }
    return pages;
}

std::vector<std::uint8_t> ShiftJisFrom(const std::string& folder, const std::string& suffix,
                                       std::size_t size) {
    return Concatenate(FilesEndingIn(folder, suffix), size, true);
}

std::vector<Corpus> AdversarialPages(std::size_t size) {
    std::mt19937 random(20261210);
    auto next = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    auto make = [&](auto&& append) {
        std::vector<std::uint8_t> page;
        page.reserve(size + 512);
        while (page.size() < size) append(page);
        page.resize(size);
        return page;
    };
    std::vector<Corpus> pages;
    pages.push_back({"random 2 letters", make([&](auto& p) {
                         p.push_back(static_cast<std::uint8_t>('a' + next(2)));
                     })});
    pages.push_back({"random 4 letters", make([&](auto& p) {
                         p.push_back(static_cast<std::uint8_t>('a' + next(4)));
                     })});
    pages.push_back({"random 1..255", make([&](auto& p) {
                         p.push_back(static_cast<std::uint8_t>(1 + next(255)));
                     })});
    pages.push_back({"one byte repeated", make([&](auto& p) { p.push_back('a'); })});
    pages.push_back({"129-byte pattern", make([&](auto& p) {
                         for (unsigned i = 0; i < 129; ++i)
                             p.push_back(static_cast<std::uint8_t>(1 + (i * 37) % 255));
                     })});
    // Ours: the hardest we found for the key-length shortcuts.
    pages.push_back({"random 3 letters", make([&](auto& p) {
                         p.push_back(static_cast<std::uint8_t>('a' + next(3)));
                     })});
    pages.push_back({"5-byte prefix + random byte", make([&](auto& p) {
                         for (int i = 0; i < 5; ++i) p.push_back('a');
                         p.push_back(static_cast<std::uint8_t>(1 + next(250)));
                     })});
    pages.push_back({"runs of 1..300 over 4 letters", make([&](auto& p) {
                         const auto b = static_cast<std::uint8_t>('a' + next(4));
                         for (unsigned n = 1 + next(300); n > 0; --n) p.push_back(b);
                     })});
    pages.push_back({"2-letter words of 8 or 15", make([&](auto& p) {
                         for (unsigned i = 0, n = next(2) != 0 ? 8 : 15; i < n; ++i)
                             p.push_back(static_cast<std::uint8_t>('a' + next(2)));
                         p.push_back(' ');
                     })});
    pages.push_back({"short periods repeated", make([&](auto& p) {
                         std::vector<std::uint8_t> unit(1 + next(20));
                         for (auto& b : unit) b = static_cast<std::uint8_t>('a' + next(3));
                         for (unsigned r = 1 + next(30); r > 0; --r)
                             p.insert(p.end(), unit.begin(), unit.end());
                     })});
    // Runs of one byte: once the slowest class (about 2 MB/s).
    pages.push_back({"runs of 30..130, 2 random between", make([&](auto& p) {
                         p.insert(p.end(), 30 + next(101), 'a');
                         p.push_back(static_cast<std::uint8_t>(1 + next(255)));
                         p.push_back(static_cast<std::uint8_t>(1 + next(255)));
                     })});
    // Ours, for the run index: every run can match past its end, so each
    // search walks every run of the window by its tail.
    pages.push_back({"runs of 5..144, one byte after", make([&](auto& p) {
                         p.insert(p.end(), 5 + next(140), ' ');
                         p.push_back('X');
                     })});
    unsigned step = 0;
    pages.push_back({"runs of 5..300 growing", make([&](auto& p) {
                         p.insert(p.end(), 5 + step % 296,
                                  static_cast<std::uint8_t>('a' + step % 2));
                         ++step;
                     })});
    // Ours, for the parallel parse: no chunk's guess ever meets the truth.
    pages.push_back({"128-byte pattern", make([&](auto& p) {
                         for (unsigned i = 0; i < 128; ++i)
                             p.push_back(static_cast<std::uint8_t>(1 + (i * 37) % 255));
                     })});
    return pages;
}

}  // namespace nemora::bench
