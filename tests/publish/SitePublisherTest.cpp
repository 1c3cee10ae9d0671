#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "engine/posix/DurableFileLayer.h"
#include "engine/strong/SealedFileReader.h"
#include "engine/strong/SealedScript.h"
#include "publish/EncodingSniffer.h"
#include "publish/SiteManifest.h"
#include "publish/SitePathGlob.h"
#include "publish/SitePublisher.h"
#include "publish/SiteSealer.h"
#include "publish/SiteWalker.h"
#include "publish/StrongPage.h"
#include "tests/support/FaultyFileLayer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"
#include "tests/support/UnwritableFolder.h"

namespace nemora::publish {
namespace {

namespace fs = std::filesystem;
using Problem = SiteWalker::Problem;

// A site run's publication with the password "secret" and every other
// choice a first start's; the run writes it through its own layer.
std::shared_ptr<const Publication> SecretPublication() {
    PublicationOptions choices;
    choices.password = "secret";
    return Publication::Make(std::move(choices), PublicationWriter(engine::FileLayer::System()))
        .publication;
}

const char* NameOf(Problem problem) {
    switch (problem) {
        case Problem::DanglingLink:
            return "dangling";
        case Problem::OutsideSite:
            return "outside";
        case Problem::LinkLoop:
            return "loop";
        case Problem::IntoOutput:
            return "into output";
        case Problem::NotAFile:
            return "not a file";
        case Problem::Unreadable:
            return "unreadable";
    }
    return "?";
}

// A site with every kind of link an author's tree may hold: inside and
// outside, to files and folders, dangling, looping, into the output folder.
// Outside it: `elsewhere/` (a page and a script folder, as a packaged
// library is linked into a site) and `published/site/`, where the site is
// published (a file there from an earlier run).
class SiteFixture : public ::testing::Test {
protected:
    void SetUp() override {
        top = fs::canonical(dir.Path());
        site = top / "site";
        out = top / "published" / "site";
        fs::create_directories(site / "docs");
        fs::create_directories(top / "elsewhere" / "lib");
        fs::create_directories(out);
        Put("site/index.html", test::HtmlPage(3000, 61));
        Put("site/docs/guide.html", test::HtmlPage(2000, 62));
        Put("site/docs/logo.png", test::RandomBytes(500, 63));
        Put("elsewhere/page.html", test::HtmlPage(2500, 64));
        Put("elsewhere/lib/lib.js", test::Bytes("window.$ = function () {};\n"));
        Put("published/site/earlier.css", test::Bytes("p {}\n"));
        fs::create_symlink(site / "docs" / "logo.png", site / "alias.png");
        fs::create_symlink("missing.png", site / "dangling.png");
        fs::create_symlink("..", site / "docs" / "up");
        fs::create_symlink(top, site / "home");
        fs::create_symlink(top / "elsewhere" / "lib", site / "lib");
        fs::create_symlink(site, top / "elsewhere" / "lib" / "back");
        fs::create_symlink(top / "published", site / "mirror");
        fs::create_symlink(out / "earlier.css", site / "earlier.css");
        fs::create_symlink(top / "elsewhere" / "page.html", site / "outside.html");
        ASSERT_EQ(::mkfifo((site / "pipe").c_str(), 0600), 0);
    }

    void Put(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
        dir.Write(relative, bytes);
    }

    // Every event of a walk, one line each, in order.
    std::vector<std::string> Walk(bool followOutsideLinks) const {
        SiteWalker::Rules rules;
        rules.followOutsideLinks = followOutsideLinks;
        rules.outputFolder = out.string();
        std::vector<std::string> events;
        SiteWalker::Callbacks callbacks;
        callbacks.folder = [&](const std::string& relative) {
            events.push_back("folder " + relative);
            return true;
        };
        callbacks.file = [&](const SiteWalker::File& file) {
            events.push_back("file " + file.relative + (file.page ? " page" : "") +
                             (file.outside.empty() ? "" : " from " + file.outside));
        };
        callbacks.problem = [&](const std::string& relative, Problem problem) {
            events.push_back("skip " + relative + ": " + NameOf(problem));
        };
        EXPECT_TRUE(SiteWalker::Walk(site.string(), rules, callbacks));
        return events;
    }

    SitePublisher::Options Options() const {
        SitePublisher::Options options;
        options.site = site.string();
        options.out = out.string();
        options.jobs = 2;
        options.publication = SecretPublication();
        return options;
    }

