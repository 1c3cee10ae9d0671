#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "engine/DataFileBuilder.h"
#include "engine/LockedDocument.h"
#include "engine/StreamReader.h"
#include "tests/support/ExpectedReports.h"
#include "tests/support/FaultyFileLayer.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace nemora::engine {
namespace {

using test::Concat;
using test::RecordingSink;
using test::Repeat;
using test::Report;

constexpr std::string_view kName = "shift_jis";  // a name block of 16 bytes
constexpr std::uint32_t kNameBlock = 16;

std::vector<std::uint8_t> Expected(const std::vector<std::uint8_t>& page,
                                   std::string_view password) {
    const Key key = DeriveKey(password);
    return BuildDataFile(page.data(), page.size(), kName, &key).data;
}

Result LoadPage(LockedDocument& doc, const std::string& path, ProgressSink* sink = nullptr) {
    const Result result = doc.Load(sink, path);
    return result == Result::Ok ? doc.Compress(sink) : result;
}

// A save as the publication writer makes it.
Result Save(LockedDocument& doc, ProgressSink* sink, std::string_view password, bool changed,
            const std::string& path) {
    Result result = doc.Encrypt(sink, password, changed);
    if (result == Result::Ok) result = doc.WriteDataFile(sink, path);
    doc.SetCharCodeName(kName);
    return result;
}

std::vector<Report> LoadReports(const std::vector<std::uint8_t>& page) {
    const auto kib = static_cast<std::uint32_t>(page.size() / 1024);
    return Concat({{{kib * 5, 3011}}, Repeat(kib, {1, 0}), test::CompressReports(page)});
}

enum class SaveKind { FirstSave, SamePassword, NewPassword };

std::vector<Report> SaveReports(std::uint32_t streamSize, SaveKind kind) {
    const std::uint32_t kib = streamSize / 1024;
    const auto writing = Concat({{{0, 3012}}, Repeat((streamSize - 8) / 1024, {1, 0})});
    switch (kind) {
        case SaveKind::FirstSave:
            return Concat({{{kib * 5, 3014}}, Repeat(kib, {4, 0}), writing});
        case SaveKind::SamePassword:
            return Concat({{{kib, 3014}}, writing});
        case SaveKind::NewPassword:
            return Concat({{{kib * 9, 3014}}, Repeat(2 * kib, {4, 0}), writing});
    }
    return {};
}

class LockedDocumentTest : public ::testing::Test {
protected:
    // A document holding `page`, loaded and compressed, with its name set.
    void Open(LockedDocument& doc, const std::vector<std::uint8_t>& page) {
        doc.SetCharCodeName(kName);
        ASSERT_EQ(LoadPage(doc, dir.Write("page.html", page)), Result::Ok);
    }

