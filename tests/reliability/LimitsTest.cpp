// Odd input and hostile surroundings: devices, odd file names, a full disk.
// Each gets its message and nothing already on disk is lost.

#include <filesystem>
#include <map>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/LockedDocument.h"
#include "engine/StreamReader.h"
#include "engine/posix/DurableFileLayer.h"
#include "publish/PublicationWriter.h"
#include "publish/ValueFormat.h"
#include "tests/support/FaultyFileLayer.h"
#include "tests/support/PublishInto.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace nemora {
namespace {

using engine::Result;
namespace fs = std::filesystem;

constexpr const char* kPassword = "a long enough password";

publish::PublicationOptions Options() {
    publish::PublicationOptions options;
    options.password = kPassword;
    return options;
}

publish::PublicationPage PageOf(engine::LockedDocument& document, const std::string& path) {
    document.SetCharCodeName("shift_jis");
    return {document, path};
}

TEST(LimitsTest, DevicesAreNotPages) {
    for (const char* device : {"/dev/null", "/dev/zero", "/dev/urandom"}) {
        SCOPED_TRACE(device);
        engine::LockedDocument document(engine::FileLayer::System());
        EXPECT_EQ(document.Load(nullptr, device), Result::CannotOpen);
    }
}

TEST(LimitsTest, OddFileNamesArePublishedAndStayInsideTheScript) {
    test::TempDir dir;
    const auto page = test::HtmlPage(3000, 31);
    for (const std::string name : {"a b.html", "q\"u'o<t>e&.html", "日本語のページ.html",
                                   "bad\xff\xfe.html", "%41;x.html"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.Write(name, page);
        engine::LockedDocument document(engine::FileLayer::System());
        ASSERT_EQ(document.Load(nullptr, path), Result::Ok);
        ASSERT_EQ(document.Compress(nullptr), Result::Ok);
        ASSERT_EQ(test::PublishInto(PageOf(document, path), Options(),
                                    (dir.Path() / "out").string(), nullptr)
                      .result,
                  Result::Published);

        const std::string data = (dir.Path() / "out" / publish::DataFileName(name)).string();
        const auto bytes = test::ReadAll(data);
        EXPECT_EQ(engine::StreamReader(engine::DeriveKey(kPassword))
                      .Read(bytes.data(), bytes.size())
                      .page,
                  page);
        const auto loader = test::ReadAll((dir.Path() / "out" / name).string());
        const std::string text(loader.begin(), loader.end());
        const std::size_t at = text.find("var urlSource = \"");
        ASSERT_NE(at, std::string::npos);
        const std::string literal = text.substr(at + 17, text.find('"', at + 17) - at - 17);
        EXPECT_EQ(literal.find_first_of(" '<>&\\\xff"), std::string::npos) << literal;
    }
}

class ZeroIdentifiers : public publish::IdentifierSource {
public:
    std::optional<publish::Identifier> NewIdentifier() override { return publish::Identifier{}; }
};

// A write error or a full disk at every write of a save, in turn: every file
// of the set is either the earlier one, whole, or the new one, whole. A
// failure while writing the data file reports 2009; one while writing a page
// reports the file-error message of its cause, naming that page.
TEST(LimitsTest, AFailureAtAnyWriteOfASaveDamagesNoFile) {
    test::TempDir dir;
    const auto page = test::HtmlPage(6000, 34);
    const std::string path = dir.Write("index.html", page);
    const std::vector<std::string> names = {"decoder.htm", "decoder.jar", "index.html",
                                            "index.zvk"};
    ZeroIdentifiers ids;

    // The new set, and how many writes it takes.
    std::map<std::string, std::vector<std::uint8_t>> fresh;
    std::size_t writes = 0;
    std::size_t dataWrites = 0;
    {
        // The data file's writes come first, then the pages'.
        test::FaultyFileLayer dataCounting;
        test::FaultyFileLayer pageCounting;
        engine::LockedDocument document(dataCounting);
        ASSERT_EQ(document.Load(nullptr, path), Result::Ok);
        ASSERT_EQ(document.Compress(nullptr), Result::Ok);
        ASSERT_EQ(
            test::PublishInto(
                PageOf(document, path), Options(), (dir.Path() / "fresh").string(), nullptr,
                publish::PublicationWriter(pageCounting, publish::ResourceSource::Embedded(), ids))
                .result,
            Result::Published);
        dataWrites = dataCounting.writes;
        writes = dataWrites + pageCounting.writes;
        for (const auto& name : names)
            fresh[name] = test::ReadAll((dir.Path() / "fresh" / name).string());
    }
    ASSERT_GT(writes, 5u);

    for (std::size_t k = 1; k <= writes; ++k) {
        for (bool fullDisk : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << (fullDisk ? "full disk" : "write error") << " at write " << k);
            const fs::path out = dir.Path() / "out";
            fs::remove_all(out);
            fs::create_directory(out);
            for (const auto& name : names) dir.Write("out/" + name, test::Bytes("earlier " + name));

            test::Faults faults;
            (fullDisk ? faults.fullDiskAt : faults.failWriteAt) = k;
            test::FaultyFileLayer files(faults);
            engine::LockedDocument document(files);
            ASSERT_EQ(document.Load(nullptr, path), Result::Ok);
            ASSERT_EQ(document.Compress(nullptr), Result::Ok);
            const publish::PublicationOutcome outcome = test::PublishInto(
                PageOf(document, path), Options(), out.string(), nullptr,
                publish::PublicationWriter(files, publish::ResourceSource::Embedded(), ids));
            const Result saved = outcome.result;
            EXPECT_EQ(test::Entries(out), names) << "no temporary file is left";
            for (const auto& name : names) {
                const auto now = test::ReadAll((out / name).string());
                EXPECT_TRUE(now == test::Bytes("earlier " + name) || now == fresh[name]) << name;
            }
            if (k <= dataWrites) {
                EXPECT_EQ(saved, Result::CannotCreate);
                EXPECT_EQ(outcome.failedFile, "");
                continue;
            }
            EXPECT_EQ(saved, fullDisk ? Result::FileDiskFull : Result::FileHardIo);
            // The page named is the first one of the set still not written.
            std::string unwritten;
            for (const char* name : {"index.html", "decoder.htm", "decoder.jar"}) {
                if (test::ReadAll((out / name).string()) != fresh[name]) {
                    unwritten = (out / name).string();
                    break;
                }
            }
            EXPECT_EQ(outcome.failedFile, unwritten);
        }
    }
}

// A real filesystem that fills up: a small tmpfs, where the system lets us
// mount one (root in a private namespace or a CI runner).
class FullDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        mountPoint_ = dir_.Path() / "small";
        fs::create_directory(mountPoint_);
        if (::geteuid() != 0 ||
            ::mount("tmpfs", mountPoint_.c_str(), "tmpfs", 0, "size=96k") != 0) {
            GTEST_SKIP() << "cannot mount a small filesystem here";
        }
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) ::umount(mountPoint_.c_str());
    }

    test::TempDir dir_;
    fs::path mountPoint_;
    bool mounted_ = false;
};

