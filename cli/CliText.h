#pragma once

#include "engine/TextId.h"

namespace nemora::cli {

// The command line's texts: the string table's ids by name (res/strings.txt).
// The engine's and the publication's messages are their result codes.
using CliText = engine::TextId;

}  // namespace nemora::cli
