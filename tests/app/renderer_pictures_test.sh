#!/usr/bin/env bash
# The desktop program through each renderer (--renderer gl1 and gles2,
# headless): the first-person view, the map, the cell edge overlay and the
# contest look the same, within the browser tests' tolerance of the gl1
# picture (a pixel differs when a channel is more than 8 off; at most 1% may,
# as rasterisers place a few rock edge pixels differently); the state dumps,
# with their world and unit digests, and the saved slot files are the same
# bytes.
#
# Usage: renderer_pictures_test.sh [BUILD_DIR]   (default: build/)
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BIN=$(cd "${1:-$ROOT/build}" && pwd)
WORK=$(mktemp -d /tmp/delve-renderers.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

fail() { echo "renderer_pictures_test: $*" >&2; exit 1; }
# Debian's own python3, which has python3-pil.
check() { /usr/bin/python3 "$ROOT/tests/web/page_check.py" "$@"; }

# The web test's page scripts with the cursor in framebuffer pixels.
sed -e 's/^5 cursor 200 303$/5 cursor 100 88/' "$ROOT/tests/web/edges.events" >"$WORK/edges.script"
sed -e 's/^5 cursor 320 240$/5 cursor 160 120/' -e 's/^60 cursor 400 200$/60 cursor 400 280/' \
    -e 's/^100 cursor 200 300$/100 cursor 200 180/' "$ROOT/tests/web/contest.events" >"$WORK/contest.script"

for api in gl1 gles2; do
    out="$WORK/$api"
    mkdir -p "$out/pictures"
    run() {
        XDG_PICTURES_DIR="$out/pictures" "$BIN/delve" --headless --fast-clock --seed 7 \
            --renderer "$api" --data-dir "$BIN/data" "$@" || fail "$api: delve $* failed"
    }
    run --input "$ROOT/tests/app/tour.script" --frames 410 --save-dir "$out/tour-saves" \
        --screenshot "60:$out/first-person.png" --screenshot "130:$out/map.png" \
        --dump-state "$out/tour.json"
    run --input "$WORK/edges.script" --frames 41 --save-dir "$out/edges-saves" \
        --screenshot "40:$out/edges.png" --dump-state "$out/edges.json"
    run --input "$WORK/contest.script" --frames 130 --save-dir "$out/contest-saves" \
        --screenshot "129:$out/contest.png" --dump-state "$out/contest.json"
    # Typed into the console: "save game 3", after an F12 screenshot.
    run --input "$ROOT/tests/web/save.events" --frames 80 --save-dir "$out/slots" \
        --dump-state "$out/save.json"
    [ -n "$(ls "$out/slots")" ] || fail "$api: the console's save wrote no slot"
done

for shot in first-person map edges contest; do
    check pictures "$WORK/gles2/$shot.png" "$WORK/gl1/$shot.png" 8 0.01 ||
        fail "the gles2 picture $shot is not the gl1 picture"
done
# The tolerance would pass a picture without most of its edge lines; the
# lines themselves are counted.
gl1_white=$(check white "$WORK/gl1/edges.png" 0 | sed -n 's/^page_check: \([0-9]*\) white.*/\1/p')
[ "${gl1_white:-0}" -gt 100 ] || fail "the gl1 picture shows no cell edges"
check white "$WORK/gles2/edges.png" $((gl1_white * 9 / 10)) ||
    fail "the gles2 picture shows fewer cell edges than the gl1 picture"
for dump in tour edges contest save; do
    cmp "$WORK/gl1/$dump.json" "$WORK/gles2/$dump.json" ||
        fail "the state dumps of $dump differ between the renderers"
done
diff -r "$WORK/gl1/slots" "$WORK/gles2/slots" || fail "the saved slots differ between the renderers"
echo "renderer_pictures_test: both renderers draw the same pictures and keep the same game"
