#include "publish/ProcessProtection.h"

#include "engine/posix/CoreDumps.h"

namespace nemora::publish {

void ProtectProcessSecrets() {
    engine::posix::CoreDumps::Forbid();
}

}  // namespace nemora::publish
