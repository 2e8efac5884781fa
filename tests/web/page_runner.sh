#!/usr/bin/env bash
# Sourced by the page tests and the page benchmark: serves a copy of the
# browser build (WEB) with the test scripts on 127.0.0.1 and loads pages in
# headless Chromium until they post their results into $WORK/reports.
# Needs HERE (tests/web), ROOT, WEB and WORK.
CHROMIUM=${CHROMIUM:-chromium}
PAGE_TIMEOUT=${DELVE_PAGE_TIMEOUT:-240}
mkdir -p "$WORK/reports"

pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -- "-$p" 2>/dev/null || true; done
}
trap cleanup EXIT

SITE="$WORK/site"
rm -rf "$SITE"
mkdir -p "$SITE"
cp "$WEB"/index.html "$WEB"/delve-page.js "$WEB"/delve.js "$WEB"/delve.wasm "$WEB"/delve.data "$SITE/"
cp "$ROOT/tests/app/tour.script" "$HERE"/*.events "$HERE"/*.script "$SITE/"

rm -f "$WORK/port"
setsid python3 "$HERE/serve.py" "$SITE" "$WORK/reports" "$WORK/port" &
pids+=($!)
for _ in $(seq 100); do [ -s "$WORK/port" ] && break; sleep 0.1; done
PORT=$(cat "$WORK/port")
BASE="http://127.0.0.1:$PORT/index.html"

# run_page NAME PROFILE QUERY: loads the page until it reports.
run_page() {
    local name=$1 profile=$2 query=$3 report="$WORK/reports/$1.json"
    rm -f "$report"
    setsid "$CHROMIUM" --headless=new --no-sandbox --use-angle=swiftshader \
        --enable-unsafe-swiftshader --window-size=1024,900 --user-data-dir="$profile" \
        --no-first-run --disable-background-timer-throttling \
        "$BASE?$query&report=$name" >"$WORK/$name.chromium.log" 2>&1 &
    local pid=$! waited=0
    while [ ! -s "$report" ]; do
        kill -0 "$pid" 2>/dev/null || { echo "page_runner: Chromium ended before the page $name reported" >&2
            tail -20 "$WORK/$name.chromium.log" >&2; return 1; }
        [ $((waited += 1)) -le $((PAGE_TIMEOUT * 10)) ] || { kill -- "-$pid" 2>/dev/null
            echo "page_runner: the page $name did not report within ${PAGE_TIMEOUT}s" >&2; return 1; }
        sleep 0.1
    done
    kill -- "-$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "page_runner: page $name reported"
}
