// lock-page: writes one data file through LockedDocument, the way a save
// does, for the decoder's tests. The password comes as hex digits, so its
// bytes (code page 932 in the tool) reach the engine whatever the caller's
// argument encoding.
//
//   lock-page PAGE DATA-FILE PASSWORD-HEX ENCODING-NAME

#include <cstdio>
#include <optional>
#include <string>

#include "engine/LockedDocument.h"
#include "engine/ResultCode.h"

namespace {

std::optional<std::string> FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        if (std::sscanf(hex.c_str() + i, "%2x", &value) != 1) return std::nullopt;
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: lock-page PAGE DATA-FILE PASSWORD-HEX ENCODING-NAME\n");
        return 2;
    }
    const std::optional<std::string> password = FromHex(argv[3]);
    if (!password) {
        std::fprintf(stderr, "lock-page: the password is not hex digits\n");
        return 2;
    }

    using nemora::engine::Result;
    nemora::engine::LockedDocument document(nemora::engine::FileLayer::System());
    document.SetCharCodeName(argv[4]);
    Result result = document.Load(nullptr, argv[1]);
    if (result == Result::Ok) result = document.Compress(nullptr);
    if (result == Result::Ok) result = document.Encrypt(nullptr, *password, true);
    if (result == Result::Ok) result = document.WriteDataFile(nullptr, argv[2]);
    if (result != Result::Ok) {
        std::fprintf(stderr, "lock-page: %s: %s\n", argv[1], nemora::engine::ResultName(result));
        return 1;
    }
    return 0;
}
