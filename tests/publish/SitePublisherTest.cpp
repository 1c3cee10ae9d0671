#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "engine/posix/DurableFileLayer.h"
#include "publish/SitePublisher.h"
#include "publish/SiteWalker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"
#include "tests/support/UnwritableFolder.h"

namespace nemora::publish {
namespace {

namespace fs = std::filesystem;
using Problem = SiteWalker::Problem;

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
        options.publication.password = "secret";
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

}  // namespace
}  // namespace nemora::publish
