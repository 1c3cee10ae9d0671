#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileLayer.h"
#include "engine/ResultCode.h"
#include "engine/posix/DurableFileLayer.h"
#include "publish/IdentifierSource.h"
#include "publish/PublicationOptions.h"
#include "publish/PublicationOutcome.h"
#include "publish/PublicationPage.h"
#include "publish/ResourceSource.h"
#include "publish/SaveHost.h"
#include "publish/TemplateExpander.h"

namespace nemora::publish {

struct TemplateValues;

// Publishes a page: checks the entries, makes the output folder, has the
// document encipher the page and write the data file, then writes the loader
// page, "decoder.htm" and "decoder.jar" beside it. With the strong lock it
// writes instead the page (prompt, form and sealed container) under the
// page's own name and the shared script "nemora-strong.js".
//
// Every file is written to a temporary name in the folder and moved over its
// final name only when complete, so a failure never leaves a half-written
// file in place of a working one. A failure stops at the failing file; files
// written before it stay.
//
// The writer keeps no state between calls: one writer may serve several
// threads at once, each publishing its own document.
class PublicationWriter {
public:
    PublicationWriter(engine::FileLayer& files,
                      ResourceSource& resources = ResourceSource::Embedded(),
                      IdentifierSource& identifiers = IdentifierSource::System());

    // Publishes `page` into `folder` (made level by level when missing) with
    // `options`, reporting progress to `sink` (may be null). The result is
    // Published, a check's result (NoPassword, NoCookieKey,
    // PasswordNotShiftJis, FolderHasExtension, WouldReplacePage,
    // OutputNamesClash, FileAccessDenied naming the folder,
    // CannotMakeFolder), or the failure that stopped the writing.
    PublicationOutcome Publish(const PublicationPage& page, const PublicationOptions& options,
                               const std::string& folder, engine::ProgressSink* sink) const;

    // The same into a folder that exists and that no user chose (a site's
    // mirror folder, which may well have a dot in its name): the entries are
    // checked, the folder is not. `folder` ends with a '/'.
    PublicationOutcome PublishIntoFolder(const PublicationPage& page,
                                         const PublicationOptions& options,
                                         const std::string& folder,
                                         engine::ProgressSink* sink) const;

    // The save command of a front end: the same publication with the folder
    // chosen through `host`, which also shows the progress and the result.
    // The entries are checked before the folder is asked for; a cancelled
    // choice ends the save silently (result Ok).
    PublicationOutcome Save(const PublicationPage& page, const PublicationOptions& options,
                            SaveHost& host) const;

    // Writes the loader page for the page file `pageFileName`, "decoder.htm"
    // and "decoder.jar" into `folder` (which ends with a '/'). Published,
    // CannotCreate (a file cannot be created), NoResource, BrokenResource, or
    // a file error (FileDiskFull...) naming the file whose writing failed.
    PublicationOutcome WritePages(const std::string& pageFileName,
                                  const PublicationOptions& options,
                                  const std::string& folder) const;

    // Writes the files that all the pages of `folder` share: "decoder.htm"
    // and "decoder.jar", or "nemora-strong.js" for the strong lock.
    PublicationOutcome WriteSharedFiles(const PublicationOptions& options,
                                        const std::string& folder) const;

    // The entries' checks alone (NoPassword, NoCookieKey, PasswordNotShiftJis
    // or Ok), for a caller that publishes many pages with one set of options.
    static engine::Result CheckEntries(const PublicationOptions& options);

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
    // The password as the key is derived from it, or the check that failed.
    static engine::Result CheckEntries(const PublicationOptions& options,
                                       std::optional<engine::SecretString>& password);
    // FolderHasExtension, a clash of the page with its outputs
    // (WouldReplacePage, OutputNamesClash), FileAccessDenied naming a folder
    // that refuses new files, or CannotMakeFolder; Ok with `folder` made and
    // ending in '/'.
    static PublicationOutcome PrepareFolder(const PublicationPage& page,
                                            const PublicationOptions& options, std::string& folder);
    PublicationOutcome Write(const PublicationPage& page, const PublicationOptions& options,
                             std::string_view password, const std::string& folder,
                             engine::ProgressSink* sink) const;
    PublicationOutcome WriteStrong(const PublicationPage& page, const PublicationOptions& options,
                                   const std::string& folder, engine::ProgressSink* sink) const;
    PublicationOutcome WriteStrongPage(const std::string& path, const PublicationOptions& options,
                                       const std::string& siteTop,
                                       const std::vector<std::uint8_t>& container) const;
    PublicationOutcome WriteLoader(const std::string& pageFileName,
                                   const PublicationOptions& options,
                                   const std::string& folder) const;
    // How a resource is written: expanded as a page template with `values`,
    // or byte for byte when there are none.
    struct Expansion {
        const TemplateValues* values = nullptr;
        TemplateExpander::Comments comments = TemplateExpander::Comments::Keep;
        TemplateExpander::ValueMarkers markers = TemplateExpander::ValueMarkers::Inactive;
    };
    PublicationOutcome WritePage(res::ResourceType type, std::uint32_t id, const std::string& path,
                                 const Expansion& expansion) const;

    engine::FileLayer& files_;
    ResourceSource& resources_;
    IdentifierSource& identifiers_;
};

}  // namespace nemora::publish
