#include "engine/LockBuffer.h"

#include "engine/PageCompressor.h"
#include "engine/StreamFormat.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace nemora::engine {

bool LockBuffer::IsEnciphered() const {
    return Bytes() != nullptr && StreamSize() >= format::kHeaderSize && !format::HasMagic(Bytes());
}

Result LockBuffer::AssignPage(const std::uint8_t* page, std::size_t length) {
    Release();
    pageSize_ = 0;
    if (length > format::kMaxPageLength) return Result::ReadFailed;
    const auto pageLength = static_cast<std::uint32_t>(length);
    if (!Allocate(pageLength + static_cast<std::uint32_t>(format::kHeaderSize))) {
        return Result::ReadFailed;
    }
    if (length != 0) std::memcpy(Bytes() + format::kHeaderSize, page, length);
    format::WriteHeader(Bytes(), pageLength);
    pageSize_ = pageLength;
    return Result::Ok;
}

Result LockBuffer::Compress(ProgressSink* sink) {
    if (Bytes() == nullptr || StreamSize() <= format::kHeaderSize) return Result::CompressFailed;

    std::uint8_t* page = Bytes() + format::kHeaderSize;
    const std::uint32_t pageLength = StreamSize() - static_cast<std::uint32_t>(format::kHeaderSize);
    std::uint32_t tokenLength = 0;
    const Result result = PageCompressor().Run(page, pageLength, sink, tokenLength);
    if (result != Result::Ok) return result;

    // The tokens now stand at the start of the old page; move them with the
    // header into a buffer of the final size, spaces making up the last block.
    const std::size_t bodyLength = format::PaddedLength(tokenLength);
    const std::size_t streamSize = format::kHeaderSize + bodyLength;
    std::unique_ptr<std::uint8_t[]> stream(new (std::nothrow) std::uint8_t[streamSize]);
    if (!stream) return Result::CompressFailed;
    std::memcpy(stream.get(), Bytes(), format::kHeaderSize);
    std::memcpy(stream.get() + format::kHeaderSize, page, tokenLength);
    std::memset(stream.get() + format::kHeaderSize + tokenLength, format::kPadding,
                bodyLength - tokenLength);
    Adopt(std::move(stream), static_cast<std::uint32_t>(streamSize));
    return Result::Ok;
}

}  // namespace nemora::engine
