#!/usr/bin/env bash
# Builds Tellwave and runs it under Wine in ./demo, with a sample pager
# directory and the development SNPP server on 127.0.0.1:444 printing every
# page that arrives.
#
# With a working $DISPLAY the window opens there and the script waits for it
# to close. Without one it runs on a private Xvfb display, sends one page by
# keyboard as an operator would, saves screenshots into demo/ and closes the
# program.
#
#   TW_RUN_WINDOWS_BUILD  build folder of the windows preset (build/windows)
#   TW_RUN_NATIVE_BUILD   build folder of the native preset (build/native)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
win_build=${TW_RUN_WINDOWS_BUILD:-build/windows}
native_build=${TW_RUN_NATIVE_BUILD:-build/native}
demo=$root/demo
wine=/usr/lib/wine/wine64

if [ ! -x "$wine" ] || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [ ! -d .deps/mingw ]; then
  echo "== installing the build tools (tools/setup.sh)"
  tools/setup.sh
fi

echo "== building Tellwave.exe ($win_build) and tellwave-snpp ($native_build)"
cmake --preset windows -B "$win_build" >/dev/null
cmake --build "$win_build" --target Tellwave
cmake --preset native -B "$native_build" >/dev/null
cmake --build "$native_build" --target tellwave-snpp
exe=$root/$win_build/src/Tellwave.exe
snpp=$root/$native_build/tools/snpp/tellwave-snpp

mkdir -p "$demo"
if [ ! -f "$demo/pagers.dat" ]; then
  # A dozen made-up people, with the Windows line ends the program writes.
  sed 's/$/\r/' tools/sample_pagers.txt >"$demo/pagers.dat"
fi

# The program pages port 444, below 1024: binding it needs root or the
# kernel's permission for unprivileged ports.
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
if [ "$(id -u)" = 0 ] || [ "$(cat /proc/sys/net/ipv4/ip_unprivileged_port_start 2>/dev/null || echo 1024)" -le 444 ]; then
  run_server=("$snpp" --port 444)
elif command -v sudo >/dev/null; then
  run_server=(sudo "$snpp" --port 444)
else
  run_server=()
  echo "!! port 444 needs root: no SNPP server runs, and Send will report that the server is unreachable"
fi
if [ ${#run_server[@]} -gt 0 ]; then
  "${run_server[@]}" > >(tee "$demo/snpp.log") 2>&1 &
  pids+=($!)
  sleep 0.5
  echo "== SNPP server on 127.0.0.1:444; pages it receives are printed here and kept in demo/snpp.log"
fi

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX=${WINEPREFIX:-$HOME/.tellwave-wine}
  if [ ! -d "$WINEPREFIX" ]; then
    echo "== creating the Wine prefix $WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  echo "== Tellwave on $DISPLAY; the data are in $demo"
  (cd "$demo" && "$wine" "$exe")
  exit 0
fi

# No display: a private headless session, driven with xdotool.
export TW_WINE_SLOT=${TW_WINE_SLOT:-8}
eval "$(tools/wine-session.sh env)"
tools/wine-session.sh ensure
echo "== no usable \$DISPLAY: Tellwave runs on the headless display $DISPLAY"
(cd "$demo" && "$wine" "$exe" >/dev/null 2>&1 </dev/null) &
pids+=($!)
window=$(timeout 60 xdotool search --sync --name '^Tellwave$' | head -1)
sleep 2
import -window root "$demo/tellwave.png"
echo "== screenshot of the main window: $demo/tellwave.png"

# One page, by keyboard: the focus starts in the message field; Tab leads to
# the Available list, Down picks its first row, Tab leads to the arrow button and
# Space moves the person over; Enter sends from anywhere in the window.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool type --delay 20 "Hello from the run script"
xdotool key Tab Down Tab space
sleep 0.5
xdotool key Return
sleep 3
import -window root "$demo/tellwave-sent.png"
echo "== after sending: $demo/tellwave-sent.png"
xdotool key Return  # dismisses the box that reports the outcome
sleep 1
ls "$demo"/Pages-*.dat >/dev/null 2>&1 && echo "== send log: $(ls "$demo"/Pages-*.dat)"
# The close box's way out, so the directory is compacted as on every exit.
xdotool key alt+F4
sleep 2
