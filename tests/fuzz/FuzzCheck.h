#ifndef TESTS_FUZZ_FUZZCHECK_H
#define TESTS_FUZZ_FUZZCHECK_H

#include <cstdio>
#include <cstdlib>

// A failed property in a fuzz target: says which, then aborts so that libFuzzer keeps the input
// that led there. Unlike assert it stays on whatever the build type.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

#endif
