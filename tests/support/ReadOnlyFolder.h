#pragma once

#include <filesystem>

namespace nemora::test {

// Makes an existing folder refuse new files for as long as the object
// lives, with the cause its user would meet: a read-only file system mounted
// over it for root (whom the mode does not stop), its mode for anyone else.
// Made() is false where neither can be had; a test then skips. Undone in the
// destructor, so a failing assertion leaves no mount behind.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::filesystem::path folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool Made() const { return mounted_ || closed_; }
    // The errno a new file there meets: EROFS on the mount, EACCES by mode.
    int Cause() const;

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    bool closed_ = false;
};

}  // namespace nemora::test
