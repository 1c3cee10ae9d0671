#pragma once

#include "engine/FileLayer.h"

namespace nemora::engine {

// The file layer over the C and C++ standard libraries. A new file is written
// under a temporary name beside its target (TemporaryName, created
// exclusively) and renamed over the target once it is complete, so a stopped
// or failed write never damages an earlier file of that name. Nothing is
// flushed to the disk: FlushAll has nothing to do.
class StdioFileLayer : public FileLayer {
public:
    std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
    std::unique_ptr<OutputFile> CreateReplacing(const std::string& path) override;
    int MakeFolders(const std::string& path) override;
    int ProbeFolder(const std::string& folder) override;
    int RemoveFile(const std::string& path) override;
    int RemoveEmptyFolder(const std::string& path) override;
    bool LinkReplacing(const std::string& source, const std::string& target) override;
    bool FlushAll(const std::string& path) override;
};

}  // namespace nemora::engine
