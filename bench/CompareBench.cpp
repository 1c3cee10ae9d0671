// Side-by-side figures for the lock engine, in one run on one machine:
// the compressor against the plain reference and zlib, the cipher pass
// against OpenSSL's DES, the whole lock job against gzip -6, and the peak
// memory of locking a 100 MB page. tools/bench.sh installs the corpora's
// packages, builds and runs this. Every step is checked, and the first that
// fails stops the run with no figure for it.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <openssl/des.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <vector>
#include <zlib.h>

#include "bench/Corpus.h"
#include "engine/Key.h"
#include "engine/LockBuffer.h"
#include "engine/PageCipher.h"
#include "tests/support/ReferenceCompressor.h"

extern char** environ;

namespace {

using namespace nemora;
namespace fs = std::filesystem;
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

// A figure of a step that failed would be read as a result, so the bench
// stops on the first failure and prints no figure for it.
[[noreturn]] void Fail(const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "\nnemora_compare: %s\nnemora_compare: stopped; no figure for this step\n",
                 what.c_str());
    std::exit(1);
}

double MBps(std::size_t bytes, double seconds) {
    return static_cast<double>(bytes) / 1e6 / seconds;
}

struct Compressed {
    double seconds;
    std::vector<std::uint8_t> body;
};

Compressed Ours(const std::vector<std::uint8_t>& page,
                const engine::CompressorOptions& options = {}) {
    engine::LockBuffer buffer;
    const double seconds = Median(
        [&] {
            if (buffer.AssignPage(page.data(), page.size()) != engine::Result::Ok)
                Fail("LockBuffer::AssignPage failed on " + std::to_string(page.size()) + " bytes");
        },
        [&] {
            if (const auto result = buffer.Compress(nullptr, options); result != engine::Result::Ok)
                Fail(std::string("LockBuffer::Compress failed: ") + engine::ResultName(result));
        });
    return {seconds, {buffer.Bytes() + 8, buffer.Bytes() + buffer.StreamSize()}};
}

struct Zlib {
    double seconds;
    std::size_t size;
};

Zlib ZlibAt(const std::vector<std::uint8_t>& page, int level) {
    std::vector<Bytef> out(compressBound(page.size()));
    uLongf size = 0;
    const double seconds = Median(
        [] {},
        [&] {
            size = out.size();
            if (const int code = compress2(out.data(), &size, page.data(), page.size(), level);
                code != Z_OK)
                Fail("zlib compress2 at level " + std::to_string(level) +
                     " failed: " + std::to_string(code));
        });
    return {seconds, size};
}

void CompressorTable(const std::vector<bench::Corpus>& corpora) {
    std::printf(
        "\nCompressor (MB/s of page bytes; sizes in bytes; ours on every core, then on one; ref = "
        "plain reference on a 128 KiB prefix; same = one thread and every core wrote the "
        "reference's bytes)\n");
    std::printf("%-32s %10s %9s %9s %10s %9s %6s %9s %9s %9s %9s %9s %9s %9s %7s %7s %7s\n", "page",
                "bytes", "ours", "1 thread", "ours size", "ref", "same", "zlib-1", "z1 size",
                "zlib-6", "z6 size", "zlib-9", "z9 size", "", "/z6", "/z9", "1t/z6");
    engine::CompressorOptions oneThread;
    oneThread.threads = 1;
    double worstRate = 0;
    std::string worst;
    for (const auto& corpus : corpora) {
        const auto& page = corpus.page;
        const Compressed ours = Ours(page);
        const Compressed single = Ours(page, oneThread);
        if (single.body != ours.body)
            Fail("one thread and every core wrote different bytes for " + corpus.name);
        const std::vector<std::uint8_t> prefix(
            page.begin(),
            page.begin() + static_cast<std::ptrdiff_t>(std::min(page.size(), kReferencePrefix)));
        std::vector<std::uint8_t> reference;
        const double refSeconds =
            Median([] {}, [&] { reference = test::ReferenceCompress(prefix); });
        if (reference.empty())
            Fail("the plain reference compressor gave nothing for " + corpus.name);
        const bool same =
            Ours(prefix).body == reference && Ours(prefix, oneThread).body == reference;
        const Zlib z1 = ZlibAt(page, 1), z6 = ZlibAt(page, 6), z9 = ZlibAt(page, 9);
        const double ourRate = MBps(page.size(), ours.seconds);
        const double singleRate = MBps(page.size(), single.seconds);
        const double z6Rate = MBps(page.size(), z6.seconds);
        std::printf(
            "%-32s %10zu %9.1f %9.1f %10zu %9.2f %6s %9.1f %9zu %9.1f %9zu %9.1f %9zu %9s %7.2f "
            "%7.2f %7.2f\n",
            corpus.name.c_str(), page.size(), ourRate, singleRate, ours.body.size(),
            MBps(prefix.size(), refSeconds), same ? "yes" : "NO", MBps(page.size(), z1.seconds),
            z1.size, z6Rate, z6.size, MBps(page.size(), z9.seconds), z9.size, "", ourRate / z6Rate,
            ourRate / MBps(page.size(), z9.seconds), singleRate / z6Rate);
        std::fflush(stdout);
        if (worst.empty() || singleRate < worstRate) {
            worstRate = singleRate;
            worst = corpus.name;
        }
    }
    std::printf("Slowest page on one thread: %s, %.1f MB/s\n", worst.c_str(), worstRate);
}

