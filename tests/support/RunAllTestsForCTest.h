#pragma once

#include <gtest/gtest.h>

// What a test binary's main returns: RUN_ALL_TESTS's result, or, when cases were skipped and
// none failed, the exit code CTest takes for a skip (SKIP_RETURN_CODE, set with the tests). A
// binary run as one CTest test would otherwise show its skips as a pass; and a pattern on
// GoogleTest's output cannot serve there, since CTest lets it win over a failing exit code,
// which would show a failure beside a skip as a skip.
inline int RunAllTestsForCTest() {
    const int result = RUN_ALL_TESTS();
    const bool skipped = testing::UnitTest::GetInstance()->skipped_test_count() > 0;
    return result == 0 && skipped ? QB_TEST_SKIPPED_EXIT_CODE : result;
}
