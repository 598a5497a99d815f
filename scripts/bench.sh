#!/usr/bin/env bash
# Benchmark: what Voltrim's display costs. Installs what is missing (the
# native peer xbattbar too), builds, and under Wine on a virtual 240 x 320
# screen, at a battery faked at 73 % (scripts/battery.sh), measures from
# /proc the CPU of the program, the Wine server and the X server: each period
# (100, 600, 1000, 2000 ms) and style (solid, dotted, blinking; at 100 ms
# also the level changing every cycle, and no battery) with the display on
# and off in the same instance, one platform call at a time, and xbattbar
# on the same screen and battery, in three interleaved rounds; prints the
# tables of README.md's Benchmark section. About 14 minutes.
# BENCH_WINDOW_S sets the seconds of each measured window (default 6); extra
# arguments go to tests/bench/bench.py, e.g. --periods 100 --styles dotted
# (about a minute and a half), --rounds 1, --no-peer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

. "$root/scripts/battery.sh"
VOLTRIM_PACKAGE_SETS=bench voltrim_battery_enter "$0" "$@"

. "$root/scripts/wine-env.sh"
trace_dir=$(mktemp -d)
trap 'voltrim_env_stop; rm -rf "$trace_dir"' EXIT
voltrim_env_start "$BUILD_DIR/wineprefix" virtual
voltrim_battery_set_level 73

python3 "$root/tests/bench/bench.py" "$BUILD_DIR/tests/bench/voltrim_bench.exe" \
  "$BUILD_DIR/tests/bench/voltrim_percall.exe" --xvfb-pid "$VOLTRIM_XVFB_PID" \
  --window "${BENCH_WINDOW_S:-6}" --trace-dir "$trace_dir" "$@"
