#pragma once

#include <chrono>
#include <filesystem>
#include <memory>

#include "app/settings/RegistryBackend.h"

namespace nemora::app {

// The current user's keys in a .reg text file (see RegistryText), for
// platforms without a registry. Each transaction holds an exclusive lock on
// the file from Begin until it goes, reads the file once and, at Commit,
// writes the whole file under a temporary name and renames it into place, so
// readers see the old file or the new one and never a part of either. A file
// that does not parse reads as an empty registry; before anything replaces
// it, it is moved aside under "<name>.unreadable-<date>-<time>", never
// deleted. When no key is left the file is removed.
class RegistryFile : public RegistryBackend {
public:
    static constexpr const char* kFileName = "user-registry.reg";

    // `lockWait` bounds how long Begin waits for another process's
    // transaction; a program that hangs while it holds the lock must not hang
    // every other one.
    explicit RegistryFile(std::filesystem::path path,
                          std::chrono::milliseconds lockWait = std::chrono::seconds(10));

    // kFileName in $XDG_CONFIG_HOME, or in ~/.config when that is unset, empty
    // or not an absolute path; empty when there is no home folder either.
    static std::filesystem::path DefaultPath();

    const std::filesystem::path& Path() const { return path_; }

    std::unique_ptr<RegistryTransaction> Begin() override;

private:
    std::filesystem::path path_;
    std::chrono::milliseconds lockWait_;
};

}  // namespace nemora::app
