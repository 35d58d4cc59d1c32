#!/usr/bin/env bash
# Prints figures for the pictures of an article save, measured with pagewren-cli against
# spacesim's archive face: spaces of 2,500 and 10,000 pictures (SIZES), half of them shown by
# the articles (five to an article) and half photos that only the archive's index names, saved
# with their txt articles at pace 0, and the same save with --no-pictures beside it. For each:
# wall and processor time, peak memory, the time per picture, and whether every picture came.
# The pictures' share of the memory (the difference) should stay flat, a few hundred bytes of
# save record a picture, and the time per picture the same from size to size.
# Usage: BUILD_DIR=build-release scripts/bench_pictures.sh   (needs pagewren-cli, spacesim)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
SIZES=${SIZES-2500 10000}
cli="$BUILD_DIR/cli/pagewren-cli"
[ -x "$cli" ] || { echo "no $cli: build pagewren-cli first" >&2; exit 1; }

data=$(mktemp -d)
work=$(mktemp -d)
# A space of N pictures: N/10 articles each showing five, and N/2 photos.
for size in $SIZES; do
    python3 - "$size" >"$data/pics$size.json" <<'PY'
import json, sys
size = int(sys.argv[1])
name = "pics%d" % size
host = "http://hiphotos.baidu.com/" + name
articles = []
for a in range(size // 10):
    shown = "".join('<img src="%s/pic/item/%024x.jpg">' % (host, a * 5 + i) for i in range(5))
    articles.append({"id": "%016x" % (a + 1), "title": "第%d篇" % (a + 1),
                     "date": "2009-01-01 00:00", "content": "<p>图</p>" + shown})
photos = ["%024x" % (size + p) for p in range(size // 2)]
print(json.dumps({"title": name, "perPage": 10,
                  "categories": [{"slug": "pics", "name": "随手拍", "articles": articles}],
                  "photos": photos}, ensure_ascii=False))
PY
done
SIM_ARGS="--data $data"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$data" "$work"' EXIT
prefix="http://127.0.0.1:$SIM_PORT/web/20120101000000id_/"

# run NAME SIZE [OPTION]: one save of the space, its figures printed on a line named NAME.
run() {
    local name=$1 size=$2
    shift 2
    rm -rf "${work:?}/pics$size"
    /usr/bin/time -o "$work/time" -f "%e %U %S %M" "$cli" --app-dir "$work" --pace 0 \
        --replay "$prefix" articles "http://hi.baidu.com/pics$size" --wait 0 --save txt "$@" \
        >"$work/out" 2>&1 || true
    read -r wall user sys rss <"$work/time"
    saved=$(find "$work/pics$size" -path "*/图片"$'\x7f'"/*" -type f | wc -l)
    awk -v t="$name" -v n="$size" -v w="$wall" -v u="$user" -v s="$sys" -v m="$rss" -v k="$saved" \
        'BEGIN { printf "%-16s %6d pictures: %6.1f s wall, %5.1f s processor, %6.1f MB peak, " \
                        "%.2f ms a picture, %d files\n", t, n, w, u + s, m / 1024, w * 1000 / n, k }'
    echo "                 $(grep '^Label2: ' "$work/out" | tail -1)"
}

for size in $SIZES; do
    run "with pictures" "$size"
    run "--no-pictures" "$size" --no-pictures
done
