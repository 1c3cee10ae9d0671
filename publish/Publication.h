#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"
#include "engine/SecretString.h"
#include "engine/strong/SealedKeys.h"
#include "engine/strong/StrongKey.h"
#include "publish/PublicationOptions.h"
#include "publish/PublicationOutcome.h"
#include "publish/PublicationPage.h"
#include "publish/PublicationWriter.h"
#include "publish/StrongPage.h"

namespace nemora::publish {

// One run of publication with the author's choices: a save of the window, a
// lock of the command line (one page or many), a whole site. Made once for
// the run, it checks the entries, converts the password for the form (code
// page 932 for the classic form, UTF-8 for the strong one) and keeps it, and
// derives the strong form's key once, with one salt for every page, so a key
// the browser remembers opens them all. Its pages are written by its
// PublicationWriter.
//
// Made, it is only read: one publication may serve several threads at once,
// each publishing its own document.
class Publication {
public:
    struct Made;

    // Checks the entries: Ok and the publication, or NoPassword, NoCookieKey
    // or PasswordNotShiftJis (the classic form keys its cipher from the
    // password's code page 932 bytes, which is what the visitor's browser
    // will make of what they type) and no publication.
    static Made Make(PublicationOptions options, const PublicationWriter& writer);

    // The same run (entries, password, key) written by `writer`: a site's
    // pages go through the site's own file layer.
    Publication WritingWith(const PublicationWriter& writer) const;

    // Derives the strong form's key for the run, reporting a phase of one
    // unit (text kDerivingKey) to `sink` (may be null), which cannot be
    // stopped once it has begun: Ok, EncryptStopped or KeyNotDerived. Ok at
    // once for the classic form and once the key is there. Called before
    // the first page of the strong form.
    engine::Result DeriveKey(engine::ProgressSink* sink);

    // Checks a folder the author chose for the page at `pagePath` and makes
    // it: FolderHasExtension, a clash of the page with its outputs
    // (WouldReplacePage, OutputNamesClash), FileAccessDenied naming a folder
    // that refuses new files, or CannotMakeFolder; Ok with `folder` made and
    // ending in '/'.
    PublicationOutcome PrepareFolder(const std::string& pagePath, std::string& folder) const;

    // Publishes `page` alone into `folder` (prepared, ending in '/'): its own
    // files and the shared files beside them, reporting progress to `sink`
    // (may be null). Published, or the failure that stopped the writing;
    // the outcome lists the files written with their sizes.
    PublicationOutcome PublishPage(const PublicationPage& page, const std::string& folder,
                                   engine::ProgressSink* sink) const;

    // Publishes one page of a site into its mirror folder `folder` (made,
    // ending in '/'): its own files only, since the site writes the shared
    // files once per folder (WriteSharedFiles). The browser remembers the
    // key for every page under `siteTop`, relative to `folder`. `site`: a
    // strong page says where it stands in its sealed site.
    PublicationOutcome PublishSitePage(
        const PublicationPage& page, const std::string& folder, const std::string& siteTop,
        const std::optional<StrongPage::SitePlace>& site = std::nullopt) const;

    // The keys that seal a site's files under the run's key; nothing for
    // the classic form, or before DeriveKey.
    std::optional<engine::strong::SealedKeys> SiteKeys() const;

    // Writes the files that all the pages of `folder` share: "decoder.htm"
    // and "decoder.jar", or "nemora-strong.js" for the strong lock.
    PublicationOutcome WriteSharedFiles(const std::string& folder) const;

    const PublicationOptions& Options() const { return options_; }

    // The folder a save proposes for a page: its path up to the last dot
    // (when the dot is not the first character), else the whole path.
    static std::string ProposedFolder(const std::string& path);

    // True when the last component of `folder` has an extension.
    static bool HasExtension(const std::string& folder);

    // The bytes of the name block for the encoding name `encodeType`: code
    // page 932 where it can hold the name, the name as typed otherwise (the
    // names offered are ASCII).
    static std::string CharCodeName(const std::string& encodeType);

private:
    Publication(PublicationOptions options, std::shared_ptr<const engine::SecretString> password,
                const PublicationWriter& writer);

    PublicationOutcome Publish(const PublicationPage& page, const std::string& folder,
                               const std::string& siteTop, bool sharedFiles,
                               engine::ProgressSink* sink,
                               const std::optional<StrongPage::SitePlace>& site = {}) const;
    PublicationOutcome PublishClassic(const PublicationPage& page, const std::string& folder,
                                      bool sharedFiles, engine::ProgressSink* sink) const;
    PublicationOutcome PublishStrong(const PublicationPage& page, const std::string& folder,
                                     const std::string& siteTop, bool sharedFiles,
                                     engine::ProgressSink* sink,
                                     const std::optional<StrongPage::SitePlace>& site) const;

    // The author's choices, the password taken out.
    PublicationOptions options_;
    // The password as the form keys its cipher from it; shared by the copies
    // that WritingWith makes, wiped with the last of them.
    std::shared_ptr<const engine::SecretString> password_;
    std::shared_ptr<const engine::strong::StrongKey> key_;
    PublicationWriter writer_;
};

struct Publication::Made {
    engine::Result result = engine::Result::Ok;
    std::shared_ptr<Publication> publication;  // set when result is Ok
};

}  // namespace nemora::publish
