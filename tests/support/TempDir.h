#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace nemora::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

    // Writes a file into the folder and returns its path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadAll(const std::string& path);

// Names of the entries of a folder, sorted.
std::vector<std::string> Entries(const std::filesystem::path& folder);

}  // namespace nemora::test
