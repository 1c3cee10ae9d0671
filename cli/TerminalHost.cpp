#include "cli/TerminalHost.h"

#include <cstdio>

#include "res/StringTable.h"

namespace nemora::cli {

std::optional<std::string> TerminalHost::ChooseFolder(const std::string&) { return folder_; }

engine::ProgressSink* TerminalHost::OpenProgress() {
    progress_ = std::make_unique<TerminalProgress>(showProgress_);
    return progress_.get();
}

void TerminalHost::CloseProgress() { progress_.reset(); }

void TerminalHost::ShowResult(engine::Result result, const std::string& file) {
    PrintResult(pageName_, result, file);
}

void PrintResult(const std::string& pageName, engine::Result result, const std::string& file) {
    std::FILE* out = engine::IsFailure(result) ? stderr : stdout;
    std::string text = res::StringTable::Get(engine::ResultId(result));
    if (const std::size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, file);
    std::fprintf(out, "%s: %s\n", pageName.c_str(), text.c_str());
}

}  // namespace nemora::cli
