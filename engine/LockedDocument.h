#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CharCodeBlock.h"
#include "engine/FileLayer.h"
#include "engine/Key.h"
#include "engine/LockBuffer.h"
#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"

namespace nemora::engine {

enum class DocumentState {
    Empty,       // nothing loaded yet
    Loaded,      // plain header and page
    Compressed,  // plain header and body
    Enciphered,  // header and body enciphered under the current key
    Unusable,    // reading or compressing a page failed: only a new Load helps
};

// One page on its way from its file to a data file: the stream buffer, the
// character-code block and the key derived from the password (never the
// password itself). The main window keeps one for its whole lifetime.
//
// Order of calls for one page: Load, then Compress if Load returned Ok; for
// each save Encrypt, then WriteDataFile if Encrypt returned Ok. The name
// block is set by SetCharCodeName (before the first Encrypt: a block never
// set is left out of the data file) and stays plain: WriteDataFile writes it
// enciphered under the stream's key.
//
// Progress: a load is a phase of 5 units per whole KiB of the page (1 while
// reading, 4 while compressing) with text Loading; a save of a plain stream 5 per
// KiB of the stream (4 enciphering, 1 writing), of an enciphered stream whose
// password changed 9 (4 deciphering too), of one whose password did not 1
// (writing only), with text Encrypting, and Writing once writing starts.
class LockedDocument {
public:
    // Reads and writes through `files`.
    explicit LockedDocument(FileLayer& files);
    // Wipes the key: it opens every page saved with the same password.
    ~LockedDocument();
    LockedDocument(const LockedDocument&) = delete;
    LockedDocument& operator=(const LockedDocument&) = delete;

    // Reads a page file. CannotOpen when it cannot be opened or is empty;
    // ReadFailed when it cannot be read whole, is too long for the stream's
    // 32-bit page length, or the memory cannot be had; LoadStopped on a stop.
    // Until the first byte is read (a file that cannot be opened, a stop at
    // the phase start) the page loaded before stays as it was.
    Result Load(ProgressSink* sink, const std::string& path);

    // Compresses the loaded page. CompressFailed when nothing is loaded or the
    // memory for the result cannot be had; BrokenText at a zero byte;
    // LoadStopped on a stop.
    Result Compress(ProgressSink* sink, const CompressorOptions& options = {});

    // Enciphers the stream and the name block for a save. A stream enciphered
    // at an earlier save is deciphered and enciphered again when the password
    // changed, and left as it is otherwise. EncryptStopped on a stop; a cipher
    // pass that was asked to stop still finishes its buffer, so the stream is
    // always wholly plain or wholly enciphered and a save can be repeated.
    Result Encrypt(ProgressSink* sink, std::optional<std::string_view> password,
                   bool passwordChanged);

    // Deciphers the stream with the key of `password`, or with the current key
    // when none is given. No phase start is reported.
    Result Decrypt(ProgressSink* sink, std::optional<std::string_view> password);

    // Writes header, name block and body to `path`. CannotCreate when the file
    // cannot be created or written; EncryptStopped on a stop. The file appears
    // under its name only when it is complete: after a failure or a stop an
    // earlier file of that name is left as it was.
    Result WriteDataFile(ProgressSink* sink, const std::string& path);

    // The plain stream for the strong lock: header, name block and body as
    // WriteDataFile writes them, but never enciphered. A stream enciphered at
    // an earlier save is deciphered in the copy only: the document stays as
    // it is. CompressFailed, with `out` empty, when no page is compressed or
    // the memory cannot be had.
    Result PlainStream(std::vector<std::uint8_t>& out) const;

    // The page's bytes as read, from Load until Compress puts the body in
    // their place; empty in any other state. A caller that names the page's
    // encoding from its bytes looks here in between.
    std::span<const std::uint8_t> Page() const;

    // Sets the name block from the page's encoding name.
    void SetCharCodeName(std::string_view name);

    std::uint32_t PageSize() const { return stream_.PageSize(); }
    std::uint32_t DataSize() const { return stream_.StreamSize() + charCode_.Count(); }
    DocumentState State() const { return state_; }

private:
    Result EncipherStream(ProgressSink* sink);

    FileLayer& files_;
    LockBuffer stream_;
    CharCodeBlock charCode_;
    Key key_{};
    DocumentState state_ = DocumentState::Empty;
};

}  // namespace nemora::engine
