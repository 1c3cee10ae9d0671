// Property: a sealed site's readers never crash or read out of bounds,
// whatever bytes they are given, and open only what checks. Under one fixed
// key (no password derivation: the keys come from a fixed master key), each
// input is taken four ways:
//  - as a sealed file: refused with an empty payload, or opened;
//  - as a payload sealed for a path: it opens to exactly the input, and to
//    nothing for another path;
//  - as the plaintext of a file sealed by the format's steps, so that the
//    decompression after a verified tag is reached: what opens seals and
//    opens again to the same payload;
//  - as a script: one that reads back is exactly what the writer writes for
//    its name and bytes.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <sodium.h>
#include <string>
#include <string_view>
#include <vector>

#include "engine/strong/SealedFileFormat.h"
#include "engine/strong/SealedFileReader.h"
#include "engine/strong/SealedFileWriter.h"
#include "engine/strong/SealedKeys.h"
#include "engine/strong/SealedScript.h"

namespace {

using namespace nemora::engine;
using namespace nemora::engine::strong;

constexpr std::string_view kPath = "docs/\xe6\x97\xa5\xe6\x9c\xac.html";

const SealedKeys& FixedKeys() {
    static const SealedKeys keys(KeyBytes{});
    return keys;
}

void CheckSealedFile(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> payload;
    const Result status = SealedFileReader(FixedKeys()).Open(data, size, kPath, payload);
    if (status != Result::Ok && !payload.empty()) std::abort();
    if (status == Result::Ok && !SealedFileReader::IsSealedFile(data, size)) std::abort();
}

void CheckSealedPayload(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> sealed;
    if (SealedFileWriter(FixedKeys()).Seal(data, size, kPath, sealed) != Result::Ok) std::abort();
    std::vector<std::uint8_t> back;
    const SealedFileReader reader(FixedKeys());
    if (reader.Open(sealed.data(), sealed.size(), kPath, back) != Result::Ok ||
        back != std::vector<std::uint8_t>(data, data + size))
        std::abort();
    if (reader.Open(sealed.data(), sealed.size(), "docs/other.html", back) != Result::DataCorrupt ||
        !back.empty())
        std::abort();
}

void CheckSealedBody(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file(kSealedHeaderSize + size + kTagSize);
    std::copy(kSealedMagic, kSealedMagic + sizeof kSealedMagic, file.begin());
    file[kSealedVersionAt] = kSealedVersion;
    (void)crypto_aead_xchacha20poly1305_ietf_encrypt(
        file.data() + kSealedHeaderSize, nullptr, data, size,
        reinterpret_cast<const unsigned char*>(kPath.data()), kPath.size(), nullptr,
        file.data() + kSealedNonceAt, FixedKeys().ContentKey().data());
    std::vector<std::uint8_t> payload;
    const SealedFileReader reader(FixedKeys());
    const Result status = reader.Open(file.data(), file.size(), kPath, payload);
    if (status == Result::Ok) {
        CheckSealedPayload(payload.data(), payload.size());
    } else if (status != Result::DataCorrupt || !payload.empty()) {
        std::abort();
    }
}

void CheckScript(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string name;
    std::vector<std::uint8_t> bytes;
    if (ReadSealedScript(text, name, bytes) != Result::Ok) {
        if (!name.empty() || !bytes.empty()) std::abort();
        return;
    }
    if (SealedScript(name, bytes.data(), bytes.size()) != std::string(text)) std::abort();
    // The audit's quicker test agrees with the reader on every script that
    // reads back: a sealed file's script is one whose bytes open with the
    // sealed header's magic and version.
    const bool header =
        bytes.size() > kSealedVersionAt &&
        std::equal(std::begin(kSealedMagic), std::end(kSealedMagic), bytes.begin()) &&
        bytes[kSealedVersionAt] == kSealedVersion;
    if (IsSealedFileScript(text) != header) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckSealedFile(data, size);
    CheckSealedPayload(data, size);
    CheckSealedBody(data, size);
    CheckScript(data, size);
    return 0;
}
