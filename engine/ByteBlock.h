#pragma once

#include <cstdint>
#include <memory>

namespace nemora::engine {

// A byte count and the bytes it owns. The count never exceeds the storage:
// a block without storage counts 0 bytes.
class ByteBlock {
public:
    ByteBlock() = default;
    virtual ~ByteBlock();

    ByteBlock(const ByteBlock&) = delete;
    ByteBlock& operator=(const ByteBlock&) = delete;

    std::uint32_t Count() const { return count_; }
    std::uint8_t* Bytes() { return bytes_.get(); }
    const std::uint8_t* Bytes() const { return bytes_.get(); }

    // Frees the storage; the block is then empty.
    void Release();

protected:
    // Replaces the storage by `count` new bytes (contents undefined). Returns
    // false, leaving the block empty, when the memory cannot be had.
    bool Allocate(std::uint32_t count);

    // Changes the storage to `count` bytes, keeping the first min(old, new)
    // of them. A large block shrinks where it lies, without a second copy of
    // it in memory. Returns false, leaving the block as it was, when the
    // memory cannot be had.
    bool Resize(std::uint32_t count);

    // Changes the count within the current storage (the caller knows its size).
    void SetCount(std::uint32_t count) { count_ = count; }

private:
    struct Free {
        void operator()(std::uint8_t* bytes) const;
    };
    std::unique_ptr<std::uint8_t, Free> bytes_;
    std::uint32_t count_ = 0;
};

}  // namespace nemora::engine
