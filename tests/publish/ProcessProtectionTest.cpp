#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "publish/ProcessProtection.h"

namespace nemora::publish {
namespace {

// In a child, so that the test process itself stays dumpable.
TEST(ProcessProtectionTest, ProtectedProcessLeavesNoCoreFile) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ProtectProcessSecrets();
        _exit(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace nemora::publish
