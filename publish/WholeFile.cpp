#include "publish/WholeFile.h"

#include <fstream>

namespace nemora::publish {

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path,
                                                       std::uint64_t limit) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > limit) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

}  // namespace nemora::publish
