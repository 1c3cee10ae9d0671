#pragma once

#include <cstdint>
#include <string>

#include "engine/LockedDocument.h"
#include "engine/SecretString.h"
#include "publish/CookieKeepTicks.h"
#include "publish/PublicationDefaults.h"

namespace nemora::publish {

// The main window's values that a save reads and writes, under the window's
// member names. Texts are UTF-8, as the window toolkit and the terminal hold
// them; the save converts them to code page 932 where they leave the program.
struct PublicationState {
    bool PageLoaded = false;
    std::string Path;          // the page's full path
    std::string PageFileName;  // its last component
    engine::SecretString Password;
    std::string Prompt;
    bool CookieOn = true;
    std::string CookieKey;
    std::int32_t CookieKeepDays =
        CookieKeepTicks::kDefault;  // ticks, not days: see CookieKeepTicks
    bool Confirm = false;
    bool Comment = true;
    std::string EncodeType = defaults::kEncodeType;
    bool PasswordChanged = false;
    engine::LockedDocument* Document = nullptr;
};

}  // namespace nemora::publish
