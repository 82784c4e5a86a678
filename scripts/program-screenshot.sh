#!/usr/bin/env bash
# Starts the desktop program under its own X server (Xvfb), waits for its main
# window, prints the window's title, photographs the screen into OUT.png and
# ends the program with Alt+F4. Exits non-zero when any step fails, or when
# the program does not end within 10 s of the key.
#   program-screenshot.sh PROGRAM OUT.png [ARGUMENT]
# Run it through xvfb-run: xvfb-run -a -s "-screen 0 1024x768x24" program-screenshot.sh ...
set -euo pipefail
program=$1 out=$2
shift 2
"$program" "$@" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Lyricforge - ' | head -1)
sleep 1  # let the first paint land
xdotool getwindowname "$window"
import -window root "$out"
xdotool windowfocus --sync "$window" key --clearmodifiers alt+F4
for _ in $(seq 100); do
  kill -0 $pid 2>/dev/null || { wait $pid; trap - EXIT; exit 0; }
  sleep 0.1
done
echo "the program did not end after Alt+F4" >&2
exit 3
