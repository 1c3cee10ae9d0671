// Property: the strong container's reader never crashes or reads out of
// bounds, whatever bytes it is given, and opens only what checks. With one
// fixed key (derived once: a derivation per input would leave no time to
// fuzz), each input is taken three ways:
//  - as a header: one that parses writes back to the same 72 bytes;
//  - as a container: refused with an empty page, or opened to a page;
//  - as the plain stream inside a container sealed under the key, so that
//    the reading after a verified tag is reached: it opens to exactly what
//    the plain reader makes of the stream, and is refused as damaged where
//    that refuses.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/StreamReader.h"
#include "engine/strong/StrongFormat.h"
#include "engine/strong/StrongKey.h"
#include "engine/strong/StrongReader.h"
#include "engine/strong/StrongSealer.h"

namespace {

using namespace nemora::engine;
using namespace nemora::engine::strong;

const StrongKey& FixedKey() {
    static const StrongKey key = [] {
        const auto derived =
            StrongKey::Derive("fuzz", SaltBytes{}, {kLeastMemoryKiB, kLeastPasses, kLanes});
        if (!derived) std::abort();
        return *derived;
    }();
    return key;
}

void CheckHeader(const std::uint8_t* data, std::size_t size) {
    ContainerHeader header;
    if (ParseHeader(data, size, header) != Result::Ok) return;
    std::uint8_t written[kHeaderSize];
    WriteHeader(header, written);
    if (!std::equal(written, written + kHeaderSize, data)) std::abort();
}

void CheckContainer(const std::uint8_t* data, std::size_t size) {
    const UnlockedPage page = StrongReader::Read(data, size, FixedKey());
    if (page.status != Result::Ok && !page.page.empty()) std::abort();
    if (page.status == Result::Ok && (page.page.empty() || !StrongReader::IsContainer(data, size)))
        std::abort();
}

void CheckSealedStream(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> container;
    if (StrongSealer(FixedKey()).Seal(data, size, container) != Result::Ok) std::abort();
    const UnlockedPage opened = StrongReader::Read(container.data(), container.size(), FixedKey());
    const UnlockedPage plain = StreamReader::ReadPlain(data, size);
    if (plain.status == Result::Ok) {
        if (opened.status != Result::Ok || opened.page != plain.page ||
            opened.encodingName != plain.encodingName)
            std::abort();
    } else if (opened.status != Result::DataCorrupt || !opened.page.empty()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckHeader(data, size);
    CheckContainer(data, size);
    CheckSealedStream(data, size);
    return 0;
}
