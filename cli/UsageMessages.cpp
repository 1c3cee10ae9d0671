#include "cli/UsageMessages.h"

#include <cstdio>
#include <string_view>

#include "cli/Report.h"

namespace nemora::cli {

std::string GivenName(const CLI::Option& option, int argc, const char* const* argv) {
    std::string given;
    for (int i = 1; i < argc; ++i) {
        const std::string_view token = argv[i];
        if (token == "--") break;
        for (const std::string& name : option.get_lnames()) {
            const std::string typed = "--" + name;
            if (token == typed || token.starts_with(typed + "=")) given = typed;
        }
        for (const std::string& name : option.get_snames()) {
            if (token.starts_with("-" + name) && !token.starts_with("--")) given = "-" + name;
        }
    }
    return given.empty() ? option.get_name() : given;
}

void ReportBadValue(const std::string& name, const std::string& value, CliText accepted) {
    std::fprintf(stderr, "nemora-cli: %s: %s: %s\n", name.c_str(), value.c_str(),
                 Text(accepted).c_str());
}

}  // namespace nemora::cli
