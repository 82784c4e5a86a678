#!/usr/bin/env bash
# `make run`: builds the demo song's project (Twinkle, Twinkle, Little Star,
# synthesised) and opens it in the desktop program when there is a display;
# without one, exports it to MP3+G with the command-line tool, renders a frame
# of it and says where it all is.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build/lyricforge-cli"
# Only the programs this runs are built (the tests are not).
targets=(lyricforge-cli)
if ninja -C "$build" -t targets all 2>/dev/null | grep -q '^lyricforge:'; then targets+=(lyricforge); fi
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target "${targets[@]}"
out="$build/demo"
mkdir -p "$out"
"$cli" synth-demo -o "$out/twinkle.wav"
"$cli" new --force -o "$out/twinkle.lfp" --music "$out/twinkle.wav" --lyrics "$root/resources/demo/twinkle.lrc"
"$cli" set "$out/twinkle.lfp" "artist=Traditional" "title=Twinkle, Twinkle, Little Star"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/lyricforge" ]; then
  exec "$build/lyricforge" "$out/twinkle.lfp"
fi
"$cli" export "$out/twinkle.lfp" --format mp3g --bitrate 128 --lrc enhanced -o "$out/twinkle.mp3" >/dev/null
"$cli" render "$out/twinkle.cdg" --at 8 -o "$out/twinkle.png" --scale 2
cat <<MSG
No display: exported the demo song to MP3+G.
  audio:   $out/twinkle.mp3
  graphics: $out/twinkle.cdg
  lyrics:  $out/twinkle.lrc
  project: $out/twinkle.lfp
  a frame at 8 s: $out/twinkle.png
MSG
