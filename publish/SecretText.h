#pragma once

#include <string>

namespace nemora::publish {

// Overwrites a text that held a secret (a password, a key's bytes) and empties
// it, in a way the compiler may not drop as a dead store.
void WipeSecret(std::string& text);

// Makes the process non-dumpable, so that a crash leaves no core file with a
// password in it (and other processes of the user cannot read its memory).
void ProtectProcessSecrets();

}  // namespace nemora::publish
