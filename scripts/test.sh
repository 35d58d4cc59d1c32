#!/usr/bin/env bash
# The test job: installs and builds with warnings as errors, checks formatting, runs every
# test, then runs them once more under AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs each fuzz target for 30 s on its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=build BUILD_TYPE=Debug scripts/setup.sh -DPAGEWREN_WERROR=ON
scripts/check_format.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300)

BUILD_DIR=build-sanitize BUILD_TYPE=Debug scripts/setup.sh -DPAGEWREN_WERROR=ON \
    -DPAGEWREN_SANITIZE=ON
(cd build-sanitize && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2 --timeout 600)

# New inputs go to a scratch folder; the corpus in the repository is only read.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DPAGEWREN_FUZZ=ON -DPAGEWREN_WERROR=ON >/dev/null
fuzz_targets=(fuzz_cut fuzz_walks fuzz_css_layout fuzz_body_cleaner fuzz_picture_addresses
    fuzz_xhtml_body fuzz_warc)
cmake --build build-fuzz -j"$(nproc)" --target "${fuzz_targets[@]}"
for target in "${fuzz_targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$target"
    "build-fuzz/tests/fuzz/$target" -max_total_time=30 -timeout=10 -print_final_stats=1 \
        "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target"
done
BUILD_DIR=build scripts/package_test.sh
