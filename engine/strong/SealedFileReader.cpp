#include "engine/strong/SealedFileReader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
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

class Inflater {
public:
    Inflater() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~Inflater() {
        if (ready_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Decompresses the whole of `in`, which must be one raw deflate stream
    // that ends exactly at its end; `out` grows as needed (std::bad_alloc
    // when it cannot).
    Result Decompress(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) {
        if (!ready_) return Result::ReadFailed;
        stream_.next_in = const_cast<Bytef*>(in.data());
        std::size_t inLeft = in.size();
        std::size_t produced = 0;
        out.resize(std::max<std::size_t>(in.size() * 4, 256));
        for (;;) {
            if (stream_.avail_in == 0) Take(stream_.avail_in, inLeft);
            if (produced == out.size()) out.resize(out.size() * 2);
            std::size_t outLeft = out.size() - produced;
            stream_.next_out = out.data() + produced;
            Take(stream_.avail_out, outLeft);
            const uInt room = stream_.avail_out;
            const int status = inflate(&stream_, Z_NO_FLUSH);
            produced += room - stream_.avail_out;
            if (status == Z_STREAM_END) {
                if (stream_.avail_in != 0 || inLeft != 0) return Result::DataCorrupt;
                out.resize(produced);
                return Result::Ok;
            }
            // No progress with room left: the input ended before the stream.
            if (status == Z_BUF_ERROR && stream_.avail_out == 0) continue;
            if (status != Z_OK) return Result::DataCorrupt;
        }
    }

private:
    z_stream stream_{};
    bool ready_ = false;
};

}  // namespace

bool SealedFileReader::IsSealedFile(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof kSealedMagic && std::memcmp(data, kSealedMagic, sizeof kSealedMagic) == 0;
}

Result SealedFileReader::Open(const std::uint8_t* data, std::size_t size,
                              std::string_view relativePath,
                              std::vector<std::uint8_t>& payload) const {
    payload = {};
    if (size < kSmallestSealedFile) return Result::DataTruncated;
    if (!IsSealedFile(data, size) || data[kSealedVersionAt] != kSealedVersion) {
        return Result::DataCorrupt;
    }
    try {
        std::vector<std::uint8_t> compressed(size - kSmallestSealedFile);
        if (crypto_aead_xchacha20poly1305_ietf_decrypt(
                compressed.data(), nullptr, nullptr, data + kSealedHeaderSize,
                size - kSealedHeaderSize,
                reinterpret_cast<const unsigned char*>(relativePath.data()), relativePath.size(),
                data + kSealedNonceAt, keys_.ContentKey().data()) != 0) {
            return Result::DataCorrupt;
        }
        const Result status = Inflater().Decompress(compressed, payload);
        if (status != Result::Ok) payload = {};
        return status;
    } catch (const std::bad_alloc&) {
        payload = {};
        return Result::ReadFailed;
    }
}

}  // namespace nemora::engine::strong
