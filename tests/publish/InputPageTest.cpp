#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "engine/posix/DurableFileLayer.h"
#include "publish/InputPage.h"
#include "tests/support/PublishInto.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace nemora::publish {
namespace {

using Kind = InputPage::Kind;
using Problem = InputPage::Problem;
namespace fs = std::filesystem;

std::vector<std::uint8_t> Raw(std::string_view bytes) {
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// Everything the program writes is known again, in both page languages,
// without the comments, in both forms; the page it came from is a page.
TEST(InputPageTest, TheProgramsOwnFilesAreKnownInEveryForm) {
    test::TempDir dir;
    const std::string path = dir.Write("my page.html", test::HtmlPage(3000, 5));
    engine::LockedDocument document(engine::FileLayer::System());
    document.SetCharCodeName("shift_jis");
    ASSERT_EQ(document.Load(nullptr, path), engine::Result::Ok);
    ASSERT_EQ(document.Compress(nullptr), engine::Result::Ok);
    struct Form {
        const char* name;
        bool strong;
        res::Language language;
        bool comment;
    };
    const Form forms[] = {
        {"default, Japanese", false, res::Language::Japanese, true},
        {"default, English, no comments", false, res::Language::English, false},
        {"strong, Japanese", true, res::Language::Japanese, true},
        {"strong, English, no remembering", true, res::Language::English, false},
    };
    const std::map<std::string, Kind> kinds = {
        {"my page.html", Kind::LoaderPage},
        {"decoder.htm", Kind::DecoderPage},
        {"decoder.jar", Kind::NotText},
        {"nemora-strong.js", Kind::StrongScript},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        PublicationOptions options;
        options.password = "secret";
        options.strong = form.strong;
        options.pageLanguage = form.language;
        options.comment = form.comment;
        options.cookieOn = form.comment;
        options.kdf = {engine::strong::kLeastMemoryKiB, engine::strong::kLeastPasses};
        const std::string out = (dir.Path() / form.name).string();
        ASSERT_EQ(test::PublishInto({document, path}, options, out, nullptr).result,
                  engine::Result::Published);
        for (const std::string& name : test::Entries(out)) {
            if (name.ends_with(".zvk")) continue;  // random bytes: no kind to expect
            SCOPED_TRACE(name);
            const Kind expected =
                form.strong && name == "my page.html" ? Kind::StrongPage : kinds.at(name);
            const std::string file = out + "/" + name;
            EXPECT_EQ(InputPage::Classify(test::ReadAll(file)), expected);
            const InputPage::Inspection inspection = InputPage::Inspect(file);
            EXPECT_EQ(inspection.problem, Problem::None);
            EXPECT_EQ(inspection.kind, expected);
        }
    }
    EXPECT_EQ(InputPage::Inspect(path).kind, Kind::Page);
}

TEST(InputPageTest, BinaryFormatsAreNoTextAndLookalikesArePages) {
    using namespace std::string_view_literals;
    const std::pair<std::string_view, Kind> cases[] = {
        {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR"sv, Kind::NotText},
        {"\xff\xd8\xff\xe0\0\x10JFIF"sv, Kind::NotText},
        {"GIF89a\x10\0\x10\0"sv, Kind::NotText},
        {"%PDF-1.7\n%\xe2\xe3"sv, Kind::NotText},
        {"PK\3\4\x14\0\0\0"sv, Kind::NotText},
        {"\x1f\x8b\x08\0"sv, Kind::NotText},
        {"\x7f"
         "ELF\2\1\1"sv,
         Kind::NotText},
        {"RIFF\x24\0\0\0WEBPVP8 "sv, Kind::NotText},
        {"ID3\4\0\0\0\0\0\x23"sv, Kind::NotText},
        {"\0\0\1\0\1\0\x10\x10"sv, Kind::NotText},
        // Text that begins with the same letters.
        {"GIF8 is a format.\n"sv, Kind::Page},
        {"BMW pages\n"sv, Kind::Page},
        {"ID3 tags explained\n"sv, Kind::Page},
        {"PK's home page\n"sv, Kind::Page},
        {"<!DOCTYPE html><html><body>Hello</body></html>\n"sv, Kind::Page},
        {""sv, Kind::Page},
        // A page about the program that quotes its code, escaped as markup.
        {"<pre>var urlDecoder = &quot;decoder.htm&quot;;\nvar urlSource = &quot;a.zvk&quot;;\n"
         "wndDecoder.Close();\n&lt;script id=&quot;nemora-data&quot;&gt;</pre>"sv,
         Kind::Page},
    };
    for (const auto& [head, kind] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(head)));
        EXPECT_EQ(InputPage::Classify(Raw(head)), kind);
        EXPECT_EQ(InputPage::Refusal(kind) == engine::Result::Ok, kind == Kind::Page);
    }
}

TEST(InputPageTest, ALoaderPageNamesItsDataFile) {
    test::TempDir dir;
    const std::string path = dir.Write("日本 語%.html", test::HtmlPage(1000, 6));
    engine::LockedDocument document(engine::FileLayer::System());
    ASSERT_EQ(document.Load(nullptr, path), engine::Result::Ok);
    ASSERT_EQ(document.Compress(nullptr), engine::Result::Ok);
    PublicationOptions options;
    options.password = "secret";
    const std::string out = (dir.Path() / "out").string();
    ASSERT_EQ(test::PublishInto({document, path}, options, out, nullptr).result,
              engine::Result::Published);
    EXPECT_EQ(InputPage::LoaderDataFile(test::ReadAll(out + "/日本 語%.html")), "日本 語%.zvk");

    // A loader page whose author moved the decoder and the data.
    const std::pair<std::string_view, std::optional<std::string>> edited[] = {
        {"var urlDecoder = \"tools/decoder.htm\";\nvar urlSource = \"../data/a%20b.zvk\";",
         "tools/../data/a b.zvk"},
        {"var urlDecoder = \"decoder.htm\";\nvar urlSource = \"https://example.org/a.zvk\";",
         "https://example.org/a.zvk"},
        {"var urlDecoder = \"decoder.htm\";\nvar urlSource = \"\";", std::nullopt},
        {"<p>no loader</p>", std::nullopt},
    };
    for (const auto& [page, data] : edited) {
        SCOPED_TRACE(std::string(page));
        EXPECT_EQ(InputPage::LoaderDataFile(Raw(page)), data);
    }
}

TEST(InputPageTest, InspectTellsWhyAFileIsNoPage) {
    test::TempDir dir;
    const std::string fifo = dir.File("pipe.html");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string page = dir.Write("page.html", test::HtmlPage(100, 7));
    const struct {
        const char* name;
        std::string path;
        Problem problem;
        int systemError;
    } cases[] = {
        {"a page", page, Problem::None, 0},
        {"missing", dir.File("none.html"), Problem::Missing, ENOENT},
        {"a folder", dir.Path().string(), Problem::Folder, 0},
        {"a pipe with no writer", fifo, Problem::NotAFile, 0},
        {"empty", dir.Write("empty.html", {}), Problem::Empty, 0},
        {"below a file", page + "/page.html", Problem::Other, ENOTDIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const InputPage::Inspection inspection = InputPage::Inspect(c.path);
        EXPECT_EQ(inspection.problem, c.problem);
        EXPECT_EQ(inspection.systemError, c.systemError);
    }
    // Root reads anything: the case needs another user.
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(page.c_str(), 0), 0);
        EXPECT_EQ(InputPage::Inspect(page).problem, Problem::NoPermission);
    }
}

}  // namespace
}  // namespace nemora::publish
