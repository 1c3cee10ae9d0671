#include <gtest/gtest.h>

#include "app/mainwindow/PathEllipsis.h"

namespace nemora::app {
namespace {

// One unit per character (UTF-8 lead byte).
int Characters(const std::string& text) {
    int count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

TEST(PathEllipsisTest, KeepsTheLastComponentWhole) {
    const struct {
        const char* path;
        int width;
        const char* shown;
    } cases[] = {
        {"/home/ann/site/index.html", 25, "/home/ann/site/index.html"},  // fits
        {"/home/ann/site/index.html", 24, "/home/ann/.../index.html"},
        {"/home/ann/site/index.html", 17, "/ho.../index.html"},
        {"/home/ann/site/index.html", 15, "/.../index.html"},
        {"/home/ann/site/index.html", 14, ".../index.html"},  // only the name fits
        {"/home/ann/site/index.html", 5, ".../index.html"},   // not even that: the name stays
        {"index.html", 4, "index.html"},                      // a bare name has no middle
        {"/home/ann/site/", 12, "/ho.../site/"},
        {"/データ/ページ/目次.html", 14, "/デー.../目次.html"},  // cut between characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + std::string(" at ") + std::to_string(c.width));
        EXPECT_EQ(PathEllipsis::Shorten(c.path, c.width, Characters), c.shown);
    }
}

}  // namespace
}  // namespace nemora::app
