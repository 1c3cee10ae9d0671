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

void TerminalHost::ShowResult(engine::Result result) { PrintResult(pageName_, result); }

void PrintResult(const std::string& pageName, engine::Result result) {
    std::FILE* out = engine::IsFailure(result) ? stderr : stdout;
    std::fprintf(out, "%s: %s\n", pageName.c_str(), res::StringTable::Get(engine::ResultId(result)));
}

}  // namespace nemora::cli
