#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/ByteBlock.h"
#include "engine/InputFile.h"
#include "engine/OutputFile.h"
#include "engine/PageCompressor.h"
#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"

namespace nemora::engine {

// The stream buffer: the 8-byte header at offset 0, followed by the page
// (once loaded) or the compressed body (once compressed). Header and body are
// always enciphered together, in one pass over the whole buffer.
class LockBuffer : public ByteBlock {
public:
    std::uint32_t StreamSize() const { return Count(); }

    // The page length N: 0 until a page has been taken in.
    std::uint32_t PageSize() const { return pageSize_; }

    // A buffer is plain while its first four bytes read "KZUT".
    bool IsEnciphered() const;

    // Takes in a page: the plain header followed by a copy of the page bytes.
    // ReadFailed when the memory cannot be had or the page is longer than the
    // header's page length can state; the buffer is then empty.
    Result AssignPage(const std::uint8_t* page, std::size_t length);

    // Reads a page of `length` bytes from `file` behind a new plain header, in
    // pieces of 1,024 bytes, reporting 1 unit with no text after each whole
    // piece. ReadFailed when the memory cannot be had, the page is longer than
    // the header can state, or a read fails or comes back short; LoadStopped
    // when the sink answers stop. After a failure the buffer holds no usable
    // page and PageSize is 0.
    Result Load(ProgressSink* sink, InputFile& file, std::uint64_t length);

    // Write the 8 header bytes, and the bytes after them in pieces of 1,024,
    // reporting 1 unit with no text after each whole piece of the body.
    // CannotCreate on a write error, EncryptStopped when the sink answers stop.
    Result WriteHeader(OutputFile& file) const;
    Result WriteBody(ProgressSink* sink, OutputFile& file) const;

    // Compresses the page in place into the body and shrinks the buffer to
    // header + padded body (see PageCompressor). Call once, on a plain buffer
    // that holds a page. After a failure other than "nothing loaded" the buffer
    // holds no usable page.
    Result Compress(ProgressSink* sink, const CompressorOptions& options = {});

private:
    // Drops the old stream and allocates header + page; ReadFailed when the
    // page cannot be stated in the header or the memory cannot be had.
    Result Replace(std::uint64_t pageLength);
    // Writes the plain header once the page bytes are in place.
    void Complete(std::uint32_t pageLength);

    std::uint32_t pageSize_ = 0;
};

}  // namespace nemora::engine
