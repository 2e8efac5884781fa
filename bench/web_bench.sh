#!/usr/bin/env bash
# Frames per second of the browser build in headless Chromium (SwiftShader
# WebGL), first-person and map view, and the page's time to its first frame.
# The runs use the virtual clock, so no wait paces the frames: the rate is
# what the page can draw.
#
# Usage: bench/web_bench.sh WEB_BUILD_DIR [FRAMES]
set -euo pipefail
HERE=$(cd "$(dirname "$0")/../tests/web" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
WEB=$(cd "$1" && pwd)
FRAMES=${2:-1200}
WORK=$(mktemp -d /tmp/delve-web-bench.XXXXXX)
source "$HERE/page_runner.sh"

summary() { # NAME: median of the one-second samples after the first, and the first frame
    python3 - "$WORK/reports/$1.json" "$1" <<'PY'
import json, statistics, sys
r = json.load(open(sys.argv[1]))
samples = r.get('fps', {}).get('samples', [])[1:] or r.get('fps', {}).get('samples', [])
fps = statistics.median(samples) if samples else float('nan')
print("%-13s %7.1f fps (median of %d one-second samples)   first frame %5d ms" %
      (sys.argv[2], fps, len(samples), r['timing']['firstFrameMs']))
PY
}

run_page first-person "$WORK/profile-fp" "seed=7&frames=$FRAMES&meter=1"
run_page map "$WORK/profile-map" "seed=7&frames=$FRAMES&meter=1&events=map.events"
echo "Chromium $("$CHROMIUM" --version 2>/dev/null | awk '{print $2}'), SwiftShader WebGL, $(nproc) cores"
summary first-person
summary map
