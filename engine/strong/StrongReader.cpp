#include "engine/strong/StrongReader.h"

#include <new>
#include <sodium.h>
#include <vector>

namespace nemora::engine::strong {
namespace {

UnlockedPage Failed(Result status) {
    UnlockedPage failed;
    failed.status = status;
    return failed;
}

// The container's header has been checked.
UnlockedPage Open(const std::uint8_t* data, std::size_t size, const ContainerHeader& header,
                  const StrongKey& key) {
    if (sodium_memcmp(key.KeyCheck().data(), header.keyCheck.data(), kKeyCheckSize) != 0) {
        return Failed(Result::WrongPassword);
    }
    std::vector<std::uint8_t> plain;
    try {
        plain.resize(size - kSmallestContainer);
    } catch (const std::bad_alloc&) {
        return Failed(Result::ReadFailed);
    }
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            plain.data(), nullptr, nullptr, data + kHeaderSize, size - kHeaderSize, data,
            kHeaderSize, header.nonce.data(), key.CipherKey().data()) != 0) {
        return Failed(Result::DataCorrupt);
    }
    // The tag verified: a stream that does not check was written wrong, not
    // opened with the wrong key.
    UnlockedPage page = StreamReader::ReadPlain(plain.data(), plain.size());
    if (page.status != Result::Ok) return Failed(Result::DataCorrupt);
    return page;
}

}  // namespace

bool StrongReader::IsContainer(const std::uint8_t* data, std::size_t size) {
    return HasMagic(data, size);
}

UnlockedPage StrongReader::Read(const std::uint8_t* data, std::size_t size,
                                std::string_view passwordUtf8) {
    return Read(data, size, [passwordUtf8](const ContainerHeader& header) {
        return StrongKey::Derive(passwordUtf8, header.salt, header.kdf);
    });
}

UnlockedPage StrongReader::Read(const std::uint8_t* data, std::size_t size, const StrongKey& key) {
    ContainerHeader header;
    if (Result status = ParseHeader(data, size, header); status != Result::Ok) {
        return Failed(status);
    }
    return Open(data, size, header, key);
}

UnlockedPage StrongReader::Read(const std::uint8_t* data, std::size_t size,
                                const KeySource& keyFor) {
    ContainerHeader header;
    if (Result status = ParseHeader(data, size, header); status != Result::Ok) {
        return Failed(status);
    }
    const std::optional<StrongKey> key = keyFor(header);
    if (!key) return Failed(Result::KeyNotDerived);
    return Open(data, size, header, *key);
}

}  // namespace nemora::engine::strong