TEST_F(FullDiskTest, AFullDiskIsReportedAndTheEarlierSetStays) {
    // Random bytes hardly compress: a data file of about 200 KB cannot fit.
    const auto big = test::RandomBytes(200 * 1024, 32);
    const std::string path = dir_.Write("page.html", big);
    const std::string out = (mountPoint_ / "site").string();
    fs::create_directory(out);
    const std::vector<std::uint8_t> earlier = test::Bytes("an earlier data file");
    dir_.Write("small/site/page.zvk", earlier);

    engine::LockedDocument document(engine::FileLayer::System());
    ASSERT_EQ(document.Load(nullptr, path), Result::Ok);
    ASSERT_EQ(document.Compress(nullptr), Result::Ok);
    EXPECT_EQ(test::PublishInto(PageOf(document, path), Options(), out, nullptr).result,
              Result::CannotCreate);
    EXPECT_EQ(test::ReadAll(out + "/page.zvk"), earlier);
    const std::vector<std::string> left = {"page.zvk"};
    EXPECT_EQ(test::Entries(out), left) << "no temporary file is left behind";

    // A small page fits: the same document saves once there is room.
    const auto small = test::HtmlPage(2000, 33);
    const std::string smallPath = dir_.Write("small.html", small);
    ASSERT_EQ(document.Load(nullptr, smallPath), Result::Ok);
    ASSERT_EQ(document.Compress(nullptr), Result::Ok);
    EXPECT_EQ(test::PublishInto(PageOf(document, smallPath), Options(), out, nullptr).result,
              Result::Published);
}

// The data file fits, the decoder page does not: the system's "no space"
// reaches the user as the full-disk message naming that page.
TEST_F(FullDiskTest, APageThatDoesNotFitNamesItself) {
    const std::string out = (mountPoint_ / "site").string();
    fs::create_directory(out);
    // Room for the small data file and loader page (a 4 KiB page of the
    // filesystem each) and one more: decoder.htm is larger than that.
    struct statvfs fsStat {};
    ASSERT_EQ(::statvfs(mountPoint_.c_str(), &fsStat), 0);
    const std::uint64_t room = std::uint64_t{fsStat.f_bavail} * fsStat.f_frsize;
    ASSERT_GT(room, 3u * 4096);
    dir_.Write("small/filler", std::vector<std::uint8_t>(room - 3 * 4096, 'x'));

    const std::string path = dir_.Write("page.html", test::HtmlPage(1500, 35));
    engine::LockedDocument document(engine::FileLayer::System());
    ASSERT_EQ(document.Load(nullptr, path), Result::Ok);
    ASSERT_EQ(document.Compress(nullptr), Result::Ok);
    const publish::PublicationOutcome outcome =
        test::PublishInto(PageOf(document, path), Options(), out, nullptr);
    EXPECT_EQ(outcome.result, Result::FileDiskFull);
    EXPECT_EQ(outcome.failedFile, out + "/decoder.htm");
    const std::vector<std::string> written = {"page.html", "page.zvk"};
    EXPECT_EQ(test::Entries(out), written) << "no temporary file is left behind";
}

}  // namespace
}  // namespace nemora
