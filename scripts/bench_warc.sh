#!/usr/bin/env bash
# Prints figures for backups straight from WARC files:
# 1. Indexing a WARC file of about 1 GB (default; MB as the argument) made by spacesim from many
#    generated spaces of 10,000 articles each, plain and then the same records compressed one
#    gzip member per record: wall time and peak memory of a pagewren-cli run that indexes it
#    and asks for one page. Targets: under 30 s and under 200 MB.
# 2. A backup of a 2,000-article space (articles --save txt) at pace 0 from a WARC file, plain
#    and compressed, beside the same backup through spacesim as a proxy. Target: at least as
#    fast as the proxy; the saved articles must be the same.
# Usage: BUILD_DIR=build scripts/bench_warc.sh [MB]   (an optimised build gives the real figures)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
target_mb=${1:-1024}
cli="$BUILD_DIR/cli/pagewren-cli"
sim="$BUILD_DIR/sim/spacesim"
work=$(mktemp -d)
SIM_ARGS="--generate bigwren=2000"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT
format="%e s wall, %U s user, %S s system, %M KB peak"

echo "making a WARC file of about $target_mb MB..."
space=0
while [ "$(stat -c %s "$work/big.warc" 2>/dev/null || echo 0)" -lt $((target_mb << 20)) ]; do
    space=$((space + 1))
    "$sim" --generate "w$space=10000" --write-warc "$work/part.warc" "w$space" >/dev/null
    "$sim" --generate "w$space=10000" --write-warc "$work/part.warc.gz" "w$space" >/dev/null
    cat "$work/part.warc" >>"$work/big.warc"
    cat "$work/part.warc.gz" >>"$work/big.warc.gz"
done
records=$(grep -ac '^WARC/1.1' "$work/big.warc")
echo "$space spaces, $records records: $(($(stat -c %s "$work/big.warc") >> 20)) MB plain," \
    "$(($(stat -c %s "$work/big.warc.gz") >> 20)) MB compressed"
for file in big.warc big.warc.gz; do
    for run in 1 2; do
        /usr/bin/time -o "$work/time" -f "$format" "$cli" --app-dir "$work" --pace 0 \
            --replay "warc:$work/$file" css "http://hi.baidu.com/w1" >/dev/null 2>&1 || true
        echo "index $file, run $run: $(cat "$work/time")"
    done
done
rm -f "$work/big.warc" "$work/big.warc.gz" "$work/part.warc" "$work/part.warc.gz"

"$sim" --generate bigwren=2000 --write-warc "$work/bigwren.warc" bigwren >/dev/null
"$sim" --generate bigwren=2000 --write-warc "$work/bigwren.warc.gz" bigwren >/dev/null
backup() {  # label, then the replay options
    local label=$1
    shift
    rm -rf "${work:?}/$label"
    mkdir "$work/$label"
    /usr/bin/time -o "$work/time" -f "$format" "$cli" --app-dir "$work/$label" --pace 0 "$@" \
        articles http://hi.baidu.com/bigwren --save txt >/dev/null 2>&1
    echo "2,000 articles --save txt, $label: $(cat "$work/time")"
}
for run in 1 2; do
    backup proxy
    backup warc --replay "warc:$work/bigwren.warc"
    backup warc.gz --replay "warc:$work/bigwren.warc.gz"
    # The save record and the reading copy name the archive on purpose.
    for label in warc warc.gz; do
        diff -rq -x '保存记录.json' -x index.html -x '阅读版*' "$work/proxy" "$work/$label" \
            >/dev/null || echo "the $label tree differs!"
    done
done
