#pragma once

#include <string>
#include <utility>

#include "engine/ResultCode.h"

namespace nemora::publish {

// How a publication ended.
struct PublicationOutcome {
    PublicationOutcome() = default;
    PublicationOutcome(engine::Result ended,
                       std::string file = {})  // NOLINT: a result is an outcome
        : result(ended), failedFile(std::move(file)) {}

    // Published; a check's result (NoPassword...); the failure that stopped
    // it; or Ok for an interactive save that ended silently (folder choice
    // cancelled).
    engine::Result result = engine::Result::Ok;
    // The file that a file-error result (engine::IsFileError) names.
    std::string failedFile;
    // The document was enciphered under the password: a later publication
    // with the same password may pass passwordChanged = false.
    bool passwordTaken = false;
};

}  // namespace nemora::publish
