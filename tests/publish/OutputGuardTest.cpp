#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "publish/OutputGuard.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace nemora::publish {
namespace {

namespace fs = std::filesystem;
using Kind = OutputGuard::Clash::Kind;

// A site folder with a page, and the ways a second name can lead to it.
class OutputGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.Path() / "site" / "library");
        fs::create_directories(dir.Path() / "out");
        page = dir.Write("site/os.html", test::HtmlPage(500, 1));
        dir.Write("site/library/os.html", test::HtmlPage(500, 2));
        dir.Write("site/a.htm", test::HtmlPage(500, 3));
        dir.Write("site/decoder.htm", test::HtmlPage(500, 4));
        dir.Write("site/nemora-strong.js", test::HtmlPage(500, 5));
        dir.Write("site/old.zvk", test::HtmlPage(500, 6));
        fs::create_directory_symlink(dir.Path() / "site", dir.Path() / "site-link");
        fs::create_hard_link(page, dir.Path() / "out" / "os.html");
        fs::create_symlink(page, dir.Path() / "out" / "linked.html");
        fs::create_directories(dir.Path() / "links");
        fs::create_symlink(page, dir.Path() / "links" / "os.html");
    }

    std::string Site(const std::string& name) const {
        return (dir.Path() / "site" / name).string();
    }

    test::TempDir dir;
    std::string page;
};

TEST_F(OutputGuardTest, NothingTheAuthorHasIsWrittenOverOrWrittenTwice) {
    struct Case {
        const char* name;
        std::vector<std::string> pages;
        std::string folder;
        bool strong;
        std::optional<Kind> clash;
        std::string output;  // the file named, in the folder
    };
    const std::string site = (dir.Path() / "site").string();
    const std::string out = (dir.Path() / "out").string();
    const std::string fresh = (dir.Path() / "fresh").string();
    const Case cases[] = {
        {"into the page's folder", {page}, site, false, Kind::ReplacesPage, "os.html"},
        {"strong, into the page's folder", {page}, site, true, Kind::ReplacesPage, "os.html"},
        {"the folder spelled with dots",
         {page},
         (dir.Path() / "site" / "library" / ".." / ".").string(),
         false,
         Kind::ReplacesPage,
         "os.html"},
        {"the folder through a link",
         {page},
         (dir.Path() / "site-link").string(),
         false,
         Kind::ReplacesPage,
         "os.html"},
        {"the page through a link",
         {(dir.Path() / "site-link" / "os.html").string()},
         site,
         false,
         Kind::ReplacesPage,
         "os.html"},
        {"an output that is a hard link of the page",
         {page},
         out,
         false,
         Kind::ReplacesPage,
         "os.html"},
        {"an output that is a link to the page",
         {page},
         (dir.Path() / "links").string(),
         true,
         Kind::ReplacesPage,
         "os.html"},
        {"the page itself is a link in the folder",
         {(dir.Path() / "out" / "linked.html").string()},
         out,
         true,
         Kind::ReplacesPage,
         "linked.html"},
        {"the page is a shared file's name",
         {Site("decoder.htm")},
         site,
         false,
         Kind::ReplacesPage,
         "decoder.htm"},
        {"two pages of one name",
         {page, Site("library/os.html")},
         fresh,
         false,
         Kind::WrittenTwice,
         "os.html"},
        {"strong, two pages of one name",
         {page, Site("library/os.html")},
         fresh,
         true,
         Kind::WrittenTwice,
         "os.html"},
        {"one page given twice",
         {page, Site("library/../os.html")},
         fresh,
         true,
         Kind::WrittenTwice,
         "os.html"},
        {"two pages of one data file",
         {page, Site("os.htm")},
         fresh,
         false,
         Kind::WrittenTwice,
         "os.zvk"},
        {"strong: no data file", {page, Site("os.htm")}, fresh, true, std::nullopt, ""},
        {"a page named decoder.htm",
         {Site("decoder.htm")},
         fresh,
         false,
         Kind::NameTaken,
         "decoder.htm"},
        {"strong: decoder.htm is a page like others",
         {Site("decoder.htm")},
         fresh,
         true,
         std::nullopt,
         ""},
        {"strong: a page named nemora-strong.js",
         {Site("nemora-strong.js")},
         fresh,
         true,
         Kind::NameTaken,
         "nemora-strong.js"},
        {"a page whose data file is itself",
         {Site("old.zvk")},
         fresh,
         false,
         Kind::NameTaken,
         "old.zvk"},
        {"pages of their own names", {page, Site("a.htm")}, out + "/x", false, std::nullopt, ""},
    };
    // "os.htm" need not exist: a page's names clash before it is read.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<OutputGuard::Clash> clash =
            OutputGuard::Check(c.pages, c.folder, c.strong);
        EXPECT_EQ(clash.has_value(), c.clash.has_value());
        if (!clash || !c.clash) continue;
        EXPECT_EQ(clash->kind, *c.clash);
        EXPECT_EQ(fs::path(clash->output).filename(), c.output);
        EXPECT_EQ(OutputGuard::Refusal(*clash) == engine::Result::WouldReplacePage,
                  clash->kind == Kind::ReplacesPage);
        if (clash->kind == Kind::WrittenTwice) {
            EXPECT_EQ(clash->page, c.pages[0]);
            EXPECT_EQ(clash->other, c.pages[1]);
        } else {
            EXPECT_EQ(clash->page, c.pages[0]);
        }
    }
}

// A folder that refuses files is named, or the deepest folder of its path
// that exists while it is still to be made. Root writes anywhere but on a
// read-only mount.
TEST_F(OutputGuardTest, AFolderThatRefusesFilesIsNamedWithTheCause) {
    const fs::path closed = dir.Path() / "closed";
    fs::create_directory(closed);
    {
        const test::ReadOnlyFolder readOnly(closed);
        if (!readOnly.Made()) GTEST_SKIP() << "cannot make a folder that refuses files here";
        for (const fs::path& folder : {closed, closed / "made" / "deeper"}) {
            SCOPED_TRACE(folder.string());
            const std::optional<OutputGuard::Unwritable> refused =
                OutputGuard::UnwritableFolder(folder.string());
            ASSERT_TRUE(refused);
            EXPECT_EQ(refused->folder, closed.string());
            EXPECT_EQ(refused->systemError, readOnly.Cause());
        }
    }
    // Writable again: nothing is named.
    for (const fs::path& folder : {closed, closed / "made", dir.Path() / "site" / "os.html"}) {
        SCOPED_TRACE(folder.string());
        EXPECT_FALSE(OutputGuard::UnwritableFolder(folder.string()));
    }
}

}  // namespace
}  // namespace nemora::publish
