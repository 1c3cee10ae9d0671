#include "engine/strong/SealedFileWriter.h"

#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <new>
#include <sodium.h>

#include "engine/strong/SealedFileFormat.h"

namespace nemora::engine::strong {
namespace {

// libdeflate's level 3: on a documentation tree about three times zlib's
// default speed for some 5 % more bytes, and a sealed site compresses every
// file it publishes. libdeflate stores a block by itself where packing it
// would not pay (a PNG, a .gz).
constexpr int kLevel = 3;

struct CompressorFree {
    void operator()(libdeflate_compressor* compressor) const {
        libdeflate_free_compressor(compressor);
    }
};

// One compressor per thread: making one costs more than compressing a small
// file, and a site's workers seal thousands.
libdeflate_compressor* ThreadCompressor() {
    thread_local std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(
        libdeflate_alloc_compressor(kLevel));
    return compressor.get();
}

}  // namespace

Result SealedFileWriter::Seal(const std::uint8_t* payload, std::size_t size,
                              std::string_view relativePath,
                              std::vector<std::uint8_t>& sealed) const {
    sealed = {};
    libdeflate_compressor* const compressor = ThreadCompressor();
    if (compressor == nullptr) return Result::SealFailed;
    const std::size_t room = libdeflate_deflate_compress_bound(compressor, size);
    try {
        sealed.resize(kSealedHeaderSize + room + kTagSize);
    } catch (const std::bad_alloc&) {
        sealed = {};
        return Result::SealFailed;
    }
    std::uint8_t* const body = sealed.data() + kSealedHeaderSize;
    // Raw deflate (no zlib header, no checksum: the tag authenticates). With
    // the bound's room it cannot run out of space.
    const std::size_t compressed =
        libdeflate_deflate_compress(compressor, payload, size, body, room);
    if (compressed == 0) {
        sealed = {};
        return Result::SealFailed;
    }
    std::memcpy(sealed.data(), kSealedMagic, sizeof kSealedMagic);
    sealed[kSealedVersionAt] = kSealedVersion;
    std::uint8_t* const nonce = sealed.data() + kSealedNonceAt;
    // libsodium is ready: SealedKeys saw to it.
    randombytes_buf(nonce, kNonceSize);
    // Enciphered where it was compressed: libsodium allows it in place.
    (void)crypto_aead_xchacha20poly1305_ietf_encrypt(
        body, nullptr, body, compressed,
        reinterpret_cast<const unsigned char*>(relativePath.data()), relativePath.size(), nullptr,
        nonce, keys_.ContentKey().data());
    sealed.resize(kSealedHeaderSize + compressed + kTagSize);
    return Result::Ok;
}

}  // namespace nemora::engine::strong
