#include "publish/PublicationWriter.h"

#include <vector>

#include "engine/strong/StrongSealer.h"
#include "publish/FolderMaker.h"
#include "publish/OutputGuard.h"
#include "publish/PathNames.h"
#include "publish/StrongPage.h"
#include "publish/TemplateExpander.h"
#include "publish/TemplateValues.h"
#include "publish/TextCodec.h"
#include "publish/ValueFormat.h"

namespace nemora::publish {
namespace {

using engine::Result;

constexpr const char* kDecoderPage = "decoder.htm";
constexpr const char* kDecoderArchive = "decoder.jar";
constexpr const char* kStrongScript = "nemora-strong.js";

// The templates the visitor reads, in the page language; the decoder
// archive and the strong lock's script serve both languages.
std::uint32_t LoaderTemplate(res::Language language) {
    return language == res::Language::English ? res::kLoaderTemplateEnglish : res::kLoaderTemplate;
}

std::uint32_t DecoderTemplate(res::Language language) {
    return language == res::Language::English ? res::kDecoderTemplateEnglish
                                              : res::kDecoderTemplate;
}

std::uint32_t StrongPageTemplate(res::Language language) {
    return language == res::Language::English ? res::kStrongPageTemplateEnglish
                                              : res::kStrongPageTemplate;
}

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

Result PublicationWriter::CheckEntries(const PublicationOptions& options,
                                       std::optional<engine::SecretString>& password) {
    if (options.password.empty()) return Result::NoPassword;
    if (options.cookieOn && options.cookieKey.empty()) return Result::NoCookieKey;
    // The strong lock takes the password as UTF-8: any character will do.
    if (options.strong) {
        password = engine::SecretString(options.password.View());
        return Result::Ok;
    }
    // The key is derived from the password's code page 932 bytes, which is
    // what the visitor's browser will make of what they type; a character
    // that code page lacks would silently become another key.
    password = TextCodec::PasswordToCp932(options.password.View());
    return password ? Result::Ok : Result::PasswordNotShiftJis;
}

Result PublicationWriter::CheckEntries(const PublicationOptions& options) {
    std::optional<engine::SecretString> password;
    return CheckEntries(options, password);
}

PublicationOutcome PublicationWriter::PrepareFolder(const PublicationPage& page,
                                                    const PublicationOptions& options,
                                                    std::string& folder) {
    if (HasExtension(folder)) return {Result::FolderHasExtension};
    // Nothing may be written over the page itself, and nothing twice.
    if (const auto clash = OutputGuard::Check({page.path}, folder, options.strong)) {
        return {OutputGuard::Refusal(*clash)};
    }
    if (auto refused = OutputGuard::UnwritableFolder(folder)) {
        return {Result::FileAccessDenied, std::move(refused->folder)};
    }
    if (!FolderMaker::EnsureFolder(folder)) return {Result::CannotMakeFolder};
    if (folder.back() != '/') folder += '/';
    return {Result::Ok};
}

PublicationOutcome PublicationWriter::Publish(const PublicationPage& page,
                                              const PublicationOptions& options,
                                              const std::string& folder,
                                              engine::ProgressSink* sink) const {
    // Wiped when the publication ends, however it ends.
    std::optional<engine::SecretString> password;
    if (const Result checked = CheckEntries(options, password); checked != Result::Ok) {
        return {checked};
    }
    std::string prepared = folder;
    if (PublicationOutcome refused = PrepareFolder(page, options, prepared);
        refused.result != Result::Ok) {
        return refused;
    }
    return Write(page, options, password->View(), prepared, sink);
}

PublicationOutcome PublicationWriter::PublishIntoFolder(const PublicationPage& page,
                                                        const PublicationOptions& options,
                                                        const std::string& folder,
                                                        engine::ProgressSink* sink) const {
    std::optional<engine::SecretString> password;
    if (const Result checked = CheckEntries(options, password); checked != Result::Ok) {
        return {checked};
    }
    return Write(page, options, password->View(), folder, sink);
}

PublicationOutcome PublicationWriter::Save(const PublicationPage& page,
                                           const PublicationOptions& options,
                                           SaveHost& host) const {
    std::optional<engine::SecretString> password;
    if (const Result checked = CheckEntries(options, password); checked != Result::Ok) {
        host.ShowResult(checked, {});
        return {checked};
    }
    std::optional<std::string> folder = host.ChooseFolder(ProposedFolder(page.path));
    if (!folder) return {};
    if (PublicationOutcome refused = PrepareFolder(page, options, *folder);
        refused.result != Result::Ok) {
        host.ShowResult(refused.result, refused.failedFile);
        return refused;
    }
    engine::ProgressSink* sink = host.OpenProgress();
    PublicationOutcome outcome = Write(page, options, password->View(), *folder, sink);
    host.CloseProgress();
    host.ShowResult(outcome.result, outcome.failedFile);
    return outcome;
}

PublicationOutcome PublicationWriter::Write(const PublicationPage& page,
                                            const PublicationOptions& options,
                                            std::string_view password, const std::string& folder,
                                            engine::ProgressSink* sink) const {
    if (options.strong) return WriteStrong(page, options, folder, sink);
    engine::LockedDocument& document = page.document;
    const Result encrypted = document.Encrypt(sink, password, page.passwordChanged);
    if (encrypted != Result::Ok) return {encrypted};
    const std::string pageFileName = LastComponent(page.path);
    const Result written = document.WriteDataFile(sink, folder + DataFileName(pageFileName));
    PublicationOutcome outcome = written != Result::Ok ? PublicationOutcome{written}
                                 : page.sharedFiles    ? WritePages(pageFileName, options, folder)
                                                       : WriteLoader(pageFileName, options, folder);
    outcome.passwordTaken = true;
    return outcome;
}

PublicationOutcome PublicationWriter::WriteStrong(const PublicationPage& page,
                                                  const PublicationOptions& options,
                                                  const std::string& folder,
                                                  engine::ProgressSink* sink) const {
    using engine::strong::StrongKey;
    std::shared_ptr<const StrongKey> key = options.strongKey;
    if (!key) {
        // One run of the derivation, seconds at most: a phase of one unit,
        // which cannot be stopped once it has begun.
        if (!engine::ReportTo(sink, 1, engine::StringId(engine::TextId::DerivingKey))) {
            return {Result::EncryptStopped};
        }
        std::optional<StrongKey> derived =
            StrongKey::Derive(options.password.View(), StrongKey::NewSalt(), options.kdf);
        if (!derived) return {Result::KeyNotDerived};
        key = std::make_shared<const StrongKey>(std::move(*derived));
        if (!engine::ReportTo(sink, 1, 0)) return {Result::EncryptStopped};
    }
    if (!engine::ReportTo(sink, 1, engine::StringId(engine::TextId::Writing)))
        return {Result::EncryptStopped};
    std::vector<std::uint8_t> container;
    {
        std::vector<std::uint8_t> plain;
        Result result = page.document.PlainStream(plain);
        if (result == Result::Ok) {
            result = engine::strong::StrongSealer(*key).Seal(plain.data(), plain.size(), container);
        }
        if (result != Result::Ok) return {result};
    }
    const std::string pageFileName = LastComponent(page.path);
    PublicationOutcome outcome =
        WriteStrongPage(folder + pageFileName, options, page.siteTop, container);
    if (outcome.result == Result::Ok && page.sharedFiles) {
        outcome = WriteSharedFiles(options, folder);
    }
    if (outcome.result == Result::Ok) outcome.result = Result::Published;
    engine::ReportTo(sink, 1, 0);
    return outcome;
}

PublicationOutcome PublicationWriter::WriteStrongPage(
    const std::string& path, const PublicationOptions& options, const std::string& siteTop,
    const std::vector<std::uint8_t>& container) const {
    std::vector<std::uint8_t> templ;
    if (const Result loaded = resources_.Load(res::ResourceType::Html,
                                              StrongPageTemplate(options.pageLanguage), templ);
        loaded != Result::Ok) {
        return {loaded};
    }
    std::optional<StrongPage::Remember> remember;
    if (options.cookieOn) {
        const std::int32_t ticks = options.cookieKeepTicks;
        remember = StrongPage::Remember{
            options.cookieKey,
            ticks < 0 ? -1.0 : CookieKeepTicks::ToDays(ticks),
            ticks != CookieKeepTicks::kSession && options.confirm,
            siteTop,
        };
    }
    const std::unique_ptr<engine::OutputFile> file = files_.CreateReplacing(path);
    if (!file) return {Result::CannotCreate};
    if (StrongPage::Write(templ, options.prompt, options.pageLanguage, remember, container,
                          *file) &&
        file->Commit()) {
        return {Result::Ok};
    }
    return {file->Failure(), path};
}

PublicationOutcome PublicationWriter::WritePages(const std::string& pageFileName,
                                                 const PublicationOptions& options,
                                                 const std::string& folder) const {
    PublicationOutcome outcome = WriteLoader(pageFileName, options, folder);
    if (outcome.result == Result::Published) outcome = WriteSharedFiles(options, folder);
    return outcome;
}

PublicationOutcome PublicationWriter::WriteLoader(const std::string& pageFileName,
                                                  const PublicationOptions& options,
                                                  const std::string& folder) const {
    const TemplateValues values = TemplateValues::From(pageFileName, options, identifiers_);
    const auto comments =
        options.comment ? TemplateExpander::Comments::Keep : TemplateExpander::Comments::Drop;
    PublicationOutcome outcome = WritePage(
        res::ResourceType::Html, LoaderTemplate(options.pageLanguage), folder + pageFileName,
        Expansion{&values, comments, TemplateExpander::ValueMarkers::Active});
    if (outcome.result == Result::Ok) outcome.result = Result::Published;
    return outcome;
}

PublicationOutcome PublicationWriter::WriteSharedFiles(const PublicationOptions& options,
                                                       const std::string& folder) const {
    PublicationOutcome outcome;
    if (options.strong) {
        outcome = WritePage(res::ResourceType::Script, res::kStrongScript, folder + kStrongScript,
                            Expansion{});
    } else {
        // The decoder page's value markers are inactive: its values are
        // those of no page in particular.
        const TemplateValues values = TemplateValues::From("", options, identifiers_);
        const auto comments =
            options.comment ? TemplateExpander::Comments::Keep : TemplateExpander::Comments::Drop;
        outcome = WritePage(res::ResourceType::Html, DecoderTemplate(options.pageLanguage),
                            folder + kDecoderPage,
                            Expansion{&values, comments, TemplateExpander::ValueMarkers::Inactive});
        if (outcome.result == Result::Ok) {
            outcome = WritePage(res::ResourceType::Jar, res::kDecoderArchive,
                                folder + kDecoderArchive, Expansion{});
        }
    }
    if (outcome.result == Result::Ok) outcome.result = Result::Published;
    return outcome;
}

PublicationOutcome PublicationWriter::WritePage(res::ResourceType type, std::uint32_t id,
                                                const std::string& path,
                                                const Expansion& expansion) const {
    std::vector<std::uint8_t> bytes;
    if (const Result loaded = resources_.Load(type, id, bytes); loaded != Result::Ok) {
        return {loaded};
    }
    const std::unique_ptr<engine::OutputFile> file = files_.CreateReplacing(path);
    if (!file) return {Result::CannotCreate};
    const bool written =
        expansion.values != nullptr
            ? TemplateExpander::Expand(bytes, *expansion.values, expansion.comments,
                                       expansion.markers, *file)
            : file->Write(bytes.data(), bytes.size());
    if (written && file->Commit()) return {Result::Ok};
    // The file was created: what failed is the writing (a full disk...),
    // which the user is told with the file's name.
    return {file->Failure(), path};
}

}  // namespace nemora::publish
