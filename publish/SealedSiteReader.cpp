#include "publish/SealedSiteReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "engine/strong/SealedFileReader.h"
#include "engine/strong/SealedScript.h"
#include "publish/SiteManifest.h"
#include "publish/SitePageStub.h"
#include "publish/SiteSealer.h"
#include "publish/StrongPage.h"

namespace nemora::publish {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kManifestName = SiteSealer::kManifestName;
constexpr std::string_view kManifestPath = SiteSealer::kManifestPath;

std::optional<std::vector<std::uint8_t>> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool IsPageName(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return extension == ".html" || extension == ".htm";
}

}  // namespace

std::string SealedSiteReader::TopOf(const std::string& scriptPath) {
    std::error_code error;
    const fs::path path = fs::absolute(scriptPath, error).lexically_normal();
    if (error) return {};
    const fs::path folder = path.parent_path();
    if (folder.filename() == SiteSealer::kFolder) return folder.parent_path().string();
    if (folder.parent_path().filename() == SiteSealer::kFolder) {
        return folder.parent_path().parent_path().string();
    }
    return {};
}

std::optional<std::vector<std::uint8_t>> SealedSiteReader::KeyContainer(const std::string& top) {
    std::error_code error;
    fs::recursive_directory_iterator walk(top, fs::directory_options::skip_permission_denied,
                                          error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (walk.depth() == 0 && walk->path().filename() == SiteSealer::kFolder) {
            walk.disable_recursion_pending();
            continue;
        }
        if (!walk->is_regular_file(error) || !IsPageName(walk->path())) continue;
        if (const auto page = ReadFile(walk->path())) {
            if (auto container = StrongPage::ReadContainer(*page)) return container;
        }
    }
    return std::nullopt;
}

std::optional<std::string> SealedSiteReader::PathOf(const engine::strong::SealedKeys& keys,
                                                    const std::string& top, std::string_view name) {
    if (name == kManifestName) return std::string(kManifestPath);
    const auto script =
        ReadFile(fs::path(top) / SiteSealer::kFolder / (std::string(kManifestName) + ".js"));
    if (!script) return std::nullopt;
    std::string scriptName;
    std::vector<std::uint8_t> sealed;
    std::vector<std::uint8_t> text;
    if (engine::strong::ReadSealedScript(
            {reinterpret_cast<const char*>(script->data()), script->size()}, scriptName, sealed) !=
            engine::Result::Ok ||
        scriptName != kManifestName ||
        engine::strong::SealedFileReader(keys).Open(sealed.data(), sealed.size(), kManifestPath,
                                                    text) != engine::Result::Ok) {
        return std::nullopt;
    }
    const auto paths =
        SiteManifest::Paths({reinterpret_cast<const char*>(text.data()), text.size()});
    if (!paths) return std::nullopt;
    for (const std::string& path : *paths) {
        if (keys.NameOf(path) == name) return path;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> SealedSiteReader::OpenPage(
    const std::string& pagePath, const engine::UnlockedPage& stub,
    const engine::strong::SealedKeys& keys, engine::Result& failure) {
    failure = engine::Result::Ok;
    if (stub.encodingName != SitePageStub::kEncoding) return std::nullopt;
    const std::string sitePath(stub.page.begin(), stub.page.end());
    const std::optional<std::string> top = SitePageStub::TopOf(pagePath, sitePath);
    if (!top || !fs::exists(fs::path(*top + std::string(kManifestPath) + ".js"))) {
        return std::nullopt;
    }
    const std::string name = keys.NameOf(sitePath);
    const auto script =
        ReadFile(fs::path(*top) / SiteSealer::kFolder / name.substr(0, 2) / (name + ".js"));
    failure = engine::Result::CannotOpen;
    if (!script) return std::nullopt;
    std::string scriptName;
    std::vector<std::uint8_t> sealed;
    std::vector<std::uint8_t> text;
    failure = engine::Result::DataCorrupt;
    if (engine::strong::ReadSealedScript(
            {reinterpret_cast<const char*>(script->data()), script->size()}, scriptName, sealed) !=
            engine::Result::Ok ||
        scriptName != name) {
        return std::nullopt;
    }
    failure =
        engine::strong::SealedFileReader(keys).Open(sealed.data(), sealed.size(), sitePath, text);
    if (failure != engine::Result::Ok) return std::nullopt;
    return text;
}

}  // namespace nemora::publish
