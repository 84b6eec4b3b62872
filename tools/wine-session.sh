#!/usr/bin/env bash
# One headless Wine session for a test run: a prefix, an Xvfb display and a
# persistent wineserver.
#   wine-session.sh env     prints the variables for this session
#   wine-session.sh ensure  creates whatever is missing (idempotent)
#   wine-session.sh stop    ends the wineserver and the display
# TW_WINE_SLOT (default 0) separates sessions that run side by side.
set -euo pipefail
slot=${TW_WINE_SLOT:-0}
export WINEPREFIX=${WINEPREFIX:-/tmp/tellwave-wine-$slot}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
display=${TW_WINE_DISPLAY:-:$((90 + slot))}
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=$(command -v wineserver)

xvfb_running() { [ -e "/tmp/.X11-unix/X${display#:}" ] && xdpyinfo -display "$display" >/dev/null 2>&1; }

ensure() {
  exec 9>"/tmp/tellwave-wine-$slot.lock"
  flock 9
  if ! xvfb_running; then
    rm -f "/tmp/.X${display#:}-lock" "/tmp/.X11-unix/X${display#:}"
    # The lock descriptor must not outlive this script in the children.
    nohup Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 9>&- &
    for _ in $(seq 100); do xvfb_running && break; sleep 0.1; done
  fi
  export DISPLAY=$display
  if [ ! -f "$WINEPREFIX/.tellwave-ready" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 </dev/null 9>&- || true
    # Without a window manager Wine waits on every hidden window unless
    # it manages the windows itself.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null 9>&-
    # No crash dialog may block a headless run.
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null 9>&-
    "$server" -w
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.tellwave-ready"
  fi
  # A persistent server keeps later Wine processes quick; -p exits 2 when
  # one already runs.
  "$server" -p >/dev/null 2>&1 </dev/null 9>&- || true
}

case "${1:-ensure}" in
  env)
    echo "export WINEPREFIX=$WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY=$display"
    ;;
  ensure) ensure ;;
  stop)
    "$server" -k 2>/dev/null || true
    pkill -f "Xvfb $display " 2>/dev/null || true
    ;;
esac
