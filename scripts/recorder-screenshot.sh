#!/usr/bin/env bash
# Makes docs/recorder.png: Tavrel's own recorder while it records, over the
# main window on the design screen (640 x 480, with a window manager). A
# private sound server (start-pulse.sh) stands in for the microphone: its
# null sink's monitor is the default input and the vowel "i" example plays
# into the sink in a loop, so the level meter and the time move as they do
# with a voice. For people changing the recorder; no test needs it. Needs
# Xvfb, openbox, xdotool, ImageMagick (import), pulseaudio and
# pulseaudio-utils. Usage:
#   bash scripts/recorder-screenshot.sh [build folder, default build]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
for tool in Xvfb openbox xdotool import pulseaudio pactl paplay; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
display=:$((90 + RANDOM % 400))
export DISPLAY=$display
# The take is saved in this folder, not in the user's Music folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
export TAVREL_PULSE_DIR=$work/pulse
export PULSE_SERVER=unix:$TAVREL_PULSE_DIR/pulse/native
export PULSE_COOKIE=$TAVREL_PULSE_DIR/.config/pulse/cookie
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    bash "$here/scripts/stop-pulse.sh"
    rm -rf "$work"
}
trap cleanup EXIT
bash "$here/scripts/start-pulse.sh"
pactl set-default-sink null
pactl set-default-source null.monitor
( while paplay "$here/examples/vowel_i_250hz.wav"; do :; done ) >/dev/null 2>&1 & pids+=($!)

Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1.5
"$build/tavrel" "$here/examples/vowel_i_250hz.wav" >/dev/null 2>&1 & pids+=($!)
main=$(xdotool search --sync --name '^Tavrel$' | head -1)
sleep 2
xdotool windowactivate --sync "$main" key ctrl+r # マイクから録音…
recorder=$(xdotool search --sync --name '^録音$' | head -1)
sleep 0.5
xdotool windowactivate --sync "$recorder" key alt+s # 録音開始
sleep 3.2
import -window root "$here/docs/recorder.png"
echo "wrote docs/recorder.png"
xdotool windowactivate --sync "$recorder" key alt+t # 停止: saved and loaded
sleep 1
