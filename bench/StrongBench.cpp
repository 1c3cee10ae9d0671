// The strong lock's figures inside one process, for bench/strong.sh:
//
//   strong_bench pages FOLDER [HTML_FOLDER]
//       writes FOLDER/page1.html (1,000,000 bytes) and FOLDER/page10.html
//       (10,000,000 bytes) from the python3.11-doc HTML, the corpus
//       tools/bench.sh uses, so both benches lock the same pages.
//   strong_bench unlock PASSWORD_FILE PUBLISHED_PAGE SOURCE_PAGE
//       prints one JSON line: the median seconds of one Argon2id derivation
//       at the page's parameters (what nemora-cli pays once a run) and of
//       the decoding with that key, the part the browser's script repeats:
//       the whole, its base64 part (the container out of the page) and its
//       reading part (open, decompress).
//
// Every step is checked and the first failure stops the run with no figure:
// the decoded page must equal the source byte for byte.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "bench/Corpus.h"
#include "engine/ResultCode.h"
#include "engine/strong/StrongFormat.h"
#include "engine/strong/StrongKey.h"
#include "engine/strong/StrongReader.h"
#include "publish/StrongPage.h"

namespace {

using namespace nemora;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMB = 1'000'000;

[[noreturn]] void Fail(const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "strong_bench: %s\nstrong_bench: stopped; no figure for this step\n",
                 what.c_str());
    std::exit(1);
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail("cannot read " + path);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    if (bytes.empty()) Fail(path + " is empty");
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) Fail("cannot write " + path);
}

double Sum(const std::vector<double>& times) {
    double total = 0;
    for (const double t : times) total += t;
    return total;
}

double MedianOf(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Median seconds of `run` over at least `least` runs and about a second.
double Median(int least, const std::function<void()>& run) {
    std::vector<double> times;
    while (static_cast<int>(times.size()) < least || (Sum(times) < 1.0 && times.size() < 50)) {
        const auto start = Clock::now();
        run();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    return MedianOf(times);
}

int Pages(const std::string& folder, const std::string& htmlFolder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) Fail("cannot make " + folder + ": " + error.message());
    const auto html10 = bench::HtmlFrom(htmlFolder, 10 * kMB);
    if (html10.empty()) Fail("no HTML under " + htmlFolder + " (install python3.11-doc)");
    WriteFile(folder + "/page1.html", {html10.begin(), html10.begin() + kMB});
    WriteFile(folder + "/page10.html", html10);
    return 0;
}

int Unlock(const std::string& passwordFile, const std::string& published,
           const std::string& source) {
    std::vector<std::uint8_t> password = ReadFile(passwordFile);
    while (!password.empty() && (password.back() == '\n' || password.back() == '\r'))
        password.pop_back();
    const std::string_view typed(reinterpret_cast<const char*>(password.data()), password.size());
    const std::vector<std::uint8_t> page = ReadFile(published);
    const std::vector<std::uint8_t> expected = ReadFile(source);

    const auto container = publish::StrongPage::ReadContainer(page);
    if (!container) Fail(published + " holds no strong-lock container");
    engine::strong::ContainerHeader header;
    if (engine::strong::ParseHeader(container->data(), container->size(), header) !=
        engine::Result::Ok)
        Fail(published + ": the container's header does not check");

    std::optional<engine::strong::StrongKey> key;
    const double derive = Median(5, [&] {
        key = engine::strong::StrongKey::Derive(typed, header.salt, header.kdf);
        if (!key) Fail("the Argon2id derivation failed");
    });

    // Runs of at least about a second: each run's base64 part, its opening
    // and decompressing part, and the two together.
    engine::UnlockedPage unlocked;
    std::vector<double> base64, read, whole;
    while (whole.size() < 5 || (Sum(whole) < 1.0 && whole.size() < 100)) {
        const auto start = Clock::now();
        const auto inner = publish::StrongPage::ReadContainer(page);
        const auto decoded = Clock::now();
        if (!inner) Fail(published + " holds no strong-lock container");
        unlocked = engine::strong::StrongReader::Read(inner->data(), inner->size(), *key);
        const auto end = Clock::now();
        base64.push_back(std::chrono::duration<double>(decoded - start).count());
        read.push_back(std::chrono::duration<double>(end - decoded).count());
        whole.push_back(std::chrono::duration<double>(end - start).count());
        if (unlocked.status != engine::Result::Ok)
            Fail(published + " did not open: " + engine::ResultName(unlocked.status));
    }
    if (unlocked.page != expected) Fail(published + " opened to another page than " + source);
    std::printf(
        "{\"page\":\"%s\",\"pageBytes\":%zu,\"containerBytes\":%zu,\"memoryKiB\":%u,"
        "\"passes\":%u,\"runs\":%zu,\"deriveSeconds\":%.6f,\"decodeSeconds\":%.6f,"
        "\"base64Seconds\":%.6f,\"readSeconds\":%.6f}\n",
        published.c_str(), expected.size(), container->size(), header.kdf.memoryKiB,
        header.kdf.passes, whole.size(), derive, MedianOf(whole), MedianOf(base64), MedianOf(read));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "pages")
        return Pages(args[1], args.size() > 2 ? args[2] : "/usr/share/doc/python3.11/html");
    if (args.size() == 4 && args[0] == "unlock") return Unlock(args[1], args[2], args[3]);
    std::fprintf(stderr,
                 "usage: %s pages FOLDER [HTML_FOLDER]\n"
                 "       %s unlock PASSWORD_FILE PUBLISHED_PAGE SOURCE_PAGE\n",
                 argv[0], argv[0]);
    return 2;
}
