#pragma once

#include <functional>
#include <string>

#include "publish/IdentifierSource.h"
#include "publish/PublicationOptions.h"

namespace nemora::publish {

// The six values of the loader page's markers %0 to %5, as the bytes that go
// into the page (code page 932).
struct TemplateValues {
    std::string dataFile;       // %0: the data file's name, URL-escaped
    std::string prompt;         // %1: markup-escaped, "Password" when empty (page language)
    std::string cookieKey;      // %2: markup-escaped; nothing is written when cookies are off
    std::string keepDays;       // %3: a number literal
    std::string askSaveCookie;  // %4: "true" or "false"
    bool cookieOn = false;
    // %5: a new decoder window name at each occurrence.
    std::function<std::string()> windowName;

    // Values 0 to 4 for the page file `pageFileName` published with
    // `options`; value 5 from `identifiers`, which must outlive the values.
    static TemplateValues From(const std::string& pageFileName, const PublicationOptions& options,
                               IdentifierSource& identifiers);
};

}  // namespace nemora::publish
