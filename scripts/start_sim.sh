#!/usr/bin/env bash
# Sourced by the other scripts: starts spacesim (with SIM_ARGS) from BUILD_DIR on a free loopback port,
# exports SIM_PORT and http_proxy, and stops the simulator when the calling script exits.
sim_log=$(mktemp)
# shellcheck disable=SC2086
"${BUILD_DIR:-build}/sim/spacesim" --port 0 ${SIM_ARGS:-} >"$sim_log" 2>&1 &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"' EXIT
for _ in $(seq 100); do
    SIM_PORT=$(sed -n 's/^spacesim listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$sim_log")
    [ -n "$SIM_PORT" ] && break
    sleep 0.1
done
if [ -z "$SIM_PORT" ]; then
    echo "spacesim did not start:" >&2
    cat "$sim_log" >&2
    exit 1
fi
export SIM_PORT
export http_proxy="http://127.0.0.1:$SIM_PORT"
export no_proxy=""
