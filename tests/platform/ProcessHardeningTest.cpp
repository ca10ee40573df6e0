#include "platform/ProcessHardening.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Hardening is for the life of a process: it is checked in a child, which reports by its status.
TEST(ProcessHardening, NoCoreDumpAndNotDumpable) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HardenProcess();
        rlimit core{};
        const bool noCore =
            getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur == 0 && core.rlim_max == 0;
        const bool notDumpable = prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0;
        _exit((noCore ? 0 : 1) | (notDumpable ? 0 : 2));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status) & 1, 0) << "core dumps still allowed";
    EXPECT_EQ(WEXITSTATUS(status) & 2, 0) << "process still dumpable";
}