    // The programs' layer, as the command line's site run has it.
    engine::posix::DurableFileLayer files{0666, engine::posix::DurableFileLayer::Flush::Deferred};
    test::TempDir dir;
    fs::path top;
    fs::path site;
    fs::path out;
};

// Outside links are followed as a web server that follows links would (what
// they reach keeps the name it has in the site), or reported when asked;
// dangling links, loops (a folder being walked or one holding the site),
// links into the output folder and pipes are reported in every case.
TEST_F(SiteFixture, WalkFollowsOutsideLinksAndReportsTheRest) {
    const std::string elsewhere = (top / "elsewhere").string();
    const std::vector<std::string> followed = {
        "file alias.png",
        "skip dangling.png: dangling",
        "folder docs",
        "file docs/guide.html page",
        "file docs/logo.png",
        "skip docs/up: loop",
        "skip earlier.css: into output",
        "skip home: loop",
        "file index.html page",
        "folder lib",
        "skip lib/back: loop",
        "file lib/lib.js from " + elsewhere + "/lib/lib.js",
        "skip mirror: into output",
        "file outside.html page from " + elsewhere + "/page.html",
        "skip pipe: not a file",
    };
    const std::vector<std::string> kept = {
        "file alias.png",
        "skip dangling.png: dangling",
        "folder docs",
        "file docs/guide.html page",
        "file docs/logo.png",
        "skip docs/up: loop",
        "skip earlier.css: outside",
        "skip home: outside",
        "file index.html page",
        "skip lib: outside",
        "skip mirror: outside",
        "skip outside.html: outside",
        "skip pipe: not a file",
    };
    struct Row {
        const char* name;
        bool follow;
        const std::vector<std::string>& events;
    };
    for (const Row& row : {Row{"followed", true, followed}, Row{"not followed", false, kept}}) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> expected = {"folder "};
        expected.insert(expected.end(), row.events.begin(), row.events.end());
        EXPECT_EQ(Walk(row.follow), expected);
    }
}

// What an outside link reaches is published and copied, never hard-linked
// (the mirror must not share a package's file); a link inside the site
// gives a file in the mirror, not a link.
TEST_F(SiteFixture, PublishesWhatOutsideLinksReachAsCopies) {
    SitePublisher::Options options = Options();
    options.link = true;
    SitePublisher::Progress progress;
    const SitePublisher::Summary summary = SitePublisher(files).Run(options, progress);

    EXPECT_TRUE(summary.failures.empty());
    EXPECT_TRUE(summary.unreadable.empty());
    EXPECT_FALSE(summary.outputStop);
    EXPECT_EQ(summary.pages, 3u);
    EXPECT_EQ(summary.published, 3u);
    EXPECT_EQ(summary.copied, 3u);
    const std::vector<std::pair<std::string, std::string>> outside = {
        {"lib/lib.js", (top / "elsewhere/lib/lib.js").string()},
        {"outside.html", (top / "elsewhere/page.html").string()}};
    EXPECT_EQ(summary.outside, outside);
    EXPECT_EQ(summary.skipped.size(), 7u);

    EXPECT_TRUE(fs::exists(out / "outside.zvk"));
    struct stat copy {};
    ASSERT_EQ(::lstat((out / "lib/lib.js").c_str(), &copy), 0);
    EXPECT_TRUE(S_ISREG(copy.st_mode));
    EXPECT_EQ(copy.st_nlink, 1u) << "copied, not linked";
    EXPECT_EQ(test::ReadAll((out / "lib/lib.js").string()),
              test::ReadAll((top / "elsewhere/lib/lib.js").string()));

    struct stat alias {};
    struct stat logo {};
    ASSERT_EQ(::lstat((out / "alias.png").c_str(), &alias), 0);
    ASSERT_EQ(::stat((site / "docs/logo.png").c_str(), &logo), 0);
    EXPECT_TRUE(S_ISREG(alias.st_mode)) << "a file, not a symbolic link";
    EXPECT_EQ(alias.st_ino, logo.st_ino) << "--link links the file the link names";
}

// An output that cannot be written ends the run at the first file that
// meets the cause, once, whoever meets it; a folder of the mirror that a
// file stands in the way of fails alone.
TEST_F(SiteFixture, AnOutputThatCannotBeWrittenStopsTheRunOnce) {
    for (int i = 0; i < 20; ++i) {
        Put("site/docs/extra" + std::to_string(i) + ".html", test::HtmlPage(800, 70 + i));
    }
    const auto denied = [](int error) { return error == EACCES || error == EPERM; };
    const auto inTheWay = [](int error) { return error == ENOTDIR || error == EEXIST; };
    {
        SCOPED_TRACE("a file where the output folder must go");
        fs::remove_all(out);
        Put("published/site", test::Bytes("a file"));
        SitePublisher::Progress progress;
        const SitePublisher::Summary summary = SitePublisher(files).Run(Options(), progress);
        ASSERT_TRUE(summary.outputStop);
        EXPECT_EQ(summary.outputStop->path, out.string());
        EXPECT_TRUE(inTheWay(summary.outputStop->error)) << summary.outputStop->error;
        EXPECT_TRUE(summary.failures.empty());
        fs::remove(out);
        fs::create_directory(out);
    }
    for (const fs::path& locked : {out, out / "docs"}) {
        SCOPED_TRACE(locked);
        fs::create_directories(locked);
        const test::UnwritableFolder unwritable(locked);
        if (!unwritable.Made()) GTEST_SKIP() << "no way to make a folder unwritable here";
        SitePublisher::Progress progress;
        const SitePublisher::Summary summary = SitePublisher(files).Run(Options(), progress);
        ASSERT_TRUE(summary.outputStop);
        EXPECT_EQ(summary.outputStop->path, locked.string());
        EXPECT_TRUE(denied(summary.outputStop->error)) << summary.outputStop->error;
        EXPECT_TRUE(summary.failures.empty()) << summary.failures.front().relative;
    }
    {
        SCOPED_TRACE("a file where a folder of the mirror must go");
        fs::remove_all(out);
        fs::create_directory(out);
        Put("published/site/docs", test::Bytes("a file"));
        SitePublisher::Progress progress;
        const SitePublisher::Summary summary = SitePublisher(files).Run(Options(), progress);
        EXPECT_FALSE(summary.outputStop);
        ASSERT_EQ(summary.failures.size(), 1u);
        EXPECT_EQ(summary.failures[0].relative, "docs");
        EXPECT_EQ(summary.failures[0].result, engine::Result::CannotMakeFolder);
        EXPECT_TRUE(inTheWay(summary.failures[0].error)) << summary.failures[0].error;
        EXPECT_TRUE(fs::exists(out / "index.zvk"));
        EXPECT_TRUE(fs::exists(out / "lib/lib.js"));
    }
}

// A plain site of three folders, run on one worker through the faulty file
// layer, so that a fault or a stop falls at a known file. The walk meets:
// docs/ (its shared files, guide.html, logo.png), docs/more/ (its shared
// files, notes.html), then the top's shared files, index.html, style.css.
class SiteRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        site = dir.Path() / "site";
        out = dir.Path() / "out";
        fs::create_directories(site / "docs" / "more");
        dir.Write("site/index.html", test::HtmlPage(3000, 81));
        dir.Write("site/docs/guide.html", test::HtmlPage(2000, 82));
        dir.Write("site/docs/more/notes.html", test::HtmlPage(2500, 83));
        dir.Write("site/docs/logo.png", test::RandomBytes(5000, 84));
        dir.Write("site/style.css", test::Bytes("p { margin: 0 }\n"));
    }

    SitePublisher::Summary Run(test::FaultyFileLayer& files) {
        SitePublisher::Options options;
        options.site = site.string();
        options.out = out.string();
        options.jobs = 1;
        options.publication = SecretPublication();
        options.stop = &stop;
        progress.emplace();
        return SitePublisher(files).Run(options, *progress);
    }

    // What a reader of the mirror may rely on after any run: no temporary
    // file, no loader page without its data file (written first), each copy
    // whole.
    void ExpectWholeFiles() const {
        for (const auto& entry : fs::recursive_directory_iterator(out)) {
            const std::string path = entry.path().string();
            EXPECT_FALSE(path.ends_with(".tmp")) << path;
            if (path.ends_with(".html")) {
                EXPECT_TRUE(fs::exists(path.substr(0, path.size() - 5) + ".zvk")) << path;
            } else if (path.ends_with(".png") || path.ends_with(".css")) {
                const fs::path source = site / fs::relative(entry.path(), out);
                EXPECT_EQ(test::ReadAll(path), test::ReadAll(source.string())) << path;
            }
        }
    }

    test::TempDir dir;
    fs::path site;
    fs::path out;
    std::atomic<bool> stop{false};
    std::optional<SitePublisher::Progress> progress;
};

