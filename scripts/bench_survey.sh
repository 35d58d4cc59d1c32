#!/usr/bin/env bash
# Prints how long the survey of the sample space takes with pagewren-cli against spacesim:
# with no waits (--pace 0) and at the windows' pace, beside the waits the survey makes
# (five of 100 ms, and one more per song).
# Usage: BUILD_DIR=build scripts/bench_survey.sh   (needs pagewren-cli and spacesim built)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT

for pace in 0 1; do
    for run in 1 2 3; do
        /usr/bin/time -f "pace $pace, run $run: %e s wall, %U s user, %S s system, %M KB peak" \
            "$BUILD_DIR/cli/pagewren-cli" --app-dir "$work" --pace "$pace" survey \
            http://hi.baidu.com/jiaoliao >/dev/null
    done
done
echo "waits at pace 1: 0.8 s (5 x 100 ms + 3 songs x 100 ms)"
