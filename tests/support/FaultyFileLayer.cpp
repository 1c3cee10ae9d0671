#include "tests/support/FaultyFileLayer.h"

namespace nemora::test {
namespace {

const Faults kNone;

class FaultyInput : public engine::InputFile {
public:
    FaultyInput(std::unique_ptr<engine::InputFile> inner, const Faults& faults, std::size_t& reads)
        : inner_(std::move(inner)), faults_(faults), reads_(reads) {}

    std::optional<std::uint64_t> Length() override {
        if (faults_.failLength) return std::nullopt;
        if (faults_.length) return faults_.length;
        return inner_->Length();
    }

    std::optional<std::size_t> Read(std::uint8_t* into, std::size_t size) override {
        ++reads_;
        if (reads_ == faults_.failReadAt) return std::nullopt;
        if (reads_ == faults_.shortReadAt && size > 0) return inner_->Read(into, size - 1);
        return inner_->Read(into, size);
    }

private:
    std::unique_ptr<engine::InputFile> inner_;
    const Faults& faults_;
    std::size_t& reads_;
};

class FaultyOutput : public engine::OutputFile {
public:
    FaultyOutput(std::unique_ptr<engine::OutputFile> inner, const Faults& faults,
                 std::size_t& writes, std::size_t& commits)
        : inner_(std::move(inner)), faults_(faults), writes_(writes), commits_(commits) {}

    bool Write(const std::uint8_t* bytes, std::size_t size) override {
        ++writes_;
        if (writes_ == faults_.failWriteAt) {
            failure_ = engine::Result::FileHardIo;
            return false;
        }
        if (writes_ == faults_.fullDiskAt) {
            (void)inner_->Write(bytes, size / 2);
            failure_ = engine::Result::FileDiskFull;
            return false;
        }
        return inner_->Write(bytes, size);
    }

    bool Commit() override {
        if (faults_.failCommit) {
            failure_ = engine::Result::FileError;
            return false;
        }
        if (!inner_->Commit()) return false;
        ++commits_;
        return true;
    }

    engine::Result Failure() const override { return failure_; }

private:
    std::unique_ptr<engine::OutputFile> inner_;
    const Faults& faults_;
    std::size_t& writes_;
    std::size_t& commits_;
    engine::Result failure_ = engine::Result::FileError;
};

}  // namespace

std::unique_ptr<engine::InputFile> FaultyFileLayer::OpenForReading(const std::string& path) {
    if (onPath) onPath(path);
    if (!Meets(path)) return engine::FileLayer::System().OpenForReading(path);
    if (faults_.failOpen) return nullptr;
    auto inner = engine::FileLayer::System().OpenForReading(path);
    if (!inner) return nullptr;
    return std::make_unique<FaultyInput>(std::move(inner), faults_, reads);
}

std::unique_ptr<engine::OutputFile> FaultyFileLayer::CreateReplacing(const std::string& path) {
    if (onPath) onPath(path);
    const bool meets = Meets(path);
    if (meets && faults_.failCreate) return nullptr;
    auto inner = engine::FileLayer::System().CreateReplacing(path);
    if (!inner) return nullptr;
    if (!meets) return std::make_unique<FaultyOutput>(std::move(inner), kNone, uncounted_, commits);
    return std::make_unique<FaultyOutput>(std::move(inner), faults_, writes, commits);
}

int FaultyFileLayer::MakeFolders(const std::string& path) {
    if (onPath) onPath(path);
    if (faults_.folderError != 0) return faults_.folderError;
    return engine::FileLayer::System().MakeFolders(path);
}

int FaultyFileLayer::ProbeFolder(const std::string& folder) {
    if (faults_.probeError != 0) return faults_.probeError;
    return engine::FileLayer::System().ProbeFolder(folder);
}

int FaultyFileLayer::RemoveFile(const std::string& path) {
    if (onPath) onPath(path);
    return engine::FileLayer::System().RemoveFile(path);
}

int FaultyFileLayer::RemoveEmptyFolder(const std::string& path) {
    if (onPath) onPath(path);
    return engine::FileLayer::System().RemoveEmptyFolder(path);
}

bool FaultyFileLayer::LinkReplacing(const std::string& source, const std::string& target) {
    if (onPath) onPath(target);
    if (faults_.failLink || !engine::FileLayer::System().LinkReplacing(source, target)) {
        return false;
    }
    ++links;
    return true;
}

bool FaultyFileLayer::FlushAll(const std::string& path) {
    if (onPath) onPath(path);
    flushed.push_back(path);
    commitsAtFlush = commits;
    return !faults_.failFlush && engine::FileLayer::System().FlushAll(path);
}

bool FaultyFileLayer::Meets(const std::string& path) const {
    return faults_.only.empty() || path.ends_with(faults_.only);
}

}  // namespace nemora::test
