#pragma once

#include <cstdint>
#include <iosfwd>

#include "engine/TextId.h"

namespace nemora::engine {

// What a result tells the user: nothing, a failure or a notice.
enum class ResultKind { Done, Failure, Notice };

// Every long engine operation returns one of these. The values are the
// string-table ids of the messages, so a caller shows a result by looking its
// number up; the engine itself never formats or shows a message.
enum class [[nodiscard]] Result : std::uint32_t{
    Ok = 0,
#define NEMORA_RESULT(name, kind) name = StringId(TextId::name),
#include "engine/ResultCodes.def"
#undef NEMORA_RESULT
};

// The symbolic name ("LoadStopped"), for logs and test output; "?" for a
// value that is not an engine result.
const char* ResultName(Result result);

// "LoadStopped (3003)", for test output and logs.
std::ostream& operator<<(std::ostream& out, Result result);

constexpr std::uint32_t ResultId(Result result) {
    return static_cast<std::uint32_t>(result);
}

// The platform's file-error messages, which name the file they report.
constexpr bool IsFileError(Result result) {
    return ResultId(result) >= ResultId(Result::FileError) &&
           ResultId(result) <= ResultId(Result::FileDiskFull);
}

// A failure (shown with the stop icon, printed on standard error), as
// opposed to Ok and the notices (stopped, done).
constexpr bool IsFailure(Result result) {
    switch (result) {
        case Result::Ok:
            return false;
#define NEMORA_RESULT(name, kind) \
    case Result::name:            \
        return ResultKind::kind == ResultKind::Failure;
#include "engine/ResultCodes.def"
#undef NEMORA_RESULT
    }
    return true;
}

}  // namespace nemora::engine
