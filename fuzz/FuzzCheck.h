#pragma once

// A broken expectation in a fuzz target counts as a finding, like a crash: it names the check and
// aborts, so that libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzFail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz expectation failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_REQUIRE(condition)                                                                    \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FuzzFail(#condition, __FILE__, __LINE__);                                              \
    } while (false)
