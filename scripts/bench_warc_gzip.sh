#!/usr/bin/env bash
# Prints what a WARC file gzipped as a whole costs against the same records one gzip member
# each (as Wget and most crawlers write them), and what the latter costs against plain WARC:
# 1. Indexing (a survey), and a 2,000-article backup (articles --save txt, pace 0), of each
#    file: processor time (user + system, which other work on the machine changes little), wall
#    time, peak memory, and the ratios of processor time whole-file / one member per record and
#    one member per record / plain.
# 2. The same backup from a file whose records of many spaces are interleaved, so that reads
#    jump about the file (records of one space lie far apart, across many checkpoints).
# Usage: BUILD_DIR=build scripts/bench_warc_gzip.sh [ARTICLES] [SPACES]
#        (defaults 2000 and 4; an optimised build gives the real figures)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
articles=${1:-2000}
spaces=${2:-4}
cli="$BUILD_DIR/cli/pagewren-cli"
sim="$BUILD_DIR/sim/spacesim"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
format="%U %S %e %M"

# The space's records as a plain WARC, one member per record, and gzipped as a whole.
"$sim" --generate "bigwren=$articles" --write-warc "$work/one.warc" bigwren >/dev/null
"$sim" --generate "bigwren=$articles" --write-warc "$work/one-members.warc.gz" bigwren >/dev/null
gzip -c "$work/one.warc" >"$work/one-whole.warc.gz"
# Records of several spaces, one record of each in turn (split at each record's start).
for space in $(seq "$spaces"); do
    "$sim" --generate "w$space=$articles" --write-warc "$work/w$space.warc" "w$space" >/dev/null
    awk -v dir="$work/w$space.d" 'BEGIN { system("mkdir -p " dir) }
        /^WARC\/1\.1\r$/ { n++ } { printf "%s\n", $0 > (dir "/" sprintf("%07d", n)) }' \
        "$work/w$space.warc"
done
for record in $(ls "$work/w1.d"); do
    for space in $(seq "$spaces"); do
        [ -f "$work/w$space.d/$record" ] && cat "$work/w$space.d/$record"
    done
done >"$work/mixed.warc"
gzip -c "$work/mixed.warc" >"$work/mixed-whole.warc.gz"
for space in $(seq "$spaces"); do rm -rf "$work/w$space.d" "$work/w$space.warc"; done
# One member per record of the interleaved file: each record gzipped on its own.
awk -v dir="$work/mixed.d" 'BEGIN { system("mkdir -p " dir) }
    /^WARC\/1\.1\r$/ { n++ } { printf "%s\n", $0 > (dir "/" sprintf("%07d", n)) }' "$work/mixed.warc"
for record in $(ls "$work/mixed.d"); do gzip -c "$work/mixed.d/$record"; done \
    >"$work/mixed-members.warc.gz"
rm -rf "$work/mixed.d"
ls -l "$work" | awk 'NR > 1 { printf "  %-22s %6.1f MB\n", $9, $5 / 1048576 }'

run() {  # file, then the command; prints "processor-seconds wall-seconds peak-KB"
    local file=$1
    shift
    rm -rf "$work/app"
    mkdir "$work/app"
    /usr/bin/time -q -o "$work/time" -f "$format" "$cli" --app-dir "$work/app" --pace 0 \
        --replay "warc:$work/$file" "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.2f %.2f %d", $1 + $2, $3, $4 }' "$work/time"
}
measure() {  # label, address, command...
    local label=$1 address=$2
    shift 2
    local plain members whole
    read -r -a plain <<<"$(run "${label}.warc" "$1" "$address" "${@:2}")"
    read -r -a members <<<"$(run "${label}-members.warc.gz" "$1" "$address" "${@:2}")"
    read -r -a whole <<<"$(run "${label}-whole.warc.gz" "$1" "$address" "${@:2}")"
    echo "$label, $*:"
    for row in "plain ${plain[*]}" "one member per record ${members[*]}" \
        "whole-file gzip ${whole[*]}"; do
        echo "$row" | awk '{ n = NF; printf "  %-24s %6.2f s processor, %6.2f s wall, %6d KB peak\n",
            substr($0, 1, index($0, $(n - 2)) - 2), $(n - 2), $(n - 1), $n }'
    done
    awk -v p="${plain[0]}" -v m="${members[0]}" -v w="${whole[0]}" 'BEGIN {
        printf "  ratio whole-file / one member per record: %.2f; one member per record / plain: %.2f\n",
            (m > 0 ? w / m : 0), (p > 0 ? m / p : 0) }'
}
for run in 1 2; do
    echo "run $run"
    measure one http://hi.baidu.com/bigwren survey
    measure one http://hi.baidu.com/bigwren articles --save txt
    measure mixed http://hi.baidu.com/w1 articles --save txt
done
