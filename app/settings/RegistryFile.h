#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <utility>

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
    // The program's folder in the user's configuration folder, and its file.
    static constexpr const char* kFolderName = "nemora";
    static constexpr const char* kFileName = "settings.reg";
    // Where earlier versions kept the file: right in the configuration folder.
    static constexpr const char* kFormerFileName = "user-registry.reg";

    struct Location {
        std::filesystem::path file;
        // An earlier version's file: moved to `file` by the first transaction
        // that finds no file there, and left alone once one is there. Empty
        // for none.
        std::filesystem::path former;
        // The folder of `file` is the program's own: it goes with the file
        // when no key is left, if nothing else is in it.
        bool ownFolder = false;
    };

    // `lockWait` bounds how long Begin waits for another process's
    // transaction; a program that hangs while it holds the lock must not hang
    // every other one.
    explicit RegistryFile(Location location,
                          std::chrono::milliseconds lockWait = std::chrono::seconds(10));
    explicit RegistryFile(std::filesystem::path path,
                          std::chrono::milliseconds lockWait = std::chrono::seconds(10))
        : RegistryFile(Location{std::move(path), {}, false}, lockWait) {}

    // The current user's file: kFolderName/kFileName in $XDG_CONFIG_HOME, or
    // in ~/.config when that is unset, empty or not an absolute path (the XDG
    // base directory rules), with kFormerFileName in the same configuration
    // folder as the former one. Empty paths when there is no home folder
    // either.
    static Location UserLocation();

    const std::filesystem::path& Path() const { return location_.file; }

    std::unique_ptr<RegistryTransaction> Begin() override;

private:
    Location location_;
    std::chrono::milliseconds lockWait_;
};

}  // namespace nemora::app
