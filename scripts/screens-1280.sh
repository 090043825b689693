#!/usr/bin/env bash
# Makes the two pictures that show the strip and the voiceprint true on a real
# screen (1280 x 800, with a window manager), from the real program:
#   docs/two-tones-1280x800.png       the main window with the two-tone example
#   docs/voiceprint-2000hz-1280x800.png   the voiceprint of a 2000 Hz tone
# For people changing those plots; no test needs it. Needs Xvfb, openbox,
# xdotool, sox and ImageMagick (import). Usage:
#   bash scripts/screens-1280.sh [build folder, default build]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
for tool in Xvfb openbox xdotool sox import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
display=:$((90 + RANDOM % 400))
export DISPLAY=$display
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1.5

# Starts the program on a recording and waits for its main window.
start() {
    PULSE_SERVER=unix:/nonexistent "$build/tavrel" "$1" >/dev/null 2>&1 &
    app=$!
    pids+=("$app")
    main=$(xdotool search --sync --name '^Tavrel$' | head -1)
    sleep 2
}

start "$here/examples/two_tones_440_660hz.wav"
import -window root "$here/docs/two-tones-1280x800.png"
kill "$app"

sox -n -r 22050 -b 16 -c 1 "$work/tone-2000hz.wav" synth 3 sine 2000 vol 0.5
start "$work/tone-2000hz.wav"
# 声紋(&S): the seventh button of the column, left 8, top 352, 89 x 25.
xdotool mousemove --window "$main" 52 364 click 1
voice=$(xdotool search --sync --name '^声紋$' | head -1)
sleep 2
import -window "$voice" "$here/docs/voiceprint-2000hz-1280x800.png"
echo "wrote docs/two-tones-1280x800.png and docs/voiceprint-2000hz-1280x800.png"
