#include "publish/PublicationWriter.h"

#include <vector>

#include "publish/CountingFile.h"
#include "publish/PathNames.h"
#include "publish/RememberRule.h"
#include "publish/StrongPage.h"
#include "publish/TemplateExpander.h"
#include "publish/TemplateValues.h"
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

TemplateExpander::Comments CommentsOf(const PublicationOptions& options) {
    return options.comment ? TemplateExpander::Comments::Keep : TemplateExpander::Comments::Drop;
}

// The page's options for the strong page: nothing when the browser may not
// remember the key.
std::optional<StrongPage::Remember> RememberOf(const PublicationOptions& options,
                                               const std::string& siteTop) {
    const RememberRule rule = RememberRule::From(options);
    if (!rule.on) return std::nullopt;
    return StrongPage::Remember{options.cookieKey, rule.Days(), rule.ask, siteTop};
}

}  // namespace

PublicationWriter::PublicationWriter(engine::FileLayer& files, ResourceSource& resources,
                                     IdentifierSource& identifiers)
    : files_(files), resources_(resources), identifiers_(identifiers) {}

PublicationOutcome PublicationWriter::WriteDataFile(const PublicationPage& page,
                                                    std::string_view password,
                                                    const std::string& folder,
                                                    engine::ProgressSink* sink) const {
    engine::LockedDocument& document = page.document;
    const Result encrypted = document.Encrypt(sink, password, page.passwordChanged);
    if (encrypted != Result::Ok) return {encrypted};
    const std::string path = folder + DataFileName(LastComponent(page.path));
    PublicationOutcome outcome{document.WriteDataFile(sink, path)};
    outcome.passwordTaken = true;
    // Enciphered, the name block keeps its length: the file's size.
    if (outcome.result == Result::Ok) outcome.written.push_back({path, document.DataSize()});
    return outcome;
}

PublicationOutcome PublicationWriter::WriteStrongPage(
    const std::string& pageFileName, const PublicationOptions& options,
    const std::vector<std::uint8_t>& container, const std::string& folder,
    const std::string& siteTop, const std::optional<StrongPage::SitePlace>& site) const {
    std::vector<std::uint8_t> templ;
    if (const Result loaded = resources_.Load(res::ResourceType::Html,
                                              StrongPageTemplate(options.pageLanguage), templ);
        loaded != Result::Ok) {
        return {loaded};
    }
    const std::string path = folder + pageFileName;
    const std::unique_ptr<engine::OutputFile> file = files_.CreateReplacing(path);
    if (!file) return {Result::CannotCreate};
    CountingFile counted(*file);
    if (StrongPage::Write(templ, options.Prompt(), options.pageLanguage,
                          RememberOf(options, siteTop), container, counted, site) &&
        counted.Commit()) {
        PublicationOutcome outcome{Result::Ok};
        outcome.written.push_back({path, counted.Count()});
        return outcome;
    }
    return {file->Failure(), path};
}

PublicationOutcome PublicationWriter::WritePages(const std::string& pageFileName,
                                                 const PublicationOptions& options,
                                                 const std::string& folder) const {
    PublicationOutcome outcome = WriteLoader(pageFileName, options, folder);
    if (outcome.result == Result::Published) outcome.Then(WriteSharedFiles(options, folder));
    return outcome;
}

PublicationOutcome PublicationWriter::WriteLoader(const std::string& pageFileName,
                                                  const PublicationOptions& options,
                                                  const std::string& folder) const {
    const TemplateValues values = TemplateValues::From(pageFileName, options, identifiers_);
    PublicationOutcome outcome = WritePage(
        res::ResourceType::Html, LoaderTemplate(options.pageLanguage), folder + pageFileName,
        Expansion{&values, CommentsOf(options), TemplateExpander::ValueMarkers::Active});
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
        outcome = WritePage(
            res::ResourceType::Html, DecoderTemplate(options.pageLanguage), folder + kDecoderPage,
            Expansion{&values, CommentsOf(options), TemplateExpander::ValueMarkers::Inactive});
        if (outcome.result == Result::Ok) {
            outcome.Then(WritePage(res::ResourceType::Jar, res::kDecoderArchive,
                                   folder + kDecoderArchive, Expansion{}));
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
    CountingFile counted(*file);
    const bool written =
        expansion.values != nullptr
            ? TemplateExpander::Expand(bytes, *expansion.values, expansion.comments,
                                       expansion.markers, counted)
            : counted.Write(bytes.data(), bytes.size());
    if (written && counted.Commit()) {
        PublicationOutcome outcome{Result::Ok};
        outcome.written.push_back({path, counted.Count()});
        return outcome;
    }
    // The file was created: what failed is the writing (a full disk...),
    // which the user is told with the file's name.
    return {file->Failure(), path};
}

}  // namespace nemora::publish
