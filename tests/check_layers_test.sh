#!/usr/bin/env bash
# The layer check must pass on this tree and fail on each planted fault: an
# upward include in every include form, a missing or needless link, a
# header's library linked PRIVATE, a picture encoder's header low down, a GL,
# GLES, EGL, SDL or emscripten header (in any include form) or library
# outside the renderers and the window backends. Each fault is planted alone
# in a scratch copy of the sources.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT

copy_tree() { # destination
    mkdir -p "$1"
    if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git -C "$ROOT" ls-files -z --cached --others --exclude-standard |
            (cd "$ROOT" && xargs -0 cp --parents -t "$1" 2>/dev/null || true)
    else
        tar -C "$ROOT" --exclude='./build*' -cf - . | tar -C "$1" -xf -
    fi
}

fails=0
clean="$SCRATCH/clean"
copy_tree "$clean"
if ! python3 "$clean/cmake/check_layers.py" "$clean" >"$SCRATCH/clean.log" 2>&1; then
    echo "check_layers_test: the check fails on the unchanged tree:"
    cat "$SCRATCH/clean.log"
    exit 1
fi

# plant NAME EXPECTED-MESSAGE COMMAND...: runs COMMAND in a fresh copy, then
# expects the check to fail with a line containing EXPECTED-MESSAGE.
plant() {
    local name=$1 expect=$2
    shift 2
    local tree="$SCRATCH/$name"
    cp -a "$clean" "$tree"
    (cd "$tree" && "$@")
    if python3 "$tree/cmake/check_layers.py" "$tree" >"$SCRATCH/$name.log" 2>&1; then
        echo "check_layers_test: $name: the check passed"
        fails=1
    elif ! grep -qF -- "$expect" "$SCRATCH/$name.log"; then
        echo "check_layers_test: $name: the check failed without \"$expect\":"
        cat "$SCRATCH/$name.log"
        fails=1
    else
        echo "check_layers_test: $name: caught"
    fi
    rm -rf "$tree"
}
add_line() { # file line: puts the line after the file's first line
    sed -i "1a $2" "$1"
}
drop_word() { # file word: removes the word from the file's link lines
    sed -i -E "s/ $2([ )])/\\1/" "$1"
}

plant quoted-up 'world/world.cpp:2: includes "app/game.h"' \
    add_line world/world.cpp '#include "app/game.h"'
plant angle-up 'world/world.cpp:2: includes <app/game.h>' \
    add_line world/world.cpp '#include <app/game.h>'
plant relative-up 'units/hero.cpp:2: includes "../app/game.h"' \
    add_line units/hero.cpp '#include "../app/game.h"'
plant spaced-up 'path/movement.h:2: includes <views/map_view.h>' \
    add_line path/movement.h '#  include   <views/map_view.h>'
plant sibling 'views/map_view.cpp:2: includes "console/console.h"' \
    add_line views/map_view.cpp '#include "console/console.h"'
plant test-up 'tests/views/map_view_test.cpp:2: includes "app/window.h"' \
    add_line tests/views/map_view_test.cpp '#include "app/window.h"'
plant encoder-low 'world/world.cpp:2: includes the graphics header <png.h>' \
    add_line world/world.cpp '#include <png.h>'
# GL and its kin anywhere but gfx/renderers/ and platform/backends/, tests,
# benchmarks and fuzz targets included.
outside='outside gfx/renderers/ and platform/backends/'
plant gl-low "world/world.cpp:2: includes the graphics header <GL/gl.h> $outside" \
    add_line world/world.cpp '#include <GL/gl.h>'
plant gl-in-gfx "gfx/bitmap.cpp:2: includes the graphics header <GL/gl.h> $outside" \
    add_line gfx/bitmap.cpp '#include <GL/gl.h>'
plant glu-quoted "views/first_person.cpp:2: includes the graphics header \"GL/glu.h\" $outside" \
    add_line views/first_person.cpp '#include "GL/glu.h"'
plant gles2 "console/console.cpp:2: includes the graphics header <GLES2/gl2.h> $outside" \
    add_line console/console.cpp '#include <GLES2/gl2.h>'
plant egl-in-a-test "tests/app/game_test.cpp:2: includes the graphics header <EGL/egl.h> $outside" \
    add_line tests/app/game_test.cpp '#include <EGL/egl.h>'
plant sdl "app/main.cpp:2: includes the graphics header <SDL.h> $outside" \
    add_line app/main.cpp '#include <SDL.h>'
plant sdl2-spaced "platform/input.cpp:2: includes the graphics header <SDL2/SDL.h> $outside" \
    add_line platform/input.cpp '#  include  <SDL2/SDL.h>'
plant emscripten "platform/clock.cpp:2: includes the graphics header <emscripten.h> $outside" \
    add_line platform/clock.cpp '#include <emscripten.h>'
plant emscripten-dir "bench/fpv_bench.cpp:2: includes the graphics header \"emscripten/html5.h\" $outside" \
    add_line bench/fpv_bench.cpp '#include "emscripten/html5.h"'
plant gl-in-a-test-of-renderers "tests/gfx/renderers/texture_upload_test.cpp:2: includes the graphics header <GLES2/gl2.h> $outside" \
    add_line tests/gfx/renderers/texture_upload_test.cpp '#include <GLES2/gl2.h>'
plant gl-linked 'delve_gfx: links OpenGL::GL; only gfx/renderers/ and platform/backends/' \
    sed -i 's/PRIVATE ${png_library}/PRIVATE OpenGL::GL ${png_library}/' gfx/CMakeLists.txt
plant sdl-linked 'app_tests: links PkgConfig::SDL2; only gfx/renderers/ and platform/backends/' \
    sed -i 's/delve_tests(app_tests delve_app/delve_tests(app_tests PkgConfig::SDL2 delve_app/' \
        tests/app/CMakeLists.txt
plant egl-linked 'delve_bench: links OpenGL::EGL; only gfx/renderers/ and platform/backends/' \
    sed -i 's/delve_renderers delve_backends delve_warnings/delve_renderers delve_backends OpenGL::EGL delve_warnings/' \
        bench/CMakeLists.txt
plant missing-link 'needs delve_platform, which delve_gfx does not link' \
    drop_word gfx/CMakeLists.txt delve_platform
plant missing-external-link 'needs nlohmann_json::nlohmann_json, which delve_app does not link' \
    drop_word app/CMakeLists.txt nlohmann_json::nlohmann_json
plant private-for-header 'so delve_gfx must link it PUBLIC' \
    sed -i 's/target_link_libraries(delve_gfx PUBLIC delve_platform PRIVATE/target_link_libraries(delve_gfx PRIVATE delve_platform PRIVATE/' \
        gfx/CMakeLists.txt
plant needless-link 'delve_gfx: links delve_world, but none of its files includes a header of it' \
    sed -i 's/target_link_libraries(delve_gfx PUBLIC delve_platform/target_link_libraries(delve_gfx PUBLIC delve_platform delve_world/' \
        gfx/CMakeLists.txt

[ $fails -eq 0 ] && echo "check_layers_test: every planted fault was caught"
exit $fails
