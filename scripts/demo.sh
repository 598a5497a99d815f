#!/usr/bin/env bash
# Installs what is missing, builds, and runs Voltrim on a virtual 240 x 320
# screen through its main states (display on at the bottom edge, dotted,
# blinking, each edge, the About box), saving one PNG per state into
# $BUILD_DIR/demo. The demo driver clicks the real dialog; its Wine prefix
# lives in the build folder so that the kept settings of scripts/run.sh are
# never touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
out="$BUILD_DIR/demo"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

. "$root/scripts/wine-env.sh"
trap voltrim_env_stop EXIT
voltrim_env_start "$BUILD_DIR/demo-wineprefix" virtual

rm -rf "$out"
mkdir -p "$out"
# Wine reaches the Unix file system through drive Z:.
wine "$BUILD_DIR/tests/demo/voltrim_demo.exe" "Z:$out"
echo "Pictures in $out"
