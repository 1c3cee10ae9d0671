#pragma once

#include <sys/types.h>

#include "engine/FileLayer.h"

namespace nemora::engine::posix {

// The file layer the programs use: a file that replaces another is written
// beside it, flushed to the disk (fsync), renamed over it, and the rename
// flushed with its folder, so that after a crash or a power cut the name
// holds the earlier file or the new one, whole, never an empty one. Files
// are read through one descriptor that is checked to be a regular file, so
// that a pipe or a device put under the name meanwhile is never read.
//
// POSIX, and so outside the engine's core, which uses the standard library
// only (its StdioFileLayer renames without flushing).
class DurableFileLayer : public FileLayer {
public:
    // When files reach the disk: each before its rename, or all at once when
    // the caller says so (FlushAll), for runs that write thousands of files
    // where a flush per file would cost more than the work. A deferred file
    // still appears whole or not at all to other programs; after a power cut
    // before FlushAll it may be empty.
    enum class Flush { EachFile, Deferred };

    // Files are made with `mode` (less the umask): published pages must be
    // readable by the web server, settings by their owner only.
    explicit DurableFileLayer(mode_t mode = 0666, Flush flush = Flush::EachFile)
        : mode_(mode), flush_(flush) {}

    std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
    std::unique_ptr<OutputFile> CreateReplacing(const std::string& path) override;
    int MakeFolders(const std::string& path) override;
    int ProbeFolder(const std::string& folder) override;
    int RemoveFile(const std::string& path) override;
    int RemoveEmptyFolder(const std::string& path) override;
    bool LinkReplacing(const std::string& source, const std::string& target) override;
    // Deferred: flushes the whole file system that holds `path` (syncfs).
    bool FlushAll(const std::string& path) override;

    // The one the programs share, with mode 0666.
    static DurableFileLayer& Instance();

private:
    mode_t mode_;
    Flush flush_;
};

}  // namespace nemora::engine::posix
