#!/usr/bin/env bash
# Benchmark: installs what is missing, builds, and runs Voltrim.exe under Wine
# on a virtual 240 x 320 screen with the display on, for the periods 100, 600
# and 2000 ms and the solid, dotted and blinking styles; prints a table of
# CPU time (program and wineserver), memory, cycle rate, store reads and
# device contexts per cycle, and stop and takeover times. About six minutes.
# BENCH_WINDOW_S sets the seconds of display measured per run (default 10);
# extra arguments go to tests/bench/bench.py (e.g. --periods 100 --styles solid).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" >/dev/null

. "$root/scripts/wine-env.sh"
trap voltrim_env_stop EXIT
voltrim_env_start "$BUILD_DIR/wineprefix" virtual

trace_dir=$(mktemp -d)
python3 "$root/tests/bench/bench.py" "$BUILD_DIR/tests/bench/voltrim_bench.exe" \
  --window "${BENCH_WINDOW_S:-10}" --trace-dir "$trace_dir" "$@"
rm -rf "$trace_dir"
