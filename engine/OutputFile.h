#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/ResultCode.h"

namespace nemora::engine {

// A file being written in place of another. Nothing is visible under the
// target name until Commit succeeds; destroying an uncommitted file discards
// what was written and leaves any earlier file of that name as it was.
class OutputFile {
public:
    virtual ~OutputFile() = default;

    // Appends `size` bytes; false on any output error (a full disk included).
    virtual bool Write(const std::uint8_t* bytes, std::size_t size) = 0;

    // Closes the file and puts it under the target name, replacing an earlier
    // file. False when that fails; the written bytes are then discarded.
    virtual bool Commit() = 0;

    // Why the last Write or Commit failed, as the file-error message to show
    // (FileDiskFull, FileAccessDenied, FileHardIo or FileError).
    virtual Result Failure() const { return Result::FileError; }
};

// The file-error message for a system error number (errno) of a write.
Result FileFailure(int systemError);

}  // namespace nemora::engine
