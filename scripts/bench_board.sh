#!/usr/bin/env bash
# Prints figures for the message-board and comment windows, measured with pagewren-cli against
# spacesim serving generated spaces:
#  1. with no waits: retrieval + save of a board of MESSAGES messages (default 1000) and of
#     COMMENTS comments (default 1000, ten to a search page): wall time and peak memory;
#  2. at pace 1: retrieval + save of a board of PACED messages (default 100): wall time beside
#     the 100 ms per row and per record the windows wait, and the ratio of the two.
# Usage: BUILD_DIR=build scripts/bench_board.sh   (needs pagewren-cli and spacesim built)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
MESSAGES=${MESSAGES:-1000}
COMMENTS=${COMMENTS:-1000}
PACED=${PACED:-100}
cli="$BUILD_DIR/cli/pagewren-cli"
[ -x "$cli" ] || { echo "no $cli: build pagewren-cli first" >&2; exit 1; }

data=$(mktemp -d)
# space NAME MESSAGES COMMENTS: writes a space file with that many board messages and comments.
space() {
    python3 - "$data/$1.json" "$2" "$3" <<'PY'
import json, sys
path, messages, comments = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
ids = ["%016x" % (0xbe9c40000000 + i) for i in range(10)]
articles = [{"id": ids[i], "title": "第%d篇" % (i + 1), "date": "2009-01-01 08:00",
             "content": "<p>正文</p>"} for i in range(10)]
board = [{"author": "访客%d" % (i + 1), "date": "2009-02-01 08:00",
          "text": "第%d条留言，来看看。" % (i + 1)} for i in range(messages)]
entries = [{"article": ids[i % 10], "author": "读者 %d" % (i + 1), "date": "2009-03-01 08:00",
            "text": "第%d条评论。" % (i + 1), **({"authorSpace": "r%d" % i} if i % 2 else {})}
           for i in range(comments)]
json.dump({"title": "基准", "categories": [{"slug": "a", "name": "甲", "articles": articles}],
           "board": board, "comments": {"perPage": 10, "pager": "last", "entries": entries}},
          open(path, "w"), ensure_ascii=False)
PY
}
space bigboard "$MESSAGES" "$COMMENTS"
space pacedboard "$PACED" 0

SIM_ARGS="--data $data"
# shellcheck source=scripts/start_sim.sh
source scripts/start_sim.sh
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_log"; rm -rf "$data"' EXIT

# run LABEL PACE COMMAND SPACE: one retrieval + save in a fresh application folder.
run() {
    local label=$1 pace=$2 command=$3 name=$4 app="$data/app-$1"
    mkdir -p "$app"
    /usr/bin/time -f '%e %M' -o "$data/$label.time" \
        "$cli" --app-dir "$app" --pace "$pace" --json "$command" "http://hi.baidu.com/$name" \
        --save >"$data/$label.out"
    read -r wall rss <"$data/$label.time"
    rows=$(grep -c '"list"' "$data/$label.out" || true)
    printf '%-40s wall %7.2f s  peak %6.1f MB  rows %5d  %s\n' "$label" "$wall" \
        "$(echo "$rss / 1024" | bc -l)" "$rows" "$(tail -n 1 "$data/$label.out")"
}

echo "No waits (--pace 0):"
run "board of $MESSAGES messages" 0 board bigboard
run "$COMMENTS comments" 0 comments bigboard

echo "Paced (--pace 1):"
run "board of $PACED messages" 1 board pacedboard
# Every row and every record waits 100 ms.
waits=$(echo "$rows * 2 * 0.1" | bc -l)
printf 'mandated waits %.2f s; wall / waits = %.3f\n' "$waits" "$(echo "$wall / $waits" | bc -l)"
