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
    SiteInterrupted = 40020,
    EncodingNotForClassic = 42100,
    EncodingUnknown = 42101,
    ClassicNotice = 42200,
    StrongFormOnly = 42201,
    ClassicPasswordHint = 42202,
    SameOptionTwice = 42203,
    SiteSummary = 42400,
    OutputNotWritable = 42401,
    FromOutside = 42402,
    Unreadable = 42403,
    SkippedIntoOutput = 42404,
    MirrorFolderNotMade = 42405,
    // Why the output cannot be written (%1 of the texts above).
    CausePermission = 42410,
    CauseReadOnly = 42411,
    CauseDiskFull = 42412,
    CauseFileInTheWay = 42413,
    // A page that cannot be opened: the frame, and the causes for its %1.
    PageCannotOpen = 42300,
    NoSuchFile = 42301,
    PermissionDenied = 42302,
    IsAFolder = 42303,
    NotARegularFile = 42304,
    EmptyFile = 42305,
    // An output folder that refuses new files, and the cause for its %1.
    FolderNotWritable = 42306,
    // What a lock would write over: the output file is the subject.
    OutputReplacesPage = 42310,
    OutputWrittenTwice = 42311,
    OutputNameTaken = 42312,
    // unlock given one of the published files that are no data file.
    LoaderPageNotData = 42320,
    DecoderPageNotData = 42321,
    StrongScriptNotData = 42322,
    LoaderPageNotDataUnnamed = 42323,
    CookieDaysAccepted = 42330,
    NoTerminal = 42340,
    PasswordsDifferAgain = 42341,
    // Messages of the window's string table that the command line shares.
    ReadFailed = 2001,
    CannotOpen = 2005,
};

}  // namespace nemora::cli