// Runs `each` on every page, on `threads` threads taking pages in turn.
void OverPages(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& each) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) each(i);
    };
    std::vector<std::thread> others;
    for (unsigned t = 1; t < threads; ++t) others.emplace_back(work);
    work();
    for (auto& t : others) t.join();
}

// The python3.11-doc tree page by page, as a whole-site lock compresses it:
// each page on one thread, the pages spread over the cores; zlib the same way.
void TreeTable(const std::string& htmlFolder) {
    const auto pages = bench::HtmlPagesFrom(htmlFolder);
    std::size_t bytes = 0;
    for (const auto& page : pages) bytes += page.size();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    engine::CompressorOptions oneThread;
    oneThread.threads = 1;
    std::vector<engine::LockBuffer> buffers(pages.size());
    std::vector<std::vector<Bytef>> zout(pages.size());
    auto ours = [&](unsigned threads) {
        return Median(
            [&] {
                for (std::size_t i = 0; i < pages.size(); ++i)
                    if (buffers[i].AssignPage(pages[i].data(), pages[i].size()) !=
                        engine::Result::Ok)
                        Fail("LockBuffer::AssignPage failed on a page of the tree");
            },
            [&] {
                OverPages(pages.size(), threads, [&](std::size_t i) {
                    if (buffers[i].Compress(nullptr, oneThread) != engine::Result::Ok)
                        Fail("LockBuffer::Compress failed on a page of the tree");
                });
            });
    };
    auto zlib = [&](unsigned threads) {
        return Median([] {},
                      [&] {
                          OverPages(pages.size(), threads, [&](std::size_t i) {
                              zout[i].resize(compressBound(pages[i].size()));
                              uLongf size = zout[i].size();
                              if (compress2(zout[i].data(), &size, pages[i].data(), pages[i].size(),
                                            6) != Z_OK)
                                  Fail("zlib compress2 failed on a page of the tree");
                          });
                      });
    };
    const double ours1 = MBps(bytes, ours(1)), oursAll = MBps(bytes, ours(cores));
    const double z1 = MBps(bytes, zlib(1)), zAll = MBps(bytes, zlib(cores));
    std::printf(
        "\n%s page by page (%zu pages, %zu bytes), MB/s: ours %.1f on one thread, %.1f on %u; "
        "zlib-6 %.1f on one thread, %.1f on %u; ours on %u / zlib-6 on one %.2f, one / one "
        "%.2f, %u / %u %.2f\n",
        htmlFolder.c_str(), pages.size(), bytes, ours1, oursAll, cores, z1, zAll, cores, cores,
        oursAll / z1, ours1 / z1, cores, cores, oursAll / zAll);
}

void CipherTable(const std::vector<std::uint8_t>& page) {
    std::vector<std::uint8_t> data(page.begin(),
                                   page.begin() + static_cast<std::ptrdiff_t>(page.size() / 8 * 8));
    const engine::PageCipher cipher(engine::DeriveKey("benchmark"));
    const double ours = Median(
        [] {},
        [&] {
            if (const auto result = cipher.Encipher(data.data(), data.size(), nullptr);
                result != engine::Result::Ok)
                Fail(std::string("PageCipher::Encipher failed: ") + engine::ResultName(result));
        });

    DES_cblock key = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    const double openssl = Median([] {},
                                  [&] {
                                      for (std::size_t at = 0; at < data.size(); at += 8) {
                                          auto* block =
                                              reinterpret_cast<DES_cblock*>(data.data() + at);
                                          DES_ecb_encrypt(block, block, &schedule, DES_ENCRYPT);
                                      }
                                  });
    std::printf(
        "\nCipher pass on %zu bytes: ours %.1f MB/s, OpenSSL DES_ecb_encrypt %.1f MB/s, ratio "
        "%.2f\n",
        data.size(), MBps(data.size(), ours), MBps(data.size(), openssl), openssl / ours);
}

