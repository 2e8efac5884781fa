#!/usr/bin/env bash
# Fails when an #include points the wrong way between the layers:
#   platform  <- gfx, world <- units <- path <- rules <- views, console <- app
# (tools may use gfx and world; sim, the rules on the command line, may use
# the rules and gfx). The libraries below the views include no
# graphics headers at all, and nothing outside app/ includes app/.
set -euo pipefail
cd "$(dirname "$0")/.."

allowed() {
    case "$1" in
    platform) echo "platform" ;;
    platform/backends) echo "platform/backends platform" ;;
    gfx) echo "gfx platform" ;;
    gfx/renderers) echo "gfx/renderers gfx platform" ;;
    world) echo "world platform" ;;
    units) echo "units world platform" ;;
    path) echo "path units world platform" ;;
    rules) echo "rules path units world platform" ;;
    views) echo "views gfx path units world platform" ;;
    console) echo "console gfx path units world platform" ;;
    tools) echo "tools gfx world platform" ;;
    app) echo "app console views rules gfx/renderers gfx path units world platform/backends platform" ;;
    sim) echo "sim rules gfx path units world platform" ;;
    esac
}
graphical='<(SDL|GL/|EGL/|png\.h)'
nographics="platform world units path rules"

bad=0
check_file() { # file layer
    local file=$1 layer=$2 ok target line
    ok=" $(allowed "$layer") "
    while IFS= read -r line; do
        target=${line#*\"}
        target=${target%%/*}
        # platform/backends/... counts as its own layer
        [[ $line == *'"platform/backends/'* ]] && target=platform/backends
        [[ $line == *'"gfx/renderers/'* ]] && target=gfx/renderers
        if [[ $ok != *" $target "* ]]; then
            echo "layers: $file includes $line (a $layer file may use: $(allowed "$layer"))"
            bad=1
        fi
    done < <(grep -E '^\s*#\s*include\s+"[a-z_]+/' "$file" | sed -E 's/^\s*#\s*include\s+//')
    if [[ " $nographics " == *" $layer "* ]] && grep -qE "^\s*#\s*include\s+$graphical" "$file"; then
        echo "layers: $file includes a graphics header"
        bad=1
    fi
}

for layer in platform platform/backends gfx gfx/renderers world units path rules views console tools app sim; do
    [ -d "$layer" ] || continue
    for f in "$layer"/*.h "$layer"/*.cpp; do
        [ -e "$f" ] && check_file "$f" "$layer"
    done
done
# A source folder nested in a layer must be a layer of its own above, or
# its includes would go unchecked.
while IFS= read -r dir; do
    if [ -z "$(allowed "$dir")" ]; then
        echo "layers: $dir holds sources but is no layer; give it a row in allowed()"
        bad=1
    fi
done < <(find platform gfx world units path rules views console tools app sim -mindepth 1 -type d \
             -exec sh -c 'ls "$1"/*.cpp >/dev/null 2>&1 || ls "$1"/*.h >/dev/null 2>&1' _ {} \; -print 2>/dev/null)

# Tests of the non-graphical layers stay non-graphical: they may use any of
# those layers and the shared test helpers, but no graphics.
for layer in $nographics; do
    [ -d "tests/$layer" ] || continue
    for f in tests/"$layer"/*.h tests/"$layer"/*.cpp; do
        [ -e "$f" ] || continue
        ok=" $nographics tests "
        while IFS= read -r line; do
            target=${line#*\"}
            target=${target%%/*}
            [[ $line == *'"platform/backends/'* ]] && target=platform/backends
        [[ $line == *'"gfx/renderers/'* ]] && target=gfx/renderers
            if [[ $ok != *" $target "* ]]; then
                echo "layers: $f includes $line (tests of $layer may use: $nographics tests)"
                bad=1
            fi
        done < <(grep -E '^\s*#\s*include\s+"[a-z_]+/' "$f" | sed -E 's/^\s*#\s*include\s+//')
        if grep -qE "^\s*#\s*include\s+$graphical" "$f"; then
            echo "layers: $f includes a graphics header"
            bad=1
        fi
    done
done
[ $bad -eq 0 ] && echo "layers: every include points down"
exit $bad
