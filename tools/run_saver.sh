#!/bin/sh
# Runs velta2.scr full-screen under Wine. On a real display it runs until the mouse moves or a
# key is pressed; without one it runs on a virtual display for a few seconds and saves
# screenshots.
set -eu
BUILD=${BUILD:-build}
. "$(dirname "$0")/wine_env.sh"
SCR="$BUILD/velta2.scr"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    wineboot -i >/dev/null 2>&1 || true
    exec wine "$SCR" /s
fi

start_virtual_display 800x600x24
trap 'wineserver -k 2>/dev/null || true; kill $XVFB_PID 2>/dev/null || true' EXIT
wineboot -i >/dev/null 2>&1 || true
shots="$BUILD/screenshots"
mkdir -p "$shots"
wine "$SCR" /s >"$shots/saver.log" 2>&1 &
saver=$!
for second in 3 6 9; do
    sleep 3
    import -window root "$shots/saver-${second}s.png"
    echo "screenshot: $(cd "$shots" && pwd)/saver-${second}s.png"
done
xdotool key Escape
wait $saver || true
