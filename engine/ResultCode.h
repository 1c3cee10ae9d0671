#pragma once

#include <cstdint>
#include <iosfwd>

namespace nemora::engine {

// What a result tells the user: nothing, a failure or a notice.
enum class ResultKind { Done, Failure, Notice };

// Every long engine operation returns one of these. The values are the
// string-table ids of the messages, so a caller shows a result by looking its
// number up; the engine itself never formats or shows a message.
enum class [[nodiscard]] Result : std::uint32_t{
#define NEMORA_RESULT(name, id, kind) name = id,
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
#define NEMORA_RESULT(name, id, kind) \
    case Result::name:                \
        return ResultKind::kind == ResultKind::Failure;
#include "engine/ResultCodes.def"
#undef NEMORA_RESULT
    }
    return true;
}

// Status texts that the engine names when it starts a phase or switches text.
namespace text_id {
constexpr std::uint32_t kLoading = 3011;      // reading and compressing a page
constexpr std::uint32_t kWriting = 3012;      // writing the data file
constexpr std::uint32_t kEncrypting = 3014;   // enciphering and writing
constexpr std::uint32_t kDerivingKey = 3016;  // strong lock: deriving the key from the password
}  // namespace text_id

}  // namespace nemora::engine
