#pragma once

namespace nemora::publish {

// The page's encoding when the user has chosen none: the window's first start
// and the command line's default. The default prompt and cookie keyword are
// texts of the string table (TextId::PromptText, TextId::CookieKeyText).
constexpr const char* kDefaultEncodeType = "shift_jis";

}  // namespace nemora::publish
