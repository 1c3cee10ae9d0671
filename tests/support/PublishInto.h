#pragma once

#include <string>

#include "engine/posix/DurableFileLayer.h"
#include "publish/Publication.h"

namespace nemora::test {

// A publication of one page into a folder the author chose, as the command
// line makes it: the run's publication made (its entries checked), the
// folder checked and made, the key derived, the page published.
inline publish::PublicationOutcome PublishInto(
    const publish::PublicationPage& page, const publish::PublicationOptions& options,
    const std::string& folder, engine::ProgressSink* sink,
    const publish::PublicationWriter& writer =
        publish::PublicationWriter(engine::posix::DurableFileLayer::Instance())) {
    const publish::Publication::Made made = publish::Publication::Make(options, writer);
    if (!made.publication) return {made.result};
    std::string prepared = folder;
    publish::PublicationOutcome outcome = made.publication->PrepareFolder(page.path, prepared);
    if (outcome.result != engine::Result::Ok) return outcome;
    if (const engine::Result derived = made.publication->DeriveKey(sink);
        derived != engine::Result::Ok) {
        return {derived};
    }
    return made.publication->PublishPage(page, prepared, sink);
}

}  // namespace nemora::test
