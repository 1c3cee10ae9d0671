#include "publish/SiteSealer.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "engine/strong/SealedScript.h"

namespace nemora::publish {
namespace {

using engine::Result;

// The value of a base32 digit of a sealed name (a to z, 2 to 7).
std::size_t DigitOf(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<std::size_t>(c - 'a')
                                : static_cast<std::size_t>(c - '2' + 26) % 32;
}

bool IsBase32(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '2' && c <= '7');
}

// A sealed file's name: its 26 base32 characters and ".js".
std::optional<std::string> SealedNameOf(const std::string& file) {
    constexpr std::size_t kNameLength = 26;
    if (file.size() != kNameLength + 3 || !file.ends_with(".js")) return std::nullopt;
    const std::string name = file.substr(0, kNameLength);
    if (!std::all_of(name.begin(), name.end(), IsBase32)) return std::nullopt;
    return name;
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

SiteSealer::SiteSealer(const engine::strong::SealedKeys& keys, engine::FileLayer& files,
                       std::string out)
    : keys_(keys), writer_(keys_), files_(files), folder_(out + "/" + std::string(kFolder) + "/") {}

std::string SiteSealer::PathOf(std::string_view relative) const {
    const std::string name = keys_.NameOf(relative);
    return folder_ + name.substr(0, 2) + "/" + name + ".js";
}

PublicationOutcome SiteSealer::Seal(std::span<const std::uint8_t> bytes,
                                    std::string_view relative) {
    const std::string name = keys_.NameOf(relative);
    const std::string path = folder_ + name.substr(0, 2) + "/" + name + ".js";
    {
        std::lock_guard lock(mutex_);
        written_.insert(name);
    }
    std::atomic<bool>& made = made_[DigitOf(name[0]) * 32 + DigitOf(name[1])];
    if (!made.load()) {
        // Two workers may both make it: making a folder that is there is no error.
        if (files_.MakeFolders(folder_ + name.substr(0, 2)) != 0) {
            return {Result::CannotCreate, path};
        }
        made.store(true);
    }
    return Write(bytes, relative, name, path);
}

std::size_t SiteSealer::RemoveEarlier() {
    namespace fs = std::filesystem;
    std::size_t kept = 0;
    std::error_code error;
    for (const fs::directory_entry& sub : fs::directory_iterator(folder_, error)) {
        const std::string two = sub.path().filename().string();
        if (two.size() != 2 || !IsBase32(two[0]) || !IsBase32(two[1]) || !sub.is_directory(error)) {
            continue;
        }
        std::error_code inner;
        for (const fs::directory_entry& entry : fs::directory_iterator(sub.path(), inner)) {
            const std::optional<std::string> name = SealedNameOf(entry.path().filename().string());
            if (!name || !name->starts_with(two) || written_.count(*name) > 0 ||
                !entry.is_regular_file(inner)) {
                continue;
            }
            if (files_.RemoveFile(entry.path().string()) != 0) ++kept;
        }
    }
    return kept;
}

PublicationOutcome SiteSealer::SealManifest(std::string_view text) const {
    const std::string path = folder_ + std::string(kManifestName) + ".js";
    if (files_.MakeFolders(folder_) != 0) return {Result::CannotCreate, path};
    return Write(Bytes(text), kManifestPath, kManifestName, path);
}

PublicationOutcome SiteSealer::Write(std::span<const std::uint8_t> bytes, std::string_view aad,
                                     std::string_view name, const std::string& path) const {
    std::optional<std::string> script;
    {
        std::vector<std::uint8_t> sealed;
        if (const Result result = writer_.Seal(bytes.data(), bytes.size(), aad, sealed);
            result != Result::Ok) {
            return {result};
        }
        script = engine::strong::SealedScript(name, sealed.data(), sealed.size());
    }
    if (!script) return {Result::SealFailed};
    const std::unique_ptr<engine::OutputFile> file = files_.CreateReplacing(path);
    if (!file) return {Result::CannotCreate, path};
    if (!file->Write(reinterpret_cast<const std::uint8_t*>(script->data()), script->size()) ||
        !file->Commit()) {
        return {file->Failure(), path};
    }
    PublicationOutcome outcome{Result::Ok};
    outcome.written.push_back({path, script->size()});
    return outcome;
}

}  // namespace nemora::publish
