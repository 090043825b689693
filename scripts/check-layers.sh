#!/usr/bin/env bash
# Checks that every include points down a floor. The folders under src/, top
# to bottom:
#
#   app/                         the main window, start-up, dialogs
#   synthesis/                   the synthesis window
#   analysis/                    region, period, harmonic chart
#   voiceprint/                  the transform and the voiceprint window
#   sound/                       playing, recording, the clock
#   wavein/                      reading and decoding recordings
#   ui/  state/                  the layer over Qt; the shared state floor
#
# A file may include its own folder and any folder below it, never one above;
# ui/ and state/ stand side by side at the ground and include only themselves.
# The model library's own rule (Qt Core at most) is kept by the compiler: it
# is built without Qt Gui and Widgets on its include path.
set -euo pipefail
cd "$(dirname "$0")/../src"
floors=(app synthesis analysis voiceprint sound wavein ui state)
status=0

complain() {
  echo "layers: $1" >&2
  status=1
}

floor_of() { # folder -> its index in floors, or nothing
  local i
  for i in "${!floors[@]}"; do
    [[ ${floors[$i]} == "$1" ]] && echo "$i" && return
  done
}

includes() { # file -> project includes, one per line
  sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$1"
}

for d in */; do
  [[ -n $(floor_of "${d%/}") ]] || complain "src/$d is not on any floor: add it to scripts/check-layers.sh"
done

for f in $(find "${floors[@]}" -name '*.h' -o -name '*.cpp'); do
  own=${f%%/*}
  mine=$(floor_of "$own")
  for inc in $(includes "$f"); do
    dir=${inc%%/*}
    [[ $inc == */* && $dir != "$own" ]] || continue
    theirs=$(floor_of "$dir")
    if [[ -z $theirs ]]; then
      complain "$f includes $inc from outside the floors"
    elif [[ $own == ui || $own == state ]]; then
      complain "$f includes $inc: $own/ is on the ground floor"
    elif ((theirs < mine)); then
      complain "$f reaches up into $inc"
    fi
  done
done
[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
