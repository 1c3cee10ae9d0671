#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace nemora::publish {

// 16 bytes of a new identifier, laid out like the platform's identifier
// structure in memory: a 32-bit field and two 16-bit fields, each
// little-endian, then 8 bytes.
using Identifier = std::array<std::uint8_t, 16>;

class IdentifierSource {
public:
    virtual ~IdentifierSource() = default;
    // A new identifier, or nothing when the system cannot make one.
    virtual std::optional<Identifier> NewIdentifier() = 0;

    // New random identifiers from the system (libuuid).
    static IdentifierSource& System();
};

}  // namespace nemora::publish
