#include "publish/ProcessProtection.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace nemora::publish {

void ProtectProcessSecrets() {
    (void)prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit none{0, 0};
    (void)setrlimit(RLIMIT_CORE, &none);
}

}  // namespace nemora::publish