    test::TempDir dir;
};

TEST_F(LockedDocumentTest, LoadsAndSavesWithTheExactReports) {
    const std::vector<std::uint8_t> pages[] = {
        test::HtmlPage(1000, 1),        // below 1 KiB: phases of 0 units
        test::RandomBytes(2048, 2),     // an exact multiple of 1 KiB
        test::HtmlPage(300 * 1024, 3),  // a few hundred KiB
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(::testing::Message() << "page of " << page.size() << " bytes");
        LockedDocument doc(FileLayer::System());
        doc.SetCharCodeName(kName);
        RecordingSink load;
        ASSERT_EQ(LoadPage(doc, dir.Write("page.html", page), &load), Result::Ok);
        EXPECT_EQ(load.reports, LoadReports(page));
        EXPECT_EQ(doc.State(), DocumentState::Compressed);
        EXPECT_EQ(doc.PageSize(), page.size());
        const std::uint32_t streamSize = doc.DataSize() - kNameBlock;

        struct Step {
            const char* what;
            const char* password;
            bool changed;
            SaveKind kind;
        };
        const Step steps[] = {
            {"first save", "first", true, SaveKind::FirstSave},
            {"same password again: not enciphered twice", "first", false, SaveKind::SamePassword},
            {"a new password", "second", true, SaveKind::NewPassword},
            {"the new password again", "second", false, SaveKind::SamePassword},
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            RecordingSink save;
            const std::string out = dir.File("page.zvk");
            ASSERT_EQ(Save(doc, &save, step.password, step.changed, out), Result::Ok);
            EXPECT_EQ(save.reports, SaveReports(streamSize, step.kind));
            EXPECT_EQ(doc.State(), DocumentState::Enciphered);

            const auto written = test::ReadAll(out);
            EXPECT_EQ(written, Expected(page, step.password));
            EXPECT_EQ(written.size(), doc.DataSize());
            const auto back =
                StreamReader(DeriveKey(step.password)).Read(written.data(), written.size());
            EXPECT_EQ(back.status, Result::Ok);
            EXPECT_EQ(back.page, page);
            EXPECT_EQ(back.encodingName, kName);
        }
    }
}

// The page's own bytes, for naming its encoding, between Load and Compress.
TEST_F(LockedDocumentTest, ThePageIsThereFromLoadUntilCompress) {
    const std::vector<std::uint8_t> page = test::HtmlPage(5000, 4);
    LockedDocument doc(FileLayer::System());
    EXPECT_TRUE(doc.Page().empty());
    ASSERT_EQ(doc.Load(nullptr, dir.Write("page.html", page)), Result::Ok);
    EXPECT_EQ(std::vector<std::uint8_t>(doc.Page().begin(), doc.Page().end()), page);
    ASSERT_EQ(doc.Compress(nullptr), Result::Ok);
    EXPECT_TRUE(doc.Page().empty());
}

TEST_F(LockedDocumentTest, StopAtAnyLoadReportLeavesTheDocumentUnusable) {
    const auto page = test::HtmlPage(100 * 1024, 4);
    const std::string path = dir.Write("page.html", page);
    const std::size_t total = LoadReports(page).size();
    for (std::size_t k = 1; k <= total; ++k) {
        SCOPED_TRACE(::testing::Message() << "stop at report " << k << " of " << total);
        LockedDocument doc(FileLayer::System());
        doc.SetCharCodeName(kName);
        RecordingSink sink(k);
        EXPECT_EQ(LoadPage(doc, path, &sink), Result::LoadStopped);
        EXPECT_EQ(sink.reports.size(), k);
        // A stop at the phase start has not touched the (here empty) document.
        EXPECT_EQ(doc.State(), k == 1 ? DocumentState::Empty : DocumentState::Unusable);
        EXPECT_EQ(doc.Compress(nullptr), Result::CompressFailed);

        ASSERT_EQ(LoadPage(doc, path), Result::Ok);
        ASSERT_EQ(Save(doc, nullptr, "pw", true, dir.File("page.zvk")), Result::Ok);
        EXPECT_EQ(test::ReadAll(dir.File("page.zvk")), Expected(page, "pw"));
    }
}

TEST_F(LockedDocumentTest, StopAtAnySaveReportKeepsTheEarlierFileAndCanBeRepeated) {
    const auto page = test::HtmlPage(100 * 1024, 5);
    const std::vector<std::uint8_t> earlier = test::Bytes("an earlier data file");
    for (bool newPassword : {false, true}) {
        LockedDocument probe(FileLayer::System());
        Open(probe, page);
        const std::uint32_t streamSize = probe.DataSize() - kNameBlock;
        const std::uint32_t kib = streamSize / 1024;
        const std::size_t total =
            SaveReports(streamSize, newPassword ? SaveKind::NewPassword : SaveKind::FirstSave)
                .size();

        for (std::size_t k = 1; k <= total; ++k) {
            SCOPED_TRACE(::testing::Message() << (newPassword ? "new password" : "first save")
                                              << ", stop at report " << k << " of " << total);
            LockedDocument doc(FileLayer::System());
            Open(doc, page);
            if (newPassword) {
                ASSERT_EQ(Save(doc, nullptr, "old", true, dir.File("old.zvk")), Result::Ok);
            }
            const std::string out = dir.Write("page.zvk", earlier);

            RecordingSink sink(k);
            EXPECT_EQ(Save(doc, &sink, "new", true, out), Result::EncryptStopped);
            // A cipher pass asked to stop still finishes its buffer, reporting
            // to its end; a stopped deciphering pass is not followed by another.
            std::size_t reported = k;
            const std::size_t firstPassEnd = 1 + kib;
            if (k >= 2 && k <= firstPassEnd) reported = firstPassEnd;
            if (newPassword && k > firstPassEnd && k <= 1 + 2 * kib) reported = 1 + 2 * kib;
            EXPECT_EQ(sink.reports.size(), reported);

            // The stream is always wholly plain or wholly enciphered: plain
            // only after a stop at the first save's phase start, or after a
            // stopped deciphering pass when the password changed.
            const bool plain = newPassword ? (k >= 2 && k <= 1 + kib) : k == 1;
            EXPECT_EQ(doc.State(), plain ? DocumentState::Compressed : DocumentState::Enciphered);
            EXPECT_EQ(test::ReadAll(out), earlier);

            ASSERT_EQ(Save(doc, nullptr, "new", true, out), Result::Ok);
            EXPECT_EQ(test::ReadAll(out), Expected(page, "new"));
        }
    }
    const std::vector<std::string> left = {"old.zvk", "page.html", "page.zvk"};
    EXPECT_EQ(test::Entries(dir.Path()), left) << "no temporary file is left behind";
}

// A failure before the first byte is read leaves the page that was loaded
// before whole, still able to be saved (the window keeps showing it); one
// while reading has replaced it.
TEST_F(LockedDocumentTest, LoadFailuresHaveTheirCodesAndKeepThePageUntilItIsReplaced) {
    const auto page = test::HtmlPage(5000, 6);  // 4 whole pieces and a rest: 5 reads
    const auto earlier = test::HtmlPage(3000, 2);
    const std::string path = dir.Write("page.html", page);
    const std::string earlierPath = dir.Write("earlier.html", earlier);
    const std::string empty = dir.Write("empty.html", {});
    std::filesystem::create_directory(dir.Path() / "folder");

    struct Case {
        const char* name;
        std::string path;
        test::Faults faults;
        Result result;
        bool replaced;  // the earlier page is gone
    };
    const Case cases[] = {
        {"missing file", dir.File("missing.html"), {}, Result::CannotOpen, false},
        {"empty file", empty, {}, Result::CannotOpen, false},
        {"a folder", dir.File("folder"), {}, Result::CannotOpen, false},
        {"open refused", path, {.failOpen = true}, Result::CannotOpen, false},
        {"length unknown", path, {.failLength = true}, Result::ReadFailed, false},
        {"4 GiB", path, {.length = std::uint64_t{1} << 32}, Result::ReadFailed, false},
        {"just over the largest page",
         path,
         {.length = 0xFFFFFFF0u - 7},
         Result::ReadFailed,
         false},
        {"first read fails", path, {.failReadAt = 1}, Result::ReadFailed, true},
        {"last whole piece fails", path, {.failReadAt = 4}, Result::ReadFailed, true},
        {"rest fails", path, {.failReadAt = 5}, Result::ReadFailed, true},
        {"a piece comes back short", path, {.shortReadAt = 2}, Result::ReadFailed, true},
        {"the rest comes back short", path, {.shortReadAt = 5}, Result::ReadFailed, true},
    };
    for (const bool savedBefore : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << (savedBefore ? ", after a save" : ""));
            test::FaultyFileLayer files;
            LockedDocument doc(files);
            doc.SetCharCodeName(kName);
            ASSERT_EQ(LoadPage(doc, earlierPath), Result::Ok);
            if (savedBefore) {
                ASSERT_EQ(Save(doc, nullptr, "pw", true, dir.File("a.zvk")), Result::Ok);
            }
            const DocumentState before = doc.State();

            files.SetFaults(c.faults);
            EXPECT_EQ(doc.Load(nullptr, c.path), c.result);
            files.SetFaults({});
            if (c.replaced) {
                EXPECT_EQ(doc.State(), DocumentState::Unusable);
                EXPECT_EQ(doc.PageSize(), 0u);
                EXPECT_EQ(doc.Compress(nullptr), Result::CompressFailed);
                continue;
            }
            EXPECT_EQ(doc.State(), before);
            EXPECT_EQ(doc.PageSize(), earlier.size());
            ASSERT_EQ(Save(doc, nullptr, "pw", false, dir.File("b.zvk")), Result::Ok);
            EXPECT_EQ(test::ReadAll(dir.File("b.zvk")), Expected(earlier, "pw"));
        }
    }
}

