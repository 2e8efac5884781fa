#!/usr/bin/env bash
# The include-direction and link-line check of the source tree; see
# check_layers.py for the rules. Usage: check_layers.sh [SOURCE_ROOT]
set -euo pipefail
exec python3 "$(dirname "$0")/check_layers.py" "$@"
