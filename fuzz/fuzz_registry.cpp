// Property: the registry file parser never crashes, and what it reads it
// writes back in a form that reads back the same.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/settings/RegistryText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using nemora::app::RegistryText;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = RegistryText::Parse(text);
    if (!parsed) return 0;
    const std::string written = parsed->Serialize();
    const auto again = RegistryText::Parse(written);
    if (!again || again->Serialize() != written) std::abort();
    return 0;
}
