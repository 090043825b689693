# shellcheck shell=bash
# The part every script that takes screenshots of the real program shares: a
# private Xvfb screen with a window manager, a work folder, and everything
# started here stopped again however the script ends. Source it, then:
#   screen_begin BUILD [TOOL...]  the build folder (relative to the work tree
#                                 or absolute) and the tools needed beyond
#                                 Xvfb, openbox, xdotool and import; sets
#                                 build, out (OUT, default docs/), work and
#                                 DISPLAY, and arms the cleanup
#   on_exit FUNCTION              FUNCTION runs in the cleanup too, before the
#                                 work folder goes (a sound server in it, say)
#   start_screen WxH              the screen and its window manager, up
#   find_window NAME_REGEX        the first window of that name, waiting for
#                                 it; fails after 20 s, so a program that died
#                                 as it started ends the script, not hangs it
# Add every process started to `pids`: the cleanup ends them.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
pids=()
_screen_hooks=()
work=

screen_begin() {
    build=$1
    shift
    case "$build" in /*) ;; *) build="$here/$build" ;; esac
    local tool
    for tool in Xvfb openbox xdotool import "$@"; do
        command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
    done
    out=${OUT:-$here/docs}
    mkdir -p "$out"
    work=$(mktemp -d)
    export DISPLAY=:$((90 + RANDOM % 400))
    trap _screen_cleanup EXIT
}

on_exit() { _screen_hooks+=("$1"); }

_screen_cleanup() {
    local p hook
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for hook in "${_screen_hooks[@]}"; do "$hook" || true; done
    [ -z "$work" ] || rm -rf "$work"
}

start_screen() {
    Xvfb "$DISPLAY" -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 & pids+=($!)
    for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >/dev/null 2>&1 & pids+=($!)
    sleep 1.5
}

find_window() {
    local id
    if ! id=$(timeout 20 xdotool search --sync --name "$1" | head -1) || [ -z "$id" ]; then
        echo "no window named $1 came up within 20 s" >&2
        return 1
    fi
    echo "$id"
}
