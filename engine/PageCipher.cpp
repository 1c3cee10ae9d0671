#include "engine/PageCipher.h"

#include <algorithm>
#include <cassert>

#include "engine/StreamFormat.h"

namespace nemora::engine {
namespace {

constexpr std::size_t kProgressStep = 1024;
constexpr std::uint32_t kUnitsPerStep = 4;
static_assert(kProgressStep % StreamFormat::kBlockSize == 0);

}  // namespace

Result PageCipher::Encipher(std::uint8_t* data, std::size_t size, ProgressSink* sink) const {
    return Pass(data, size, sink, false);
}

Result PageCipher::Decipher(std::uint8_t* data, std::size_t size, ProgressSink* sink) const {
    return Pass(data, size, sink, true);
}

Result PageCipher::Pass(std::uint8_t* data, std::size_t size, ProgressSink* sink,
                        bool decipher) const {
    assert(size % StreamFormat::kBlockSize == 0);
    // Each step's blocks go to the engine in one call, which lets it work on
    // several at once; the report still follows each full step.
    bool stopped = false;
    for (std::size_t at = 0; at < size; at += kProgressStep) {
        const std::size_t length = std::min(kProgressStep, size - at);
        if (decipher) {
            des_.Decipher(data + at, length / StreamFormat::kBlockSize);
        } else {
            des_.Encipher(data + at, length / StreamFormat::kBlockSize);
        }
        if (sink != nullptr && length == kProgressStep && !sink->Report(kUnitsPerStep, 0)) {
            stopped = true;
        }
    }
    return stopped ? Result::EncryptStopped : Result::Ok;
}

}  // namespace nemora::engine
