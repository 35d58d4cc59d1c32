#!/usr/bin/env bash
# Prints figures for the article backup, measured with pagewren-cli against spacesim:
#  1. the catalogue, and the catalogue with the html save, of a generated space of ARTICLES
#     articles (default 2000) with no waits: wall time, CPU time, peak memory, and the share of
#     the wall time the program spent on its own work rather than waiting for the network;
#  2. the time per article of the "html & doc" save (DOC_ARTICLES articles, default 20) and
#     how much of it is LibreOffice starting and stopping.
# Usage: BUILD_DIR=build scripts/bench_articles.sh   (needs pagewren-cli and spacesim built)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
ARTICLES=${ARTICLES:-2000}
DOC_ARTICLES=${DOC_ARTICLES:-20}
cli="$BUILD_DIR/cli/pagewren-cli"
[ -x "$cli" ] || { echo "no $cli: build pagewren-cli first" >&2; exit 1; }

SIM_ARGS="--generate bigwren=$ARTICLES --generate docwren=$DOC_ARTICLES"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT

# run NAME SPACE [ARTICLES OPTIONS...]: one CLI run in a fresh application folder; sets
# wall, cpu (user + system seconds) and rss (peak kilobytes).
run() {
    local name=$1 space=$2
    shift 2
    rm -rf "${work:?}/$name" && mkdir -p "$work/$name"
    /usr/bin/time -f '%e %U %S %M' -o "$work/$name.time" \
        "$cli" --app-dir "$work/$name" --pace 0 --json articles "http://hi.baidu.com/$space" \
        "$@" >"$work/$name.out"
    read -r wall user sys rss <"$work/$name.time"
    cpu=$(echo "$user + $sys" | bc -l)
    saved=$(find "$work/$name" -type f | wc -l)
    status=$(tail -n 1 "$work/$name.out")
}

report() {
    printf '%-34s wall %7.2f s  cpu %7.2f s  peak %6.1f MB  own work %5.1f %%  files %5d\n' \
        "$1" "$wall" "$cpu" "$(echo "$rss / 1024" | bc -l)" \
        "$(echo "if ($wall > 0) 100 * $cpu / $wall else 0" | bc -l)" "$saved"
}

echo "== $ARTICLES articles, --pace 0 (build: $BUILD_DIR)"
run catalogue bigwren
report "catalogue"
catalogue_wall=$wall
run html bigwren --save html
report "catalogue + html save"
echo "   status: $status"
echo "   html save alone: $(echo "($wall - $catalogue_wall) * 1000 / $ARTICLES" | bc -l |
    xargs printf '%.2f') ms per article"
echo "   (own work = CPU time / wall time of the single-threaded client; the rest is spent"
echo "    waiting on the loopback network and the simulator)"

echo "== html & doc save of $DOC_ARTICLES articles"
if ! command -v soffice >/dev/null; then
    echo "   soffice is not installed: skipped"
    exit 0
fi
run doc-catalogue docwren
doc_catalogue=$wall
run doc docwren --save "html & doc"
report "catalogue + html & doc save"
echo "   status: $status"
echo "   (cpu and peak memory here include the LibreOffice runs the client waits for)"
per_article=$(echo "($wall - $doc_catalogue) / $DOC_ARTICLES" | bc -l)

# LibreOffice on its own, with a profile made beforehand as the save's first run makes it.
profile="file://$work/office-profile"
soffice "-env:UserInstallation=$profile" --headless --terminate_after_init >/dev/null 2>&1 || true
printf '<html><body></body></html>' >"$work/empty.html"
start_total=0
convert_total=0
for _ in 1 2 3; do
    t0=$(date +%s.%N)
    soffice "-env:UserInstallation=$profile" --headless --terminate_after_init >/dev/null 2>&1 || true
    t1=$(date +%s.%N)
    soffice "-env:UserInstallation=$profile" --headless --convert-to "doc:MS Word 97" \
        --outdir "$work/empty-out" "$work/empty.html" >/dev/null 2>&1 || true
    t2=$(date +%s.%N)
    start_total=$(echo "$start_total + $t1 - $t0" | bc -l)
    convert_total=$(echo "$convert_total + $t2 - $t1" | bc -l)
done
start=$(echo "$start_total / 3" | bc -l)
empty=$(echo "$convert_total / 3" | bc -l)
printf '   per article: %.3f s\n' "$per_article"
printf '   LibreOffice start and stop alone: %.3f s (%.0f %% of an article)\n' "$start" \
    "$(echo "100 * $start / $per_article" | bc -l)"
printf '   converting an empty page: %.3f s (%.0f %% of an article)\n' "$empty" \
    "$(echo "100 * $empty / $per_article" | bc -l)"