// A file that cannot be made, written or committed fails alone, named by the
// page, the copy or (for the shared files) the file; the run goes on and
// every other file is whole. A full disk fails every later file alike: the
// run stops there once, naming the folder.
TEST_F(SiteRunTest, AWriteFailureInTheMiddleFailsItsFileOrStopsTheRun) {
    using engine::Result;
    struct Row {
        const char* name;
        test::Faults faults;
        std::string failed;  // relative name listed; empty: the run stops
        Result result;
    };
    const std::string docs = (out / "docs").string();
    const Row rows[] = {
        {"page: create",
         {.failCreate = true, .only = "docs/guide.html"},
         "docs/guide.html",
         Result::CannotCreate},
        {"page: write",
         {.failWriteAt = 1, .only = "docs/guide.zvk"},
         "docs/guide.html",
         Result::CannotCreate},
        {"page: commit",
         {.failCommit = true, .only = "docs/guide.html"},
         "docs/guide.html",
         Result::FileError},
        {"page: disk full", {.fullDiskAt = 1, .only = "docs/guide.html"}, "", Result::Ok},
        {"copy: create",
         {.failCreate = true, .only = "docs/logo.png"},
         "docs/logo.png",
         Result::CannotCreate},
        {"copy: write",
         {.failWriteAt = 1, .only = "docs/logo.png"},
         "docs/logo.png",
         Result::FileHardIo},
        {"copy: commit",
         {.failCommit = true, .only = "docs/logo.png"},
         "docs/logo.png",
         Result::FileError},
        {"copy: disk full", {.fullDiskAt = 1, .only = "docs/logo.png"}, "", Result::Ok},
        {"shared: create",
         {.failCreate = true, .only = "docs/decoder.jar"},
         docs + "/",
         Result::CannotCreate},
        {"shared: write",
         {.failWriteAt = 1, .only = "docs/decoder.htm"},
         docs + "/decoder.htm",
         Result::FileHardIo},
        {"shared: commit",
         {.failCommit = true, .only = "docs/decoder.jar"},
         docs + "/decoder.jar",
         Result::FileError},
        {"shared: disk full", {.fullDiskAt = 1, .only = "docs/decoder.htm"}, "", Result::Ok},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(out);
        test::FaultyFileLayer files(row.faults);
        const SitePublisher::Summary summary = Run(files);
        ExpectWholeFiles();
        EXPECT_FALSE(summary.stopped);
        if (row.failed.empty()) {
            ASSERT_TRUE(summary.outputStop);
            EXPECT_EQ(summary.outputStop->path, docs);
            EXPECT_EQ(summary.outputStop->error, ENOSPC);
            EXPECT_TRUE(summary.failures.empty());
            EXPECT_FALSE(fs::exists(out / "index.zvk")) << "nothing new is begun";
            continue;
        }
        EXPECT_FALSE(summary.outputStop);
        ASSERT_EQ(summary.failures.size(), 1u);
        EXPECT_EQ(summary.failures[0].relative, row.failed);
        EXPECT_EQ(summary.failures[0].result, row.result);
        const bool page = row.failed == "docs/guide.html";
        const bool copy = row.failed == "docs/logo.png";
        EXPECT_EQ(summary.published, page ? 2u : 3u);
        EXPECT_EQ(summary.copied, copy ? 1u : 2u);
        EXPECT_EQ(fs::exists(out / "docs/guide.html"), !page);
        EXPECT_EQ(fs::exists(out / "docs/logo.png"), !copy);
        EXPECT_TRUE(fs::exists(out / "docs/more/notes.zvk")) << "the run goes on";
        EXPECT_TRUE(fs::exists(out / "style.css"));
    }
}

