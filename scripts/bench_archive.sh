#!/usr/bin/env bash
# Prints figures for backing up through a web archive, measured with pagewren-cli against
# spacesim: the requests and wall time of a backup of the sample space at the windows' pace
# through the archive face beside the same through the proxy face, then how long pagewren-cli
# takes to exit after Ctrl-C during a request, during a wait and during a Word conversion.
# Usage: BUILD_DIR=build scripts/bench_archive.sh   (needs pagewren-cli and spacesim built)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT
cli="$BUILD_DIR/cli/pagewren-cli"
sim="http://127.0.0.1:$SIM_PORT/__sim"
space=http://hi.baidu.com/jiaoliao

backup() {  # app folder, then any global options
    local app=$1
    shift
    mkdir -p "$app"
    "$cli" --app-dir "$app" "$@" survey $space
    "$cli" --app-dir "$app" "$@" articles $space --save html
    "$cli" --app-dir "$app" "$@" music $space --download
    "$cli" --app-dir "$app" "$@" css $space --save
    "$cli" --app-dir "$app" "$@" board $space --save
    "$cli" --app-dir "$app" "$@" comments $space --save
}

for face in proxy archive; do
    curl -s "$sim/reset" >/dev/null
    options=(--pace 1)
    [ $face = archive ] && options+=(--replay "http://127.0.0.1:$SIM_PORT/web/2012id_/")
    start=$(date +%s.%N)
    backup "$work/$face" "${options[@]}" >/dev/null 2>&1
    end=$(date +%s.%N)
    requests=$(curl -s "$sim/requests")
    printf '%-7s backup at pace 1: %6.1f s wall, %d requests (%d of them redirects)\n' $face \
        "$(echo "$end - $start" | bc)" "$(echo "$requests" | grep -c .)" \
        "$(echo "$requests" | grep -c '^/web/' || true)"
done
diff -r "$work/proxy" "$work/archive" >/dev/null && echo "both backups hold the same files"

# Sends SIGINT after the given seconds and prints how long the program took to end after it.
interrupt_after() {  # label, seconds, then the command
    local label=$1 after=$2
    shift 2
    "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$after"
    local sent
    sent=$(date +%s.%N)
    kill -INT $pid
    local code=0
    wait $pid || code=$?
    printf 'Ctrl-C %-26s exit %d after %5.0f ms\n' "$label:" $code \
        "$(echo "($(date +%s.%N) - $sent) * 1000" | bc)"
}
mkdir -p "$work/i1" "$work/i2" "$work/i3"
curl -s "$sim/fault?path=%2Fjiaoliao%2Fblog&mode=stall" >/dev/null
interrupt_after "during a request" 1 "$cli" --app-dir "$work/i1" --pace 1 survey $space
curl -s "$sim/reset" >/dev/null
interrupt_after "during a wait" 3 "$cli" --app-dir "$work/i2" --pace 1 articles $space \
    --wait 0 --save txt
if command -v soffice >/dev/null; then
    interrupt_after "during a Word conversion" 0.6 "$cli" --app-dir "$work/i3" --pace 1 \
        articles $space --wait 0 --save "html & doc"
fi
