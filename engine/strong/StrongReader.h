#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "engine/StreamReader.h"
#include "engine/strong/StrongFormat.h"
#include "engine/strong/StrongKey.h"

namespace nemora::engine::strong {

// Gets a page back from a strong-lock container. The header is checked
// whole before any key is derived or asked for; then the key check tells a
// wrong password (WrongPassword) from a damaged container (DataCorrupt: a
// failing tag, or a plain stream that does not check); DataTruncated when
// the container is shorter than header and tag; KeyNotDerived when the key
// cannot be had (the memory for the derivation, say); ReadFailed when the
// page's memory cannot be had.
class StrongReader {
public:
    // Gives the key for a header that checked, or nullopt.
    using KeySource = std::function<std::optional<StrongKey>(const ContainerHeader& header)>;

    // True when the data begins with the container's magic.
    static bool IsContainer(const std::uint8_t* data, std::size_t size);

    // Derives the key from the header's salt and parameters.
    static UnlockedPage Read(const std::uint8_t* data, std::size_t size,
                             std::string_view passwordUtf8);
    // With a key derived before (one run's key, or a remembered one).
    static UnlockedPage Read(const std::uint8_t* data, std::size_t size, const StrongKey& key);
    // With a key found for the header, e.g. a remembered key looked up by
    // the header's salt.
    static UnlockedPage Read(const std::uint8_t* data, std::size_t size, const KeySource& keyFor);
};

}  // namespace nemora::engine::strong
