#!/usr/bin/env bash
# Installs what building, running and testing Tavrel needs on Debian 12.
# Safe to run again: packages already present are left alone.
set -euo pipefail

pkgs=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libpulse-dev # sound output and input through the desktop's audio server
  libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev # decoding recordings
  ffmpeg # makes the test, fuzz and benchmark recordings
  clang libclang-rt-14-dev # libFuzzer, for scripts/fuzz.sh
  fonts-noto-cjk
  xvfb xauth
  sox imagemagick poppler-utils
  openbox xdotool # the screenshot scripts drive the program on an Xvfb screen
  cups printer-driver-cups-pdf cups-client
  dpkg-dev desktop-file-utils appstream hicolor-icon-theme
  pulseaudio pulseaudio-utils
)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run this script as root (or install them with apt-get)." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
