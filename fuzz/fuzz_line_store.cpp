// The record line store against a plain model: after every Add, edit, Delete and read of the
// lines in file order, the lines are where their holders were told, and the file's order is the
// model's.

#include "FuzzCheck.h"
#include "LineStoreSequence.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::string problem = reference::TLineStoreSequence().Run(input);
    if (!problem.empty())
        std::fprintf(stderr, "%s\n", problem.c_str());
    FUZZ_REQUIRE(problem.empty());
    return 0;
}
