#include "cli/DerivationLine.h"

#include <cstdio>
#include <unistd.h>

#include "res/StringTable.h"

namespace nemora::cli {

DerivationLine::DerivationLine() : onTerminal_(::isatty(STDERR_FILENO) == 1) {}

DerivationLine::~DerivationLine() {
    if (onTerminal_) std::fprintf(stderr, "\033[K");
}

bool DerivationLine::Report(std::uint32_t /*units*/, std::uint32_t textId) {
    if (onTerminal_ && textId != 0) std::fprintf(stderr, "%s\r", res::StringTable::Get(textId));
    return true;
}

}  // namespace nemora::cli
