#!/usr/bin/env bash
# Checks that every include points down a floor:
#   src/app/state/  (shared state, numbers)  includes nothing of the project above it
#   src/ui/         (the layer over Qt)      includes only ui/
#   wavein/ analysis/ voiceprint/ synthesis/ sound/
#                   reach into app/ only for app/state/
# The model library's own rule (Qt Core at most) is kept by the compiler: it
# is built without Qt Gui and Widgets on its include path.
set -euo pipefail
cd "$(dirname "$0")/../src"
status=0

complain() {
  echo "layers: $1" >&2
  status=1
}

includes() { # file -> project includes, one per line
  sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$1"
}

for f in $(find app/state ui wavein analysis voiceprint synthesis sound -name '*.h' -o -name '*.cpp' 2>/dev/null); do
  for inc in $(includes "$f"); do
    case "$f" in
      app/state/*) [[ $inc == app/state/* ]] || complain "$f includes $inc from above the state floor" ;;
      ui/*) [[ $inc == ui/* ]] || complain "$f includes $inc: ui/ is the ground floor" ;;
      *) [[ $inc == app/* && $inc != app/state/* ]] && complain "$f reaches up into $inc" ;;
    esac
  done
done
[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
