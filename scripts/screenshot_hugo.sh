#!/usr/bin/env bash
# Takes docs/hugo-site.png as a new user would get there: the sample space saved from spacesim
# (articles with their pictures, songs, CSS, board, comments), exported with
# `pagewren-cli export --to hugo`, built with plain `hugo`, and an article page of the built
# site opened in headless Chromium straight from the disk. Run scripts/setup.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR="${BUILD_DIR:-build}"
source scripts/start_sim.sh

out="${1:-docs/hugo-site.png}"
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$work"' EXIT
cli="$BUILD_DIR/cli/pagewren-cli"
space=http://hi.baidu.com/jiaoliao
"$cli" --app-dir "$work" --pace 0 articles "$space" --wait 0 --save html >/dev/null 2>&1
for part in "music $space --download" "css $space --save" "board $space --save" \
    "comments $space --save"; do
    # shellcheck disable=SC2086
    "$cli" --app-dir "$work" --pace 0 $part >/dev/null 2>&1 || true
done
"$cli" --app-dir "$work" export "$space" --to hugo --out "$work/site" >/dev/null
(cd "$work/site" && hugo --quiet)
# "北京/天津 三日游": a thumbnail linking its full picture, a picture, a comment.
page="file://$work/site/public/posts/00b2a24fd8d381bc/index.html"
mkdir -p "$(dirname "$out")"
chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --user-data-dir="$work/profile" --hide-scrollbars --window-size=760,580 \
    --screenshot="$(realpath -m "$out")" "$page" >/dev/null 2>&1
echo "wrote $out"
