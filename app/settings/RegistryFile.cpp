#include "app/settings/RegistryFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

#include "app/settings/RegistryText.h"
#include "engine/posix/DurableFileLayer.h"
#include "engine/posix/FileDescriptor.h"

namespace nemora::app {
namespace {

namespace fs = std::filesystem;
using KeyPath = RegistryText::KeyPath;

constexpr const char* kHive = "HKEY_CURRENT_USER";
constexpr const char* kSoftware = "Software";

using engine::posix::FileDescriptor;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the file (creating it empty when missing) and locks it. The lock
// belongs to the file the name shows when it is granted: a writer that held
// it before may have renamed a new file over the name, or removed it, and
// then the lock is taken again on what the name shows now.
FileDescriptor OpenLocked(const fs::path& path, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        FileDescriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600));
        if (!file.Valid()) return {};
        while (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) return {};
            if (std::chrono::steady_clock::now() >= deadline) return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(file.Get(), &locked) != 0) return {};
        // A folder, device or pipe under the name is no settings file: never
        // read from it (a device such as /dev/zero would never end).
        if (!S_ISREG(locked.st_mode)) return {};
        if (::stat(path.c_str(), &named) == 0 && SameFile(locked, named)) return file;
        if (std::chrono::steady_clock::now() >= deadline) return {};
    }
}

// Settings take a few hundred bytes; a file larger than this is no settings
// file of ours, and is read no further.
constexpr std::size_t kLargestFile = 16 << 20;

