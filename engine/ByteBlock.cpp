#include "engine/ByteBlock.h"

#include <cstdlib>

namespace nemora::engine {

// malloc and realloc rather than new[]: realloc shrinks a page-sized buffer in
// place, and running out of memory is a result code, not an exception.
void ByteBlock::Free::operator()(std::uint8_t* bytes) const {
    std::free(bytes);
}

ByteBlock::~ByteBlock() = default;

void ByteBlock::Release() {
    bytes_.reset();
    count_ = 0;
}

bool ByteBlock::Allocate(std::uint32_t count) {
    Release();
    bytes_.reset(static_cast<std::uint8_t*>(std::malloc(count == 0 ? 1 : count)));
    if (!bytes_) return false;
    count_ = count;
    return true;
}

bool ByteBlock::Resize(std::uint32_t count) {
    void* resized = std::realloc(bytes_.get(), count == 0 ? 1 : count);
    if (resized == nullptr) return false;
    (void)bytes_.release();
    bytes_.reset(static_cast<std::uint8_t*>(resized));
    count_ = count;
    return true;
}

}  // namespace nemora::engine
