#pragma once

#include <optional>
#include <string>

#include "res/StringTable.h"

namespace nemora::app {

// The window program's "--lang NAME" (or "--lang=NAME") switch. It is taken
// out of the arguments before the program's own command line is read, so a
// page and /N, /R keep their places.
class LanguageSwitch {
public:
    struct Taken {
        bool present = false;
        // Empty when present with a name that is neither "en" nor "ja".
        std::optional<res::Language> language;
        std::string name;  // as given, for the error message
    };

    // Removes every "--lang" switch from argv (argc shrinks; the last one
    // counts) and says what it asked for.
    static Taken Take(int& argc, char** argv);
};

}  // namespace nemora::app
