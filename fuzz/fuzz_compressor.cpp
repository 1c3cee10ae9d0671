// Property: the in-place compressor writes exactly the bytes of the plain
// reference compressor, for every page (zero bytes are made 1, since a page
// with a zero byte is refused before its body matters).

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/LockBuffer.h"
#include "tests/support/ReferenceCompressor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<std::uint8_t> page(data, data + size);
    for (auto& b : page) b = b == 0 ? 1 : b;

    nemora::engine::LockBuffer buffer;
    if (buffer.AssignPage(page.data(), page.size()) != nemora::engine::Result::Ok) return 0;
    if (buffer.Compress(nullptr) != nemora::engine::Result::Ok) std::abort();
    const std::vector<std::uint8_t> body(buffer.Bytes() + 8, buffer.Bytes() + buffer.StreamSize());
    if (body != nemora::test::ReferenceCompress(page)) std::abort();
    return 0;
}
