#pragma once

#include <cstddef>
#include <cstdint>

namespace nemora::engine {

// Constants of the locked data stream: an 8-byte header (magic, page length),
// the character-code block, and the compressed body. The stream is the
// contract with the browser-side decoders; none of these may change.
struct StreamFormat {
    // The cipher's block; every part is a multiple of it.
    static constexpr std::size_t kBlockSize = 8;

    // The magic, then the page length as 32-bit little-endian.
    static constexpr std::uint8_t kMagic[4] = {'K', 'Z', 'U', 'T'};
    static constexpr std::size_t kHeaderSize = 8;

    // The longest page the stream can carry: the header states the page
    // length in 32 bits, and the whole stream (header and padded body, which
    // is never longer than the page plus 7 bytes) must be countable in 32
    // bits as well.
    static constexpr std::size_t kMaxPageLength = 0xFFFFFFF0u - kHeaderSize;

    // A longer encoding name is cut, unterminated.
    static constexpr std::size_t kMaxCharCodeBlock = 256;

    static constexpr std::size_t kWindow = 32768;      // largest copy distance
    static constexpr std::size_t kLongestCopy = 128;   // a match this long ends the search
    static constexpr std::size_t kShortestCopy = 5;    // a copy token must save at least 1
    static constexpr std::size_t kCopyTokenSize = 4;   // 0x00, distance (16-bit LE), length
    static constexpr std::uint8_t kCopyMarker = 0x00;  // pages hold no zero byte
    static constexpr std::uint8_t kPadding = 0x20;     // fills the body up to a whole block

    // Length of the character-code block for a name of nameLength bytes: the
    // name and at least one terminating zero, rounded up to whole blocks, at
    // most 256.
    static constexpr std::size_t CharCodeBlockLength(std::size_t nameLength) {
        return nameLength >= kMaxCharCodeBlock ? kMaxCharCodeBlock
                                               : kBlockSize * (nameLength / kBlockSize + 1);
    }

    static constexpr std::size_t PaddedLength(std::size_t length) {
        return (length + kBlockSize - 1) / kBlockSize * kBlockSize;
    }

    static void WriteHeader(std::uint8_t* header, std::uint32_t pageLength);

    // True when the first four bytes read "KZUT" (a plain header).
    static bool HasMagic(const std::uint8_t* header);

    static std::uint32_t ReadPageLength(const std::uint8_t* header);
};

}  // namespace nemora::engine
