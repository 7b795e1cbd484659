#pragma once

#include <QString>

#include <gtest/gtest.h>

// Ends the test when a tool it needs is not installed: a skip on a developer's machine, a
// failure in CI (CI=true), where every tool the tests use is meant to be there.
#define QB_NEEDS_TOOL(installed, what)                                    \
    if (!(installed)) {                                                   \
        if (qEnvironmentVariable("CI") == QLatin1String("true")) {        \
            GTEST_FAIL() << what << " is not installed, and CI needs it"; \
        } else {                                                          \
            GTEST_SKIP() << what << " is not installed";                  \
        }                                                                 \
    }
