#pragma once

#include <cstdint>
#include <string>

namespace nemora::engine::posix {

// What the system knows of a name: its type, size and identity (a file is
// the same file by whatever names lead to it when its device and inode are).
struct FileStatus {
    enum class Type { File, Folder, Link, Other };

    int error = 0;  // errno when the name cannot be looked up: the rest is then empty
    Type type = Type::Other;
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool Found() const { return error == 0; }
    bool SameFile(const FileStatus& other) const {
        return device == other.device && inode == other.inode;
    }

    // Through symbolic links (stat).
    static FileStatus Of(const std::string& path);
    // The name itself, a symbolic link as a link (lstat).
    static FileStatus OfLink(const std::string& path);
};

}  // namespace nemora::engine::posix
