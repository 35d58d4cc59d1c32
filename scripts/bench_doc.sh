#!/usr/bin/env bash
# Prints figures for the "html & doc" save, measured with pagewren-cli against spacesim, for
# this build and, when OLD_CLI names the pagewren-cli of an earlier build, for that one beside it:
#  1. a save of PACED articles (default 5) at pace 1: wall time against the mandated waits of
#     two seconds per article;
#  2. a save of FAST articles (default 40) at pace 0: Word documents made per second;
#  3. the peak memory of either run: the largest single process (/usr/bin/time, LibreOffice
#     included) and the whole process tree at once (sampled with ps).
# Usage: BUILD_DIR=build [OLD_CLI=old/build/cli/pagewren-cli] scripts/bench_doc.sh
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
PACED=${PACED:-5}
FAST=${FAST:-40}
cli="$BUILD_DIR/cli/pagewren-cli"
[ -x "$cli" ] || { echo "no $cli: build pagewren-cli first" >&2; exit 1; }
command -v soffice >/dev/null || { echo "soffice is not installed: nothing to measure" >&2; exit 1; }

SIM_ARGS="--generate pacewren=$PACED --generate fastwren=$FAST"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT

# The resident set of the process tree under the given process, in kilobytes.
tree_rss() {
    ps -e -o pid=,ppid=,rss= | awk -v root="$1" '
        { parent[$1] = $2; rss[$1] = $3 }
        END {
            for (p in rss) {
                for (q = p; q != "" && q != 0; q = parent[q]) {
                    if (q == root) { total += rss[p]; break }
                }
            }
            print total + 0
        }'
}

# run CLI NAME SPACE PACE: one html & doc save in a fresh application folder; sets wall (s),
# peak (largest process, KB), tree (whole tree at once, KB), docs and status.
run() {
    local program=$1 name=$2 space=$3 pace=$4
    rm -rf "${work:?}/$name" && mkdir -p "$work/$name"
    /usr/bin/time -f '%e %M' -o "$work/$name.time" "$program" --app-dir "$work/$name" \
        --pace "$pace" --json articles "http://hi.baidu.com/$space" --wait 0 \
        --save "html & doc" >"$work/$name.out" &
    local timer=$! sample
    tree=0
    while kill -0 "$timer" 2>/dev/null; do
        sample=$(tree_rss "$timer")
        [ "$sample" -gt "$tree" ] && tree=$sample
        sleep 0.2
    done
    wait "$timer"
    read -r wall peak <"$work/$name.time"
    docs=$(find "$work/$name" -type f -name '*.html.doc' | wc -l)
    status=$(tail -n 1 "$work/$name.out" | sed 's/.*"text":"\([^"]*\)".*/\1/')
}

# measure LABEL CLI: both runs of one build, then one line of figures.
measure() {
    local label=$1 program=$2
    run "$program" "$label-paced" pacewren 1
    local paced_wall=$wall paced_docs=$docs paced_peak=$peak paced_tree=$tree
    local waits=$((2 * PACED))
    run "$program" "$label-fast" fastwren 0
    printf '%-6s %8.2f s / %3d s = %5.3f  (%d docs) %8.1f docs/s  (%d docs in %.2f s) %6.0f MB %6.0f MB\n' \
        "$label" "$paced_wall" "$waits" "$(echo "$paced_wall / $waits" | bc -l)" "$paced_docs" \
        "$(echo "$docs / $wall" | bc -l)" "$docs" "$wall" \
        "$(echo "($paced_peak > $peak) * $paced_peak + ($paced_peak <= $peak) * $peak" | bc |
            xargs -I{} echo "{} / 1024" | bc -l)" \
        "$(echo "($paced_tree > $tree) * $paced_tree + ($paced_tree <= $tree) * $tree" | bc |
            xargs -I{} echo "{} / 1024" | bc -l)"
    echo "       last status: $status"
}

echo "== html & doc: $PACED articles at pace 1, $FAST articles at pace 0 (build: $BUILD_DIR)"
echo "build  pace 1: wall / mandated waits = ratio     pace 0: documents per second       peak: process   tree"
if [ -n "${OLD_CLI:-}" ]; then
    measure before "$OLD_CLI"
fi
measure now "$cli"
echo "(wall times include the catalogue, which waits nothing at --wait 0; the docs per second"
echo " count the whole run; peak process = largest single process, LibreOffice included;"
echo " peak tree = client and LibreOffice together, sampled every 200 ms)"