// A stop finishes the file in hand, whole, and begins nothing new, in
// whichever phase it comes; one that comes once every file is done leaves
// nothing undone.
TEST_F(SiteRunTest, AStopInEachPhaseFinishesTheFileInHand) {
    const std::string docs = (out / "docs").string();
    struct Row {
        const char* name;
        // Whether the call with this path asks to stop; none: before the run.
        std::function<bool(const std::string& path)> stopsAt;
        std::uint64_t published;
        std::uint64_t copied;
        bool stopped;
        bool moreLeftOut = false;  // docs/more/ never made (else the feed may be ahead)
    };
    const Row rows[] = {
        {"before the run", nullptr, 0, 0, true, true},
        {"at the first mirror folder, the walk done",
         [&](const std::string& path) {
             if (path != docs + "/") return false;
             while (!progress->walked) std::this_thread::yield();
             return true;
         },
         0, 0, true, true},
        {"at a mirror folder",
         [&](const std::string& path) {
             // The feed makes it while the worker may still be in docs/:
             // the stop comes once the worker is done with logo.png.
             if (path != docs + "/more/") return false;
             while (!fs::exists(out / "docs/logo.png")) std::this_thread::yield();
             return true;
         },
         1, 1, true},
        {"at the shared files",
         [&](const std::string& path) { return path == docs + "/decoder.htm"; }, 0, 0, true},
        {"at a page", [&](const std::string& path) { return path == docs + "/guide.zvk"; }, 1, 0,
         true},
        {"at a copy", [&](const std::string& path) { return path == docs + "/logo.png"; }, 1, 1,
         true},
        {"at the flush, all done",
         [&](const std::string& path) {
             return path == out.string() && fs::exists(out / "style.css");
         },
         3, 2, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(out);
        stop = !row.stopsAt;
        test::FaultyFileLayer files;
        files.onPath = [&](const std::string& path) {
            if (row.stopsAt && row.stopsAt(path)) stop = true;
        };
        const SitePublisher::Summary summary = Run(files);
        ExpectWholeFiles();
        EXPECT_EQ(summary.stopped, row.stopped);
        EXPECT_EQ(summary.published, row.published);
        EXPECT_EQ(summary.copied, row.copied);
        EXPECT_TRUE(summary.failures.empty());
        EXPECT_FALSE(summary.outputStop);
        if (!row.stopsAt) {
            EXPECT_TRUE(test::Entries(out).empty()) << "not even a folder";
        }
        if (row.moreLeftOut) {
            EXPECT_FALSE(fs::exists(out / "docs/more")) << "nor a folder";
        }
    }
}

// The one walk counts what the progress display shows as its totals: every
// page, and the bytes of pages and copies alike.
TEST_F(SiteRunTest, TheWalkCountsTheTotalsOfTheProgressDisplay) {
    test::FaultyFileLayer files;
    ASSERT_TRUE(Run(files).failures.empty());
    EXPECT_TRUE(progress->walked);
    EXPECT_EQ(progress->pagesFound, 3u);
    EXPECT_EQ(progress->bytesFound, 3000u + 2000 + 2500 + 5000 + 16);
    EXPECT_EQ(progress->bytesDone, progress->bytesFound);
}

// Every file of a run is committed before the one flush of the output at the
// end; the durable layer's deferred files are whole on their commit.
TEST_F(SiteRunTest, TheDeferredFlushComesOnceAfterTheLastFile) {
    test::FaultyFileLayer files;
    const SitePublisher::Summary summary = Run(files);
    ASSERT_TRUE(summary.failures.empty());
    // Three pages (loader page and data file), two copies, three folders'
    // decoder.htm and decoder.jar.
    EXPECT_EQ(files.commits, 3u * 2 + 2 + 3u * 2);
    EXPECT_EQ(files.flushed, std::vector<std::string>{out.string()});
    EXPECT_EQ(files.commitsAtFlush, files.commits);

    fs::remove_all(out);
    engine::posix::DurableFileLayer deferred(0666,
                                             engine::posix::DurableFileLayer::Flush::Deferred);
    SitePublisher::Options options;
    options.site = site.string();
    options.out = out.string();
    options.publication = SecretPublication();
    SitePublisher::Progress counters;
    ASSERT_TRUE(SitePublisher(deferred).Run(options, counters).failures.empty());
    ExpectWholeFiles();
    EXPECT_TRUE(deferred.FlushAll(out.string()));
    EXPECT_FALSE(deferred.FlushAll((dir.Path() / "missing").string()));
}

// A site run in the strong form, with the key derived at its cheapest.
std::shared_ptr<Publication> StrongPublication() {
    PublicationOptions choices;
    choices.password = "secret";
    choices.strong = true;
    choices.kdf = {engine::strong::kLeastMemoryKiB, engine::strong::kLeastPasses, 1};
    auto made =
        Publication::Make(std::move(choices), PublicationWriter(engine::FileLayer::System()));
    EXPECT_EQ(made.publication->DeriveKey(nullptr), engine::Result::Ok);
    return made.publication;
}

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// A sealed site as authors have them: pages in nested folders, a
// stylesheet, an image, a download, and files the author leaves public.
class SealedSiteTest : public ::testing::Test {
protected:
    struct File {
        const char* relative;
        std::vector<std::uint8_t> bytes;
        bool isPublic;
    };

    void SetUp() override {
        site = dir.Path() / "site";
        out = dir.Path() / "out";
        fs::create_directories(site);
        for (const File& file : Files()) {
            fs::create_directories((site / file.relative).parent_path());
            dir.Write("site/" + std::string(file.relative), file.bytes);
        }
    }

    static const std::vector<File>& Files() {
        static const std::vector<File> files = {
            {"index.html", test::HtmlPage(3000, 71), false},
            {"docs/guide.html", test::HtmlPage(2500, 72), false},
            {"docs/style.css", test::Bytes("body { color: #123456; } /* the site's own look */\n"),
             false},
            {"docs/img/logo.png", test::RandomBytes(1200, 73), false},
            {"downloads/report.pdf", test::RandomBytes(900, 74), false},
            {"robots.txt", test::Bytes("User-agent: *\nDisallow: /downloads/\n"), true},
            {"welcome/landing.html", test::HtmlPage(1500, 75), true},
        };
        return files;
    }

    SitePublisher::Summary Run(const std::vector<std::string>& publicGlobs) {
        SitePublisher::Options options;
        options.site = site.string();
        options.out = out.string();
        options.jobs = 2;
        options.publication = publication;
        options.publicGlobs = publicGlobs;
        SitePublisher::Progress progress;
        return SitePublisher(files).Run(options, progress);
    }

    // The payload of the sealed script at `path`, sealed for `aad` under
    // the name `name`; nothing when any step fails.
    std::optional<std::vector<std::uint8_t>> Open(const fs::path& path, const std::string& name,
                                                  const std::string& aad) const {
        if (!fs::exists(path)) return std::nullopt;
        std::string named;
        std::vector<std::uint8_t> sealed;
        if (engine::strong::ReadSealedScript(Text(test::ReadAll(path.string())), named, sealed) !=
                engine::Result::Ok ||
            named != name) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> payload;
        if (engine::strong::SealedFileReader(*keys).Open(sealed.data(), sealed.size(), aad,
                                                         payload) != engine::Result::Ok) {
            return std::nullopt;
        }
        return payload;
    }

    fs::path SealedPath(const std::string& relative) const {
        const std::string name = keys->NameOf(relative);
        return out / "nemora-sealed" / name.substr(0, 2) / (name + ".js");
    }

    engine::posix::DurableFileLayer files{0666, engine::posix::DurableFileLayer::Flush::Deferred};
    test::TempDir dir;
    fs::path site;
    fs::path out;
    std::shared_ptr<const Publication> publication = StrongPublication();
    std::optional<engine::strong::SealedKeys> keys = publication->SiteKeys();
};

// Every file that is not public is sealed under its site path, pages
// included (their own bytes), and the pages are strong pages that say where
// they stand; the public ones are copied in clear and not sealed; the
// manifest lists exactly what was published, with types; no folder is left
// empty.
TEST_F(SealedSiteTest, SealsEveryFileButThePublicOnes) {
    const SitePublisher::Summary summary = Run({"robots.txt", "welcome/*.html"});
    EXPECT_TRUE(summary.failures.empty());
    EXPECT_EQ(summary.pages, 2u);
    EXPECT_EQ(summary.published, 2u);
    EXPECT_EQ(summary.sealed, 5u);
    EXPECT_EQ(summary.copied, 2u);
    for (const File& file : Files()) {
        SCOPED_TRACE(file.relative);
        const std::optional<std::vector<std::uint8_t>> opened =
            Open(SealedPath(file.relative), keys->NameOf(file.relative), file.relative);
        if (file.isPublic) {
            EXPECT_FALSE(fs::exists(SealedPath(file.relative)));
            EXPECT_EQ(test::ReadAll((out / file.relative).string()), file.bytes);
            continue;
        }
        ASSERT_TRUE(opened.has_value());
        EXPECT_EQ(*opened, file.bytes);
        const bool page = std::string_view(file.relative).ends_with(".html");
        EXPECT_EQ(fs::exists(out / file.relative), page) << "only pages keep their paths";
    }
    // Folders that hold no page and no public file would show only their
    // names: none is left.
    EXPECT_FALSE(fs::exists(out / "docs/img"));
    EXPECT_FALSE(fs::exists(out / "downloads"));
    EXPECT_TRUE(fs::exists(out / "docs/guide.html"));
    EXPECT_TRUE(fs::exists(out / "welcome/landing.html"));
    const std::string guide = Text(test::ReadAll((out / "docs/guide.html").string()));
    EXPECT_TRUE(StrongPage::ReadContainer(test::ReadAll((out / "docs/guide.html").string())));
    EXPECT_NE(guide.find(R"(,"site":{"top":"../","path":"docs/guide.html"}})"), std::string::npos);
    const std::string index = Text(test::ReadAll((out / "index.html").string()));
    EXPECT_NE(index.find(R"(,"site":{"top":"","path":"index.html"}})"), std::string::npos);

    const std::optional<std::vector<std::uint8_t>> manifest =
        Open(out / "nemora-sealed/manifest.js", "manifest", "nemora-sealed/manifest");
    ASSERT_TRUE(manifest.has_value());
    // HtmlPage writes no declaration: its bytes are Shift_JIS, so named.
    EXPECT_EQ(
        Text(*manifest),
        R"({"version":1,"files":{)"
        R"("docs/guide.html":{"type":"text/html; charset=shift_jis","size":)" +
            std::to_string(Files()[1].bytes.size()) +
            R"(,"page":true},)"
            R"("docs/img/logo.png":{"type":"image/png","size":1200},)"
            R"("docs/style.css":{"type":"text/css","size":)" +
            std::to_string(Files()[2].bytes.size()) +
            R"(},)"
            R"("downloads/report.pdf":{"type":"application/pdf","size":900},)"
            R"("index.html":{"type":"text/html; charset=shift_jis","size":)" +
            std::to_string(Files()[0].bytes.size()) +
            R"(,"page":true},)"
            R"("robots.txt":{"type":"text/plain","size":)" +
            std::to_string(Files()[5].bytes.size()) +
            R"(,"public":true},)"
            R"("welcome/landing.html":{"type":"text/html","size":1500,"page":true,"public":true}}})");
}

// No 16 bytes running of a sealed file's clear text are anywhere in the
// output but in the public files and the shared script.
TEST_F(SealedSiteTest, NoClearTextOfASealedFileIsInTheOutput) {
    ASSERT_TRUE(Run({"robots.txt", "welcome/**"}).failures.empty());
    constexpr std::size_t kWindow = 16;
    std::set<std::string> published;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (!entry.is_regular_file()) continue;
        const std::string relative = fs::relative(entry.path(), out).string();
        if (relative == "robots.txt" || relative.starts_with("welcome/") ||
            entry.path().filename() == "nemora-strong.js") {
            continue;
        }
        const std::string text = Text(test::ReadAll(entry.path().string()));
        for (std::size_t at = 0; at + kWindow <= text.size(); ++at) {
            published.insert(text.substr(at, kWindow));
        }
    }
    ASSERT_FALSE(published.empty());
    for (const File& file : Files()) {
        if (file.isPublic) continue;
        SCOPED_TRACE(file.relative);
        const std::string text = Text(file.bytes);
        std::size_t found = 0;
        for (std::size_t at = 0; at + kWindow <= text.size(); ++at) {
            found += published.count(text.substr(at, kWindow));
        }
        EXPECT_EQ(found, 0u);
    }
}

