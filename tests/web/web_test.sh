#!/usr/bin/env bash
# The browser build in a real, headless Chromium against the desktop program:
#   - the tour script gives the same world, units, hero and view origin;
#   - the canvas shows the first-person view and the map view as the desktop
#     program's screenshots, within a small per-pixel tolerance;
#   - a save typed into the console survives a reload of the page (the same
#     profile folder) and a load brings the game back to it; F12 in the
#     first-person view offers the picture the canvas shows;
#   - the contest, started by typing and played with the mouse, plays the
#     same turns as the desktop program, and F12 offers a PNG download;
#   - a bad parameter or input script stops the game with the program's
#     error on the page, as text, and a link to the page without it.
# Pages run in real time; each posts its results when its frames run out, and
# the test waits for them (never for a fixed time). Chromium's virtual time
# is no use here: it runs on past the IndexedDB writes of a save.
#
# Usage: web_test.sh WEB_BUILD_DIR NATIVE_BUILD_DIR [RESULTS_DIR]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
WEB=$(cd "$1" && pwd)
NATIVE=$(cd "$2" && pwd)
WORK=${3:-$(mktemp -d /tmp/delve-web-test.XXXXXX)}
mkdir -p "$WORK/native"

source "$HERE/page_runner.sh"

# Debian's own python3, which has python3-pil (a python3 earlier on PATH may not).
check() { /usr/bin/python3 "$HERE/page_check.py" "$@"; }
# The page's picture of frame $2 against the desktop's $3: a pixel differs when
# a channel is more than 8 off; at most 1% may (rasterisers place a few rock
# edge pixels differently).
check_shot() { check shot "$WORK/reports/$1.json" "$2" "$WORK/native/$3.png" 8 0.01 "$WORK/page-$3.png"; }

# 1. The tour: state and pictures.
"$NATIVE/delve" --headless --fast-clock --seed 7 --input "$ROOT/tests/app/tour.script" \
    --frames 410 --data-dir "$NATIVE/data" --save-dir "$WORK/native/saves" \
    --screenshot "60:$WORK/native/first-person.png" --screenshot "130:$WORK/native/map.png" \
    --dump-state "$WORK/native/tour.json"
run_page tour "$WORK/profile-tour" "seed=7&frames=410&input=tour.script&shot=60,130"
check state "$WORK/reports/tour.json" "$WORK/native/tour.json"
check_shot tour 60 first-person
check_shot tour 130 map

# A game as a player starts it (real clock, paced at 60 frames a second)
# shows the same first-person picture.
"$NATIVE/delve" --headless --fast-clock --seed 7 --frames 31 --data-dir "$NATIVE/data" \
    --save-dir "$WORK/native/saves" --screenshot "30:$WORK/native/play.png"
run_page play "$WORK/profile-play" "seed=7&shot=30"
check_shot play 30 play

# The cell edge overlay ("edges") on: the depth read-back and the lattice
# lines give the desktop's picture.
sed -e 's/^5 cursor 200 303$/5 cursor 100 88/' "$HERE/edges.events" >"$WORK/native/edges.script"
"$NATIVE/delve" --headless --fast-clock --seed 7 --input "$WORK/native/edges.script" \
    --frames 41 --data-dir "$NATIVE/data" --save-dir "$WORK/native/saves" \
    --screenshot "40:$WORK/native/edges.png"
run_page edges "$WORK/profile-edges" "seed=7&frames=41&events=edges.events&shot=40"
check_shot edges 40 edges
check white "$WORK/page-edges.png" 100 # the page did draw lines

# 2. Save in one page, reload with the same profile folder and another seed,
#    load: the state saved comes back.
run_page save "$WORK/profile-saves" "seed=7&frames=80&events=save.events&shot=7"
check download "$WORK/reports/save.json" 7
run_page load "$WORK/profile-saves" "seed=8&frames=80&events=load.events"
check state "$WORK/reports/save.json" "$WORK/reports/load.json"
# A page of seed 8 without the load is another world: the load did the work.
# (That page also zooms with F3: the canvas follows the screen mode and scale.)
run_page fresh "$WORK/profile-fresh" "seed=8&frames=80&events=zoom.events&shot=10,30"
check canvas-size "$WORK/reports/fresh.json" 10 640 480
check canvas-size "$WORK/reports/fresh.json" 30 960 720
if check state "$WORK/reports/save.json" "$WORK/reports/fresh.json" >/dev/null; then
    echo "web_test: seed 8 without a load gave the saved state; the load proved nothing" >&2
    exit 1
fi

# 3. The contest: typed into the console and played with the mouse on the
#    page, against the same input as a desktop script. Page events give the
#    cursor in canvas pixels from the top-left; the script in framebuffer
#    pixels from the bottom-left (the first-person view is zoomed twice).
cat >"$WORK/native/contest.script" <<EOF
$(sed -e 's/^5 cursor 320 240$/5 cursor 160 120/' \
      -e 's/^60 cursor 400 200$/60 cursor 400 280/' \
      -e 's/^100 cursor 200 300$/100 cursor 200 180/' "$HERE/contest.events")
EOF
XDG_PICTURES_DIR="$WORK/native/pictures" \
"$NATIVE/delve" --headless --fast-clock --seed 7 --input "$WORK/native/contest.script" \
    --frames 130 --data-dir "$NATIVE/data" --save-dir "$WORK/native/saves" \
    --dump-state "$WORK/native/contest.json"
run_page contest "$WORK/profile-contest" "seed=7&frames=130&events=contest.events"
check state "$WORK/reports/contest.json" "$WORK/native/contest.json"
turns=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["state"]["contest"]["turnNumber"])' \
    "$WORK/reports/contest.json")
[ "$turns" -gt 0 ] || { echo "web_test: the contest played no turn" >&2; exit 1; }
echo "web_test: the contest played $turns turns as on the desktop"
check download "$WORK/reports/contest.json" # F12 offered a PNG download

# 4. A value the program refuses, from the URL or in an input script, stops
#    the game with its own words on the page, shown as text.
run_page badframes "$WORK/profile-bad" "seed=7&frames=-5"
check stopped "$WORK/reports/badframes.json" 'delve: --frames: needs a count 0..2000000000, not "-5"' \
    frames seed=7
run_page badscript "$WORK/profile-bad" "seed=7&frames=10&input=markup.script"
check stopped "$WORK/reports/badscript.json" 'input script line 1: bad frame number: "<img' \
    input frames=10
echo "web_test: all browser checks passed (results in $WORK)"