std::string Shown(const std::vector<std::string>& command) {
    std::string text;
    for (const auto& a : command) text += (text.empty() ? "" : " ") + a;
    return text;
}

std::string Tail(const std::string& path, std::size_t most) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() > most) text = "..." + text.substr(text.size() - most);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// One external command the bench times: what it must leave behind (files
// that exist and are not empty) besides a zero exit status, and where its
// standard output goes.
struct Command {
    std::vector<std::string> argv;
    std::vector<std::string> outputs;
    std::string stdoutPath = "/dev/null";
};

void RequireFile(const std::string& path, const std::string& who) {
    std::error_code error;
    const bool regular = fs::is_regular_file(path, error);
    const auto size = regular ? fs::file_size(path, error) : 0;
    if (!regular || error || size == 0)
        Fail("\"" + who + "\" ended with status 0 but left " + path +
             (regular ? " empty" : " missing"));
}

// Runs the command to its end and returns its wall-clock seconds. Its standard
// error goes to `errPath`, to be shown if it fails. Stops the bench when it
// cannot start, ends by a signal or with a non-zero status, or does not leave
// its outputs; outputs are removed first so that a stale file proves nothing.
double Run(const Command& command, const std::string& errPath) {
    for (const auto& out : command.outputs) {
        std::error_code ignored;
        fs::remove(out, ignored);
    }
    std::vector<char*> argv;
    for (const auto& a : command.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, command.stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const std::string shown = Shown(command.argv);
    pid_t pid = 0;
    const auto start = Clock::now();
    const int spawnError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) Fail("\"" + shown + "\" could not start: " + std::strerror(spawnError));
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        Fail("\"" + shown + "\": waitpid failed: " + std::strerror(errno));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const std::string how = WIFEXITED(status)
                                    ? "exited with status " + std::to_string(WEXITSTATUS(status))
                                    : "was killed by signal " + std::to_string(WTERMSIG(status));
        const std::string err = Tail(errPath, 2000);
        Fail("\"" + shown + "\" " + how +
             (err.empty() ? "; it wrote nothing on standard error"
                          : "; its standard error:\n" + err));
    }
    for (const auto& out : command.outputs) RequireFile(out, shown);
    return seconds;
}

double MedianRun(const Command& command, const std::string& errPath, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(Run(command, errPath));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) Fail("cannot write " + path);
}

// The external commands of the whole lock job, all in the work folder.
// The password comes from a file (12 characters or more, so the command
// line has no short-password warning to print) and the command stays
// shown whole in a failure report.
class LockCommands {
public:
    LockCommands(std::string cli, std::string work) : cli_(std::move(cli)), work_(std::move(work)) {
        const std::string password = "benchmark password";
        Write(PasswordFile(), {password.begin(), password.end()});
    }

    std::string ErrPath() const { return Path("stderr.txt"); }

    // Publishes work/NAME.html into work/NAME-site in the classic form: the
    // data file and the loader page must be there afterwards.
    Command Lock(const std::string& name) const {
        const std::string site = work_ + "/" + name + "-site";
        return {{cli_, "lock", "--classic", work_ + "/" + name + ".html", "-o", site,
                 "--password-file", PasswordFile()},
                {site + "/" + name + ".zvk", site + "/" + name + ".html"}};
    }

    Command Gzip(const std::string& name) const {
        const std::string gz = work_ + "/" + name + ".html.gz";
        return {{"gzip", "-6", "-c", work_ + "/" + name + ".html"}, {gz}, gz};
    }

    // The lock under GNU time, which writes the child's peak resident size
    // in KiB to `rssFile`.
    Command TimedLock(const std::string& name, const std::string& rssFile) const {
        Command lock = Lock(name);
        lock.argv.insert(lock.argv.begin(), {"/usr/bin/time", "-f", "%M", "-o", rssFile});
        lock.outputs.push_back(rssFile);
        return lock;
    }

    std::string Path(const std::string& file) const { return work_ + "/" + file; }
    std::string Page(const std::string& name) const { return Path(name + ".html"); }

private:
    std::string PasswordFile() const { return work_ + "/password.txt"; }

    std::string cli_;
    std::string work_;
};

