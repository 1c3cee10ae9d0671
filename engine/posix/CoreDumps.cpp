#include "engine/posix/CoreDumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace nemora::engine::posix {

void CoreDumps::Forbid() {
    (void)prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit none{0, 0};
    (void)setrlimit(RLIMIT_CORE, &none);
}

}  // namespace nemora::engine::posix
