// Property: the data-file reader never crashes or reads out of bounds,
// whatever bytes it is given, and a stream it accepts gives exactly the page
// length its header states.

#include <cstdint>
#include <cstdlib>

#include "engine/StreamFormat.h"
#include "engine/StreamReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nemora::engine;
    static const StreamReader reader(DeriveKey("fuzz"));
    for (const UnlockedPage& page :
         {reader.Read(data, size), StreamReader::ReadPlain(data, size)}) {
        if (page.status == Result::Ok && size >= StreamFormat::kHeaderSize) {
            if (page.page.empty() || page.encodingName.size() > StreamFormat::kMaxCharCodeBlock)
                std::abort();
        }
        if (page.status != Result::Ok && !page.page.empty()) std::abort();
    }
    const UnlockedPage plain = StreamReader::ReadPlain(data, size);
    if (plain.status == Result::Ok && plain.page.size() != StreamFormat::ReadPageLength(data))
        std::abort();
    return 0;
}
