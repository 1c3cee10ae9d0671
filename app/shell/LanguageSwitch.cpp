#include "app/shell/LanguageSwitch.h"

#include <string_view>

namespace nemora::app {

LanguageSwitch::Taken LanguageSwitch::Take(int& argc, char** argv) {
    constexpr std::string_view kSwitch = "--lang";
    Taken taken;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == kSwitch) {
            taken.present = true;
            // A missing name is an empty one: refused below.
            taken.name = i + 1 < argc ? argv[++i] : "";
        } else if (arg.starts_with(kSwitch) && arg[kSwitch.size()] == '=') {
            taken.present = true;
            taken.name = arg.substr(kSwitch.size() + 1);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    if (taken.present) {
        taken.language = taken.name == "en"   ? std::optional(res::Language::English)
                         : taken.name == "ja" ? std::optional(res::Language::Japanese)
                                              : std::nullopt;
    }
    return taken;
}

}  // namespace nemora::app
