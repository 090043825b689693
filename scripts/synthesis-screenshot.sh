#!/usr/bin/env bash
# Makes docs/synthesis.png: the real program on a 1024 x 768 Xvfb screen with
# a window manager, driven as a student would with xdotool: load the vowel
# example, magnify, mark one period, analyse, open 倍音の合成 and step to
# N = 8. For people changing the window; no test needs it.
# Needs: Xvfb, openbox, xdotool, ImageMagick (import). Usage:
#   bash scripts/synthesis-screenshot.sh [build folder, default build]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
display=:$((90 + RANDOM % 400))
export DISPLAY=$display

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 & pids+=($!)
sleep 1.5
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1.5
# No sound is played; without a server the program carries on silently.
PULSE_SERVER=unix:/nonexistent "$build/tavrel" >/dev/null 2>&1 & pids+=($!)
sleep 3

click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.5}"; }
click 52 237 2 # 読込: the file dialog opens in examples/
xdotool type --delay 20 vowel_a_130hz.wav
xdotool key Return
sleep 2
click 300 50     # the whole wave: magnify from there
click 181 200    # one period on the magnified wave, peak to peak
click 351 200
click 52 301 1   # ﾌｰﾘｴ変換
click 52 333 2   # 倍音の合成
for _ in 1 2 3 4 5 6 7; do click 315 31 0.3; done # the scroll bar's right arrow
sleep 1
import -window root "$here/docs/synthesis.png"
echo "wrote $here/docs/synthesis.png"
