#!/usr/bin/env bash
# The test job: installs and builds with warnings as errors, checks formatting, runs every
# test, then runs them once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=build BUILD_TYPE=Debug scripts/setup.sh -DPAGEWREN_WERROR=ON
scripts/check_format.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300)

BUILD_DIR=build-sanitize BUILD_TYPE=Debug scripts/setup.sh -DPAGEWREN_WERROR=ON \
    -DPAGEWREN_SANITIZE=ON
(cd build-sanitize && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2 --timeout 600)