std::optional<std::string> ReadAll(int fd) {
    std::string text;
    char buffer[16384];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return text;
        if (text.size() + static_cast<std::size_t>(got) > kLargestFile) return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

// Makes a rename in the folder survive a crash; a folder that cannot be
// synced changes nothing about the result.
void SyncFolder(const fs::path& folder) {
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) ::fsync(dir.Get());
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Makes the missing levels of `folder`, private to the user as the XDG base
// directory rules ask. A level that cannot be made shows when the file is
// opened.
void MakeFolders(const fs::path& folder) {
    std::error_code error;
    if (folder.empty() || fs::is_directory(folder, error)) return;
    MakeFolders(folder.parent_path());
    ::mkdir(folder.c_str(), 0700);
}

// The copy of a former file made where a rename cannot go (another file
// system): written beside `file`, then linked into place, which never
// replaces a file that came meanwhile; the former file goes only then.
void CopyFormerFile(const fs::path& former, const fs::path& file, mode_t mode) {
    const FileDescriptor in(::open(former.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in.Valid()) return;
    const std::optional<std::string> text = ReadAll(in.Get());
    if (!text) return;
    std::string temporary = file.string() + ".moving-XXXXXX";
    const FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.Valid()) return;
    const bool linked = ::fchmod(out.Get(), mode) == 0 && WriteAll(out.Get(), *text) &&
                        ::fsync(out.Get()) == 0 && ::link(temporary.c_str(), file.c_str()) == 0;
    ::unlink(temporary.c_str());
    if (!linked) return;
    SyncFolder(file.parent_path());
    ::unlink(former.c_str());
}

// Moves an earlier version's settings file to `file`, unless a file is there
// already: neither is ever replaced or lost. Only a plain file moves; a link
// could point elsewhere when it lies in another folder.
void MoveFormerFile(const fs::path& former, const fs::path& file) {
    struct stat status {};
    if (::lstat(file.c_str(), &status) == 0 || errno != ENOENT) return;
    if (::lstat(former.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return;
    if (::renameat2(AT_FDCWD, former.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE) == 0) {
        SyncFolder(file.parent_path());
        SyncFolder(former.parent_path());
        return;
    }
    // EINVAL: a file system without the rename that never replaces.
    if (errno == EXDEV || errno == EINVAL) CopyFormerFile(former, file, status.st_mode & 07777);
}

bool IsPermanent(const KeyPath& path) {
    return (path.size() == 1 && RegistryText::SameName(path[0], kHive)) ||
           (path.size() == 2 && RegistryText::SameName(path[0], kHive) &&
            RegistryText::SameName(path[1], kSoftware));
}

// HKEY_CURRENT_USER and its "Software" key exist whatever the file holds,
// as they do in every user's registry.
bool Exists(const RegistryText& text, const KeyPath& path) {
    return IsPermanent(path) || text.KeyExists(path);
}

class FileKey : public RegistryKey {
public:
    FileKey(RegistryText& text, KeyPath path, KeyAccess access)
        : text_(text), path_(std::move(path)), access_(access) {}

    std::unique_ptr<RegistryKey> OpenSubKey(std::string_view name, KeyAccess access) override {
        std::optional<KeyPath> child = Below(name);
        if (!child || !Exists(text_, *child)) return nullptr;
        return std::make_unique<FileKey>(text_, std::move(*child), access);
    }

    std::unique_ptr<RegistryKey> CreateSubKey(std::string_view name, KeyAccess access) override {
        std::optional<KeyPath> child = Below(name);
        if (!child) return nullptr;
        // Every level gets a section of its own, so that deleting a key
        // below never takes a created key with it.
        for (std::size_t length = path_.size() + 1; length <= child->size(); ++length) {
            const KeyPath level(child->begin(),
                                child->begin() + static_cast<std::ptrdiff_t>(length));
            if (!Exists(text_, level)) text_.CreateKey(level);
        }
        return std::make_unique<FileKey>(text_, std::move(*child), access);
    }

    std::optional<RegistryValue> QueryValue(std::string_view name) override {
        if (!CanRead() || !Exists(text_, path_)) return std::nullopt;
        return text_.Value(path_, name);
    }

    bool SetValue(std::string_view name, const RegistryValue& value) override {
        if (!CanWrite() || !Exists(text_, path_) || !RegistryText::IsValueName(name)) return false;
        text_.SetValue(path_, name, value);
        return true;
    }

    bool DeleteValue(std::string_view name) override {
        if (!CanWrite() || !Exists(text_, path_)) return false;
        return text_.DeleteValue(path_, name);
    }

    std::optional<Counts> QueryInfo() override {
        if (!CanRead() || !Exists(text_, path_)) return std::nullopt;
        return Counts{text_.SubKeys(path_).size(), text_.ValueCount(path_)};
    }

    std::optional<std::string> EnumSubKey(std::size_t index) override {
        if (!CanRead() || !Exists(text_, path_)) return std::nullopt;
        std::vector<std::string> names = text_.SubKeys(path_);
        if (index >= names.size()) return std::nullopt;
        return std::move(names[index]);
    }

    bool DeleteSubKey(std::string_view name) override {
        const std::optional<KeyPath> child = Below(name);
        if (!child || IsPermanent(*child) || !text_.KeyExists(*child)) return false;
        if (!text_.SubKeys(*child).empty()) return false;
        text_.DeleteKey(*child);
        // The parent may have existed only through this key; it stays.
        const KeyPath parent(child->begin(), child->end() - 1);
        if (!Exists(text_, parent)) text_.CreateKey(parent);
        return true;
    }

private:
    bool CanRead() const { return access_ != KeyAccess::Write; }
    bool CanWrite() const { return access_ != KeyAccess::Read; }

    // The path of `name` below this key; none when this key is gone or a
    // level of the name cannot be a key name.
    std::optional<KeyPath> Below(std::string_view name) const {
        if (!Exists(text_, path_)) return std::nullopt;
        KeyPath path = path_;
        std::size_t start = 0;
        for (;;) {
            const std::size_t slash = name.find('\\', start);
            const std::string_view level = name.substr(start, slash - start);
            if (!RegistryText::IsKeyName(level)) return std::nullopt;
            path.emplace_back(level);
            if (slash == std::string_view::npos) return path;
            start = slash + 1;
        }
    }

    RegistryText& text_;
    KeyPath path_;
    KeyAccess access_;
};

class FileTransaction : public RegistryTransaction {
public:
    FileTransaction(fs::path path, bool ownFolder, FileDescriptor lock, std::string original,
                    std::optional<RegistryText> parsed, mode_t mode)
        : path_(std::move(path)),
          ownFolder_(ownFolder),
          lock_(std::move(lock)),
          original_(std::move(original)),
          unreadable_(!parsed),
          mode_(mode),
          text_(parsed ? std::move(*parsed) : RegistryText()),
          hive_(text_, KeyPath{kHive}, KeyAccess::AllAccess) {}

    ~FileTransaction() override {
        // The empty file made only to hold the lock goes again.
        struct stat locked {};
        struct stat named {};
        if (::fstat(lock_.Get(), &locked) == 0 && locked.st_size == 0 && locked.st_nlink > 0 &&
            ::stat(path_.c_str(), &named) == 0 && SameFile(locked, named) &&
            ::unlink(path_.c_str()) == 0) {
            RemoveOwnFolder();
        }
    }

    RegistryKey& CurrentUser() override { return hive_; }

    bool Commit() override {
        std::string text = text_.Serialize();
        if (!unreadable_ && text == original_) return true;
        if (unreadable_ && !MoveAside()) return false;
        if (text.empty()) {
            if (::unlink(path_.c_str()) != 0 && errno != ENOENT) return false;
            RemoveOwnFolder();
        } else if (!Replace(text)) {
            return false;
        }
        SyncFolder(path_.parent_path());
        original_ = std::move(text);
        unreadable_ = false;
        return true;
    }

private:
    // Only when nothing else is in it.
    void RemoveOwnFolder() const {
        if (ownFolder_) ::rmdir(path_.parent_path().c_str());
    }

    // Through the same durable writer as the data files and pages.
    bool Replace(std::string_view text) const {
        engine::posix::DurableFileLayer files(mode_);
        const std::unique_ptr<engine::OutputFile> file = files.CreateReplacing(path_.string());
        return file &&
               file->Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) &&
               file->Commit();
    }

    // Keeps a file that did not parse under a name of its own; nothing
    // replaces it until that worked.
    bool MoveAside() const {
        char stamp[32] = "";
        const std::time_t now = std::time(nullptr);
        struct tm local {};
        if (::localtime_r(&now, &local) != nullptr) {
            std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        }
        const std::string base = path_.string() + ".unreadable-" + stamp;
        // Holding the lock, only a writer that ignores it could take the
        // name between the test and the rename.
        for (int attempt = 1; attempt < 1000; ++attempt) {
            const std::string candidate =
                attempt == 1 ? base : base + "-" + std::to_string(attempt);
            struct stat existing {};
            if (::lstat(candidate.c_str(), &existing) == 0) continue;
            if (errno != ENOENT) return false;
            return ::rename(path_.c_str(), candidate.c_str()) == 0;
        }
        return false;
    }

    fs::path path_;
    bool ownFolder_;
    FileDescriptor lock_;
    std::string original_;
    bool unreadable_;
    mode_t mode_;
    RegistryText text_;
    FileKey hive_;
};

fs::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

RegistryFile::RegistryFile(Location location, std::chrono::milliseconds lockWait)
    : location_(std::move(location)), lockWait_(lockWait) {}

RegistryFile::Location RegistryFile::UserLocation() {
    fs::path folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && fs::path(config).is_absolute()) {
        folder = config;
    } else if (const fs::path home = HomeFolder(); !home.empty()) {
        folder = home / ".config";
    } else {
        return {};
    }
    return {folder / kFolderName / kFileName, folder / kFormerFileName, true};
}

std::unique_ptr<RegistryTransaction> RegistryFile::Begin() {
    const fs::path& path = location_.file;
    if (path.filename().empty()) return nullptr;
    MakeFolders(path.parent_path());
    if (!location_.former.empty()) MoveFormerFile(location_.former, path);
    FileDescriptor lock = OpenLocked(path, lockWait_);
    if (!lock.Valid()) return nullptr;
    std::optional<std::string> original = ReadAll(lock.Get());
    struct stat status {};
    if (!original || ::fstat(lock.Get(), &status) != 0) return nullptr;
    std::optional<RegistryText> parsed = RegistryText::Parse(*original);
    return std::make_unique<FileTransaction>(path, location_.ownFolder, std::move(lock),
                                             std::move(*original), std::move(parsed),
                                             status.st_mode & 07777);
}

}  // namespace nemora::app
