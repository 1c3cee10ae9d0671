#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/ResultCode.h"

namespace nemora::publish {

// What a file given as a page to lock turns out to be, told from its first
// bytes before it is loaded: a page, or something that locking would only
// spoil. The program's own output is known by the code it carries, in
// either page language and with or without the comments, not by its name;
// other files that are no text by the signatures of common binary formats.
class InputPage {
public:
    enum class Kind {
        Page,          // anything else: loaded as it is
        NotText,       // begins like an image, an archive, a document or a program
        LoaderPage,    // the default form's loader page
        DecoderPage,   // the default form's decoder.htm
        StrongPage,    // a page locked with the strong form
        StrongScript,  // the strong form's nemora-strong.js
    };

    // Why a file cannot be opened as a page.
    enum class Problem {
        None,
        Missing,       // no such file (or a folder on its path is missing)
        NoPermission,  // the file or a folder on its path may not be read
        Folder,        // a folder, not a file
        NotAFile,      // a device, a pipe or a socket
        Empty,         // no bytes
        Other,         // another system error: `systemError` tells it
    };

    struct Inspection {
        Problem problem = Problem::None;
        int systemError = 0;  // errno of a failed open, for Problem::Other
        Kind kind = Kind::Page;
    };

    // Enough for every marker of the program's own files, which stand in the
    // first few KiB (nemora-strong.js: at its start).
    static constexpr std::size_t kInspectedBytes = 64 * 1024;

    // The kind of the file whose bytes begin with `head`.
    static Kind Classify(std::span<const std::uint8_t> head);

    // Opens `path` (a regular file, without waiting on a pipe), reads up to
    // kInspectedBytes and classifies them.
    static Inspection Inspect(const std::string& path);

    // The result that refuses a page of this kind, Ok for Kind::Page.
    static engine::Result Refusal(Kind kind);

    // The data file a loader page reads, as a path from the loader page's
    // folder (its urlSource, which is relative to the decoder page named by
    // urlDecoder, URL escapes undone); nothing when `page` names none.
    static std::optional<std::string> LoaderDataFile(std::span<const std::uint8_t> page);
};

}  // namespace nemora::publish
