#include "publish/TemplateValues.h"

#include "publish/TextCodec.h"
#include "publish/ValueFormat.h"
#include "publish/WindowName.h"
#include "res/StringTable.h"

namespace nemora::publish {
namespace {

constexpr std::uint32_t kDefaultPrompt = 1033;  // "Password"

// Escaped while still UTF-8 (the escaped bytes are ASCII), then converted;
// characters code page 932 lacks become numeric references, which the
// visitor's browser shows as the characters typed.
std::string MarkupValue(std::string_view text) {
    return *TextCodec::ToCp932(HtmlEscape(text, ""), TextCodec::Unmappable::CharacterReference);
}

}  // namespace

TemplateValues TemplateValues::From(const PublicationState& state, IdentifierSource& identifiers) {
    TemplateValues values;
    values.dataFile = UrlEscape(DataFileName(state.PageFileName));
    values.prompt = MarkupValue(state.Prompt);
    if (values.prompt.empty()) values.prompt = res::StringTable::Get(kDefaultPrompt);
    values.cookieOn = state.CookieOn;
    if (state.CookieOn) values.cookieKey = MarkupValue(state.CookieKey);
    if (!state.CookieOn || state.CookieKeepDays == 0) {
        values.keepDays = "0";
    } else if (state.CookieKeepDays < 0) {
        values.keepDays = "-1";
    } else {
        values.keepDays = FormatKeepDays(state.CookieKeepDays);
    }
    values.askSaveCookie =
        state.CookieOn && state.CookieKeepDays != 0 && state.Confirm ? "true" : "false";
    values.windowName = [&identifiers] { return MakeWindowName(identifiers); };
    return values;
}

}  // namespace nemora::publish
