#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

// True in CI, whose set-up installs every tool the tests use.
inline bool InContinuousIntegration() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string_view(ci) == "true";
}

// Ends a test that needs a tool which is not installed: skipped when run by hand, failed in
// CI, where the tool's absence means the set-up is broken and the test would hide it.
#define SKIP_OR_FAIL_WITHOUT(tool)                                                      \
    do {                                                                                \
        if (InContinuousIntegration()) {                                                \
            FAIL() << tool << " is not installed, though the set-up installs it in CI"; \
        }                                                                               \
        GTEST_SKIP() << tool << " is not installed";                                    \
    } while (false)
