#!/usr/bin/env bash
# Prints figures for the song download: a 50 MB song fetched by pagewren-cli at the windows'
# pace beside curl fetching the same address (wall time, processor time, peak memory), then
# how responsive the music window stays meanwhile.
# Usage: BUILD_DIR=build scripts/bench_music.sh   (needs the build, including the benchmarks)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
data=$(mktemp -d)
work=$(mktemp -d)
cat >"$data/bigsong.json" <<'JSON'
{"title": "big", "songs": [{"title": "big", "url": "http://songs.bench.test/big.mp3", "bytes": 52428800}]}
JSON
SIM_ARGS="--data $data"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$data" "$work"' EXIT

format="%e s wall, %U s user, %S s system, %M KB peak"
for run in 1 2 3; do
    /usr/bin/time -f "curl -o, run $run: $format" curl -s -o "$work/curl.mp3" \
        http://songs.bench.test/big.mp3
    /usr/bin/time -o "$work/time" -f "pagewren-cli --pace 1, run $run: $format" \
        "$BUILD_DIR/cli/pagewren-cli" --app-dir "$work" --pace 1 music http://hi.baidu.com/bigsong \
        --download >/dev/null 2>&1
    cat "$work/time"
done
cmp "$work/curl.mp3" "$work/bigsong/背景音乐/big.mp3" && echo "both files are the same"
echo "pagewren-cli waits 2.1 s of that at pace 1 (100 ms per listed song, 2 s per download)"
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/tests/bench/music_window_bench"
