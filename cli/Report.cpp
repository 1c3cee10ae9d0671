#include "cli/Report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "res/StringTable.h"
#include "res/TextFormat.h"

namespace nemora::cli {
namespace {

std::string Format(std::uint32_t id, std::string_view argument) {
    const std::string_view arguments[] = {argument};
    return res::FormatText(res::StringTable::Get(id), arguments);
}

void Print(std::FILE* out, std::string_view subject, const std::string& text) {
    std::fprintf(out, "%.*s: %s\n", static_cast<int>(subject.size()), subject.data(), text.c_str());
}

}  // namespace

std::string Text(CliText text, std::string_view argument) {
    return Format(engine::StringId(text), argument);
}

void Report(std::string_view subject, CliText text, std::string_view argument) {
    Print(stderr, subject, Text(text, argument));
}

void Report(std::string_view subject, engine::Result result, std::string_view argument) {
    Print(engine::IsFailure(result) ? stderr : stdout, subject,
          Format(engine::ResultId(result), argument));
}

void Say(std::string_view subject, CliText text, std::span<const std::string_view> arguments) {
    Print(stdout, subject, res::FormatText(res::StringTable::Get(text), arguments));
}

std::string WriteCause(int systemError) {
    switch (systemError) {
        case EACCES:
        case EPERM:
            return Text(CliText::CausePermission);
        case EROFS:
            return Text(CliText::CauseReadOnly);
        case ENOSPC:
        case EDQUOT:
            return Text(CliText::CauseDiskFull);
        case ENOTDIR:
        case EEXIST:
            return Text(CliText::CauseFileInTheWay);
        default:
            return std::strerror(systemError);
    }
}

}  // namespace nemora::cli
