#!/usr/bin/env bash
# Makes the two pictures that show the strip and the voiceprint true on a real
# screen (1280 x 800, with a window manager), from the real program:
#   docs/two-tones-1280x800.png       the main window with the two-tone example
#   docs/voiceprint-2000hz-1280x800.png   the voiceprint of a 2000 Hz tone
# For people changing those plots; no test needs it. Needs Xvfb, openbox,
# xdotool, sox and ImageMagick (import). Usage:
#   bash scripts/screens-1280.sh [build folder, default build]
# OUT=/tmp/shots writes them elsewhere.
set -euo pipefail
# shellcheck source=scripts/screen.sh
source "$(dirname "$0")/screen.sh"
screen_begin "${1:-build}" sox
start_screen 1280x800

# Starts the program on a recording and waits for its main window.
start() {
    PULSE_SERVER=unix:/nonexistent "$build/tavrel" "$1" >/dev/null 2>&1 &
    app=$!
    pids+=("$app")
    main=$(find_window '^Tavrel$')
    sleep 2
}

start "$here/examples/two_tones_440_660hz.wav"
import -window root "$out/two-tones-1280x800.png"
kill "$app"

sox -n -r 22050 -b 16 -c 1 "$work/tone-2000hz.wav" synth 3 sine 2000 vol 0.5
start "$work/tone-2000hz.wav"
# 声紋(&S): the seventh button of the column, left 8, top 352, 89 x 25.
xdotool mousemove --window "$main" 52 364 click 1
voice=$(find_window '^声紋$')
sleep 2
import -window "$voice" "$out/voiceprint-2000hz-1280x800.png"
echo "wrote $out/two-tones-1280x800.png and $out/voiceprint-2000hz-1280x800.png"
