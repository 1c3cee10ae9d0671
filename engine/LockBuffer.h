#pragma once

#include "engine/ByteBlock.h"
#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"

#include <cstddef>
#include <cstdint>

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

    // Compresses the page in place into the body and shrinks the buffer to
    // header + padded body (see PageCompressor). Call once, on a plain buffer
    // that holds a page. After a failure other than "nothing loaded" the buffer
    // holds no usable page.
    Result Compress(ProgressSink* sink);

protected:
    void SetPageSize(std::uint32_t pageSize) { pageSize_ = pageSize; }

private:
    std::uint32_t pageSize_ = 0;
};

}  // namespace nemora::engine
