#include "engine/strong/SealedFileWriter.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <optional>
#include <sodium.h>
#include <zlib.h>

#include "engine/strong/SealedFileFormat.h"

namespace nemora::engine::strong {
namespace {

// zlib counts in 32 bits: larger buffers go in pieces.
void Take(uInt& avail, std::size_t& left) {
    avail = static_cast<uInt>(std::min<std::size_t>(left, UINT_MAX));
    left -= avail;
}

class Deflater {
public:
    Deflater() {
        // Raw deflate (no zlib header, no checksum: the tag authenticates).
        ready_ = deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                              Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater() {
        if (ready_) deflateEnd(&stream_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool Ready() const { return ready_; }
    std::size_t Bound(std::size_t size) { return deflateBound(&stream_, size); }

    // Compresses into `out`, which holds Bound(size) bytes; the compressed
    // size, or nullopt when zlib fails.
    std::optional<std::size_t> Compress(const std::uint8_t* in, std::size_t size, std::uint8_t* out,
                                        std::size_t room) {
        stream_.next_in = const_cast<Bytef*>(in);
        stream_.next_out = out;
        std::size_t inLeft = size;
        std::size_t outLeft = room;
        for (;;) {
            if (stream_.avail_in == 0) Take(stream_.avail_in, inLeft);
            if (stream_.avail_out == 0) Take(stream_.avail_out, outLeft);
            const int status = deflate(&stream_, inLeft == 0 ? Z_FINISH : Z_NO_FLUSH);
            if (status == Z_STREAM_END) return stream_.total_out;
            if (status != Z_OK) return std::nullopt;
        }
    }

private:
    z_stream stream_{};
    bool ready_ = false;
};

}  // namespace

Result SealedFileWriter::Seal(const std::uint8_t* payload, std::size_t size,
                              std::string_view relativePath,
                              std::vector<std::uint8_t>& sealed) const {
    sealed = {};
    Deflater deflater;
    if (!deflater.Ready()) return Result::SealFailed;
    const std::size_t room = deflater.Bound(size);
    try {
        sealed.resize(kSealedHeaderSize + room + kTagSize);
    } catch (const std::bad_alloc&) {
        sealed = {};
        return Result::SealFailed;
    }
    std::uint8_t* const body = sealed.data() + kSealedHeaderSize;
    const std::optional<std::size_t> compressed = deflater.Compress(payload, size, body, room);
    if (!compressed) {
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
        body, nullptr, body, *compressed,
        reinterpret_cast<const unsigned char*>(relativePath.data()), relativePath.size(), nullptr,
        nonce, keys_.ContentKey().data());
    sealed.resize(kSealedHeaderSize + *compressed + kTagSize);
    return Result::Ok;
}

}  // namespace nemora::engine::strong
