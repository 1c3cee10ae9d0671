#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "engine/posix/DurableFileLayer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace nemora::engine::posix {
namespace {

namespace fs = std::filesystem;

TEST(DurableFileLayerTest, ReplacesWholeOrNotAtAll) {
    test::TempDir dir;
    const std::string path = dir.Write("page.zvk", test::Bytes("earlier"));
    DurableFileLayer files;
    {
        const auto abandoned = files.CreateReplacing(path);
        ASSERT_TRUE(abandoned);
        ASSERT_TRUE(abandoned->Write(test::Bytes("half").data(), 4));
    }
    EXPECT_EQ(test::ReadAll(path), test::Bytes("earlier"));
    const auto file = files.CreateReplacing(path);
    ASSERT_TRUE(file);
    const auto fresh = test::Bytes("the new data file");
    ASSERT_TRUE(file->Write(fresh.data(), fresh.size()));
    ASSERT_TRUE(file->Commit());
    EXPECT_EQ(test::ReadAll(path), fresh);
    EXPECT_EQ(test::Entries(dir.Path()), std::vector<std::string>{"page.zvk"})
        << "no temporary left";
    // Readable by a web server, whatever mkstemp would have given.
    EXPECT_NE(fs::status(path).permissions() & fs::perms::others_read, fs::perms::none);
}

TEST(DurableFileLayerTest, ReadsOnlyRegularFiles) {
    test::TempDir dir;
    const std::string pipe = dir.File("pipe.html");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    DurableFileLayer files;
    for (const std::string& path :
         {pipe, dir.Path().string(), std::string("/dev/zero"), dir.File("missing.html")}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(files.OpenForReading(path));  // and a pipe does not block the open
    }
    const auto page = test::HtmlPage(3000, 3);
    const auto input = files.OpenForReading(dir.Write("page.html", page));
    ASSERT_TRUE(input);
    EXPECT_EQ(input->Length(), page.size());
    std::vector<std::uint8_t> read(page.size());
    EXPECT_EQ(input->Read(read.data(), read.size()), page.size());
    EXPECT_EQ(read, page);
}

}  // namespace
}  // namespace nemora::engine::posix
