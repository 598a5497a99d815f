# Sourced by the scripts that run Voltrim: a virtual 240 x 320 x 24 screen on a
# free display number, one Wine prefix, and one persistent wineserver, all
# ended by voltrim_env_stop (which the caller traps on EXIT).

# voltrim_env_start PREFIX [virtual]: starts the screen (unless a usable
# DISPLAY is set and "virtual" is not asked for), prepares the prefix once and
# starts its wineserver.
voltrim_env_start() {
  local prefix=$1 mode=${2:-virtual}
  export WINEPREFIX=$prefix
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  VOLTRIM_XVFB_PID=""
  unset VOLTRIM_VIRTUAL_SCREEN
  if [ "$mode" = virtual ] || [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 240x320x24 -nolisten tcp >/dev/null 2>&1 &
    VOLTRIM_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    export VOLTRIM_VIRTUAL_SCREEN=1
  fi
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/.voltrim-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Wine's own fonts (Tahoma for captions, Marlett for the close box) are not
    # found in Debian's data folder: give them to the prefix.
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.voltrim-ready"
  fi
  voltrim_window_manager
  wineserver -p
  # Bring Wine's own background processes up now, detached from the caller's
  # pipes: started by a test they would keep its output open.
  wineboot </dev/null >/dev/null 2>&1 || true
}

# No window manager on a virtual screen: Wine then draws the captions itself.
# On the user's display the window manager frames the windows as usual.
voltrim_window_manager() {
  local want=${VOLTRIM_VIRTUAL_SCREEN:+virtual} key='HKCU\Software\Wine\X11 Driver' v
  want=${want:-user}
  [ "$(cat "$WINEPREFIX/.voltrim-screen" 2>/dev/null)" = "$want" ] && return 0
  for v in Managed Decorated; do
    if [ "$want" = virtual ]; then
      wine reg add "$key" /v "$v" /t REG_SZ /d N /f >/dev/null 2>&1
    else
      wine reg delete "$key" /v "$v" /f >/dev/null 2>&1 || true
    fi
  done
  wineserver -w
  echo "$want" >"$WINEPREFIX/.voltrim-screen"
}

voltrim_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${VOLTRIM_XVFB_PID:-}" ]; then
    kill "$VOLTRIM_XVFB_PID" 2>/dev/null || true
    wait "$VOLTRIM_XVFB_PID" 2>/dev/null || true
    VOLTRIM_XVFB_PID=""
  fi
}
