#pragma once

#include <memory>
#include <string>

#include "cli/TerminalProgress.h"
#include "publish/SaveHost.h"

namespace nemora::cli {

// A save run from the terminal: the folder is the one given with -o, the
// progress bar goes to standard error, and the result is printed with the
// page's name (failures on standard error).
class TerminalHost : public publish::SaveHost {
public:
    TerminalHost(std::string folder, std::string pageName, bool showProgress)
        : folder_(std::move(folder)), pageName_(std::move(pageName)), showProgress_(showProgress) {}

    std::optional<std::string> ChooseFolder(const std::string& proposed) override;
    engine::ProgressSink* OpenProgress() override;
    void CloseProgress() override;
    void ShowResult(engine::Result result, const std::string& file) override;

private:
    std::string folder_;
    std::string pageName_;
    bool showProgress_;
    std::unique_ptr<TerminalProgress> progress_;
};

}  // namespace nemora::cli
