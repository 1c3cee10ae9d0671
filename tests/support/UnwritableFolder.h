#pragma once

#include <filesystem>

namespace nemora::test {

// Makes an existing folder refuse new entries for as long as the object
// lives, as a read-only folder refuses them to its user: by its mode for
// an ordinary user, by the immutable attribute for root (whom the mode does
// not stop). Made() is false where neither can be had; a test then skips.
class UnwritableFolder {
public:
    explicit UnwritableFolder(std::filesystem::path folder);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    bool Made() const { return made_; }

private:
    bool SetImmutable(bool on) const;

    std::filesystem::path folder_;
    bool made_ = false;
    bool immutable_ = false;
};

}  // namespace nemora::test
