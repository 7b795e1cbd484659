#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

// Under CI (CI=true) nothing the tests need may be missing, so that a run that tested less
// cannot pass.
inline bool MissingToolFailsTheTest() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::strcmp(ci, "true") == 0;
}

// Skips the test when a tool, package, program or font it needs is not installed, or fails it
// under CI; what names the missing thing. It returns from the function it is used in (a test
// body, SetUp or SetUpTestSuite), as GTEST_SKIP does.
#define QB_REQUIRE_INSTALLED(installed, what)                                     \
    do {                                                                          \
        if (!(installed)) {                                                       \
            if (MissingToolFailsTheTest())                                        \
                GTEST_FAIL() << (what) << " is not installed (CI=true: no skip)"; \
            GTEST_SKIP() << (what) << " is not installed";                        \
        }                                                                         \
    } while (false)
