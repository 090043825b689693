#!/usr/bin/env bash
# Makes one picture of each extra of the right-button menus, from the real
# program on a 1024 x 768 Xvfb screen with a window manager, driven with
# xdotool as a student would (the extras by their keys):
#   docs/extra-suggested-period.png   周期を自動で探す on the vowel "a" example
#   docs/extra-note-names.png         基本振動数を音名で表示
#   docs/extra-harmonic-table.png     倍音の表…
#   docs/extra-synthesis-menu.png     the synthesis window's right-button menu
#   docs/extra-overlay.png            元の波形を重ねる at N = 8
#   docs/extra-phases-zero.png        位相: すべて 0, with the overlay
#   docs/extra-voiceprint.png         倍音の線を重ねる and ポインタの位置を表示
# The program keeps its settings in a folder of its own here, so the user's
# own switches are neither read nor changed. For people changing the extras;
# no test needs it. Needs Xvfb, openbox, xdotool, ImageMagick (import). Usage:
#   bash scripts/extras-screenshots.sh [build folder, default build]
# SCREEN=1920x1080 OUT=/tmp/shots takes them on another screen size, elsewhere.
set -euo pipefail
# shellcheck source=scripts/screen.sh
source "$(dirname "$0")/screen.sh"
screen_begin "${1:-build}"
screen=${SCREEN:-1024x768}
export XDG_CONFIG_HOME=$work/config
start_screen "$screen"

# No sound is played; without a server the program carries on silently.
PULSE_SERVER=unix:/nonexistent "$build/tavrel" "$here/examples/vowel_a_130hz.wav" \
    >/dev/null 2>&1 & pids+=($!)
find_window '^Tavrel$' >/dev/null
sleep 3

click() { xdotool mousemove "$1" "$2" click "${4:-1}"; sleep "${3:-0.5}"; }
# The same inside a window, from its top-left corner.
click_in() { xdotool mousemove --window "$1" "$2" "$3" click "${5:-1}"; sleep "${4:-0.5}"; }
key() { xdotool key "$1"; sleep "${2:-0.7}"; }
shot() { import -window "$1" "$out/$2.png"; echo "wrote $out/$2.png"; }

click $((${screen%x*} * 2 / 5)) 50 1 # the whole wave: magnify from there
key ctrl+t            # 周期を自動で探す
shot root extra-suggested-period
key ctrl+n            # 基本振動数を音名で表示
shot root extra-note-names
click 52 301 1        # ﾌｰﾘｴ変換
key ctrl+h 1.5        # 倍音の表…
table=$(find_window '^倍音の表$')
shot "$table" extra-harmonic-table
key Escape 1

click 52 333 2        # 倍音の合成
synth=$(find_window '^波形の復元$')
eval "$(xdotool getwindowgeometry --shell "$synth")"
# The scroll bar's right arrow (the bar: left 88, top 0, 65 x 17): N = 8.
for _ in 1 2 3 4 5 6 7; do click_in "$synth" 145 8 0.3; done
click_in "$synth" $((WIDTH * 3 / 4)) $((HEIGHT / 2)) 1 3 # the right picture's menu
shot root extra-synthesis-menu
key Escape
key ctrl+o            # 元の波形を重ねる
shot "$synth" extra-overlay
key ctrl+2            # 位相: すべて 0
shot "$synth" extra-phases-zero
key ctrl+1            # back to the measured phases
key Escape 1          # closes the synthesis window

click 52 364 3        # 声紋: drawn as it opens
voice=$(find_window '^声紋$')
key ctrl+l            # 倍音の線を重ねる
key ctrl+i            # ポインタの位置を表示
eval "$(xdotool getwindowgeometry --shell "$voice")"
xdotool mousemove --window "$voice" $((WIDTH * 3 / 10)) $((HEIGHT * 3 / 5)) # over the plot
sleep 1
shot "$voice" extra-voiceprint
