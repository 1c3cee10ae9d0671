#pragma once

#include <cstdint>

// What a publication uses when the user has chosen nothing: the window's
// first start and the command line's defaults.
namespace nemora::publish::defaults {

constexpr const char* kEncodeType = "shift_jis";
constexpr std::uint32_t kPromptText = 1030;  // string: "パスワードを入力して下さい。"
constexpr std::uint32_t kCookieKeyText = 1031;  // string: "Key"
// What the visitor reads above the field when the author left it empty.
constexpr std::uint32_t kEmptyPromptText = 1033;  // string: "Password"

}  // namespace nemora::publish::defaults
