#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nemora::test {

// A fresh folder that stands in for the user's home while the object lives:
// HOME points to <folder>/home and XDG_CONFIG_HOME to <folder>/config (not
// created), so the store never reaches the real user's files. The variables
// get their old values back and the folder goes when the object goes.
class ConfigHome {
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path ConfigFolder() const { return root_ / "config"; }
    // The program's own folder in it, and its settings file.
    std::filesystem::path SettingsFolder() const { return ConfigFolder() / "nemora"; }
    std::filesystem::path RegistryPath() const { return SettingsFolder() / "settings.reg"; }
    // Where earlier versions kept the file.
    std::filesystem::path FormerRegistryPath() const {
        return ConfigFolder() / "user-registry.reg";
    }

    // The registry file's text; empty when there is no file.
    std::string ReadRegistry() const;
    void WriteRegistry(std::string_view text) const;

    // Names in the settings folder, sorted; empty when it does not exist.
    std::vector<std::string> SettingsEntries() const;

private:
    std::filesystem::path root_;
    std::optional<std::string> oldConfig_;
    std::optional<std::string> oldHome_;
};

std::string ReadFile(const std::filesystem::path& path);

}  // namespace nemora::test
