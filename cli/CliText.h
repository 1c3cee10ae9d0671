#pragma once

#include <cstdint>

namespace nemora::cli {

// The command line's own texts: their string-table ids (res/strings.txt).
// The engine's and the publication's messages are their result codes.
enum class CliText : std::uint32_t {
    PasswordPrompt = 40001,
    PasswordAgain = 40002,
    PasswordsDiffer = 40003,
    PasswordUnavailable = 40004,
    CannotWrite = 40008,
    ShortPassword = 40010,
    NotADataFile = 40011,
    DataFileTooLarge = 40012,
    SkippedDanglingLink = 40013,
    SkippedOutsideLink = 40014,
    SkippedLinkLoop = 40015,
    SkippedNotAFile = 40016,
    SiteAndOutputOverlap = 40017,
    SiteUnreadable = 40018,
    SiteSummary = 40019,
    SiteInterrupted = 40020,
    FromOutside = 42402,
    SkippedIntoOutput = 42404,
    // Messages of the window's string table that the command line shares.
    ReadFailed = 2001,
    CannotOpen = 2005,
};

}  // namespace nemora::cli
