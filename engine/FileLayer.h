#pragma once

#include <memory>
#include <string>

#include "engine/InputFile.h"
#include "engine/OutputFile.h"

namespace nemora::engine {

// The engine's only way to the file system: open a page file, create a data
// file. Tests put a layer in its place that fails at a chosen call.
class FileLayer {
public:
    virtual ~FileLayer() = default;

    // Opens a regular file for reading; null when it cannot be opened (missing,
    // no permission, a folder or a device).
    virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;

    // Starts a file that will replace `path` when committed; null when it
    // cannot be created (no such folder, no permission).
    virtual std::unique_ptr<OutputFile> CreateReplacing(const std::string& path) = 0;

    // The layer over the real file system.
    static FileLayer& System();
};

}  // namespace nemora::engine
