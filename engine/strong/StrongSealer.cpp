#include "engine/strong/StrongSealer.h"

#include <new>
#include <sodium.h>

namespace nemora::engine::strong {

Result StrongSealer::Seal(const std::uint8_t* plain, std::size_t size,
                          std::vector<std::uint8_t>& container) const {
    ContainerHeader header{key_.Parameters(), key_.Salt(), {}, key_.KeyCheck()};
    // libsodium is ready: the key came from StrongKey::Derive.
    randombytes_buf(header.nonce.data(), header.nonce.size());
    try {
        container.resize(kHeaderSize + size + kTagSize);
    } catch (const std::bad_alloc&) {
        container = {};
        return Result::SealFailed;
    }
    WriteHeader(header, container.data());
    // Straight from the caller's stream into the container: a page of some
    // MB is not copied once more on its way.
    (void)crypto_aead_xchacha20poly1305_ietf_encrypt(container.data() + kHeaderSize, nullptr, plain,
                                                     size, container.data(), kHeaderSize, nullptr,
                                                     header.nonce.data(), key_.CipherKey().data());
    return Result::Ok;
}

}  // namespace nemora::engine::strong
