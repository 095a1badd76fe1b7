#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the fuzzer when a promise of the code under test is broken, naming
// the promise, so that libFuzzer keeps the input that broke it.
inline void require(bool holds, const char *promise)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::abort();
}
