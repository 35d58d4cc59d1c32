#!/usr/bin/env bash
# Prints figures for the reading copy, measured with pagewren-cli against spacesim:
#  1. a generated space of ARTICLES articles (default 20,000) saved as html and txt, then
#     `pagewren-cli read` on it: wall and processor time and peak memory (targets: under 5 s
#     and 100 MB), and the same with the save record removed (a space saved by an earlier
#     version);
#     Then `read` interrupted with SIGINT once it has begun the new copy, and 0.1 s after its
#     start (while it reads the record and the folders): the time from the signal to the end
#     of the process (target: under a second), its exit status (130) and whether the earlier
#     copy stayed as it was;
#  2. the cost on a save at pace 1: a space of PACE_ARTICLES articles (default 10) saved as
#     html at pace 1, beside its mandated two seconds per article, and the reading copy of
#     that space alone, as a share of the save.
# Usage: BUILD_DIR=build-release scripts/bench_reading.sh   (needs pagewren-cli and spacesim)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
ARTICLES=${ARTICLES:-20000}
PACE_ARTICLES=${PACE_ARTICLES:-10}
REPEAT=${REPEAT:-3}
cli="$BUILD_DIR/cli/pagewren-cli"
[ -x "$cli" ] || { echo "no $cli: build pagewren-cli first" >&2; exit 1; }

SIM_ARGS="--generate readbench=$ARTICLES --generate pacebench=$PACE_ARTICLES"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT

# timed COMMAND...: runs the command REPEAT times and keeps the fastest run (other work on
# the machine only slows a run down); sets wall, cpu (user + system seconds) and rss (peak KB).
timed() {
    local best="" try_wall try_user try_sys try_rss
    for _ in $(seq "$REPEAT"); do
        /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>&1
        read -r try_wall try_user try_sys try_rss <"$work/time"
        if [ -z "$best" ] || [ "$(echo "$try_wall < $wall" | bc -l)" -eq 1 ]; then
            best=1 wall=$try_wall rss=$try_rss
            cpu=$(echo "$try_user + $try_sys" | bc -l)
        fi
    done
}

report() {
    printf '%-44s wall %6.2f s  cpu %6.2f s  peak %6.1f MB\n' "$1" "$wall" "$cpu" \
        "$(echo "$rss / 1024" | bc -l)"
}

cli_in() {
    local app=$1
    shift
    "$cli" --app-dir "$app" "$@"
}

echo "== reading copy of $ARTICLES saved articles (build: $BUILD_DIR)"
big="$work/big"
mkdir -p "$big"
for format in html txt; do
    cli_in "$big" --pace 0 articles http://hi.baidu.com/readbench --wait 0 --save $format \
        >/dev/null 2>&1 || { echo "the $format save failed" >&2; exit 1; }
done
space="$big/readbench"
echo "   saved: $(find "$space" -type f -name '*.html' -not -path '*阅读版*' -not -name index.html | wc -l) .html and" \
    "$(find "$space" -type f -name '*.txt' | wc -l) .txt files"
timed "$cli" --app-dir "$big" read http://hi.baidu.com/readbench
report "read, with the save record"
echo "   article pages: $(find "$space"/阅读版*/ -name '[0-9]*.html' | wc -l)," \
    "start page $(du -k "$space/index.html" | cut -f1) KB, target < 5 s and < 100 MB"
if [ -f "$space/保存记录.json" ]; then
    mv "$space/保存记录.json" "$work/record.json"
    timed "$cli" --app-dir "$big" read http://hi.baidu.com/readbench
    report "read, files alone (no record)"
    mv "$work/record.json" "$space/保存记录.json"
fi

before=$(cat "$space/index.html" "$space"/阅读版*/*.html | md5sum)
"$cli" --app-dir "$big" read http://hi.baidu.com/readbench >/dev/null 2>&1 &
read_pid=$!
until compgen -G "$space/阅读版*~*" >/dev/null || ! kill -0 $read_pid 2>/dev/null; do
    sleep 0.005
done
signalled=$(date +%s%N)
kill -INT $read_pid 2>/dev/null || true
status=0
wait $read_pid || status=$?
ended=$(date +%s%N)
after=$(cat "$space/index.html" "$space"/阅读版*/*.html | md5sum)
printf '%-44s %6.3f s from the signal to the end, exit %d, earlier copy %s\n' \
    "read, interrupted (SIGINT)" "$(echo "($ended - $signalled) / 1000000000" | bc -l)" \
    "$status" "$([ "$before" = "$after" ] && echo "whole" || echo "REPLACED")"
"$cli" --app-dir "$big" read http://hi.baidu.com/readbench >/dev/null 2>&1 &
read_pid=$!
sleep 0.1
signalled=$(date +%s%N)
kill -INT $read_pid 2>/dev/null || true
status=0
wait $read_pid || status=$?
ended=$(date +%s%N)
printf '%-44s %6.3f s from the signal to the end, exit %d\n' \
    "read, interrupted 0.1 s after its start" "$(echo "($ended - $signalled) / 1000000000" | bc -l)" \
    "$status"
echo "   target: under 1 s, exit 130"

echo "== cost on a save at pace 1: $PACE_ARTICLES articles, html"
small="$work/small"
mkdir -p "$small"
REPEAT=1 timed "$cli" --app-dir "$small" --pace 1 articles http://hi.baidu.com/pacebench \
    --wait 0 --save html
save_wall=$wall
report "save at pace 1 (waits $((PACE_ARTICLES * 2)) s)"
echo "   beyond the mandated waits: $(echo "$save_wall - $PACE_ARTICLES * 2" | bc -l | xargs printf '%.2f') s"
timed "$cli" --app-dir "$small" read http://hi.baidu.com/pacebench
report "read of that space (process included)"
echo "   share of the save: $(echo "100 * $wall / $save_wall" | bc -l | xargs printf '%.2f') %"
