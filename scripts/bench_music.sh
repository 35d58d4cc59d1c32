#!/usr/bin/env bash
# Prints figures for the song download, for a 50 MB and a 500 MB song: pagewren-cli at pace 0
# beside curl fetching the same address (wall time, processor time, peak memory, and the ratio
# of the wall times), then how responsive the music window stays meanwhile.
# Targets: peak memory under 40 MB for the 500 MB song, at most 1.5 times curl's time, and the
# largest gap between handled window events under 50 ms.
# Usage: BUILD_DIR=build scripts/bench_music.sh [MB...]   (needs the build, with the benchmarks)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(50 500)
data=$(mktemp -d)
work=$(mktemp -d)
for mb in "${sizes[@]}"; do
    cat >"$data/song$mb.json" <<JSON
{"title": "big", "songs": [{"title": "big", "url": "http://songs.bench.test/$mb.mp3", "bytes": $((mb << 20))}]}
JSON
done
SIM_ARGS="--data $data"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$data" "$work"' EXIT

format="%e s wall, %U s user, %S s system, %M KB peak"
for mb in "${sizes[@]}"; do
    for run in 1 2; do
        /usr/bin/time -o "$work/curl" -f "%e $format" curl -s -o "$work/curl.mp3" \
            "http://songs.bench.test/$mb.mp3"
        rm -rf "$work/song$mb"
        /usr/bin/time -o "$work/cli" -f "%e $format" "$BUILD_DIR/cli/pagewren-cli" \
            --app-dir "$work" --pace 0 music "http://hi.baidu.com/song$mb" --download \
            >/dev/null 2>&1
        cmp -s "$work/curl.mp3" "$work/song$mb/背景音乐/$mb.mp3" || echo "$mb MB: the files differ!"
        read -r curl_s curl_line <"$work/curl"
        read -r cli_s cli_line <"$work/cli"
        echo "$mb MB, run $run: curl -o: $curl_line"
        echo "$mb MB, run $run: pagewren-cli --pace 0: $cli_line"
        awk -v a="$cli_s" -v b="$curl_s" \
            'BEGIN { printf "%s MB, run %s: pagewren-cli takes %.2f times curl'\''s time\n", \
                     "'"$mb"'", "'"$run"'", (b > 0 ? a / b : 0) }'
    done
    rm -f "$work/curl.mp3"
    rm -rf "$work/song$mb"
done
echo "(at pace 1 the music window and pagewren-cli add 2.1 s of waits: 100 ms per listed song,"
echo " 2 s per download)"
for mb in "${sizes[@]}"; do
    QT_QPA_PLATFORM=offscreen "$BUILD_DIR/tests/bench/music_window_bench" "$mb"
done
