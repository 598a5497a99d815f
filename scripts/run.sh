#!/usr/bin/env bash
# Installs what is missing, builds, and runs Voltrim under Wine.
#
# With a usable DISPLAY the program shows there and the script ends when the
# program does. Without one it runs on a virtual 240 x 320 screen that nobody
# can click: the screen is saved every 2 s to one PNG (path printed), and after
# VOLTRIM_SECONDS (default 20; 0 = until interrupted) the program is asked to
# close as a window manager would (WM_CLOSE), and a last picture is saved.
# Settings live in a kept Wine prefix, so they survive from one run to the next.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
data=${XDG_DATA_HOME:-$HOME/.local/share}/voltrim
prefix=${VOLTRIM_PREFIX:-$data/wineprefix}
seconds=${VOLTRIM_SECONDS:-20}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

. "$root/scripts/wine-env.sh"
trap voltrim_env_stop EXIT
# An interrupt ends the script through its EXIT trap, screen and server too.
trap 'exit 130' INT TERM
voltrim_env_start "$prefix" user

exe="$BUILD_DIR/app/Voltrim.exe"
if [ -z "${VOLTRIM_VIRTUAL_SCREEN:-}" ]; then
  wine "$exe"
  exit 0
fi

shot=${VOLTRIM_SHOT:-$data/screen.png}
mkdir -p "$(dirname "$shot")"
# Written beside the target and renamed, so that a reader never sees half a file.
save() { import -window root -display "$DISPLAY" "$shot.tmp.png" && mv -f "$shot.tmp.png" "$shot"; }

echo "Virtual screen $DISPLAY; its picture is saved to $shot"
wine "$exe" &
program=$!
start=$SECONDS
while kill -0 "$program" 2>/dev/null && { [ "$seconds" -eq 0 ] || [ $((SECONDS - start)) -lt "$seconds" ]; }; do
  sleep 2
  save
done
save
# taskkill without /f posts WM_CLOSE: the program erases its line and ends as
# it does for a close request.
wine taskkill /im Voltrim.exe >/dev/null 2>&1 || true
wait "$program" || true
echo "Saved $shot"
