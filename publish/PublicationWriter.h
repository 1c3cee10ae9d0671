#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileLayer.h"
#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"
#include "engine/posix/DurableFileLayer.h"
#include "publish/IdentifierSource.h"
#include "publish/PublicationOptions.h"
#include "publish/PublicationOutcome.h"
#include "publish/PublicationPage.h"
#include "publish/ResourceSource.h"
#include "publish/StrongPage.h"
#include "publish/TemplateExpander.h"

namespace nemora::publish {

struct TemplateValues;

// Writes the files of a publication into a folder that exists (ending with a
// '/'): the data file, the loader page, "decoder.htm" and "decoder.jar"; or
// for the strong lock the page (prompt, form and sealed container) under the
// page's own name and the shared script "nemora-strong.js". What to write
// and when is the Publication's; the writer only writes.
//
// Every file is written to a temporary name in the folder and moved over its
// final name only when complete, so a failure never leaves a half-written
// file in place of a working one. Each outcome lists the files written.
//
// The writer keeps no state between calls: one writer may serve several
// threads at once, each publishing its own document.
class PublicationWriter {
public:
    PublicationWriter(engine::FileLayer& files,
                      ResourceSource& resources = ResourceSource::Embedded(),
                      IdentifierSource& identifiers = IdentifierSource::System());

    // Has the document encipher the page under `password` (code page 932)
    // and writes the data file: Ok, EncryptStopped or a write's failure.
    PublicationOutcome WriteDataFile(const PublicationPage& page, std::string_view password,
                                     const std::string& folder, engine::ProgressSink* sink) const;

    // Writes the loader page for the page file `pageFileName`: Published,
    // CannotCreate, NoResource, BrokenResource, or a file error (FileDiskFull...)
    // naming the file whose writing failed.
    PublicationOutcome WriteLoader(const std::string& pageFileName,
                                   const PublicationOptions& options,
                                   const std::string& folder) const;

    // The loader page, then the shared files; the same results.
    PublicationOutcome WritePages(const std::string& pageFileName,
                                  const PublicationOptions& options,
                                  const std::string& folder) const;

    // Writes the strong page for the page file `pageFileName` with the
    // sealed `container`; the browser remembers the key for the pages under
    // `siteTop` (relative to `folder`); `site`: the page belongs to a sealed
    // site. Ok or the failure.
    PublicationOutcome WriteStrongPage(
        const std::string& pageFileName, const PublicationOptions& options,
        const std::vector<std::uint8_t>& container, const std::string& folder,
        const std::string& siteTop,
        const std::optional<StrongPage::SitePlace>& site = std::nullopt) const;

    // Writes the files that all the pages of `folder` share: "decoder.htm"
    // and "decoder.jar", or "nemora-strong.js" for the strong lock.
    PublicationOutcome WriteSharedFiles(const PublicationOptions& options,
                                        const std::string& folder) const;

private:
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
