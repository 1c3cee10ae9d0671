#pragma once

#include <cstdint>

#include "engine/OutputFile.h"

namespace nemora::publish {

// An output file that counts the bytes written through it, so a publication
// can say what it wrote without asking the file system afterwards.
class CountingFile : public engine::OutputFile {
public:
    explicit CountingFile(engine::OutputFile& file) : file_(file) {}

    bool Write(const std::uint8_t* bytes, std::size_t size) override {
        if (!file_.Write(bytes, size)) return false;
        count_ += size;
        return true;
    }
    bool Commit() override { return file_.Commit(); }
    engine::Result Failure() const override { return file_.Failure(); }

    std::uint64_t Count() const { return count_; }

private:
    engine::OutputFile& file_;
    std::uint64_t count_ = 0;
};

}  // namespace nemora::publish
