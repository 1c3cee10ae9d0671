#include "engine/ByteBlock.h"

#include <new>
#include <utility>

namespace nemora::engine {

ByteBlock::~ByteBlock() = default;

void ByteBlock::Release() {
    bytes_.reset();
    count_ = 0;
}

bool ByteBlock::Allocate(std::uint32_t count) {
    Release();
    // Page-sized buffers can be large: running out of memory is a result
    // code for the caller, not an exception.
    bytes_.reset(new (std::nothrow) std::uint8_t[count == 0 ? 1 : count]);
    if (!bytes_) return false;
    count_ = count;
    return true;
}

void ByteBlock::Adopt(std::unique_ptr<std::uint8_t[]> bytes, std::uint32_t count) {
    bytes_ = std::move(bytes);
    count_ = bytes_ ? count : 0;
}

}  // namespace nemora::engine
