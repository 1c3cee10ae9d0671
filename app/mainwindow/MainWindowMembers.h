#pragma once

#include <cstdint>
#include <string>

#include "engine/SecretString.h"
#include "publish/CookieKeepTicks.h"
#include "publish/PublicationDefaults.h"
#include "res/StringTable.h"

namespace nemora::app {

// The main window's members: the user's choices for one page, as the
// controls show them and the settings keep them. Texts are UTF-8.
struct MainWindowMembers {
    bool PageLoaded = false;
    std::string Path;          // the page's full path
    std::string PageFileName;  // its last component
    engine::SecretString Password;
    std::string Prompt;
    bool CookieOn = true;
    std::string CookieKey;
    std::int32_t CookieKeepDays =
        publish::CookieKeepTicks::kDefault;  // ticks, not days: see CookieKeepTicks
    bool Confirm = false;
    bool Comment = true;
    std::string EncodeType = publish::kDefaultEncodeType;
    // Save in the strong form instead of the default set of files.
    bool Strong = false;
    // The language of the published pages, whatever the window speaks; on a
    // first start the window's own.
    res::Language PageLanguage = res::Language::Japanese;
    // The password field changed since the document last took a password.
    bool PasswordChanged = false;
};

}  // namespace nemora::app
