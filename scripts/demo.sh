#!/usr/bin/env bash
# Installs what is missing, builds, and runs Voltrim on a virtual 240 x 320
# screen through its main states (display on at the bottom edge, dotted,
# blinking, each edge, the About box) at a battery faked at 73 %, saving one
# PNG per state into $BUILD_DIR/demo; then lets the battery fall from 100 % to
# 0 % with a frame per step, and makes of those frames the animation
# docs/falling.gif, beside the still docs/level-73.png. The demo driver clicks
# the real dialog; its Wine prefix lives in the build folder so that the kept
# settings of scripts/run.sh are never touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
out="$BUILD_DIR/demo"

. "$root/scripts/battery.sh"
voltrim_battery_enter "$0" "$@"

. "$root/scripts/wine-env.sh"
trap voltrim_env_stop EXIT
voltrim_env_start "$BUILD_DIR/demo-wineprefix" virtual

rm -rf "$out"
mkdir -p "$out/falling"
# Wine reaches the Unix file system through drive Z:.
wine "$BUILD_DIR/tests/demo/voltrim_demo.exe" "Z:$out"
echo "Pictures in $out"

# Doubled without smoothing, so that the one-pixel line stays sharp; each step
# shown 0.3 s, the empty battery 2 s.
frames=("$out"/falling/*.png)
mkdir -p "$root/docs"
convert "$out/1-active-bottom.png" -scale 200% "$root/docs/level-73.png"
convert -loop 0 -delay 30 "${frames[@]:0:${#frames[@]}-1}" -delay 200 "${frames[-1]}" \
  -scale 200% -layers Optimize "$root/docs/falling.gif"
echo "README pictures: docs/level-73.png, docs/falling.gif ($(du -k "$root/docs/falling.gif" | cut -f1) KiB)"
