#!/usr/bin/env bash
# Takes the README's picture of the main window, docs/main-window.png: the
# program runs on a headless display in a scratch folder with the sample
# directory, an operator's keystrokes fill in a message and pick two people,
# and the window alone is captured.
#   TW_RUN_WINDOWS_BUILD  build folder of the windows preset (build/windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
win_build=${TW_RUN_WINDOWS_BUILD:-build/windows}
out=${1:-$root/docs/main-window.png}

cmake --preset windows -B "$win_build" >/dev/null
cmake --build "$win_build" --target Tellwave
exe=$root/$win_build/src/Tellwave.exe

scratch=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
sed 's/$/\r/' tools/sample_pagers.txt >"$scratch/pagers.dat"

export TW_WINE_SLOT=${TW_WINE_SLOT:-8}
eval "$(tools/wine-session.sh env)"
tools/wine-session.sh ensure
(cd "$scratch" && USERPROFILE='C:\users\Public' /usr/lib/wine/wine64 "$exe" >/dev/null 2>&1 </dev/null) &
pid=$!
window=$(timeout 60 xdotool search --sync --name '^Tellwave$' | head -1)
sleep 2
xdotool windowfocus --sync "$window" 2>/dev/null || true
# Message first (the focus starts there), then From with Shift+Tab, then two
# people: Tab twice to the Available list, Down and Down, Tab, Space.
xdotool type --delay 15 "Fire drill at 3 pm, please meet at the north entrance."
xdotool key shift+Tab
xdotool type --delay 15 "Front desk"
xdotool key Tab Tab Down Tab space
sleep 0.3
xdotool key shift+Tab Down Down Tab space
sleep 1
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "main window: $out"
xdotool key alt+F4
sleep 1
