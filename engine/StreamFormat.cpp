#include "engine/StreamFormat.h"

#include <cstring>

namespace nemora::engine {

void StreamFormat::WriteHeader(std::uint8_t* header, std::uint32_t pageLength) {
    std::memcpy(header, kMagic, sizeof kMagic);
    for (std::size_t i = 0; i < 4; ++i) {
        header[4 + i] = static_cast<std::uint8_t>(pageLength >> (8 * i));
    }
}

bool StreamFormat::HasMagic(const std::uint8_t* header) {
    return std::memcmp(header, kMagic, sizeof kMagic) == 0;
}

std::uint32_t StreamFormat::ReadPageLength(const std::uint8_t* header) {
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        length |= static_cast<std::uint32_t>(header[4 + i]) << (8 * i);
    }
    return length;
}

}  // namespace nemora::engine
