#!/usr/bin/env bash
# Builds Tavrel's Debian package, installs it on this machine, checks that the
# installed program and its desktop files are what a desktop expects, and
# removes the package again, whatever the outcome. Run as root, after
# scripts/install-deps.sh. Leaves the package in build-pkg/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build-pkg
app_id=io.github.tavrel.Tavrel

if [ "$(id -u)" -ne 0 ]; then
  echo "package-check: installing a package needs root" >&2
  exit 1
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

echo "== build the program (optimised, no tests or benchmarks) =="
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DTAVREL_BENCH=OFF -DTAVREL_SANITIZE=OFF >/dev/null
cmake --build "$build" -j "${TAVREL_JOBS:-2}" --target tavrel
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

echo "== make the package =="
rm -f "$build"/tavrel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/tavrel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made no package" >&2; exit 1; }
dpkg-deb -f "${debs[0]}" Package Version Depends Recommends

echo "== install it =="
if dpkg-query -W -f='${Status}' tavrel 2>/dev/null | grep -q 'install ok installed'; then
  echo "note: tavrel was installed before this check; it is replaced now and removed at the end" >&2
fi
trap 'echo "== remove it =="; DEBIAN_FRONTEND=noninteractive apt-get remove -y -q tavrel >/dev/null || true' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${debs[0]}" >/dev/null
[ "$(dpkg-query -W -f='${Version}' tavrel)" = "$version" ] && ok "installed tavrel $version" ||
  fail "installed version is not $version"

echo "== the installed program answers without a display =="
# Runs /usr/bin/tavrel with the given arguments and no display; sets out, err, rc.
run_bare() {
  local o e
  o=$(mktemp) e=$(mktemp)
  rc=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/tavrel "$@" >"$o" 2>"$e" || rc=$?
  out=$(cat "$o") err=$(cat "$e")
  rm -f "$o" "$e"
}
lines() { [ -z "$1" ] && echo 0 || printf '%s\n' "$1" | wc -l; }
run_bare --version
[ $rc -eq 0 ] && [ "$out" = "Tavrel $version" ] && [ -z "$err" ] && ok "--version: $out" ||
  fail "--version gave rc=$rc, out='$out', err='$err'"
run_bare --help
[ $rc -eq 0 ] && [ "$(lines "$out")" -eq 1 ] && [ -z "$err" ] && ok "--help: $out" ||
  fail "--help gave rc=$rc, $(lines "$out") lines, err='$err'"
run_bare --no-such-option
[ $rc -eq 2 ] && [ "$(lines "$err")" -eq 1 ] && [ -z "$out" ] && ok "unknown option: exit 2, one line" ||
  fail "unknown option gave rc=$rc, out='$out', err='$err'"
run_bare
[ $rc -eq 1 ] && [ "$(lines "$err")" -eq 1 ] && ok "no display: exit 1, one line" ||
  fail "start without a display gave rc=$rc, err='$err'"

echo "== the installed program starts on an X server =="
# Still running after a few seconds means the platform plugin, fonts and
# libraries it needs were all found; timeout's 124 is the good answer.
rc=0
xvfb-run -a -s "-screen 0 1024x768x24" timeout 5 /usr/bin/tavrel >/dev/null 2>&1 || rc=$?
[ $rc -eq 124 ] && ok "runs under Xvfb" || fail "under Xvfb the program ended with $rc"

echo "== desktop entry and AppStream metadata =="
desktop=/usr/share/applications/$app_id.desktop
metainfo=/usr/share/metainfo/$app_id.metainfo.xml
# Hints are advice; errors and warnings are faults.
if report=$(desktop-file-validate "$desktop" 2>&1) && ! grep -qE ': (error|warning):' <<<"$report"; then
  ok "desktop-file-validate $desktop"
else
  fail "desktop-file-validate: $report"
fi
[ -n "$report" ] && echo "$report" | sort -u
if appstreamcli validate --pedantic --no-net "$metainfo"; then
  ok "appstreamcli validate --pedantic $metainfo"
else
  fail "appstreamcli validate $metainfo"
fi
release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$release" = "$version" ] && ok "newest AppStream release is $version" ||
  fail "newest AppStream release is '$release', the program is $version"

echo "== icons, as a menu finds them =="
png_size() { # width and height from the PNG header
  od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'
}
for px in 16 22 24 32 48 64 128 256; do
  f=/usr/share/icons/hicolor/${px}x${px}/apps/$app_id.png
  [ -f "$f" ] && [ "$(png_size "$f")" = "${px}x${px}" ] && ok "$f" || fail "missing or wrong size: $f"
done
svg=/usr/share/icons/hicolor/scalable/apps/$app_id.svg
[ -f "$svg" ] && grep -q '<svg' "$svg" && ok "$svg" || fail "missing: $svg"
# The theme lookup a menu does: Icon= of the entry, in a directory that the
# hicolor theme's index lists (an icon anywhere else is never found).
icon=$(sed -n 's/^Icon=//p' "$desktop")
theme=/usr/share/icons/hicolor/index.theme
if [ ! -f "$theme" ]; then
  fail "$theme is missing (hicolor-icon-theme not installed)"
else
  dirs=$(sed -n 's/^Directories=//p' "$theme" | tr ',' '\n')
  found=0
  for d in $dirs; do
    for ext in png svg; do
      [ -f "/usr/share/icons/hicolor/$d/$icon.$ext" ] && found=$((found + 1))
    done
  done
  [ $found -eq 9 ] && ok "Icon=$icon found in 9 hicolor directories" ||
    fail "Icon=$icon found in $found hicolor directories instead of 9"
fi
exec_bin=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ "$(command -v "$exec_bin")" = /usr/bin/tavrel ] && ok "Exec=$exec_bin is /usr/bin/tavrel" ||
  fail "Exec=$exec_bin does not find /usr/bin/tavrel"

echo "== manual page, examples, Debian documents =="
man=/usr/share/man/man1/tavrel.1.gz
gzip -t "$man" 2>/dev/null && zcat "$man" | grep -q "^\.TH TAVREL 1 .*\"Tavrel $version\"" &&
  ok "$man" || fail "missing or broken: $man"
n=$(find /usr/share/tavrel/examples -name '*.wav' 2>/dev/null | wc -l)
[ "$n" -gt 0 ] && ok "$n example recordings" || fail "no example recordings installed"
for f in /usr/share/doc/tavrel/copyright /usr/share/doc/tavrel/changelog.gz; do
  [ -f "$f" ] && ok "$f" || fail "missing: $f"
done

if [ $failures -ne 0 ]; then
  echo "package-check: $failures check(s) failed" >&2
  exit 1
fi
echo "package-check: all checks passed"
