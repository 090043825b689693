#!/usr/bin/env bash
# Makes docs/voiceprint.png: the voiceprint window showing a sustained vowel
# "あ" spoken by espeak-ng, under a private Xvfb display. For developers;
# needs espeak-ng, sox, Xvfb, xdotool and ImageMagick's import.
#   scripts/voiceprint-screenshot.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
for tool in espeak-ng sox Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# About 0.6 s of steady vowel, stretched to 2.7 s with its pitch kept, at
# the 22050 Hz the picture was drawn up for.
espeak-ng -v ja -m -w "$work/raw.wav" "<speak><prosody rate='x-slow'>あー</prosody></speak>"
sox "$work/raw.wav" "$work/vowel_a.wav" trim 0.05 0.6 tempo -s 0.22 rate 22050

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

"$build/tavrel" "$work/vowel_a.wav" >/dev/null 2>&1 &
app_pid=$!
xdotool search --sync --name '^Tavrel$' >/dev/null
sleep 1
# 声紋(&S): the seventh button of the column, left 8, top 352, 89 x 25.
main=$(xdotool search --name '^Tavrel$' | head -1)
xdotool mousemove --window "$main" 52 364 click 1
voice=$(xdotool search --sync --name '^声紋$' | head -1)
sleep 2 # the drawing takes a fraction of that
import -window "$voice" "$here/docs/voiceprint.png"
echo "wrote $here/docs/voiceprint.png"
