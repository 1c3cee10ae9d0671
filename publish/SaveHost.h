#pragma once

#include <optional>
#include <string>

#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"

namespace nemora::publish {

// What an interactive save needs from its front end (the main window).
class SaveHost {
public:
    virtual ~SaveHost() = default;

    // Asks for the output folder, proposing `proposed`; nothing when the user
    // cancels, which ends the save silently.
    virtual std::optional<std::string> ChooseFolder(const std::string& proposed) = 0;

    // Shows progress while the page is enciphered and written ("ファイルの
    // 保存"); the sink lives until CloseProgress. May return null.
    virtual engine::ProgressSink* OpenProgress() = 0;
    virtual void CloseProgress() = 0;

    // Tells the user the outcome: information above 3000, a failure otherwise.
    // `file` is the file that a file-error result (engine::IsFileError)
    // names, empty for every other result.
    virtual void ShowResult(engine::Result result, const std::string& file) = 0;
};

}  // namespace nemora::publish
