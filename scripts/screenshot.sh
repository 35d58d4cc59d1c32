#!/usr/bin/env bash
# Takes docs/main-window.png: the main window under Xvfb after a survey of the sample space,
# pressed with the mouse as a user would. Run scripts/setup.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR="${BUILD_DIR:-build}"
source scripts/start_sim.sh

app_dir=$(mktemp -d)
cp "$BUILD_DIR/app/pagewren" "$app_dir/"
out="${1:-docs/main-window.png}"
mkdir -p "$(dirname "$out")"
xvfb-run --auto-servernum --server-args="-screen 0 700x420x24" bash -c '
    "$1/pagewren" &
    app=$!
    sleep 2
    # Without a window manager the window sits at the origin; "立即检测" is at (600, 20).
    xdotool mousemove 600 20 click 1
    sleep 3
    # The window as it lies on the screen, and nothing of the black screen around it.
    eval "$(xdotool search --name "^Pagewren final beta$" getwindowgeometry --shell)"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$2"
    kill $app
' _ "$app_dir" "$out"
rm -rf "$app_dir"
echo "wrote $out"
