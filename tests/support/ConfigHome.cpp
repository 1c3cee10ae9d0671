#include "tests/support/ConfigHome.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace nemora::test {
namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

}  // namespace

ConfigHome::ConfigHome() : oldConfig_(Variable("XDG_CONFIG_HOME")), oldHome_(Variable("HOME")) {
    std::string pattern = (std::filesystem::temp_directory_path() / "nemora-settings-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    root_ = pattern;
    std::filesystem::create_directory(root_ / "home");
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", ConfigFolder().c_str(), 1);
}

ConfigHome::~ConfigHome() {
    Restore("XDG_CONFIG_HOME", oldConfig_);
    Restore("HOME", oldHome_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string ConfigHome::ReadRegistry() const {
    return ReadFile(RegistryPath());
}

void ConfigHome::WriteRegistry(std::string_view text) const {
    std::filesystem::create_directories(SettingsFolder());
    std::ofstream out(RegistryPath(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::vector<std::string> ConfigHome::SettingsEntries() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(SettingsFolder(), error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace nemora::test
