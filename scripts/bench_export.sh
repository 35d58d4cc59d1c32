#!/usr/bin/env bash
# Prints figures for `pagewren-cli export`: generated spaces of ARTICLES/4, ARTICLES/2 and
# ARTICLES articles (default 20,000) saved as html through spacesim, then exported to each
# target (hugo, wxr, epub): wall and processor time, peak memory and processor time per
# article, so that a line of figures that grows with the space shows whether it grows
# linearly. With HUGO_BUILD=1 the largest Hugo site is also built with `hugo` (Hugo's time,
# not the export's).
# Usage: BUILD_DIR=build-release scripts/bench_export.sh   (needs pagewren-cli and spacesim)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
ARTICLES=${ARTICLES:-20000}
REPEAT=${REPEAT:-2}
cli="$BUILD_DIR/cli/pagewren-cli"
[ -x "$cli" ] || { echo "no $cli: build pagewren-cli first" >&2; exit 1; }

sizes=("$((ARTICLES / 4))" "$((ARTICLES / 2))" "$ARTICLES")
SIM_ARGS=""
for size in "${sizes[@]}"; do
    SIM_ARGS+=" --generate exportbench$size=$size"
done
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT

# timed COMMAND...: runs the command REPEAT times and keeps the fastest run (other work on
# the machine only slows a run down); sets wall, cpu (user + system seconds), rss (peak KB)
# and status (the fastest run's exit status).
timed() {
    local best="" try_wall try_user try_sys try_rss try_status
    for _ in $(seq "$REPEAT"); do
        try_status=0
        /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>&1 || try_status=$?
        read -r try_wall try_user try_sys try_rss <"$work/time"
        if [ -z "$best" ] || [ "$(echo "$try_wall < $wall" | bc -l)" -eq 1 ]; then
            best=1 wall=$try_wall rss=$try_rss status=$try_status
            cpu=$(echo "$try_user + $try_sys" | bc -l)
        fi
    done
}

echo "== export of saved spaces (build: $BUILD_DIR, $(nproc) cores)"
for size in "${sizes[@]}"; do
    app="$work/app$size"
    mkdir -p "$app"
    "$cli" --app-dir "$app" --pace 0 articles "http://hi.baidu.com/exportbench$size" --wait 0 \
        --save html >/dev/null 2>&1 || { echo "the save of $size articles failed" >&2; exit 1; }
done
printf '%-8s %7s %9s %9s %9s %12s %10s\n' target articles "wall s" "cpu s" "peak MB" \
    "cpu us/art" "output MB"
for target in hugo wxr epub; do
    for size in "${sizes[@]}"; do
        out="$work/out-$target-$size"
        [ "$target" = hugo ] || out+=".$target"
        timed "$cli" --app-dir "$work/app$size" export "http://hi.baidu.com/exportbench$size" \
            --to "$target" --out "$out"
        if [ "$status" -ne 0 ]; then
            printf '%-8s %7d   failed (exit %d)\n' "$target" "$size" "$status"
            continue
        fi
        printf '%-8s %7d %9.2f %9.2f %9.1f %12.1f %10.1f\n' "$target" "$size" "$wall" "$cpu" \
            "$(echo "$rss / 1024" | bc -l)" "$(echo "$cpu * 1000000 / $size" | bc -l)" \
            "$(du -sk "$out" | cut -f1 | xargs -I{} echo "{} / 1024" | bc -l)"
    done
done
echo "   linear: the processor time per article stays about the same from size to size"

if [ "${HUGO_BUILD:-0}" = 1 ] && command -v hugo >/dev/null; then
    site="$work/out-hugo-$ARTICLES"
    REPEAT=1 timed hugo --source "$site" --quiet
    printf 'hugo build of the %d-article site: wall %.2f s, peak %.1f MB, exit %d\n' \
        "$ARTICLES" "$wall" "$(echo "$rss / 1024" | bc -l)" "$status"
fi
