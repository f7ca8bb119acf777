#ifndef TESTS_SUPPORT_SHAREDLEVELS_H
#define TESTS_SUPPORT_SHAREDLEVELS_H

#include <filesystem>

#include <gtest/gtest.h>

// The extended tests read the level collections kept beside the repository
// (GOALBOX_SHARED_LEVELS, ../shared/levels). A clone alone has none: there these tests report
// themselves skipped, with the reason, and the tests on the levels inside the repository still
// run.
#define GOALBOX_SKIP_WITHOUT_SHARED_LEVELS()                                                       \
    do {                                                                                           \
        if (!std::filesystem::is_directory(GOALBOX_SHARED_LEVELS)) {                               \
            GTEST_SKIP() << "extended test: no level collections at " GOALBOX_SHARED_LEVELS;       \
        }                                                                                          \
    } while (false)

#endif