// A file that cannot be read is listed and the run goes on without it; a
// sealed files' folder that cannot be made stops the run once, before any
// file.
TEST_F(SealedSiteTest, AnUnreadableFileIsListedAndAnUnwritableFolderStops) {
    fs::create_directories(out);
    dir.Write("out/nemora-sealed", test::Bytes("in the way"));
    const SitePublisher::Summary stopped = Run({});
    ASSERT_TRUE(stopped.outputStop.has_value());
    EXPECT_EQ(stopped.outputStop->path, (out / "nemora-sealed").string());
    EXPECT_TRUE(stopped.failures.empty());
    EXPECT_EQ(stopped.sealed + stopped.published + stopped.copied, 0u);

    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    fs::remove_all(out);
    fs::permissions(site / "docs/style.css", fs::perms::none);
    const SitePublisher::Summary summary = Run({});
    fs::permissions(site / "docs/style.css", fs::perms::owner_all);
    ASSERT_EQ(summary.failures.size(), 1u);
    EXPECT_EQ(summary.failures[0].relative, "docs/style.css");
    EXPECT_EQ(summary.failures[0].result, engine::Result::CannotOpen);
    EXPECT_EQ(summary.sealed, 6u);
    const auto manifest =
        Open(out / "nemora-sealed/manifest.js", "manifest", "nemora-sealed/manifest");
    ASSERT_TRUE(manifest.has_value());
    EXPECT_EQ(Text(*manifest).find("style.css"), std::string::npos);
}