TEST_F(LockedDocumentTest, SparseFileOf4GiBIsRefusedWithoutReadingIt) {
    const std::string path = dir.File("huge.html");
    dir.Write("huge.html", test::Bytes("<html>"));
    std::filesystem::resize_file(path, std::uint64_t{1} << 32);
    test::FaultyFileLayer files;
    LockedDocument doc(files);
    RecordingSink sink;
    EXPECT_EQ(doc.Load(&sink, path), Result::ReadFailed);
    EXPECT_EQ(files.reads, 0u);
    EXPECT_TRUE(sink.reports.empty());
}

TEST_F(LockedDocumentTest, WriteFailuresKeepTheEarlierFile) {
    const auto page = test::HtmlPage(5000, 7);
    const std::vector<std::uint8_t> earlier = test::Bytes("an earlier data file");

    // Writes: 1 header, 2 name block, 3.. body pieces, then the body's rest.
    struct Case {
        const char* name;
        test::Faults faults;
        std::string path;  // empty: page.zvk in the folder
    };
    const Case cases[] = {
        {"create refused", {.failCreate = true}, ""},
        {"folder missing", {}, dir.File("no/such/folder/page.zvk")},
        {"header write fails", {.failWriteAt = 1}, ""},
        {"name block write fails", {.failWriteAt = 2}, ""},
        {"body write fails", {.failWriteAt = 3}, ""},
        {"disk full in the body", {.fullDiskAt = 4}, ""},
        {"closing fails", {.failCommit = true}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FaultyFileLayer files(c.faults);
        LockedDocument doc(files);
        Open(doc, page);
        const std::string out = c.path.empty() ? dir.Write("page.zvk", earlier) : c.path;
        EXPECT_EQ(Save(doc, nullptr, "pw", true, out), Result::CannotCreate);
        EXPECT_EQ(doc.State(), DocumentState::Enciphered);
        if (c.path.empty()) {
            EXPECT_EQ(test::ReadAll(out), earlier);
        }
        const std::vector<std::string> left = {"page.html", "page.zvk"};
        EXPECT_EQ(test::Entries(dir.Path()), left);
    }
}

TEST_F(LockedDocumentTest, CompressNeedsALoadedPageWithoutZeroBytes) {
    LockedDocument doc(FileLayer::System());
    EXPECT_EQ(doc.Compress(nullptr), Result::CompressFailed);
    EXPECT_EQ(doc.State(), DocumentState::Empty);

    auto page = test::HtmlPage(3000, 8);
    page[1500] = 0;
    ASSERT_EQ(doc.Load(nullptr, dir.Write("page.html", page)), Result::Ok);
    EXPECT_EQ(doc.State(), DocumentState::Loaded);
    EXPECT_EQ(doc.Compress(nullptr), Result::BrokenText);
    EXPECT_EQ(doc.State(), DocumentState::Unusable);
    EXPECT_EQ(doc.Compress(nullptr), Result::CompressFailed);
}

// The name is set once; saves, stopped saves and password changes never
// leave it enciphered for the next save.
TEST_F(LockedDocumentTest, TheNameIsSetOnceForEverySave) {
    const auto page = test::HtmlPage(3000, 9);
    LockedDocument doc(FileLayer::System());
    Open(doc, page);
    const std::string path = dir.File("page.zvk");
    const auto saveOnly = [&](std::string_view password, bool changed,
                              ProgressSink* sink = nullptr) {
        Result result = doc.Encrypt(sink, password, changed);
        if (result == Result::Ok) result = doc.WriteDataFile(sink, path);
        return result;
    };
    ASSERT_EQ(saveOnly("pw", true), Result::Ok);
    ASSERT_EQ(saveOnly("pw", false), Result::Ok);
    EXPECT_EQ(test::ReadAll(path), Expected(page, "pw"));
    RecordingSink stopAtStart(1);
    EXPECT_EQ(saveOnly("other", true, &stopAtStart), Result::EncryptStopped);
    ASSERT_EQ(saveOnly("other", true), Result::Ok);
    EXPECT_EQ(test::ReadAll(path), Expected(page, "other"));
}

TEST_F(LockedDocumentTest, AnotherPasswordIsNeverMixedWithTheOldKey) {
    // Told "unchanged" while the password differs, the document still
    // enciphers the stream under the new key rather than writing a file whose
    // name block and stream disagree.
    const auto page = test::HtmlPage(4000, 9);
    LockedDocument doc(FileLayer::System());
    Open(doc, page);
    ASSERT_EQ(Save(doc, nullptr, "old", true, dir.File("a.zvk")), Result::Ok);
    RecordingSink sink;
    ASSERT_EQ(Save(doc, &sink, "new", false, dir.File("b.zvk")), Result::Ok);
    EXPECT_EQ(test::ReadAll(dir.File("b.zvk")), Expected(page, "new"));
    EXPECT_EQ(sink.reports.front().units, (doc.DataSize() - kNameBlock) / 1024 * 9);
}

// The strong lock seals the stream the default form would encipher: the
// plain data file, whether or not the document was saved before, and a save
// after it still writes the same file.
TEST_F(LockedDocumentTest, PlainStreamIsTheUnencipheredDataFile) {
    const std::vector<std::uint8_t> pages[] = {test::Bytes("x"), test::HtmlPage(100 * 1024, 10)};
    for (const auto& page : pages) {
        SCOPED_TRACE(::testing::Message() << "page of " << page.size() << " bytes");
        const auto plain = BuildDataFile(page.data(), page.size(), kName, nullptr).data;
        LockedDocument doc(FileLayer::System());
        Open(doc, page);
        std::vector<std::uint8_t> stream;
        ASSERT_EQ(doc.PlainStream(stream), Result::Ok);
        EXPECT_EQ(stream, plain);

        for (const char* password : {"first", "second"}) {
            SCOPED_TRACE(::testing::Message() << "after a save with '" << password << "'");
            const std::string out = dir.File("page.zvk");
            ASSERT_EQ(Save(doc, nullptr, password, true, out), Result::Ok);
            ASSERT_EQ(doc.PlainStream(stream), Result::Ok);
            EXPECT_EQ(stream, plain);
            EXPECT_EQ(doc.State(), DocumentState::Enciphered);
            ASSERT_EQ(doc.WriteDataFile(nullptr, out), Result::Ok);
            EXPECT_EQ(test::ReadAll(out), Expected(page, password));
        }
    }
}

TEST_F(LockedDocumentTest, PlainStreamNeedsACompressedPage) {
    auto broken = test::HtmlPage(3000, 11);
    broken[100] = 0;
    const std::string brokenPath = dir.Write("broken.html", broken);
    const std::string pagePath = dir.Write("page.html", test::HtmlPage(3000, 12));

    struct Case {
        const char* name;
        std::function<void(LockedDocument&)> prepare;
    };
    const Case cases[] = {
        {"nothing loaded", [](LockedDocument&) {}},
        {"loaded, not compressed",
         [&](LockedDocument& doc) { ASSERT_EQ(doc.Load(nullptr, pagePath), Result::Ok); }},
        {"compressing failed",
         [&](LockedDocument& doc) { ASSERT_EQ(LoadPage(doc, brokenPath), Result::BrokenText); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LockedDocument doc(FileLayer::System());
        doc.SetCharCodeName(kName);
        c.prepare(doc);
        std::vector<std::uint8_t> stream = test::Bytes("left from before");
        EXPECT_EQ(doc.PlainStream(stream), Result::CompressFailed);
        EXPECT_TRUE(stream.empty());
    }
}

}  // namespace
}  // namespace nemora::engine
