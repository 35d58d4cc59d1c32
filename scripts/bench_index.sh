#!/usr/bin/env bash
# Prints figures for the archive-index step of the article catalogue: a generated space of
# 20,000 articles through spacesim's archive face, listed with the index step and without it
# (--no-index), at pace 0: index requests made, wall time and peak memory of pagewren-cli.
# Then an index that floods one page of 64 MiB (the flood fault) for the sample gapwren:
# wall time and peak memory (target: under 64 MB, the page read as it arrives).
# Usage: BUILD_DIR=build scripts/bench_index.sh   (needs pagewren-cli and spacesim built)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
SIM_ARGS="--generate capturewren=20000"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT
sim="http://127.0.0.1:$SIM_PORT/__sim"
prefix="http://127.0.0.1:$SIM_PORT/web/2012id_/"

for step in without with; do
    curl -s "$sim/reset" >/dev/null
    options=(--pace 0 --replay "$prefix")
    [ $step = without ] && options+=(--no-index)
    /usr/bin/time -f '%e %M' -o "$work/time" "$BUILD_DIR/cli/pagewren-cli" --app-dir "$work" \
        "${options[@]}" articles http://hi.baidu.com/capturewren --wait 0 >/dev/null 2>&1 || true
    read -r seconds kilobytes <"$work/time"
    index=$(curl -s "$sim/requests" | grep -c '/cdx/search/cdx?' || true)
    printf '%-7s the index step: %6.2f s wall, peak %4d MB, %2d index requests\n' $step \
        "$seconds" $((kilobytes / 1024)) "$index"
done

curl -s "$sim/reset" >/dev/null
curl -s "$sim/fault?path=/cdx/search/cdx&mode=flood" >/dev/null
/usr/bin/time -f '%e %M' -o "$work/time" "$BUILD_DIR/cli/pagewren-cli" --app-dir "$work" \
    --pace 0 --replay "$prefix" articles http://hi.baidu.com/gapwren --wait 0 \
    >"$work/flood.out" 2>&1 || true
read -r seconds kilobytes <"$work/time"
found=$(grep -c '存档索引读取失败' "$work/flood.out" || true)
printf 'flood   a 64 MiB index page: %6.2f s wall, peak %4d MB (target < 64 MB), %s\n' \
    "$seconds" $((kilobytes / 1024)) "$([ "$found" = 0 ] && echo "read" || echo "NOT read")"
