#!/usr/bin/env bash
# The main job: installs what the three programs need and builds them, starts the simulator
# with the sample space and opens the main window on it. Without a display it runs the survey
# headless and prints it.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
SETUP=programs scripts/setup.sh
echo "Ready after $((SECONDS - started)) s; starting spacesim"
export BUILD_DIR=build
source scripts/start_sim.sh

app_dir="${PAGEWREN_APP_DIR:-$PWD/build/demo}"
mkdir -p "$app_dir"
echo "spacesim serves the sample space on 127.0.0.1:$SIM_PORT (http_proxy=$http_proxy)"
echo "Files are written beneath $app_dir"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    cp build/app/pagewren "$app_dir/pagewren"
    # The content windows open on the remembered address; a first demo remembers the sample.
    if [ ! -f "$app_dir/blogurl.ini" ]; then
        build/cli/pagewren-cli --app-dir "$app_dir" --pace 0 survey http://hi.baidu.com/jiaoliao \
            >/dev/null
    fi
    "$app_dir/pagewren"
else
    echo "No display: running the survey headless."
    build/cli/pagewren-cli --app-dir "$app_dir" survey http://hi.baidu.com/jiaoliao
fi
