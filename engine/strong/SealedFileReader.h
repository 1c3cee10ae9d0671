#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/ResultCode.h"
#include "engine/strong/SealedKeys.h"

namespace nemora::engine::strong {

// Opens the files of a sealed site under one run's content key.
class SealedFileReader {
public:
    explicit SealedFileReader(const SealedKeys& keys) : keys_(keys) {}

    // True when the data begins with a sealed file's magic.
    static bool IsSealedFile(const std::uint8_t* data, std::size_t size);

    // Gives back the payload of a file sealed for `relativePath`.
    // DataTruncated when the file is shorter than header and tag;
    // DataCorrupt for another magic or version, a failing tag (another key,
    // another path, any byte changed: a file sealed under no key of this run
    // cannot be told from a damaged one) or a payload that does not
    // decompress exactly; ReadFailed when the memory cannot be had. `payload`
    // is empty unless Ok.
    Result Open(const std::uint8_t* data, std::size_t size, std::string_view relativePath,
                std::vector<std::uint8_t>& payload) const;

private:
    SealedKeys keys_;
};

}  // namespace nemora::engine::strong