// An entry at the site's top named as the sealed files' folder is refused,
// never mixed with them; the classic form has no such folder and copies it.
TEST_F(SealedSiteTest, RefusesTheSitesOwnSealedFolder) {
    const struct {
        const char* name;
        const char* file;  // under the site's top
        bool strong;
    } cases[] = {
        {"a folder", "nemora-sealed/manifest.js", true},
        {"a file", "nemora-sealed", true},
        {"a folder, classic", "nemora-sealed/manifest.js", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(site / "nemora-sealed");
        fs::remove_all(out);
        fs::create_directories((site / c.file).parent_path());
        dir.Write("site/" + std::string(c.file), test::Bytes("nemoraSealed(\"manifest\",\"\");\n"));
        if (!c.strong) publication = SecretPublication();
        const SitePublisher::Summary summary = Run({});
        if (!c.strong) {
            EXPECT_TRUE(summary.refused.empty());
            EXPECT_EQ(test::ReadAll((out / c.file).string()),
                      test::ReadAll((site / c.file).string()));
            continue;
        }
        EXPECT_EQ(summary.refused, std::vector<std::string>{"nemora-sealed"});
        EXPECT_TRUE(summary.failures.empty());
        EXPECT_EQ(summary.sealed, 7u) << "the site's other files";
        const std::optional<std::vector<std::uint8_t>> manifest =
            Open(out / "nemora-sealed/manifest.js", "manifest", "nemora-sealed/manifest");
        ASSERT_TRUE(manifest.has_value()) << "the run's own manifest, not the site's";
        EXPECT_EQ(Text(*manifest).find("\"nemora-sealed"), std::string::npos);
    }
}

// A name that is not UTF-8 cannot be in the manifest, which the browser
// reads as UTF-8 and refuses whole when it is not: the file is left out with
// a failure, never the whole site with it, public or not.
TEST_F(SealedSiteTest, ANameThatIsNotUtf8IsLeftOutAndTheListStaysUtf8) {
    const std::vector<std::string> odd = {"docs/caf\xe9.css", "robots\xff.txt"};
    for (const std::string& name : odd) dir.Write("site/" + name, test::Bytes("body {}\n"));
    const SitePublisher::Summary summary = Run({"robots*"});
    EXPECT_EQ(summary.notUtf8, (std::vector<std::string>{"docs/caf\xe9.css", "robots\xff.txt"}));
    EXPECT_EQ(summary.sealed, 6u) << "the site's other files";
    EXPECT_FALSE(fs::exists(out / "robots\xff.txt"));
    const std::optional<std::vector<std::uint8_t>> manifest =
        Open(out / "nemora-sealed/manifest.js", "manifest", "nemora-sealed/manifest");
    ASSERT_TRUE(manifest.has_value());
    EXPECT_TRUE(EncodingSniffer::IsUtf8(Text(*manifest)));
    EXPECT_NE(Text(*manifest).find("\"docs/style.css\""), std::string::npos);
}

// A run into an earlier run's output, under another password, leaves none
// of the earlier sealed files (their old password would still open them);
// what else the folder holds stays.
TEST_F(SealedSiteTest, ARunRemovesAnEarlierRunsSealedFiles) {
    const auto sealedFiles = [&] {
        std::set<std::string> left;
        for (const auto& entry : fs::recursive_directory_iterator(out / "nemora-sealed")) {
            if (entry.is_regular_file()) {
                left.insert(fs::relative(entry.path(), out / "nemora-sealed").string());
            }
        }
        return left;
    };
    const auto namesOf = [&](const engine::strong::SealedKeys& run) {
        std::set<std::string> names;
        for (const File& file : Files()) {
            const std::string name = run.NameOf(file.relative);
            names.insert(name.substr(0, 2) + "/" + name + ".js");
        }
        return names;
    };
    ASSERT_TRUE(Run({}).failures.empty());
    const std::set<std::string> first = namesOf(*keys);
    std::set<std::string> all = first;
    all.insert("manifest.js");
    ASSERT_EQ(sealedFiles(), all);
    // The author's own files there, one in a folder of sealed files.
    const std::string kept = first.begin()->substr(0, 3) + "notes.js";
    dir.Write("out/nemora-sealed/notes.txt", test::Bytes("the author's\n"));
    dir.Write("out/nemora-sealed/" + kept, test::Bytes("the author's\n"));

    publication = StrongPublication();
    keys = publication->SiteKeys();
    const SitePublisher::Summary summary = Run({});
    ASSERT_TRUE(summary.failures.empty());
    EXPECT_EQ(summary.earlierKept, 0u);
    std::set<std::string> expected = namesOf(*keys);
    expected.insert({"manifest.js", "notes.txt", kept});
    EXPECT_EQ(sealedFiles(), expected);
}

// The manifest's paths come back from its text as they went in, whatever
// characters they hold; a text it did not write gives nothing.
TEST(SiteManifestTest, PathsComeBackFromTheText) {
    // In the order of their bytes, as the text lists them.
    const std::vector<std::string> paths = {"a \"quoted\" \\ name.txt", "docs/<b>&amp;.html",
                                            "tab\there\x01", "z", "日本/文書.pdf"};
    SiteManifest manifest;
    for (auto at = paths.rbegin(); at != paths.rend(); ++at) {
        manifest.Add({*at, "text/plain; charset=utf-8", 3, true, at == paths.rbegin()});
    }
    const std::string text = manifest.Text();
    EXPECT_EQ(SiteManifest::Paths(text), paths);
    EXPECT_EQ(SiteManifest::Paths(SiteManifest().Text()), std::vector<std::string>{});
    for (const std::string& broken :
         {std::string(""), std::string(R"({"version":2,"files":{}})"),
          text.substr(0, text.size() - 1), text.substr(0, text.size() / 2),
          std::string(R"({"version":1,"files":{"a":{"size":1})")}) {
        SCOPED_TRACE(broken);
        EXPECT_FALSE(SiteManifest::Paths(broken).has_value());
    }
}

// --public globs match the site path: '*' within a folder, '**' across.
TEST(SitePathGlobTest, MatchesSitePaths) {
    const struct {
        const char* glob;
        const char* path;
        bool matches;
    } rows[] = {
        {"robots.txt", "robots.txt", true},
        {"robots.txt", "docs/robots.txt", false},
        {"*.ico", "favicon.ico", true},
        {"*.ico", "img/favicon.ico", false},
        {"**/*.ico", "favicon.ico", true},
        {"**/*.ico", "img/a/favicon.ico", true},
        {"**.pdf", "a/b/c.pdf", true},
        {"docs/**", "docs/a/b.html", true},
        {"docs/**", "docsx/a.html", false},
        {"docs/*", "docs/a/b.html", false},
        {"p?ge.html", "page.html", true},
        {"a?b", "a/b", false},
        {"[ab].txt", "b.txt", true},
        {"[!ab].txt", "b.txt", false},
        {"[a-c]x", "cx", true},
        {"\\*.txt", "*.txt", true},
        {"\\*.txt", "a.txt", false},
        {"[.txt", "[.txt", true},
        {"*", "", true},
        {"index.html", "index.htm", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.glob) + " " + row.path);
        EXPECT_EQ(SitePathGlob::Matches(row.glob, row.path), row.matches);
    }
}

}  // namespace
}  // namespace nemora::publish
