#include "engine/PageCipher.h"

#include <cassert>

#include "engine/StreamFormat.h"

namespace nemora::engine {
namespace {

constexpr std::size_t kProgressStep = 1024;
constexpr std::uint32_t kUnitsPerStep = 4;

}  // namespace

Result PageCipher::Encipher(std::uint8_t* data, std::size_t size, ProgressSink* sink) const {
    return Pass(data, size, sink, false);
}

Result PageCipher::Decipher(std::uint8_t* data, std::size_t size, ProgressSink* sink) const {
    return Pass(data, size, sink, true);
}

Result PageCipher::Pass(std::uint8_t* data, std::size_t size, ProgressSink* sink,
                        bool decipher) const {
    assert(size % format::kBlockSize == 0);
    bool stopped = false;
    for (std::size_t done = format::kBlockSize; done <= size; done += format::kBlockSize) {
        std::uint8_t* block = data + done - format::kBlockSize;
        if (decipher) {
            des_.Decipher(block);
        } else {
            des_.Encipher(block);
        }
        if (sink != nullptr && done % kProgressStep == 0 && !sink->Report(kUnitsPerStep, 0)) {
            stopped = true;
        }
    }
    return stopped ? Result::EncryptStopped : Result::Ok;
}

}  // namespace nemora::engine
