#include "engine/posix/DurableFileLayer.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/TemporaryName.h"
#include "engine/posix/FileDescriptor.h"

namespace nemora::engine::posix {
namespace {

namespace fs = std::filesystem;

// Makes a rename in the folder survive a crash; a folder that cannot be
// opened for that is left as the rename left it.
void SyncFolder(const fs::path& folder) {
    const FileDescriptor dir(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
}

class DurableInput : public InputFile {
public:
    DurableInput(int fd, std::uint64_t length) : file_(fd), length_(length) {}

    std::optional<std::uint64_t> Length() override { return length_; }

    std::optional<std::size_t> Read(std::uint8_t* into, std::size_t size) override {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::read(file_.Get(), into + done, size - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return std::nullopt;
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

private:
    FileDescriptor file_;
    std::uint64_t length_;
};

class DurableOutput : public OutputFile {
public:
    DurableOutput(int fd, fs::path temporary, fs::path target, bool flush)
        : file_(fd), temporary_(std::move(temporary)), target_(std::move(target)), flush_(flush) {}

    ~DurableOutput() override {
        if (committed_) return;
        file_.Close();
        ::unlink(temporary_.c_str());
    }

    bool Write(const std::uint8_t* bytes, std::size_t size) override {
        while (size > 0) {
            const ssize_t put = ::write(file_.Get(), bytes, size);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return Fail(put < 0 ? errno : ENOSPC);
            bytes += put;
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }

    bool Commit() override {
        if (!file_.Valid()) return false;
        // The data reaches the disk before the name does.
        if (flush_ && ::fsync(file_.Get()) != 0) return Fail(errno);
        if (!file_.Close()) return Fail(errno);
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail(errno);
        committed_ = true;
        if (flush_) SyncFolder(target_.parent_path());
        return true;
    }

    Result Failure() const override { return failure_; }

private:
    bool Fail(int error) {
        failure_ = FileFailure(error);
        return false;
    }

    FileDescriptor file_;
    fs::path temporary_;
    fs::path target_;
    bool flush_;
    bool committed_ = false;
    Result failure_ = Result::FileError;
};

}  // namespace

std::unique_ptr<InputFile> DurableFileLayer::OpenForReading(const std::string& path) {
    // Non-blocking, so that a pipe with no writer does not hold the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<DurableInput>(fd, static_cast<std::uint64_t>(status.st_size));
}

std::unique_ptr<OutputFile> DurableFileLayer::CreateReplacing(const std::string& path) {
    const fs::path target(path);
    std::error_code error;
    if (target.filename().empty() || fs::is_directory(target, error)) return nullptr;
    for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
        const fs::path temporary = TemporaryName::Beside(target);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_);
        if (fd >= 0) {
            return std::make_unique<DurableOutput>(fd, temporary, target,
                                                   flush_ == Flush::EachFile);
        }
        if (errno != EEXIST) return nullptr;  // the folder refuses new files
    }
    return nullptr;
}

DurableFileLayer& DurableFileLayer::Instance() {
    static DurableFileLayer layer;
    return layer;
}

int DurableFileLayer::MakeFolders(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return error.value();
}

int DurableFileLayer::RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int DurableFileLayer::RemoveEmptyFolder(const std::string& path) {
    return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

int DurableFileLayer::ProbeFolder(const std::string& folder) {
    for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
        const fs::path probe = TemporaryName::Beside(fs::path(folder) / "nemora-probe");
        const FileDescriptor fd(
            ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.Valid()) {
            ::unlink(probe.c_str());
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Made under a temporary name and renamed over the target, so an earlier
// file stays whole until the new one is in place.
bool DurableFileLayer::LinkReplacing(const std::string& source, const std::string& target) {
    for (int attempt = 0; attempt < TemporaryName::kAttempts; ++attempt) {
        const fs::path temporary = TemporaryName::Beside(target);
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) !=
            0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (::rename(temporary.c_str(), target.c_str()) == 0) return true;
        ::unlink(temporary.c_str());
        return false;
    }
    return false;
}

bool DurableFileLayer::FlushAll(const std::string& path) {
    if (flush_ == Flush::EachFile) return true;  // each file reached the disk on its commit
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.Valid() && ::syncfs(fd.Get()) == 0;
}

}  // namespace nemora::engine::posix
