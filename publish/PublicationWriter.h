#pragma once

#include <string>

#include "engine/FileLayer.h"
#include "engine/ResultCode.h"
#include "engine/posix/DurableFileLayer.h"
#include "publish/IdentifierSource.h"
#include "publish/PublicationState.h"
#include "publish/ResourceSource.h"
#include "publish/SaveHost.h"
#include "publish/TemplateExpander.h"

namespace nemora::publish {

struct TemplateValues;

// The save command: checks the entries, makes the output folder, has the
// document encipher the page and write the data file, then writes the loader
// page, "decoder.htm" and "decoder.jar" beside it.
//
// Every file is written to a temporary name in the folder and moved over its
// final name only when complete, so a failure never leaves a half-written
// file in place of a working one. A failure stops at the failing file; files
// written before it stay.
class PublicationWriter {
public:
    PublicationWriter(engine::FileLayer& files = engine::posix::DurableFileLayer::Instance(),
                      ResourceSource& resources = ResourceSource::Embedded(),
                      IdentifierSource& identifiers = IdentifierSource::System());

    // Runs a save on the window's state and shows its result through `host`.
    // Returns the result shown, or Ok when the save ended silently (no page
    // loaded, folder choice cancelled).
    engine::Result Save(PublicationState& state, SaveHost& host);

    // Writes the loader page, "decoder.htm" and "decoder.jar" into `folder`
    // (which ends with a '/'). Published, CannotCreate (a file cannot be
    // created), NoResource, BrokenResource, or a file error (FileDiskFull...)
    // when writing a created file failed; FailedFile() then names it.
    engine::Result WritePages(const PublicationState& state, const std::string& folder);

    // The file that the last file-error result names.
    const std::string& FailedFile() const { return failedFile_; }

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
    engine::Result Publish(PublicationState& state, std::string_view password,
                           const std::string& folder, engine::ProgressSink* sink);
    // How a resource is written: expanded as a page template with `values`,
    // or byte for byte when there are none.
    struct Expansion {
        const TemplateValues* values = nullptr;
        TemplateExpander::Comments comments = TemplateExpander::Comments::Keep;
        TemplateExpander::ValueMarkers markers = TemplateExpander::ValueMarkers::Inactive;
    };
    engine::Result WritePage(res::ResourceType type, std::uint32_t id, const std::string& path,
                             const Expansion& expansion);

    engine::FileLayer& files_;
    ResourceSource& resources_;
    IdentifierSource& identifiers_;
    std::string failedFile_;
};

}  // namespace nemora::publish
