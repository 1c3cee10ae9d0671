#include "engine/LockBuffer.h"

#include <cstring>

#include "engine/PageCompressor.h"
#include "engine/StreamFormat.h"

namespace nemora::engine {
namespace {

// Files are read and written in pieces of this size so that a progress
// report can follow each piece.
constexpr std::uint32_t kPieceSize = 1024;

// A read that fails or comes back short both mean the page cannot be had.
bool ReadExactly(InputFile& file, std::uint8_t* into, std::size_t size) {
    const std::optional<std::size_t> got = file.Read(into, size);
    return got && *got == size;
}

}  // namespace

bool LockBuffer::IsEnciphered() const {
    return Bytes() != nullptr && StreamSize() >= StreamFormat::kHeaderSize &&
           !StreamFormat::HasMagic(Bytes());
}

Result LockBuffer::Replace(std::uint64_t pageLength) {
    Release();
    pageSize_ = 0;
    if (pageLength > StreamFormat::kMaxPageLength) return Result::ReadFailed;
    const auto streamSize = static_cast<std::uint32_t>(pageLength + StreamFormat::kHeaderSize);
    return Allocate(streamSize) ? Result::Ok : Result::ReadFailed;
}

void LockBuffer::Complete(std::uint32_t pageLength) {
    StreamFormat::WriteHeader(Bytes(), pageLength);
    pageSize_ = pageLength;
}

Result LockBuffer::AssignPage(const std::uint8_t* page, std::size_t length) {
    if (Result result = Replace(length); result != Result::Ok) return result;
    if (length != 0) std::memcpy(Bytes() + StreamFormat::kHeaderSize, page, length);
    Complete(static_cast<std::uint32_t>(length));
    return Result::Ok;
}

Result LockBuffer::Load(ProgressSink* sink, InputFile& file, std::uint64_t length) {
    if (Result result = Replace(length); result != Result::Ok) return result;
    const auto pageLength = static_cast<std::uint32_t>(length);
    std::uint8_t* page = Bytes() + StreamFormat::kHeaderSize;
    const std::uint32_t pieces = pageLength / kPieceSize;
    for (std::uint32_t i = 0; i < pieces; ++i) {
        if (!ReadExactly(file, page + std::size_t{i} * kPieceSize, kPieceSize)) {
            return Result::ReadFailed;
        }
        if (!ReportTo(sink, 1, 0)) return Result::LoadStopped;
    }
    const std::uint32_t rest = pageLength % kPieceSize;
    if (rest != 0 && !ReadExactly(file, page + std::size_t{pieces} * kPieceSize, rest)) {
        return Result::ReadFailed;
    }

    Complete(pageLength);
    return Result::Ok;
}

Result LockBuffer::WriteHeader(OutputFile& file) const {
    if (StreamSize() < StreamFormat::kHeaderSize) return Result::Ok;
    return file.Write(Bytes(), StreamFormat::kHeaderSize) ? Result::Ok : Result::CannotCreate;
}

Result LockBuffer::WriteBody(ProgressSink* sink, OutputFile& file) const {
    if (StreamSize() <= StreamFormat::kHeaderSize) return Result::Ok;
    const std::uint8_t* body = Bytes() + StreamFormat::kHeaderSize;
    const std::uint32_t bodyLength =
        StreamSize() - static_cast<std::uint32_t>(StreamFormat::kHeaderSize);
    const std::uint32_t pieces = bodyLength / kPieceSize;
    for (std::uint32_t i = 0; i < pieces; ++i) {
        if (!file.Write(body + std::size_t{i} * kPieceSize, kPieceSize))
            return Result::CannotCreate;
        if (!ReportTo(sink, 1, 0)) return Result::EncryptStopped;
    }
    const std::uint32_t rest = bodyLength % kPieceSize;
    if (rest != 0 && !file.Write(body + std::size_t{pieces} * kPieceSize, rest)) {
        return Result::CannotCreate;
    }
    return Result::Ok;
}

Result LockBuffer::Compress(ProgressSink* sink, const CompressorOptions& options) {
    if (Bytes() == nullptr || StreamSize() <= StreamFormat::kHeaderSize)
        return Result::CompressFailed;

    std::uint8_t* page = Bytes() + StreamFormat::kHeaderSize;
    const std::uint32_t pageLength =
        StreamSize() - static_cast<std::uint32_t>(StreamFormat::kHeaderSize);
    std::uint32_t tokenLength = 0;
    const Result result = PageCompressor().Run(page, pageLength, sink, tokenLength, options);
    if (result != Result::Ok) return result;

    // The tokens now stand where the page began; the buffer takes the size of
    // header and padded body (shrinking in place), spaces making up the last
    // block. When the memory cannot be had the old buffer stays.
    const std::size_t bodyLength = StreamFormat::PaddedLength(tokenLength);
    if (!Resize(static_cast<std::uint32_t>(StreamFormat::kHeaderSize + bodyLength))) {
        return Result::CompressFailed;
    }
    std::memset(Bytes() + StreamFormat::kHeaderSize + tokenLength, StreamFormat::kPadding,
                bodyLength - tokenLength);
    return Result::Ok;
}

}  // namespace nemora::engine
