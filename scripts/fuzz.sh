#!/usr/bin/env bash
# Fuzzes the WAV reader for the given number of seconds (default 60) with
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, and exits
# non-zero when it finds a crash, a broken check, a leak or a hang.
#
# Only the reader and the number helpers are compiled, against Qt Core. The
# corpus starts from the reader tests' files and from files sox writes; what
# the fuzzer learns is kept in build-fuzz/corpus for the next run, and an
# input that fails lands in build-fuzz/artifacts (rerun it with
# build-fuzz/fuzz_wav_reader FILE).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out=$here/build-fuzz
cxx=${FUZZ_CXX:-$(command -v clang++ || command -v clang++-14 || true)}
if [ -z "$cxx" ]; then
  echo "clang++ is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
mkdir -p "$out/corpus" "$out/artifacts"

# Qt's headers want position-independent code.
read -r -a qt_cflags <<<"$(pkg-config --cflags Qt6Core)"
read -r -a qt_libs <<<"$(pkg-config --libs Qt6Core)"
numbers=$here/src/state/Numbers.cpp
common=(-std=c++20 -g -O1 -fPIC -Wall -Wextra -I"$here/src" "${qt_cflags[@]}")

echo "== building the fuzz target with $cxx =="
"$cxx" "${common[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -fno-omit-frame-pointer "$here/fuzz/fuzz_wav_reader.cpp" "$here/src/wavein/WavReader.cpp" \
  "$numbers" "${qt_libs[@]}" -o "$out/fuzz_wav_reader"
"$cxx" "${common[@]}" -I"$here/tests" "$here/fuzz/write_seeds.cpp" "${qt_libs[@]}" \
  -o "$out/write_seeds"

echo "== seed corpus =="
seeds=$out/seeds
rm -rf "$seeds"
mkdir -p "$seeds"
"$out/write_seeds" "$seeds"
if command -v sox >/dev/null; then
  n=0
  for spec in "8000 8 1" "11025 8 2" "22050 16 1" "44100 16 2" "48000 24 1" "32000 24 2" \
    "16000 32 1" "8000 16 3"; do
    read -r rate bits channels <<<"$spec"
    sox -D -n -r "$rate" -b "$bits" -c "$channels" "$seeds/sox$((n++)).wav" synth 0.004 sine 440
  done
  sox -D -n -r 8000 -b 32 -c 2 -e floating-point "$seeds/sox$((n++)).wav" synth 0.004 square 300
  echo "$n files from sox"
elif [ -n "${CI:-}" ]; then
  echo "sox is missing" >&2
  exit 1
else
  echo "sox is missing: the corpus starts without its files" >&2
fi

echo "== fuzzing for $seconds s =="
# Inputs up to 4 KiB hold every header layout and some frames; longer ones
# only slow each run down.
"$out/fuzz_wav_reader" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$out/artifacts/" \
  "$out/corpus" "$seeds"
