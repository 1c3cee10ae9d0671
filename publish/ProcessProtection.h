#pragma once

namespace nemora::publish {

// Makes the process non-dumpable, so that a crash leaves no core file with a
// password in it (and other processes of the user cannot read its memory).
void ProtectProcessSecrets();

}  // namespace nemora::publish