// A small lock and gzip before the long tables, so that a command line the
// bench no longer matches stops it at once instead of after the tables.
void CheckCommands(const LockCommands& commands) {
    const std::string text = "<html><body><p>check</p></body></html>\n";
    Write(commands.Page("check"), {text.begin(), text.end()});
    (void)Run(commands.Lock("check"), commands.ErrPath());
    (void)Run(commands.Gzip("check"), commands.ErrPath());
}

// Peak resident KiB of one timed lock, as GNU time wrote it.
long PeakKiB(const LockCommands& commands, const std::string& name, double& seconds) {
    const std::string rssFile = commands.Path("peak-rss.txt");
    const Command timed = commands.TimedLock(name, rssFile);
    seconds = Run(timed, commands.ErrPath());
    long peakKiB = 0;
    if (std::FILE* f = std::fopen(rssFile.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &peakKiB) != 1) peakKiB = 0;
        std::fclose(f);
    }
    if (peakKiB <= 0)
        Fail("\"" + Shown(timed.argv) + "\" left no peak size in " + rssFile + ": " +
             Tail(rssFile, 500));
    return peakKiB;
}

void LockJob(const LockCommands& commands, const std::vector<std::uint8_t>& page10) {
    Write(commands.Page("page10"), page10);
    const Command lock = commands.Lock("page10");
    const Command gzip = commands.Gzip("page10");
    (void)Run(lock, commands.ErrPath());
    (void)Run(gzip, commands.ErrPath());
    const double ours = MedianRun(lock, commands.ErrPath(), 5);
    const double gz = MedianRun(gzip, commands.ErrPath(), 5);
    std::printf(
        "\nWhole lock job on %zu bytes of HTML (nemora-cli lock --classic: load, compress, "
        "encipher, write the data file and the loader files): %.3f s; gzip -6 of the "
        "same file into a file: %.3f s; ratio gzip/ours %.2f\n",
        page10.size(), ours, gz, gz / ours);
}

// Peak memory and time of whole locks as the page grows, against the
// program's own baseline (a lock of a page of a few bytes). Measured by GNU
// time: a child that this large process starts inherits its resident size in
// the kernel's peak figure, one started by time does not.
void ScalingTable(const LockCommands& commands, const std::string& htmlFolder) {
    double seconds = 0;
    const double baseMiB = static_cast<double>(PeakKiB(commands, "check", seconds)) / 1024.0;
    std::printf(
        "\nLocking N bytes of HTML: peak resident memory over N and over the baseline of a "
        "tiny page (%.2f MiB), and time per MB\n",
        baseMiB);
    std::printf("%10s %9s %10s %12s %10s\n", "N", "seconds", "ms per MB", "peak MiB",
                "over N+base");
    for (const std::size_t mb : {1, 3, 10, 30, 100}) {
        const std::string name = "scale" + std::to_string(mb);
        Write(commands.Page(name), bench::HtmlFrom(htmlFolder, mb * kMB));
        std::vector<double> times;
        long peak = 0;
        for (int i = 0; i < 3; ++i) {
            peak = std::max(peak, PeakKiB(commands, name, seconds));
            times.push_back(seconds);
        }
        std::sort(times.begin(), times.end());
        const double peakMiB = static_cast<double>(peak) / 1024.0;
        const double pageMiB = static_cast<double>(mb * kMB) / 1048576.0;
        std::printf("%10zu %9.3f %10.2f %12.2f %10.2f\n", mb * kMB, times[1],
                    times[1] * 1000.0 / static_cast<double>(mb), peakMiB,
                    peakMiB - pageMiB - baseMiB);
        std::fflush(stdout);
        std::error_code ignored;
        fs::remove(commands.Page(name), ignored);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s NEMORA_CLI WORK_FOLDER [PYTHON_DOC_HTML JA_HTML]\n",
                     argv[0]);
        return 2;
    }
    const std::string cli = argv[1];
    const std::string work = argv[2];
    const std::string htmlFolder = argc > 3 ? argv[3] : "/usr/share/doc/python3.11/html";
    const std::string jaFolder = argc > 4 ? argv[4] : "/usr/share/debian-reference";

    std::error_code error;
    fs::create_directories(work, error);
    if (error) Fail("cannot make the work folder " + work + ": " + error.message());
    const LockCommands commands(cli, work);
    CheckCommands(commands);

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
    TreeTable(htmlFolder);
    CipherTable(html10);
    LockJob(commands, html10);
    ScalingTable(commands, htmlFolder);
    return 0;
}
