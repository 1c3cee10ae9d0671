// Property: unlock(lock(x)) gives x back, with its encoding name, for any page
// without a zero byte, any password and any encoding name. The input is
// split into a password, a name and the page.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/DataFileBuilder.h"
#include "engine/StreamReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nemora::engine;
    std::size_t at = 0;
    auto take = [&](std::size_t wanted) {
        const std::size_t n = std::min(wanted, size - at);
        std::string part(reinterpret_cast<const char*>(data + at), n);
        at += n;
        return part;
    };
    if (size < 2) return 0;
    const std::size_t passwordLength = data[at++];
    const std::string password = take(passwordLength);
    if (at >= size) return 0;
    const std::size_t nameLength = data[at++] * 2u;  // up to 510: past the 256-byte limit
    const std::string name = take(nameLength);
    std::vector<std::uint8_t> page(data + at, data + size);
    if (page.empty()) return 0;
    for (auto& b : page) b = b == 0 ? 1 : b;

    const Key key = DeriveKey(password);
    const BuiltDataFile locked = BuildDataFile(page.data(), page.size(), name, &key);
    if (locked.result != Result::Ok) std::abort();
    const UnlockedPage back = StreamReader(key).Read(locked.data.data(), locked.data.size());
    if (back.status != Result::Ok || back.page != page) std::abort();
    // The name block keeps the name up to its first zero byte, at most 256 bytes.
    const std::string kept = name.substr(0, std::min<std::size_t>(name.find('\0'), 256));
    if (back.encodingName != kept) std::abort();
    return 0;
}
