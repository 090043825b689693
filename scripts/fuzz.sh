#!/usr/bin/env bash
# Fuzzes the readers of recordings with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer for the given number of seconds in all (default
# 70), half each: the WAV reader alone, then the entry that opens recordings
# of every kind (our WAV reader, FFmpeg for everything else). Exits non-zero
# when either finds a crash, a broken check, a leak or a hang.
#
# Only the readers and the number helpers are compiled, against Qt Core and
# FFmpeg's libraries (which are not instrumented: the checks reach our code
# and every byte FFmpeg hands it). The corpora start from the reader tests'
# files, from files sox writes and from tiny recordings of every kind that
# ffmpeg makes; what the fuzzers learn is kept in build-fuzz/corpus-* for the
# next run, and an input that fails lands in build-fuzz/artifacts (rerun it
# with build-fuzz/fuzz_wav_reader FILE or build-fuzz/fuzz_recording FILE).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-70}
out=$here/build-fuzz
cxx=${FUZZ_CXX:-$(command -v clang++ || command -v clang++-14 || true)}
if [ -z "$cxx" ]; then
  echo "clang++ is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
missing() { # tool: fails under CI, else says what the corpus lacks
  if [ -n "${CI:-}" ]; then
    echo "$1 is missing" >&2
    exit 1
  fi
  echo "$1 is missing: the corpus starts without its files" >&2
}
mkdir -p "$out/corpus-wav" "$out/corpus-recording" "$out/artifacts"

# Qt's headers want position-independent code.
read -r -a qt_cflags <<<"$(pkg-config --cflags Qt6Core)"
read -r -a qt_libs <<<"$(pkg-config --libs Qt6Core)"
av=(libavformat libavcodec libswresample libavutil)
read -r -a av_cflags <<<"$(pkg-config --cflags "${av[@]}")"
read -r -a av_libs <<<"$(pkg-config --libs "${av[@]}")"
src=$here/src
common=(-std=c++20 -g -O1 -fPIC -Wall -Wextra -I"$src" "${qt_cflags[@]}")
fuzz=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
readers=("$src/wavein/WavReader.cpp" "$src/state/Numbers.cpp")

echo "== building the fuzz targets with $cxx =="
# Side by side: each takes one core. Both are waited for by their ids, and
# either failing stops the script (once the other is done, so no compiler is
# left running) before an old binary can be fuzzed.
"$cxx" "${common[@]}" "${fuzz[@]}" "$here/fuzz/fuzz_wav_reader.cpp" "${readers[@]}" \
  "${qt_libs[@]}" -o "$out/fuzz_wav_reader" &
wav_build=$!
"$cxx" "${common[@]}" "${av_cflags[@]}" "${fuzz[@]}" "$here/fuzz/fuzz_recording.cpp" \
  "$src/wavein/AudioFile.cpp" "$src/wavein/MediaDecoder.cpp" "${readers[@]}" \
  "${qt_libs[@]}" "${av_libs[@]}" -o "$out/fuzz_recording" &
recording_build=$!
built=0
wait "$wav_build" || built=$?
wait "$recording_build" || built=$?
[ "$built" -eq 0 ] || exit "$built"
"$cxx" "${common[@]}" -I"$here/tests" "$here/fuzz/write_seeds.cpp" "${qt_libs[@]}" \
  -o "$out/write_seeds"

echo "== seed corpora =="
seeds=$out/seeds
rm -rf "$seeds" "$out/seeds-ffmpeg"
mkdir -p "$seeds" "$out/seeds-ffmpeg"
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
else
  missing sox
fi
if command -v ffmpeg >/dev/null; then
  # A twentieth of a second of two tones, and a picture of 16 x 16 for the videos.
  tone='aevalsrc=0.5*sin(2*PI*440*t)|0.25*sin(2*PI*660*t):s=8000:d=0.05'
  picture='testsrc=s=16x16:r=5:d=0.05'
  n=0
  while IFS='|' read -r name args video; do
    inputs=(-f lavfi -i "$tone")
    [ -z "$video" ] || inputs+=(-f lavfi -i "$picture" -shortest)
    # shellcheck disable=SC2086 # the arguments are words
    ffmpeg -nostdin -v error -y "${inputs[@]}" $args -map_metadata -1 -fflags +bitexact \
      -flags +bitexact "$out/seeds-ffmpeg/$name"
    n=$((n + 1))
  done <<'KINDS'
a.flac|-sample_fmt s16|
b.oga|-c:a flac -sample_fmt s32|
c.ogg|-c:a libvorbis|
d.opus|-c:a libopus|
e.mp3|-c:a libmp3lame -b:a 32k|
f.m4a|-c:a aac -b:a 32k|
g.m4a|-c:a alac|
h.aiff||
i.webm|-c:a libopus -c:v libvpx|v
j.mkv|-c:a flac -c:v mpeg4|v
k.mp4|-c:a aac -b:a 32k -c:v mpeg4|v
l.wav|-c:a pcm_mulaw|
m.wav|-c:a pcm_alaw|
n.wav|-c:a adpcm_ima_wav|
o.wav|-c:a adpcm_ms|
p.caf|-c:a pcm_f32be|
KINDS
  echo "$n files from ffmpeg"
else
  missing ffmpeg
fi

# Inputs up to 4 KiB hold every header layout and some frames; longer ones
# only slow each run down.
run() { # target, seconds, corpus folders
  local target=$1 time=$2
  shift 2
  echo "== fuzzing $target for $time s =="
  "$out/$target" -max_total_time="$time" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/" "$@"
}
run fuzz_wav_reader $((seconds / 2)) "$out/corpus-wav" "$seeds"
run fuzz_recording $((seconds - seconds / 2)) "$out/corpus-recording" "$seeds" "$out/seeds-ffmpeg"
