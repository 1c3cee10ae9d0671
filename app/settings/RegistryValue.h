#pragma once

#include <cstdint>
#include <vector>

namespace nemora::app {

// One stored value: its type and its bytes, as the registry keeps them. The
// type numbers are the platform's, so a value keeps its type in either backend.
struct RegistryValue {
    static constexpr std::uint32_t kRegSz = 1;      // text with its terminating zero
    static constexpr std::uint32_t kRegBinary = 3;  // bytes
    static constexpr std::uint32_t kRegDword = 4;   // 32 bits, little-endian

    std::uint32_t type = kRegBinary;
    std::vector<std::uint8_t> data;

    bool operator==(const RegistryValue&) const = default;
};

}  // namespace nemora::app
