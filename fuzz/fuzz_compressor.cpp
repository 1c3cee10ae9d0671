// Property: the in-place compressor writes exactly the bytes of the plain
// reference compressor, for every page (zero bytes are made 1, since a page
// with a zero byte is refused before its body matters), on one thread and on
// several, with chunk and join sizes taken from the input so that small
// pages reach the joins, the failed joins and the chunk edges.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/LockBuffer.h"
#include "tests/support/ReferenceCompressor.h"

namespace {

std::vector<std::uint8_t> Body(const std::vector<std::uint8_t>& page,
                               const nemora::engine::CompressorOptions& options) {
    nemora::engine::LockBuffer buffer;
    if (buffer.AssignPage(page.data(), page.size()) != nemora::engine::Result::Ok) std::abort();
    if (buffer.Compress(nullptr, options) != nemora::engine::Result::Ok) std::abort();
    return {buffer.Bytes() + 8, buffer.Bytes() + buffer.StreamSize()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<std::uint8_t> page(data, data + size);
    for (auto& b : page) b = b == 0 ? 1 : b;

    const std::vector<std::uint8_t> reference = nemora::test::ReferenceCompress(page);
    nemora::engine::CompressorOptions one;
    one.threads = 1;
    if (Body(page, one) != reference) std::abort();

    nemora::engine::CompressorOptions many;
    many.threads = 2 + data[0] % 3;
    many.chunk = 16 + (std::uint32_t{data[size / 2]} * 7 + static_cast<std::uint32_t>(size)) % 2048;
    many.span = 1 + std::uint32_t{data[size - 1]} % 128 * 8;
    if (page.size() / many.chunk >= 2 && Body(page, many) != reference) std::abort();
    return 0;
}
