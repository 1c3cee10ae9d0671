#include "engine/TemporaryName.h"

#include <random>
#include <string>

namespace nemora::engine {

std::filesystem::path TemporaryName::Beside(const std::filesystem::path& target) {
    // One generator per thread: documents are saved from several at once.
    static thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> digit(0, 35);
    const char* const kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 6; ++i) suffix += kDigits[digit(random)];
    return target.parent_path() / ("." + target.filename().string() + "." + suffix + ".tmp");
}

}  // namespace nemora::engine
