#pragma once

#include <string>

#include "publish/IdentifierSource.h"

namespace nemora::publish {

// The decoder window's name: a new identifier's 16 bytes read as eight
// little-endian 16-bit words, each written as three letters (A-Z = 0-25,
// a-z = 26-51), least significant first: 24 letters. "DecoderWindow" when
// no identifier can be had.
std::string MakeWindowName(IdentifierSource& source);

// The 24 letters of one identifier.
std::string WindowNameOf(const Identifier& id);

}  // namespace nemora::publish
