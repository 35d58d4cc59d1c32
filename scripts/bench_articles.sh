#!/usr/bin/env bash
# Prints figures for the article backup, measured with pagewren-cli against spacesim:
#  1. for generated spaces of 2,000 and 20,000 articles (SIZES), the catalogue with the html
#     save at pace 0 beside wget fetching the very same addresses, in the same order, through
#     the same simulator: requests per second of both and their ratio, processor time of both,
#     pagewren's peak memory, and the time per article at each size;
#  2. the html save of the 17-article sample with DIRTY_MB (default 512) of unrelated data not
#     yet on disk, beside the same save without it and what flushing the whole file system
#     (sync -f, as syncfs does) costs with that data waiting: the save flushes only its files;
#  3. the time per article of the "html & doc" save (DOC_ARTICLES articles, default 20) and
#     how much of it is LibreOffice starting and stopping.
# Usage: BUILD_DIR=build-release scripts/bench_articles.sh   (needs pagewren-cli, spacesim, wget)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
SIZES=${SIZES-2000 20000}
DOC_ARTICLES=${DOC_ARTICLES:-20}
DIRTY_MB=${DIRTY_MB:-512}
cli="$BUILD_DIR/cli/pagewren-cli"
[ -x "$cli" ] || { echo "no $cli: build pagewren-cli first" >&2; exit 1; }
command -v wget >/dev/null || { echo "wget is the yardstick: install it first" >&2; exit 1; }

SIM_ARGS="--generate docwren=$DOC_ARTICLES"
for size in $SIZES; do
    SIM_ARGS="$SIM_ARGS --generate bench$size=$size"
done
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT

REPEAT=${REPEAT:-3}
REPEAT_ALL=$REPEAT

# timed NAME COMMAND...: runs the command REPEAT times and keeps the fastest run, since other
# work on the machine only ever slows a run down; sets wall, cpu (user + system seconds) and
# rss (peak KB) of that run.
timed() {
    local name=$1 best="" try_wall try_user try_sys try_rss
    shift
    for _ in $(seq "$REPEAT"); do
        [ -z "${before_each:-}" ] || $before_each
        /usr/bin/time -f '%e %U %S %M' -o "$work/$name.time" "$@" >"$work/$name.out"
        read -r try_wall try_user try_sys try_rss <"$work/$name.time"
        if [ -z "$best" ] || [ "$(echo "$try_wall < $wall" | bc -l)" -eq 1 ]; then
            best=1 wall=$try_wall rss=$try_rss
            cpu=$(echo "$try_user + $try_sys" | bc -l)
        fi
    done
}

# run NAME SPACE [ARTICLES OPTIONS...]: one CLI run in a fresh application folder; also sets
# saved (files written) and status (the last line the CLI printed).
run() {
    local name=$1 space=$2
    shift 2
    # Each run starts from an empty folder and an empty request log.
    before_each="fresh $work/$name"
    timed "$name" "$cli" --app-dir "$work/$name" --pace 0 --json articles \
        "http://hi.baidu.com/$space" "$@"
    before_each=""
    saved=$(find "$work/$name" -type f | wc -l)
    status=$(grep '"label":"Label2"' "$work/$name.out" | tail -n 1 |
        sed 's/.*"text":"\([^"]*\)".*/\1/')
}

report() {
    printf '%-34s wall %7.2f s  cpu %7.2f s  peak %6.1f MB  files %5d\n' \
        "$1" "$wall" "$cpu" "$(echo "$rss / 1024" | bc -l)" "$saved"
}

fresh() {
    rm -rf "${1:?}" && mkdir -p "$1"
    curl -s "http://hi.baidu.com/__sim/reset" >/dev/null
}

rate() { echo "$1 / $2" | bc -l | xargs printf '%.0f'; }

declare -A per_article
for size in $SIZES; do
    echo "== $size articles: catalogue + html save at pace 0 against wget (build: $BUILD_DIR)"
    run "html$size" "bench$size" --wait 0 --save html
    p_wall=$wall p_cpu=$cpu p_rss=$rss
    echo "   status: $status"
    # The same addresses, in the order pagewren asked for them.
    curl -s "http://hi.baidu.com/__sim/requests" | sed 's|^|http://|' >"$work/addresses$size"
    requests=$(wc -l <"$work/addresses$size")
    before_each="fresh $work/wget$size"
    timed "wget$size" wget -q -i "$work/addresses$size" -P "$work/wget$size"
    before_each=""
    w_wall=$wall w_cpu=$cpu
    timed "wgetnull$size" wget -q -i "$work/addresses$size" -O /dev/null
    n_wall=$wall n_cpu=$cpu
    p_rate=$(rate "$requests" "$p_wall")
    w_rate=$(rate "$requests" "$w_wall")
    n_rate=$(rate "$requests" "$n_wall")
    printf '   %-26s %6d requests  %6s req/s  wall %6.2f s  cpu %6.2f s  peak %6.1f MB  files %d\n' \
        "pagewren (files written)" "$requests" "$p_rate" "$p_wall" "$p_cpu" \
        "$(echo "$p_rss / 1024" | bc -l)" "$saved"
    printf '   %-26s %6d requests  %6s req/s  wall %6.2f s  cpu %6.2f s\n' \
        "wget -P (files written)" "$requests" "$w_rate" "$w_wall" "$w_cpu"
    printf '   %-26s %6d requests  %6s req/s  wall %6.2f s  cpu %6.2f s\n' \
        "wget -O /dev/null" "$requests" "$n_rate" "$n_wall" "$n_cpu"
    printf '   pagewren / wget: speed %.2f (against -O /dev/null %.2f), cpu %.2f\n' \
        "$(echo "$w_wall / $p_wall" | bc -l)" "$(echo "$n_wall / $p_wall" | bc -l)" \
        "$(echo "$p_cpu / $w_cpu" | bc -l)"
    per_article[$size]=$(echo "$p_wall * 1000 / $size" | bc -l)
    printf '   pagewren: %.3f ms per article (wall)\n' "${per_article[$size]}"
done
read -r -a sizes <<<"$SIZES"
if [ ${#sizes[@]} -ge 2 ]; then
    first=${sizes[0]} last=${sizes[${#sizes[@]} - 1]}
    printf '== growth %s -> %s articles: time per article x%.2f (1.00 is linear)\n' "$first" "$last" \
        "$(echo "${per_article[$last]} / ${per_article[$first]}" | bc -l)"
fi

echo "== html save of the 17-article sample with $DIRTY_MB MB of unrelated data not yet on disk"
REPEAT=1
sync
run clean jiaoliao --wait 0 --save html
clean_wall=$wall
dd if=/dev/zero of="$work/unrelated.data" bs=1M count="$DIRTY_MB" status=none
run waiting jiaoliao --wait 0 --save html
dirty_wall=$wall
t0=$(date +%s.%N)
sync -f "$work"
t1=$(date +%s.%N)
rm -f "$work/unrelated.data"
printf '   save alone %.2f s, with the data waiting %.2f s; flushing the file system then: %.2f s\n' \
    "$clean_wall" "$dirty_wall" "$(echo "$t1 - $t0" | bc -l)"
REPEAT=${REPEAT_ALL:-3}

echo "== html & doc save of $DOC_ARTICLES articles"
if ! command -v soffice >/dev/null; then
    echo "   soffice is not installed: skipped"
    exit 0
fi
# LibreOffice takes seconds an article; one run is enough to see where they go.
REPEAT=1
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
