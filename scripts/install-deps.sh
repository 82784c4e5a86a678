#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Lyricforge
# needs. Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config
  # desktop program
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # media: decoding, WMA encoding, picture loading, the ffmpeg/ffprobe tools
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev ffmpeg
  # MP3 encoding (loaded at run time) and the lame tool for comparisons
  libmp3lame-dev libmp3lame0 lame
  # loudness measurement (EBU R 128) for the even-loudness export
  libebur128-dev
  # tempo and pitch, sound output
  libsoundtouch-dev librubberband-dev libsdl2-dev libpulse-dev
  # a private sound server with a null sink for the heard-time tests
  pulseaudio pulseaudio-utils
  # text
  libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core
  # a family without bold or italic faces, for the synthesised-style tests
  fonts-dejavu-extra
  # faces for Chinese, Japanese and Korean lyrics, and detecting their encodings
  fonts-noto-cjk libuchardet-dev
  # a monochrome face for emoji and symbols that the text faces lack
  fonts-symbola
  # timed lyrics in TTML (XML)
  libxml2-dev
  # onset detection for snapping word starts
  libaubio-dev
  # the automatic first pass: a speech recogniser and its English model
  libpocketsphinx-dev pocketsphinx-en-us
  # a speech synthesiser that sings the test songs whose word times are known
  espeak-ng
  # zip, png
  libzip-dev libpng-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth
  # whole-program tests: key presses and screenshots under Xvfb
  xdotool x11-utils imagemagick
  # the source checks of CI: layout and static analysis
  clang-format clang-tidy
  # the desktop's icons, drawn from the SVG at build time
  librsvg2-bin
  # the manual pages and shell completions the tests read: man, col, bash's and zsh's parsers
  man-db bsdextrautils bash zsh
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
