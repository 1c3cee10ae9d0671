#include "res/TextFormat.h"

namespace nemora::res {

std::string FormatText(std::string_view text, std::span<const std::string_view> arguments) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const std::size_t number = next >= '1' && next <= '9' ? next - '0' : 0;
        if (text[i] == '%' && number >= 1 && number <= arguments.size()) {
            result += arguments[number - 1];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

}  // namespace nemora::res
