#pragma once

#include <memory>
#include <string>

#include "engine/InputFile.h"
#include "engine/OutputFile.h"

namespace nemora::engine {

// The only way to the file system for what writes published files: open a
// page file, create a file that replaces another, make folders, link, flush.
// Every caller passes the layer it writes through: tests put one in its place
// that fails at a chosen call.
class FileLayer {
public:
    virtual ~FileLayer() = default;

    // Opens a regular file for reading; null when it cannot be opened (missing,
    // no permission, a folder or a device).
    virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;

    // Starts a file that will replace `path` when committed; null when it
    // cannot be created (no such folder, no permission).
    virtual std::unique_ptr<OutputFile> CreateReplacing(const std::string& path) = 0;

    // Makes the folder `path` and every missing folder above it: 0, or the
    // system's error number (errno) that stopped it.
    virtual int MakeFolders(const std::string& path) = 0;

    // Whether a new file can be made in `folder`: 0, or the system's error
    // number. Nothing is left behind.
    virtual int ProbeFolder(const std::string& folder) = 0;

    // Removes the file `path`: 0, or the system's error number.
    virtual int RemoveFile(const std::string& path) = 0;

    // Removes the folder `path` if it is empty: 0, or the system's error
    // number (ENOTEMPTY or EEXIST for a folder that holds anything).
    virtual int RemoveEmptyFolder(const std::string& path) = 0;

    // Puts a hard link to the file `source` names (through symbolic links)
    // at `target`, replacing an earlier file whole. False when it cannot
    // (another file system, no links there): the caller copies instead.
    virtual bool LinkReplacing(const std::string& source, const std::string& target) = 0;

    // Brings what this layer wrote on the file system that holds `path` to
    // the disk, for a layer that defers it; false when that fails.
    virtual bool FlushAll(const std::string& path) = 0;

    // The layer over the C and C++ standard libraries (StdioFileLayer).
    static FileLayer& System();
};

}  // namespace nemora::engine
