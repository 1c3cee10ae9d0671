#include "engine/StreamReader.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/PageCipher.h"
#include "engine/StreamFormat.h"
#include "engine/TokenCodec.h"

namespace nemora::engine {
namespace {

constexpr std::size_t kBlockSize = StreamFormat::kBlockSize;

// Decodes the whole stream; `cipher` is empty for a plain stream.
class Decoder {
public:
    Decoder(const std::uint8_t* data, std::size_t size, const PageCipher* cipher)
        : data_(data), size_(size), cipher_(cipher) {}

    UnlockedPage Decode() {
        UnlockedPage result;
        result.status = DecodeInto(result);
        if (result.status != Result::Ok) result.page.clear();
        return result;
    }

private:
    // Copies the next block, deciphered; false at the end of the data.
    bool NextBlock(std::uint8_t* block) {
        if (size_ - offset_ < kBlockSize) return false;
        std::memcpy(block, data_ + offset_, kBlockSize);
        offset_ += kBlockSize;
        if (cipher_ != nullptr) cipher_->DecipherBlock(block);
        return true;
    }

    Result DecodeInto(UnlockedPage& result) {
        std::uint8_t header[kBlockSize];
        if (!NextBlock(header)) return Result::DataTruncated;
        if (!StreamFormat::HasMagic(header)) return Result::WrongPassword;
        const std::uint32_t pageLength = StreamFormat::ReadPageLength(header);
        if (pageLength == 0) return Result::DataCorrupt;

        if (Result status = ReadName(result.encodingName); status != Result::Ok) {
            return status;
        }

        // Every body byte is needed before the page is complete; refuse a
        // length the remaining data could never produce before allocating it.
        const std::size_t bodyLength = (size_ - offset_) / kBlockSize * kBlockSize;
        constexpr std::size_t kMostPerByte =
            StreamFormat::kLongestCopy / StreamFormat::kCopyTokenSize;
        if (pageLength > kMostPerByte * bodyLength) {
            return Result::DataTruncated;
        }
        std::vector<std::uint8_t> body(bodyLength);
        for (std::size_t at = 0; at < bodyLength; at += kBlockSize) NextBlock(body.data() + at);

        result.page.reserve(pageLength);
        return DecodeBody(body, pageLength, result.page);
    }

    Result ReadName(std::string& name) {
        for (std::size_t blocks = 0; blocks < StreamFormat::kMaxCharCodeBlock / kBlockSize;
             ++blocks) {
            std::uint8_t block[kBlockSize];
            if (!NextBlock(block)) return Result::DataTruncated;
            const auto* end = std::find(block, block + kBlockSize, std::uint8_t{0});
            name.append(reinterpret_cast<const char*>(block),
                        static_cast<std::size_t>(end - block));
            if (end != block + kBlockSize) return Result::Ok;
        }
        return Result::Ok;
    }

    Result DecodeBody(const std::vector<std::uint8_t>& body, std::uint32_t pageLength,
                      std::vector<std::uint8_t>& page) const {
        std::size_t at = 0;
        while (page.size() < pageLength) {
            if (at >= body.size()) return Result::DataTruncated;
            if (!TokenCodec::IsCopy(body[at])) {
                page.push_back(body[at++]);
                continue;
            }
            if (body.size() - at < StreamFormat::kCopyTokenSize) return Result::DataTruncated;
            const std::size_t distance = TokenCodec::Distance(&body[at]);
            const std::size_t length = TokenCodec::Length(&body[at]);
            at += StreamFormat::kCopyTokenSize;
            if (distance == 0 || distance > StreamFormat::kWindow || distance > page.size() ||
                length < StreamFormat::kShortestCopy || length > StreamFormat::kLongestCopy ||
                length > distance || length > pageLength - page.size()) {
                return Result::DataCorrupt;
            }
            // length <= distance: the source lies wholly in the output already.
            const std::size_t from = page.size() - distance;
            for (std::size_t i = 0; i < length; ++i) page.push_back(page[from + i]);
        }

        // Spaces fill the last token's block; the stream ends with it.
        const std::size_t end = StreamFormat::PaddedLength(at);
        const bool padded = std::all_of(body.begin() + static_cast<std::ptrdiff_t>(at),
                                        body.begin() + static_cast<std::ptrdiff_t>(end),
                                        [](std::uint8_t b) { return b == StreamFormat::kPadding; });
        if (!padded || end != body.size() || offset_ != size_) return Result::DataCorrupt;
        return Result::Ok;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    const PageCipher* cipher_;
    std::size_t offset_ = 0;
};

}  // namespace

UnlockedPage StreamReader::Read(const std::uint8_t* data, std::size_t size) const {
    const PageCipher cipher(key_);
    return Decoder(data, size, &cipher).Decode();
}

UnlockedPage StreamReader::ReadPlain(const std::uint8_t* data, std::size_t size) {
    return Decoder(data, size, nullptr).Decode();
}

}  // namespace nemora::engine
