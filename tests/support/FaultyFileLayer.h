#pragma once

#include <cstdint>
#include <optional>

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
};

// The system's file layer with faults injected at chosen calls.
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

    std::size_t reads = 0;
    std::size_t writes = 0;

private:
    Faults faults_;
};

}  // namespace nemora::test
