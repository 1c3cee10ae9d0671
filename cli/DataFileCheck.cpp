#include "cli/DataFileCheck.h"

#include <algorithm>
#include <filesystem>

#include "cli/Report.h"
#include "publish/InputPage.h"

namespace nemora::cli {
namespace {

// The data file a loader page reads, as a path from where the user stands.
std::optional<std::string> DataFileOf(const std::string& loader,
                                      std::span<const std::uint8_t> bytes) {
    const std::optional<std::string> named = publish::InputPage::LoaderDataFile(bytes);
    if (!named) return std::nullopt;
    // An address or an absolute path is shown as it stands.
    if (named->find(':') != std::string::npos || named->starts_with('/')) return named;
    return (std::filesystem::path(loader).parent_path() / *named).lexically_normal().string();
}

}  // namespace

bool RefuseNonDataFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    using Kind = publish::InputPage::Kind;
    const std::size_t head = std::min(bytes.size(), publish::InputPage::kInspectedBytes);
    switch (publish::InputPage::Classify(bytes.first(head))) {
        case Kind::LoaderPage:
            if (const std::optional<std::string> data = DataFileOf(path, bytes)) {
                Report(path, CliText::LoaderPageNotData, *data);
            } else {
                Report(path, CliText::LoaderPageNotDataUnnamed);
            }
            return true;
        case Kind::DecoderPage:
            Report(path, CliText::DecoderPageNotData);
            return true;
        case Kind::StrongScript:
            Report(path, CliText::StrongScriptNotData);
            return true;
        case Kind::StrongPage:
            // A strong page whose sealed page cannot be read out of it.
            Report(path, engine::Result::DataCorrupt);
            return true;
        default:
            return false;
    }
}

}  // namespace nemora::cli
