#include "engine/Key.h"

namespace nemora::engine {
namespace {

constexpr std::string_view kKeySuffix = "Blue Fox";

}  // namespace

Key DeriveKey(std::string_view password) {
    Key key{};
    std::size_t i = 0;
    for (std::string_view part : {password, kKeySuffix}) {
        for (char c : part) {
            auto& slot = key[i++ % key.size()];
            slot = static_cast<std::uint8_t>((slot + static_cast<unsigned char>(c)) % 128);
        }
    }
    return key;
}

}  // namespace nemora::engine
