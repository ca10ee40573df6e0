#include "platform/ProcessHardening.h"

#ifdef __linux__
#include <sys/prctl.h>
#include <sys/resource.h>
#endif

void HardenProcess() noexcept {
#ifdef __linux__
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}
