#include "engine/CharCodeBlock.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "engine/PageCipher.h"
#include "engine/StreamFormat.h"

namespace nemora::engine {

CharCodeBlock::CharCodeBlock() {
    if (!Allocate(StreamFormat::kMaxCharCodeBlock)) throw std::bad_alloc();
    SetCount(0);
}

void CharCodeBlock::SetName(std::string_view given) {
    // A reader ends the name at its first zero byte; bytes after one would
    // be taken for the body and spoil the whole file.
    const std::string_view name = given.substr(0, given.find('\0'));
    const std::size_t length = StreamFormat::CharCodeBlockLength(name.size());
    const std::size_t copied = std::min(name.size(), length);
    std::memcpy(Bytes(), name.data(), copied);
    std::memset(Bytes() + copied, 0, length - copied);
    SetCount(static_cast<std::uint32_t>(length));
}

Result CharCodeBlock::Write(OutputFile& file, const Key* key) const {
    if (Count() == 0) return Result::Ok;
    if (key == nullptr) return file.Write(Bytes(), Count()) ? Result::Ok : Result::CannotCreate;
    std::array<std::uint8_t, StreamFormat::kMaxCharCodeBlock> enciphered{};
    std::memcpy(enciphered.data(), Bytes(), Count());
    (void)PageCipher(*key).Encipher(enciphered.data(), Count(), nullptr);
    return file.Write(enciphered.data(), Count()) ? Result::Ok : Result::CannotCreate;
}

}  // namespace nemora::engine
