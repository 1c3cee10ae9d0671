#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/FileLayer.h"

namespace nemora::test {

// Where the file layer should fail; call numbers count from 1, 0 = never.
struct Faults {
    bool failOpen = false;
    bool failLength = false;
    std::optional<std::uint64_t> length{};  // report this length instead of the real one
    std::size_t failReadAt = 0;             // this read is an input error
    std::size_t shortReadAt = 0;            // this read comes back one byte short
    bool failCreate = false;
    std::size_t failWriteAt = 0;  // this write fails having written nothing (an I/O error)
    std::size_t fullDiskAt = 0;   // this write stores half its bytes, then fails
    bool failCommit = false;
    // Only files whose path ends so meet the faults above; empty: every file.
    std::string only{};
    int folderError = 0;  // MakeFolders fails with this system error
    int probeError = 0;   // ProbeFolder answers this system error
    bool failLink = false;
    bool failFlush = false;
};

// The system's file layer with faults injected at chosen calls. Its counts
// are plain: one thread writes at a time (a site run with one worker).
class FaultyFileLayer : public engine::FileLayer {
public:
    explicit FaultyFileLayer(Faults faults = {}) : faults_(faults) {}

    // New faults from now on, with the call counts back at 0.
    void SetFaults(Faults faults) {
        faults_ = faults;
        reads = writes = 0;
    }

    std::unique_ptr<engine::InputFile> OpenForReading(const std::string& path) override;
    std::unique_ptr<engine::OutputFile> CreateReplacing(const std::string& path) override;
    int MakeFolders(const std::string& path) override;
    int ProbeFolder(const std::string& folder) override;
    int RemoveFile(const std::string& path) override;
    int RemoveEmptyFolder(const std::string& path) override;
    bool LinkReplacing(const std::string& source, const std::string& target) override;
    bool FlushAll(const std::string& path) override;

    std::size_t reads = 0;
    std::size_t writes = 0;
    std::size_t commits = 0;  // files committed
    std::size_t links = 0;    // links made
    // The paths FlushAll was called with, and how many files were committed
    // when it last was.
    std::vector<std::string> flushed;
    std::size_t commitsAtFlush = 0;
    // Called with the path of each call (open, create, folders, link, flush)
    // before it is made: a test stops a run there.
    std::function<void(const std::string& path)> onPath;

private:
    bool Meets(const std::string& path) const;

    Faults faults_;
    std::size_t uncounted_ = 0;  // writes to files the faults spare
};

}  // namespace nemora::test
