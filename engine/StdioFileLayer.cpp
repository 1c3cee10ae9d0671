#include "engine/StdioFileLayer.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/TemporaryName.h"

namespace nemora::engine {
namespace {

namespace fs = std::filesystem;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class StdioInputFile : public InputFile {
public:
    StdioInputFile(FilePtr file, std::uint64_t length) : file_(std::move(file)), length_(length) {}

    std::optional<std::uint64_t> Length() override { return length_; }

    std::optional<std::size_t> Read(std::uint8_t* into, std::size_t size) override {
        const std::size_t got = std::fread(into, 1, size, file_.get());
        if (got < size && std::ferror(file_.get()) != 0) return std::nullopt;
        return got;
    }

private:
    FilePtr file_;
    std::uint64_t length_;
};

class StdioOutputFile : public OutputFile {
public:
    StdioOutputFile(FilePtr file, fs::path temporary, fs::path target)
        : file_(std::move(file)), temporary_(std::move(temporary)), target_(std::move(target)) {}

    ~StdioOutputFile() override { Discard(); }

    bool Write(const std::uint8_t* bytes, std::size_t size) override {
        if (!file_) return false;
        errno = 0;
        if (std::fwrite(bytes, 1, size, file_.get()) == size) return true;
        failure_ = FileFailure(errno);
        return false;
    }

    bool Commit() override {
        if (!file_) return false;
        // fclose flushes the last buffered bytes: a full disk may show only here.
        errno = 0;
        const bool closed = std::fclose(file_.release()) == 0;
        if (!closed) failure_ = FileFailure(errno);
        std::error_code error;
        if (closed) fs::rename(temporary_, target_, error);
        if (closed && error) failure_ = FileFailure(error.value());
        if (!closed || error) {
            fs::remove(temporary_, error);
            return false;
        }
        committed_ = true;
        return true;
    }

    Result Failure() const override { return failure_; }

private:
    void Discard() {
        if (committed_) return;
        file_.reset();
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }

    FilePtr file_;
    fs::path temporary_;
    fs::path target_;
    bool committed_ = false;
    Result failure_ = Result::FileError;
};

// A name beside the target that no other file has; "x" makes fopen fail
// rather than reuse an existing file.
FilePtr CreateTemporary(const fs::path& target, fs::path& temporary) {
    for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
        temporary = TemporaryName::Beside(target);
        if (FilePtr file{std::fopen(temporary.c_str(), "wbx")}) return file;
        std::error_code error;
        if (!fs::exists(temporary, error)) return nullptr;  // the folder refuses new files
    }
    return nullptr;
}

}  // namespace

Result FileFailure(int systemError) {
    switch (systemError) {
        case ENOSPC:
        case EDQUOT:
            return Result::FileDiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
            return Result::FileAccessDenied;
        case EIO:
            return Result::FileHardIo;
        default:
            return Result::FileError;
    }
}

std::unique_ptr<InputFile> StdioFileLayer::OpenForReading(const std::string& path) {
    std::error_code error;
    const fs::path file(path);
    if (!fs::is_regular_file(file, error)) return nullptr;
    FilePtr opened{std::fopen(path.c_str(), "rb")};
    if (!opened) return nullptr;
    // The length of the file just opened, not of whatever the name shows later.
    if (std::fseek(opened.get(), 0, SEEK_END) != 0) return nullptr;
    const long length = std::ftell(opened.get());
    if (length < 0 || std::fseek(opened.get(), 0, SEEK_SET) != 0) return nullptr;
    return std::make_unique<StdioInputFile>(std::move(opened), static_cast<std::uint64_t>(length));
}

std::unique_ptr<OutputFile> StdioFileLayer::CreateReplacing(const std::string& path) {
    const fs::path target(path);
    std::error_code error;
    if (target.filename().empty() || fs::is_directory(target, error)) return nullptr;
    fs::path temporary;
    FilePtr file = CreateTemporary(target, temporary);
    if (!file) return nullptr;
    return std::make_unique<StdioOutputFile>(std::move(file), temporary, target);
}

int StdioFileLayer::MakeFolders(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return error.value();
}

int StdioFileLayer::RemoveFile(const std::string& path) {
    errno = 0;
    if (std::remove(path.c_str()) == 0) return 0;
    return errno != 0 ? errno : EIO;
}

int StdioFileLayer::RemoveEmptyFolder(const std::string& path) {
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(path, error)) && fs::remove(path, error)) return 0;
    return error ? error.value() : ENOTDIR;
}

int StdioFileLayer::ProbeFolder(const std::string& folder) {
    for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
        const fs::path probe = TemporaryName::Beside(fs::path(folder) / "nemora-probe");
        errno = 0;
        if (FilePtr file{std::fopen(probe.c_str(), "wbx")}) {
            file.reset();
            std::error_code ignored;
            fs::remove(probe, ignored);
            return 0;
        }
        if (errno != EEXIST) return errno != 0 ? errno : EIO;
    }
    return EEXIST;
}

bool StdioFileLayer::LinkReplacing(const std::string& source, const std::string& target) {
    std::error_code error;
    const fs::path file = fs::canonical(source, error);  // the file, not a link to it
    if (error) return false;
    for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
        const fs::path temporary = TemporaryName::Beside(target);
        fs::create_hard_link(file, temporary, error);
        if (error == std::errc::file_exists) continue;
        if (error) return false;
        fs::rename(temporary, target, error);
        if (!error) return true;
        fs::remove(temporary, error);
        return false;
    }
    return false;
}

bool StdioFileLayer::FlushAll(const std::string&) {
    return true;
}

FileLayer& FileLayer::System() {
    static StdioFileLayer layer;
    return layer;
}

}  // namespace nemora::engine
