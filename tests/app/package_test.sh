#!/usr/bin/env bash
# The Debian package installed as a player installs it: its version is the
# project's, the programs run from /usr/games in / with no flag and play the
# build tree's world from /usr/share/games/delve, the manual pages open, and
# removing the package leaves none of its files behind.
#   tests/app/package_test.sh BUILD_DIR DEB
# Needs root (or sudo) for dpkg.
set -euo pipefail
BUILD=${1:?usage: package_test.sh BUILD_DIR DEB}
DEB=${2:?usage: package_test.sh BUILD_DIR DEB}
BUILD=$(cd "$BUILD" && pwd)
DEB=$(cd "$(dirname "$DEB")" && pwd)/$(basename "$DEB")
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TMP=$(mktemp -d)
chmod 755 "$TMP"
SUDO=()
[ "$(id -u)" -ne 0 ] && SUDO=(sudo)
# A failed run purges what it installed, so the next run starts clean.
installed=0
cleanup() {
    [ $installed -eq 1 ] && "${SUDO[@]}" dpkg -P delve >/dev/null 2>&1
    rm -rf "$TMP"
}
trap cleanup EXIT
fail() { echo "package test: $*" >&2; exit 1; }
trap 'echo "package test: line $LINENO failed" >&2' ERR

# One version: project() in CMakeLists.txt, the package and both programs.
version=$(sed -n 's/^project(delve VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
[ "$(dpkg-deb -f "$DEB" Package)" = delve ] || fail "$DEB is not the delve package"
[ "$(dpkg-deb -f "$DEB" Version)" = "$version" ] ||
    fail "the package is version $(dpkg-deb -f "$DEB" Version), the project $version"

"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive dpkg -i "$DEB" >"$TMP/dpkg.txt" 2>&1 ||
    "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -f install -y -qq >>"$TMP/dpkg.txt" 2>&1 ||
    { cat "$TMP/dpkg.txt" >&2; fail "the package did not install"; }
installed=1
dpkg-query -W -f='${Status}' delve | grep -q "install ok installed" ||
    { cat "$TMP/dpkg.txt" >&2; fail "the package is not installed after dpkg -i"; }
dpkg -L delve >"$TMP/files.txt"

for program in delve delve-sim; do
    [ "$(/usr/games/$program --version)" = "$program $version" ] ||
        fail "/usr/games/$program --version says $(/usr/games/$program --version)"
done
for path in /usr/share/games/delve /usr/share/applications/delve.desktop \
            /usr/share/metainfo/delve.metainfo.xml /usr/share/icons/hicolor/48x48/apps/delve.png \
            /usr/share/icons/hicolor/256x256/apps/delve.png /usr/share/doc/delve/copyright; do
    grep -qx "$path" "$TMP/files.txt" || fail "the package does not hold $path"
done

# From /, with no flag: the data is found from the program's own folder.
# Saves and settings would go to the temporary home, never into /.
before=$(ls -A /)
(cd / && env HOME="$TMP/home" XDG_DATA_HOME="$TMP/xdg" /usr/games/delve --headless --fast-clock --frames 3 --seed 17 \
    --dump-state "$TMP/installed.json" --screenshot "2:$TMP/installed.png") >"$TMP/out.txt" 2>&1 ||
    { cat "$TMP/out.txt" >&2; fail "the installed delve failed"; }
(cd / && env HOME="$TMP/home" /usr/games/delve-sim --seed 5 --turns 50) >"$TMP/sim.txt" 2>&1 ||
    { cat "$TMP/sim.txt" >&2; fail "the installed delve-sim failed"; }
[ "$before" = "$(ls -A /)" ] || fail "the programs wrote into /"
for page in delve delve-sim; do
    text=$(cd / && MANWIDTH=80 man -P cat "$page" 2>&1) || fail "man $page: $text"
    grep -q "$page" <<<"$text" || fail "man $page shows no page of it"
done

# The build tree's program, with the build's data, plays the same world and
# draws the same frame; delve-sim prints the same table.
(cd "$TMP" && "$BUILD/delve" --headless --fast-clock --frames 3 --seed 17 --data-dir "$BUILD/data" \
    --save-dir "$TMP/unused" --dump-state "$TMP/built.json" --screenshot "2:$TMP/built.png") >/dev/null 2>&1 ||
    fail "the build tree's delve failed"
for digest in worldFnv1a64 unitsFnv1a64; do
    installed_digest=$(grep "\"$digest\"" "$TMP/installed.json")
    [ -n "$installed_digest" ] && [ "$installed_digest" = "$(grep "\"$digest\"" "$TMP/built.json")" ] ||
        fail "$digest: installed $installed_digest, built $(grep "\"$digest\"" "$TMP/built.json")"
done
cmp -s "$TMP/installed.png" "$TMP/built.png" || fail "the installed delve draws another frame"
"$BUILD/delve-sim" --seed 5 --turns 50 --data-dir "$BUILD/data" >"$TMP/sim-built.txt" 2>&1
cmp -s "$TMP/sim.txt" "$TMP/sim-built.txt" || fail "the installed delve-sim prints another contest"

# Removal: every file the package listed is gone, and dpkg forgets it.
"${SUDO[@]}" dpkg -r delve >"$TMP/dpkg.txt" 2>&1 || { cat "$TMP/dpkg.txt" >&2; fail "dpkg -r failed"; }
left=""
while IFS= read -r path; do
    [ "$path" = /. ] && continue
    # Folders the package shares with the system (/usr/games, hicolor) stay.
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        case "$path" in
        /usr/share/games/delve* | /usr/share/doc/delve) left+=" $path" ;;
        esac
    elif [ -e "$path" ] || [ -L "$path" ]; then
        left+=" $path"
    fi
done <"$TMP/files.txt"
[ -z "$left" ] || fail "left behind after dpkg -r:$left"
if dpkg-query -W -f='${Status}' delve 2>/dev/null | grep -qv "not-installed"; then
    fail "dpkg still knows delve: $(dpkg-query -W -f='${Status}' delve)"
fi
installed=0
echo "package test: passed"
