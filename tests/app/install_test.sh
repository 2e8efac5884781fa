#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: program, data, desktop entry,
# icons, AppStream metadata and manual pages, all valid; the installed program
# runs elsewhere on read-only data and saves into the XDG data folder.
#   tests/app/install_test.sh BUILD_DIR
set -euo pipefail
BUILD=${1:?usage: install_test.sh BUILD_DIR}
BUILD=$(cd "$BUILD" && pwd)
TMP=$(mktemp -d)
trap 'chmod -R u+w "$TMP" 2>/dev/null; rm -rf "$TMP"' EXIT
PREFIX=$TMP/prefix

fail() { echo "install test: $*" >&2; exit 1; }
trap 'echo "install test: line $LINENO failed" >&2' ERR
# Runs a command in the working folder $WORK, output to out.txt; on failure shows it and fails with $1.
run_or_fail() { local why=$1; shift; (cd "$WORK" && "$@" >"$TMP/out.txt" 2>&1) || { cat "$TMP/out.txt" >&2; fail "$why"; }; }

cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

# Every other installed file is read or run below, and a missing one named there.
[ -s "$PREFIX/share/doc/delve/LICENSE" ] || fail "missing share/doc/delve/LICENSE"

# The entry and metadata are installed as written (./dev validates those);
# they must name the icon and desktop file by their installed names.
grep -qx 'Icon=delve' "$PREFIX/share/applications/delve.desktop" || fail "desktop entry names no icon"
grep -qF '<launchable type="desktop-id">delve.desktop</launchable>' "$PREFIX/share/metainfo/delve.metainfo.xml" ||
    fail "metainfo does not launch delve.desktop"
# Each icon is a PNG of its size with alpha (IHDR: width, height, depth 8, colour type 6).
for size in 48 256; do
    got=$(od -An -tu1 -j16 -N10 "$PREFIX/share/icons/hicolor/${size}x${size}/apps/delve.png" | xargs)
    want="0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256)) 8 6"
    [[ $got == "$want" ]] || fail "icon ${size}: IHDR $got"
done
# Each manual page formats without warnings and names every flag of its
# --help and DELVE_DATA_DIR; delve's (the last) also its keys and commands.
for program in delve-sim delve; do
    page="$PREFIX/share/man/man6/$program.6"
    warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z "$page" 2>&1) || true
    [ -z "$warnings" ] || fail "manual page of $program: $warnings"
    manual=$(LC_ALL=C.UTF-8 MANWIDTH=100 man -l "$page" 2>/dev/null | col -b)
    for flag in $("$PREFIX/bin/$program" --help | grep -o -- '--[a-z-]*' | sort -u) DELVE_DATA_DIR; do
        grep -q -- "$flag" <<<"$manual" || fail "the manual page of $program does not explain $flag"
    done
done
for key in F12 Escape Tab 'save game' 'load game' env4teleport contest edges XDG_DATA_HOME XDG_PICTURES_DIR; do
    grep -q -- "$key" <<<"$manual" || fail "the manual page does not mention $key"
done

# Run elsewhere on a read-only data folder (compared too: root ignores modes).
chmod -R a-w "$PREFIX/share/delve"
before=$(cd "$PREFIX/share/delve" && find . -type f -exec md5sum {} + | sort)
WORK=$TMP/elsewhere
mkdir -p "$WORK" "$TMP/xdg" "$TMP/home"
# Tab, "save game 4", Enter: one key per two frames.
frame=1
for vk in 9 83 65 86 69 32 71 65 77 69 32 52 13; do
    printf '%d down %d\n%d up %d\n' $frame $vk $((frame + 1)) $vk
    frame=$((frame + 2))
done >"$TMP/save.script"
run_or_fail "the installed program failed" env -u XDG_PICTURES_DIR HOME="$TMP/home" XDG_DATA_HOME="$TMP/xdg" \
    "$PREFIX/bin/delve" --headless --fast-clock --seed 3 --frames 40 --input "$TMP/save.script" \
    --screenshot "0:$TMP/installed.png"
[ -z "$(ls -A "$WORK")" ] || fail "the program wrote into its working directory: $(ls -A "$WORK")"
[ -s "$TMP/xdg/delve/map/SAVEGAME4.check" ] || fail "no save slot in \$XDG_DATA_HOME/delve/map"
after=$(cd "$PREFIX/share/delve" && find . -type f -exec md5sum {} + | sort)
[ "$before" = "$after" ] || fail "the data folder changed"
# The installed data is the build's: the first frame matches the build tree's.
"$BUILD/delve" --headless --fast-clock --seed 3 --frames 1 --screenshot "0:$TMP/built.png" \
    --save-dir "$TMP/unused" >/dev/null 2>&1
cmp -s "$TMP/installed.png" "$TMP/built.png" || fail "the installed program draws another first frame"

# Data is found beside the program, so a moved prefix runs (delve-sim too);
# with no data folder both programs say so and fail.
chmod -R u+w "$PREFIX"
mv "$PREFIX" "$TMP/moved"
PREFIX=$TMP/moved
run_or_fail "a moved install failed" "$PREFIX/bin/delve" --headless --fast-clock --seed 3 --frames 2 --save-dir "$TMP/unused"
run_or_fail "delve-sim of a moved install failed" "$PREFIX/bin/delve-sim" --seed 3
rm -rf "$PREFIX/share/delve"
status=0
(cd "$WORK" && "$PREFIX/bin/delve" --headless --fast-clock --frames 2 >"$TMP/out.txt" 2>&1) || status=$?
[ $status -eq 2 ] && grep -q 'no data folder' "$TMP/out.txt" ||
    { cat "$TMP/out.txt" >&2; fail "without data the program ended with status $status"; }
status=0
(cd "$WORK" && "$PREFIX/bin/delve-sim" --seed 3 >"$TMP/out.txt" 2>&1) || status=$?
[ $status -ne 0 ] && grep -q 'no data folder' "$TMP/out.txt" ||
    { cat "$TMP/out.txt" >&2; fail "without data delve-sim ended with status $status"; }
echo "install test: passed"
