#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "engine/FileLayer.h"
#include "engine/strong/SealedFileWriter.h"
#include "engine/strong/SealedKeys.h"
#include "publish/PublicationOutcome.h"

namespace nemora::publish {

// Writes the sealed files of a sealed site into its output folder: each file
// of the site sealed under the run's content key for its site path, as the
// script that carries it, at nemora-sealed/<first two characters of its
// sealed name>/<sealed name>.js; and the manifest, sealed for the path
// "nemora-sealed/manifest" (which no file of the site may have: the site's
// own "nemora-sealed" is refused) at nemora-sealed/manifest.js. Safe for
// several threads at once, each sealing its own file.
class SiteSealer {
public:
    // The output's folder for sealed files; a site's own entry of that name
    // at its top is refused.
    static constexpr std::string_view kFolder = "nemora-sealed";
    // The manifest's sealed name, and the path it is sealed for.
    static constexpr std::string_view kManifestName = "manifest";
    static constexpr std::string_view kManifestPath = "nemora-sealed/manifest";

    SiteSealer(const engine::strong::SealedKeys& keys, engine::FileLayer& files, std::string out);

    // Seals `bytes`, the file at the site path `relative`: Ok, with the file
    // written; SealFailed (no memory); CannotCreate or a file error naming
    // the file that could not be made or written.
    PublicationOutcome Seal(std::span<const std::uint8_t> bytes, std::string_view relative);

    // Seals the manifest's text (SiteManifest::Text): the same results.
    PublicationOutcome SealManifest(std::string_view text) const;

    // Where the sealed file of `relative` goes in the output.
    std::string PathOf(std::string_view relative) const;

    // Removes the sealed files an earlier run left in the output: every file
    // named as a sealed file is in its folder that this sealer did not
    // write. Their names and key are another run's, so the new manifest never
    // leads to them, but whoever still holds that run's password (the one an
    // author replaces to shut people out) could open them. Nothing else in
    // the folder is touched. How many could not be removed.
    std::size_t RemoveEarlier();

private:
    PublicationOutcome Write(std::span<const std::uint8_t> bytes, std::string_view aad,
                             std::string_view name, const std::string& path) const;

    engine::strong::SealedKeys keys_;
    engine::strong::SealedFileWriter writer_;
    engine::FileLayer& files_;
    std::string folder_;  // ending in '/'
    // The two-character folders made so far, by their names' base32 digits.
    std::array<std::atomic<bool>, 32 * 32> made_{};
    std::mutex mutex_;
    std::unordered_set<std::string> written_;  // sealed names, for RemoveEarlier
};

}  // namespace nemora::publish
