#!/usr/bin/env bash
# Prints figures for the "html & doc" save, measured with pagewren-cli against spacesim, for
# this build and, when OLD_CLI names the pagewren-cli of an earlier build, for that one beside it:
#  1. a save of PACED articles (default 20) at pace 1: wall time against the mandated waits of
#     two seconds per article, how many times LibreOffice was started, and the processor time
#     (user + system, LibreOffice included) per document;
#  2. a save of FAST articles (default 40) at pace 0: Word documents made per second;
#  3. the peak memory of either run: the largest single process (/usr/bin/time, LibreOffice
#     included) and the whole process tree at once (sampled with ps).
# Usage: BUILD_DIR=build [OLD_CLI=old/build/cli/pagewren-cli] scripts/bench_doc.sh
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
PACED=${PACED:-20}
FAST=${FAST:-40}
cli="$BUILD_DIR/cli/pagewren-cli"
[ -x "$cli" ] || { echo "no $cli: build pagewren-cli first" >&2; exit 1; }
command -v soffice >/dev/null || { echo "soffice is not installed: nothing to measure" >&2; exit 1; }

SIM_ARGS="--generate pacewren=$PACED --generate fastwren=$FAST"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT

# A soffice ahead of the real one on PATH that notes each start.
real_office=$(command -v soffice)
mkdir -p "$work/shim"
cat >"$work/shim/soffice" <<SHIM
#!/bin/sh
echo start >>"$work/starts"
exec "$real_office" "\$@"
SHIM
chmod +x "$work/shim/soffice"
export PATH="$work/shim:$PATH"

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
# cpu (user + system of the client and the LibreOffice runs it waited for, s), peak (largest
# process, KB), tree (whole tree at once, KB), starts (of LibreOffice), docs and status.
run() {
    local program=$1 name=$2 space=$3 pace=$4
    rm -rf "${work:?}/$name" && mkdir -p "$work/$name"
    : >"$work/starts"
    /usr/bin/time -f '%e %M %U %S' -o "$work/$name.time" "$program" --app-dir "$work/$name" \
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
    local user system
    read -r wall peak user system <"$work/$name.time"
    cpu=$(echo "$user + $system" | bc -l)
    starts=$(wc -l <"$work/starts")
    docs=$(find "$work/$name" -type f -name '*.html.doc' | wc -l)
    status=$(grep '"label":"Label2"' "$work/$name.out" | tail -n 1 | sed 's/.*"text":"\([^"]*\)".*/\1/')
}

# measure LABEL CLI: both runs of one build, then one line of figures.
measure() {
    local label=$1 program=$2
    run "$program" "$label-paced" pacewren 1
    local paced_wall=$wall paced_docs=$docs paced_peak=$peak paced_tree=$tree
    local paced_starts=$starts paced_cpu=$cpu
    local waits=$((2 * PACED))
    run "$program" "$label-fast" fastwren 0
    printf '%-6s %8.2f s / %3d s = %5.3f  (%d docs, %d starts, %.3f s cpu/doc) %8.1f docs/s  (%d docs in %.2f s) %6.0f MB %6.0f MB\n' \
        "$label" "$paced_wall" "$waits" "$(echo "$paced_wall / $waits" | bc -l)" "$paced_docs" \
        "$paced_starts" "$(echo "$paced_cpu / ($paced_docs + ($paced_docs == 0))" | bc -l)" \
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
echo " count the whole run; starts = LibreOffice runs; cpu/doc = user + system time of the"
echo " client and every LibreOffice run, per document; peak process = largest single process,"
echo " LibreOffice included; peak tree = client and LibreOffice together, sampled every 200 ms)"
