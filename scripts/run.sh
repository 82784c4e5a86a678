#!/usr/bin/env bash
# `make run`: starts the desktop program when there is a display; without one,
# renders a demo stream with the command-line tool and says where it is.
set -euo pipefail
build=${1:-build}
cli="$build/lyricforge-cli"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/lyricforge" ]; then
  exec "$build/lyricforge"
fi
out="$build/demo"
mkdir -p "$out"
"$cli" demo-stream -o "$out/demo.cdg"
"$cli" render "$out/demo.cdg" --at 2.5 -o "$out/demo.png" --scale 2
echo "No display: rendered the demo stream to $out/demo.png (stream: $out/demo.cdg)"
