#include "publish/Publication.h"

#include <optional>
#include <utility>
#include <vector>

#include "engine/strong/StrongSealer.h"
#include "publish/FolderMaker.h"
#include "publish/OutputGuard.h"
#include "publish/PathNames.h"
#include "publish/SitePageStub.h"
#include "publish/TextCodec.h"

namespace nemora::publish {
namespace {

using engine::Result;

// The password as the form keys its cipher from it, or the check that failed.
Result CheckEntries(const PublicationOptions& options,
                    std::optional<engine::SecretString>& password) {
    if (options.password.empty()) return Result::NoPassword;
    if (options.cookieOn && options.cookieKey.empty()) return Result::NoCookieKey;
    // The strong lock takes the password as UTF-8: any character will do.
    if (options.strong) {
        password = engine::SecretString(options.password.View());
        return Result::Ok;
    }
    // A character that code page 932 lacks would silently become another key.
    password = TextCodec::PasswordToCp932(options.password.View());
    return password ? Result::Ok : Result::PasswordNotShiftJis;
}

// The document's plain stream sealed under `key`.
Result SealStream(const std::vector<std::uint8_t>& plain, const engine::strong::StrongKey& key,
                  std::vector<std::uint8_t>& container) {
    return engine::strong::StrongSealer(key).Seal(plain.data(), plain.size(), container);
}

Result Seal(const engine::LockedDocument& document, const engine::strong::StrongKey& key,
            std::vector<std::uint8_t>& container) {
    std::vector<std::uint8_t> plain;
    const Result result = document.PlainStream(plain);
    if (result != Result::Ok) return result;
    return SealStream(plain, key, container);
}

}  // namespace

Publication::Made Publication::Make(PublicationOptions options, const PublicationWriter& writer) {
    std::optional<engine::SecretString> password;
    if (const Result checked = CheckEntries(options, password); checked != Result::Ok) {
        return {checked, nullptr};
    }
    options.password.Wipe();
    auto kept = std::make_shared<const engine::SecretString>(std::move(*password));
    return {Result::Ok,
            std::shared_ptr<Publication>(new Publication(std::move(options), kept, writer))};
}

Publication::Publication(PublicationOptions options,
                         std::shared_ptr<const engine::SecretString> password,
                         const PublicationWriter& writer)
    : options_(std::move(options)), password_(std::move(password)), writer_(writer) {}

Publication Publication::WritingWith(const PublicationWriter& writer) const {
    Publication copy(options_, password_, writer);
    copy.key_ = key_;
    return copy;
}

Result Publication::DeriveKey(engine::ProgressSink* sink) {
    using engine::strong::StrongKey;
    if (!options_.strong || key_) return Result::Ok;
    if (!engine::ReportTo(sink, 1, engine::StringId(engine::TextId::DerivingKey)))
        return Result::EncryptStopped;
    std::optional<StrongKey> derived =
        StrongKey::Derive(password_->View(), StrongKey::NewSalt(), options_.kdf);
    if (!derived) return Result::KeyNotDerived;
    key_ = std::make_shared<const StrongKey>(std::move(*derived));
    return engine::ReportTo(sink, 1, 0) ? Result::Ok : Result::EncryptStopped;
}

std::string Publication::ProposedFolder(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot != std::string::npos && dot >= 1 ? path.substr(0, dot) : path;
}

std::string Publication::CharCodeName(const std::string& encodeType) {
    const auto converted = TextCodec::ToCp932(encodeType, TextCodec::Unmappable::Refuse);
    return converted ? *converted : encodeType;
}

bool Publication::HasExtension(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return LastComponent(trimmed).find('.') != std::string::npos;
}

PublicationOutcome Publication::PrepareFolder(const std::string& pagePath,
                                              std::string& folder) const {
    if (HasExtension(folder)) return {Result::FolderHasExtension};
    // Nothing may be written over the page itself, and nothing twice.
    if (const auto clash = OutputGuard::Check({pagePath}, folder, options_.strong)) {
        return {OutputGuard::Refusal(*clash)};
    }
    if (auto refused = OutputGuard::UnwritableFolder(folder)) {
        return {Result::FileAccessDenied, std::move(refused->folder)};
    }
    if (!FolderMaker::EnsureFolder(folder)) return {Result::CannotMakeFolder};
    if (folder.back() != '/') folder += '/';
    return {Result::Ok};
}

PublicationOutcome Publication::PublishPage(const PublicationPage& page, const std::string& folder,
                                            engine::ProgressSink* sink) const {
    return Publish(page, folder, "./", true, sink);
}

PublicationOutcome Publication::PublishSitePage(
    const PublicationPage& page, const std::string& folder, const std::string& siteTop,
    const std::optional<StrongPage::SitePlace>& site) const {
    return Publish(page, folder, siteTop, false, nullptr, site);
}

std::optional<engine::strong::SealedKeys> Publication::SiteKeys() const {
    if (!options_.strong || !key_) return std::nullopt;
    return engine::strong::SealedKeys(*key_);
}

PublicationOutcome Publication::WriteSharedFiles(const std::string& folder) const {
    return writer_.WriteSharedFiles(options_, folder);
}

PublicationOutcome Publication::Publish(const PublicationPage& page, const std::string& folder,
                                        const std::string& siteTop, bool sharedFiles,
                                        engine::ProgressSink* sink,
                                        const std::optional<StrongPage::SitePlace>& site) const {
    return options_.strong ? PublishStrong(page, folder, siteTop, sharedFiles, sink, site)
                           : PublishClassic(page, folder, sharedFiles, sink);
}

PublicationOutcome Publication::PublishClassic(const PublicationPage& page,
                                               const std::string& folder, bool sharedFiles,
                                               engine::ProgressSink* sink) const {
    PublicationOutcome outcome = writer_.WriteDataFile(page, password_->View(), folder, sink);
    if (outcome.result != Result::Ok) return outcome;
    const std::string pageFileName = LastComponent(page.path);
    outcome.Then(sharedFiles ? writer_.WritePages(pageFileName, options_, folder)
                             : writer_.WriteLoader(pageFileName, options_, folder));
    return outcome;
}

PublicationOutcome Publication::PublishStrong(
    const PublicationPage& page, const std::string& folder, const std::string& siteTop,
    bool sharedFiles, engine::ProgressSink* sink,
    const std::optional<StrongPage::SitePlace>& site) const {
    if (!key_) return {Result::KeyNotDerived};
    if (!engine::ReportTo(sink, 1, engine::StringId(engine::TextId::Writing)))
        return {Result::EncryptStopped};
    std::vector<std::uint8_t> container;
    // A sealed site's page carries its path alone: its text is in its
    // sealed file.
    const Result sealed = site ? SealStream(SitePageStub::Stream(site->path), *key_, container)
                               : Seal(page.document, *key_, container);
    if (sealed != Result::Ok) return {sealed};
    PublicationOutcome outcome = writer_.WriteStrongPage(LastComponent(page.path), options_,
                                                         container, folder, siteTop, site);
    if (outcome.result == Result::Ok && sharedFiles) outcome.Then(WriteSharedFiles(folder));
    if (outcome.result == Result::Ok) outcome.result = Result::Published;
    engine::ReportTo(sink, 1, 0);
    return outcome;
}

}  // namespace nemora::publish
