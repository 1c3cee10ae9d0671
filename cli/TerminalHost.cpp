#include "cli/TerminalHost.h"

#include "cli/Report.h"

namespace nemora::cli {

std::optional<std::string> TerminalHost::ChooseFolder(const std::string&) {
    return folder_;
}

engine::ProgressSink* TerminalHost::OpenProgress() {
    progress_ = std::make_unique<TerminalProgress>(showProgress_);
    return progress_.get();
}

void TerminalHost::CloseProgress() {
    progress_.reset();
}

void TerminalHost::ShowResult(engine::Result result, const std::string& file) {
    // A file-error message names the file (and so the cause) in its %1.
    Report(pageName_, result, file);
}

}  // namespace nemora::cli
