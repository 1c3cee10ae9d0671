#include "publish/PublicationWriter.h"

#include <vector>

#include "publish/FolderMaker.h"
#include "publish/PathNames.h"
#include "publish/TemplateExpander.h"
#include "publish/TemplateValues.h"
#include "publish/TextCodec.h"
#include "publish/ValueFormat.h"

namespace nemora::publish {
namespace {

using engine::Result;

constexpr const char* kDecoderPage = "decoder.htm";
constexpr const char* kDecoderArchive = "decoder.jar";

}  // namespace

PublicationWriter::PublicationWriter(engine::FileLayer& files, ResourceSource& resources,
                                     IdentifierSource& identifiers)
    : files_(files), resources_(resources), identifiers_(identifiers) {}

std::string PublicationWriter::ProposedFolder(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot != std::string::npos && dot >= 1 ? path.substr(0, dot) : path;
}

std::string PublicationWriter::CharCodeName(const std::string& encodeType) {
    const auto converted = TextCodec::ToCp932(encodeType, TextCodec::Unmappable::Refuse);
    return converted ? *converted : encodeType;
}

bool PublicationWriter::HasExtension(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return LastComponent(trimmed).find('.') != std::string::npos;
}

Result PublicationWriter::Save(PublicationState& state, SaveHost& host) {
    if (!state.PageLoaded || state.Document == nullptr) return Result::Ok;
    host.ReadControls();

    Result result = Result::Ok;
    // The key is derived from the password's code page 932 bytes, which is
    // what the visitor's browser will make of what they type; a character
    // that code page lacks would silently become another key.
    // Wiped when the save ends, however it ends.
    std::optional<engine::SecretString> password;
    if (state.Password.empty()) {
        result = Result::NoPassword;
    } else if (state.CookieOn && state.CookieKey.empty()) {
        result = Result::NoCookieKey;
    } else if (!(password = TextCodec::PasswordToCp932(state.Password.View()))) {
        result = Result::PasswordNotShiftJis;
    }
    if (result != Result::Ok) {
        host.ShowResult(result, {});
        return result;
    }

    std::optional<std::string> chosen = host.ChooseFolder(ProposedFolder(state.Path));
    if (!chosen) return Result::Ok;
    std::string folder = *chosen;
    if (HasExtension(folder)) {
        result = Result::FolderHasExtension;
    } else if (!FolderMaker::EnsureFolder(folder)) {
        result = Result::CannotMakeFolder;
    }
    if (result != Result::Ok) {
        host.ShowResult(result, {});
        return result;
    }
    if (folder.back() != '/') folder += '/';

    engine::ProgressSink* sink = host.OpenProgress();
    result = Publish(state, password->View(), folder, sink);
    host.CloseProgress();
    host.ShowResult(result, engine::IsFileError(result) ? failedFile_ : std::string());
    return result;
}

Result PublicationWriter::Publish(PublicationState& state, std::string_view password,
                                  const std::string& folder, engine::ProgressSink* sink) {
    Result result = state.Document->Encrypt(sink, password, state.PasswordChanged);
    if (result != Result::Ok) return result;
    state.PasswordChanged = false;
    result = state.Document->WriteDataFile(sink, folder + DataFileName(state.PageFileName));
    if (result != Result::Ok) return result;
    return WritePages(state, folder);
}

Result PublicationWriter::WritePages(const PublicationState& state, const std::string& folder) {
    using Markers = TemplateExpander::ValueMarkers;
    const TemplateValues values = TemplateValues::From(state, identifiers_);
    const auto comments =
        state.Comment ? TemplateExpander::Comments::Keep : TemplateExpander::Comments::Drop;
    Result result =
        WritePage(res::ResourceType::Html, res::kLoaderTemplate, folder + state.PageFileName,
                  Expansion{&values, comments, Markers::Active});
    if (result == Result::Ok) {
        result = WritePage(res::ResourceType::Html, res::kDecoderTemplate, folder + kDecoderPage,
                           Expansion{&values, comments, Markers::Inactive});
    }
    if (result == Result::Ok) {
        result = WritePage(res::ResourceType::Jar, res::kDecoderArchive, folder + kDecoderArchive,
                           Expansion{});
    }
    return result == Result::Ok ? Result::Published : result;
}

Result PublicationWriter::WritePage(res::ResourceType type, std::uint32_t id,
                                    const std::string& path, const Expansion& expansion) {
    std::vector<std::uint8_t> bytes;
    if (const Result loaded = resources_.Load(type, id, bytes); loaded != Result::Ok) {
        return loaded;
    }
    const std::unique_ptr<engine::OutputFile> file = files_.CreateReplacing(path);
    if (!file) return Result::CannotCreate;
    const bool written =
        expansion.values != nullptr
            ? TemplateExpander::Expand(bytes, *expansion.values, expansion.comments,
                                       expansion.markers, *file)
            : file->Write(bytes.data(), bytes.size());
    if (written && file->Commit()) return Result::Ok;
    // The file was created: what failed is the writing (a full disk...),
    // which the user is told with the file's name.
    failedFile_ = path;
    return file->Failure();
}

}  // namespace nemora::publish
