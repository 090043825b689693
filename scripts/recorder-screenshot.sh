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
# SCREEN=1920x1080 OUT=/tmp/shots takes it on another screen size, elsewhere.
set -euo pipefail
# shellcheck source=scripts/screen.sh
source "$(dirname "$0")/screen.sh"
screen_begin "${1:-build}" pulseaudio pactl paplay
# The take is saved in this folder, not in the user's Music folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
export TAVREL_PULSE_DIR=$work/pulse
export PULSE_SERVER=unix:$TAVREL_PULSE_DIR/pulse/native
export PULSE_COOKIE=$TAVREL_PULSE_DIR/.config/pulse/cookie
player=
# The player, then the server (before its folder in the work folder goes).
stop_sound() {
    [ -z "$player" ] || kill -- "-$player" 2>/dev/null || true
    bash "$here/scripts/stop-pulse.sh"
}
on_exit stop_sound
bash "$here/scripts/start-pulse.sh"
pactl set-default-sink null
pactl set-default-source null.monitor
# A process group of its own, ended as one: killing the loop alone would
# leave the paplay of the moment playing to its end.
# shellcheck disable=SC2016 # $1 is the inner shell's
setsid bash -c 'while paplay "$1"; do :; done' player "$here/examples/vowel_i_250hz.wav" \
    >/dev/null 2>&1 &
player=$!

start_screen "${SCREEN:-640x480}"
"$build/tavrel" "$here/examples/vowel_i_250hz.wav" >/dev/null 2>&1 & pids+=($!)
main=$(find_window '^Tavrel$')
sleep 2
xdotool windowactivate --sync "$main" key ctrl+r # マイクから録音…
recorder=$(find_window '^録音$')
sleep 0.5
xdotool windowactivate --sync "$recorder" key alt+s # 録音開始
sleep 3.2
import -window root "$out/recorder.png"
echo "wrote $out/recorder.png"
xdotool windowactivate --sync "$recorder" key alt+t # 停止: saved and loaded
sleep 1
