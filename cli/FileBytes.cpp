#include "cli/FileBytes.h"

#include <filesystem>
#include <fstream>

#include "engine/posix/DurableFileLayer.h"

namespace nemora::cli {

FileBytes ReadFileBytes(const std::string& path, std::uint64_t limit) {
    using Outcome = FileBytes::Outcome;
    // The layer opens regular files only, without waiting on a pipe.
    const std::unique_ptr<engine::InputFile> file =
        engine::posix::DurableFileLayer::Instance().OpenForReading(path);
    if (!file) {
        std::error_code error;
        const bool other =
            std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error);
        return {other ? Outcome::NotAFile : Outcome::CannotOpen, {}};
    }
    const std::optional<std::uint64_t> length = file->Length();
    if (!length) return {Outcome::ReadFailed, {}};
    if (*length > limit) return {Outcome::TooLarge, {}};
    FileBytes read;
    read.bytes.resize(static_cast<std::size_t>(*length));
    // The length seen at the open: a file that grows meanwhile is read no
    // further, and one that shrank gives what is there.
    const std::optional<std::size_t> got = file->Read(read.bytes.data(), read.bytes.size());
    if (!got) return {Outcome::ReadFailed, {}};
    read.bytes.resize(*got);
    return read;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace nemora::cli
