#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine on a
# virtual 240 x 320 screen, at a battery that the tests set (scripts/battery.sh),
# never the host's. Extra arguments go to ctest (e.g. -R Config).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

. "$root/scripts/battery.sh"
voltrim_battery_enter "$0" "$@"

. "$root/scripts/wine-env.sh"
trap voltrim_env_stop EXIT
voltrim_env_start "$BUILD_DIR/wineprefix" virtual

cd "$BUILD_DIR"
ctest --output-on-failure --timeout 300 "$@"
