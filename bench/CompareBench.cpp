// Side-by-side figures for the lock engine, in one run on one machine:
// the compressor against the plain reference and zlib, the cipher pass
// against OpenSSL's DES, the whole lock job against gzip -6, and the peak
// memory of locking a 100 MB page. tools/bench.sh installs the corpora's
// packages, builds and runs this.

#include <fcntl.h>
#include <openssl/des.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/Corpus.h"
#include "engine/Key.h"
#include "engine/LockBuffer.h"
#include "engine/PageCipher.h"
#include "tests/support/ReferenceCompressor.h"

extern char** environ;

namespace {

using namespace nemora;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kMB = 1'000'000;
constexpr std::size_t kReferencePrefix = 128 * 1024;

// Median seconds of `run` over at least 3 runs and about half a second;
// `prepare` runs before each, untimed.
double Median(const std::function<void()>& prepare, const std::function<void()>& run) {
    std::vector<double> times;
    double total = 0;
    while (times.size() < 3 || (total < 0.5 && times.size() < 50)) {
        prepare();
        const auto start = Clock::now();
        run();
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        times.push_back(t);
        total += t;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double MBps(std::size_t bytes, double seconds) { return static_cast<double>(bytes) / 1e6 / seconds; }

struct Compressed {
    double seconds;
    std::vector<std::uint8_t> body;
};

Compressed Ours(const std::vector<std::uint8_t>& page) {
    engine::LockBuffer buffer;
    const double seconds = Median([&] { (void)buffer.AssignPage(page.data(), page.size()); },
                                  [&] { (void)buffer.Compress(nullptr); });
    return {seconds, {buffer.Bytes() + 8, buffer.Bytes() + buffer.StreamSize()}};
}

struct Zlib {
    double seconds;
    std::size_t size;
};

Zlib ZlibAt(const std::vector<std::uint8_t>& page, int level) {
    std::vector<Bytef> out(compressBound(page.size()));
    uLongf size = 0;
    const double seconds = Median([] {}, [&] {
        size = out.size();
        compress2(out.data(), &size, page.data(), page.size(), level);
    });
    return {seconds, size};
}

void CompressorTable(const std::vector<bench::Corpus>& corpora) {
    std::printf("\nCompressor (MB/s of page bytes; sizes in bytes; ref = plain reference on a 128 KiB prefix)\n");
    std::printf("%-30s %10s %9s %10s %9s %6s %9s %9s %9s %9s %9s %9s %9s %7s %7s\n", "page", "bytes",
                "ours", "ours size", "ref", "same", "zlib-1", "z1 size", "zlib-6", "z6 size", "zlib-9",
                "z9 size", "", "/z6", "/z9");
    for (const auto& corpus : corpora) {
        const auto& page = corpus.page;
        const Compressed ours = Ours(page);
        const std::vector<std::uint8_t> prefix(page.begin(),
                                               page.begin() + static_cast<std::ptrdiff_t>(std::min(page.size(), kReferencePrefix)));
        std::vector<std::uint8_t> reference;
        const double refSeconds = Median([] {}, [&] { reference = test::ReferenceCompress(prefix); });
        const bool same = Ours(prefix).body == reference;
        const Zlib z1 = ZlibAt(page, 1), z6 = ZlibAt(page, 6), z9 = ZlibAt(page, 9);
        const double ourRate = MBps(page.size(), ours.seconds);
        std::printf("%-30s %10zu %9.1f %10zu %9.2f %6s %9.1f %9zu %9.1f %9zu %9.1f %9zu %9s %7.2f %7.2f\n",
                    corpus.name.c_str(), page.size(), ourRate, ours.body.size(),
                    MBps(prefix.size(), refSeconds), same ? "yes" : "NO", MBps(page.size(), z1.seconds),
                    z1.size, MBps(page.size(), z6.seconds), z6.size, MBps(page.size(), z9.seconds), z9.size,
                    "", ourRate / MBps(page.size(), z6.seconds), ourRate / MBps(page.size(), z9.seconds));
        std::fflush(stdout);
    }
}

void CipherTable(const std::vector<std::uint8_t>& page) {
    std::vector<std::uint8_t> data(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(page.size() / 8 * 8));
    const engine::PageCipher cipher(engine::DeriveKey("benchmark"));
    const double ours = Median([] {}, [&] { (void)cipher.Encipher(data.data(), data.size(), nullptr); });

    DES_cblock key = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    const double openssl = Median([] {}, [&] {
        for (std::size_t at = 0; at < data.size(); at += 8) {
            auto* block = reinterpret_cast<DES_cblock*>(data.data() + at);
            DES_ecb_encrypt(block, block, &schedule, DES_ENCRYPT);
        }
    });
    std::printf("\nCipher pass on %zu bytes: ours %.1f MB/s, OpenSSL DES_ecb_encrypt %.1f MB/s, ratio %.2f\n",
                data.size(), MBps(data.size(), ours), MBps(data.size(), openssl), openssl / ours);
}

struct Child {
    double seconds;
    long maxRssKiB;
    int status;
};

// Runs a command to its end; its standard output goes to /dev/null.
Child Run(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const auto start = Clock::now();
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return {0, 0, -1};
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return {seconds, usage.ru_maxrss, status};
}

double MedianRun(const std::vector<std::string>& command, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(Run(command).seconds);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

void LockJob(const std::string& cli, const std::string& work, const std::vector<std::uint8_t>& page10,
             const std::vector<std::uint8_t>& page100) {
    const std::string page = work + "/page10.html";
    Write(page, page10);
    const std::vector<std::string> lock = {cli, "lock", page, work + "/page10.zvk", "-p", "benchmark"};
    const std::vector<std::string> gzip = {"gzip", "-6", "-c", page};
    (void)Run(lock);
    (void)Run(gzip);
    const double ours = MedianRun(lock, 5);
    const double gz = MedianRun(gzip, 5);
    std::printf("\nWhole lock job on %zu bytes of HTML (load, compress, encipher, write): %.3f s; "
                "gzip -6 of the same file: %.3f s; ratio gzip/ours %.2f\n",
                page10.size(), ours, gz, gz / ours);

    // Measured by GNU time: a child that this large process starts inherits
    // its resident size in the kernel's peak figure, one started by time does not.
    const std::string big = work + "/page100.html";
    Write(big, page100);
    const std::string rssFile = work + "/peak-rss.txt";
    const Child child = Run({"/usr/bin/time", "-f", "%M", "-o", rssFile, cli, "lock", big,
                             work + "/page100.zvk", "-p", "benchmark"});
    long peakKiB = 0;
    if (std::FILE* f = std::fopen(rssFile.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &peakKiB) != 1) peakKiB = 0;
        std::fclose(f);
    }
    const double peakBytes = static_cast<double>(peakKiB) * 1024;
    std::printf("Peak resident memory locking %zu bytes: %.1f MB (page + %.2f MiB)%s\n", page100.size(),
                peakBytes / 1e6, (peakBytes - static_cast<double>(page100.size())) / 1048576.0,
                child.status == 0 && peakKiB > 0 ? "" : "  [lock or measurement FAILED]");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s NEMORA_CLI WORK_FOLDER [PYTHON_DOC_HTML JA_HTML]\n", argv[0]);
        return 2;
    }
    const std::string cli = argv[1];
    const std::string work = argv[2];
    const std::string htmlFolder = argc > 3 ? argv[3] : "/usr/share/doc/python3.11/html";
    const std::string jaFolder = argc > 4 ? argv[4] : "/usr/share/debian-reference";

    std::vector<bench::Corpus> corpora;
    const auto html10 = bench::HtmlFrom(htmlFolder, 10 * kMB);
    if (html10.empty()) {
        std::fprintf(stderr, "no HTML under %s (install python3.11-doc)\n", htmlFolder.c_str());
        return 1;
    }
    corpora.push_back({"html 1 MB", {html10.begin(), html10.begin() + kMB}});
    corpora.push_back({"html 10 MB", html10});
    const auto sjis = bench::ShiftJisFrom(jaFolder, ".ja.html", kMB);
    if (!sjis.empty()) corpora.push_back({"Shift_JIS Japanese 1 MB", sjis});
    for (auto& page : bench::AdversarialPages(1 << 20)) corpora.push_back(std::move(page));

    CompressorTable(corpora);
    CipherTable(html10);
    LockJob(cli, work, html10, bench::HtmlFrom(htmlFolder, 100 * kMB));
    return 0;
}
