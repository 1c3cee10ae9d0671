#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ResultCode.h"

// The form a sealed file takes on the server: a script that hands its bytes
// to the visitor's loader, which a script element can load over http,
// https and from a folder on disk alike (file:// forbids fetch). Exactly one
// line: nemoraSealed("<name>","<base64>"); and a line feed, the name being
// the file's sealed name and the base64 the standard one with padding.
namespace nemora::engine::strong {

// A name the script may carry: 1 to 64 of a to z and 0 to 9 (sealed names
// are 26 of a to z and 2 to 7).
bool IsSealedScriptName(std::string_view name);

// The script for `bytes` under `name`; nullopt for a name the script may
// not carry.
std::optional<std::string> SealedScript(std::string_view name, const std::uint8_t* bytes,
                                        std::size_t size);

// Reads a script SealedScript wrote back into its name and bytes;
// DataCorrupt, with both empty, for any other text (another function,
// spaces, quotes, a name it may not carry, base64 that is not exactly the
// standard one with padding, a missing or second line).
Result ReadSealedScript(std::string_view script, std::string& name,
                        std::vector<std::uint8_t>& bytes);

// True for a script of a sealed site's file, as SealedScript writes one: a
// script ReadSealedScript takes whose bytes begin with the sealed file's
// magic and version, so that its text holds nothing but base64 of a sealed
// file. Only the header is decoded; the rest of the base64 is checked for
// its alphabet and length, not its last bits.
bool IsSealedFileScript(std::string_view script);

}  // namespace nemora::engine::strong
