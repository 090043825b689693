#!/usr/bin/env bash
# Makes the short recordings a class can start from, with sox, into the
# folder this script lives in. Each is about one second long and strictly
# periodic, so that one period marked on the magnified plot gives clean
# harmonics. Running it again gives the same files.
set -euo pipefail
cd "$(dirname "$0")"
command -v sox >/dev/null || { echo "sox is needed (apt-get install sox)" >&2; exit 1; }

rate=22050
len=1.0
fade="fade t 0.01 $len 0.01"

# A synthesised vowel: harmonics of f0 weighted by a falling slope (-6 dB per
# octave: glottal source and lip radiation together) and by three vocal-tract
# resonances (formants), summed with sox's remix. Arguments: output, f0, F1, F2, F3, sox output options.
vowel() {
  local out=$1 f0=$2 f1=$3 f2=$4 f3=$5
  shift 5
  local count sines mix
  count=$(awk -v f0="$f0" 'BEGIN { print int(4000 / f0) }')
  sines=$(awk -v n="$count" -v f0="$f0" 'BEGIN { for (k = 1; k <= n; k++) printf "sine %g ", k * f0 }')
  mix=$(awk -v n="$count" -v f0="$f0" -v f1="$f1" -v f2="$f2" -v f3="$f3" '
    function peak(f, fc, bw) { return 1 / sqrt((1 - (f / fc) ^ 2) ^ 2 + (f * bw / fc ^ 2) ^ 2) }
    BEGIN {
      for (k = 1; k <= n; k++) {
        f = k * f0
        a = (peak(f, f1, 90) + 0.7 * peak(f, f2, 110) + 0.3 * peak(f, f3, 160)) / k
        printf "%s%dv%.5f", (k > 1 ? "," : ""), k, a
      }
    }')
  # shellcheck disable=SC2086
  sox -D -c "$count" -r "$rate" -n "$@" "$out" synth "$len" $sines remix "$mix" gain -n -3 $fade
}

# Japanese "a" at a man's pitch, 16-bit mono; "i" at a child's pitch, 8-bit mono.
vowel vowel_a_130hz.wav 130 750 1150 2500 -c 1 -b 16
vowel vowel_i_250hz.wav 250 300 2300 3000 -c 1 -b 8

# A pure tone: a single harmonic.
sox -D -n -r "$rate" -c 1 -b 8 sine_440hz.wav synth "$len" sine 440 gain -3 $fade
# A square wave: odd harmonics at 1/k.
sox -D -n -r "$rate" -c 1 -b 16 square_220hz.wav synth "$len" square 220 gain -4 $fade
# A sawtooth: every harmonic at 1/k; stereo 8-bit, the same on both channels.
sox -D -n -r "$rate" -c 2 -b 8 sawtooth_220hz.wav synth "$len" sawtooth 220 gain -4 $fade
# Two tones together, a fifth apart (440 Hz and 660 Hz): stereo 16-bit.
sox -D -c 2 -r "$rate" -n -c 2 -b 16 two_tones_440_660hz.wav synth "$len" sine 440 sine 660 \
  remix 1v0.5,2v0.5 1v0.5,2v0.5 gain -n -3 $fade

ls -l ./*.wav
