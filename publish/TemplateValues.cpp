#include "publish/TemplateValues.h"

#include "engine/TextId.h"
#include "publish/RememberRule.h"
#include "publish/TextCodec.h"
#include "publish/ValueFormat.h"
#include "publish/WindowName.h"
#include "res/StringTable.h"

namespace nemora::publish {
namespace {

// Escaped while still UTF-8 (the escaped bytes are ASCII), then converted;
// characters code page 932 lacks become numeric references, which the
// visitor's browser shows as the characters typed.
std::string MarkupValue(std::string_view text) {
    return *TextCodec::ToCp932(HtmlEscape(text, ""), TextCodec::Unmappable::CharacterReference);
}

}  // namespace

TemplateValues TemplateValues::From(const std::string& pageFileName,
                                    const PublicationOptions& options,
                                    IdentifierSource& identifiers) {
    const RememberRule remember = RememberRule::From(options);
    TemplateValues values;
    values.dataFile = UrlEscape(DataFileName(pageFileName));
    values.prompt = MarkupValue(options.Prompt());
    if (values.prompt.empty()) {
        values.prompt = res::StringTable::Get(engine::TextId::FallbackPrompt, options.pageLanguage);
    }
    values.cookieOn = options.cookieOn;
    if (options.cookieOn) values.cookieKey = MarkupValue(options.cookieKey);
    if (remember.keepTicks == CookieKeepTicks::kSession) {
        values.keepDays = "0";
    } else if (remember.keepTicks < 0) {
        values.keepDays = "-1";
    } else {
        values.keepDays = FormatKeepDays(remember.keepTicks);
    }
    values.askSaveCookie = remember.ask ? "true" : "false";
    values.windowName = [&identifiers] { return MakeWindowName(identifiers); };
    return values;
}

}  // namespace nemora::publish
