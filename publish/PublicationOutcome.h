#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/ResultCode.h"
#include "publish/WrittenFile.h"

namespace nemora::publish {

// How a publication ended.
struct PublicationOutcome {
    PublicationOutcome() = default;
    PublicationOutcome(engine::Result ended,
                       std::string file = {})  // NOLINT: a result is an outcome
        : result(ended), failedFile(std::move(file)) {}

    // The next step's outcome after this one: its result and the file it
    // names, and the files both wrote.
    void Then(PublicationOutcome next) {
        result = next.result;
        failedFile = std::move(next.failedFile);
        for (WrittenFile& file : next.written) written.push_back(std::move(file));
    }

    // Published; a check's result (NoPassword...); the failure that stopped
    // it; or Ok for an interactive save that ended silently (folder choice
    // cancelled).
    engine::Result result = engine::Result::Ok;
    // The file that a file-error result (engine::IsFileError) names.
    std::string failedFile;
    // The files written, in order, those before a failure included.
    std::vector<WrittenFile> written;
    // The document was enciphered under the password: a later publication
    // with the same password may pass passwordChanged = false.
    bool passwordTaken = false;
};

}  // namespace nemora::publish
