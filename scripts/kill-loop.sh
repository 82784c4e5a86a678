#!/usr/bin/env bash
# Kills set, compile, export and render with SIGKILL at random moments, TRIES
# times each, and checks what a user would find afterwards: the output is the
# old file or the new one byte for byte, and after the next run no temporary
# file of ours is left, beside the outputs or in the temporary folder.
#   scripts/kill-loop.sh [CLI] [TRIES]      (defaults: build/lyricforge-cli, 60)
set -uo pipefail
cli=$(realpath "${1:-build/lyricforge-cli}")
tries=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR" "$work/song"
trap 'rm -rf "$work"' EXIT
cd "$work/song"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cli" synth-demo -o music.wav >/dev/null || { echo "cannot make the music"; exit 2; }
"$cli" new -o song.lfp --music music.wav --lyrics "$root/resources/demo/twinkle.lrc" || exit 2

# Anything but the song's own files beside them, and anything in the
# temporary folder, is a leftover.
leftovers() {
  find "$work/song" -mindepth 1 -maxdepth 1 ! -name music.wav ! -name ref ! -name song.lfp ! -name .song.lfp.lock \
    ! -name song.cdg ! -name frame.png ! -name song.mp3 ! -name song.lrc -print
  find "$TMPDIR" -mindepth 1 -maxdepth 1 -print
}

# Seconds a normal run of the command takes, to spread the kills over it.
duration_of() {
  local start end
  start=$(date +%s.%N)
  ("$@") >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

# Fingerprint of the files named in $1 (space-separated), "absent" for a missing one.
state_of() {
  local f
  for f in $1; do
    if [ -e "$f" ]; then sha256sum <"$f"; else echo absent; fi
  done
}

# run_loop NAME "OUTPUTS" SETUP COMMAND...: the loop for one command. SETUP
# gets the try number and leaves the new files' bytes in ref/.
run_loop() {
  local name=$1 outputs=$2 setup=$3
  shift 3
  local took
  took=$(duration_of "$@")
  for ((i = 1; i <= tries; ++i)); do
    $setup "$i"
    local f old=() new=()
    for f in $outputs; do
      old+=("$(state_of "$f")")
      new+=("$(state_of "ref/$f")")
    done
    local delay
    delay=$(echo "$took * 1.2 * $RANDOM / 32767" | bc -l)
    "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$delay"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    local k=0
    for f in $outputs; do
      local now
      now=$(state_of "$f")
      [ "$now" = "${old[$k]}" ] || [ "$now" = "${new[$k]}" ] ||
        fail "$name try $i: $f is neither the old nor the new file"
      k=$((k + 1))
    done
    # The next run: completes, and leaves nothing of the killed one behind.
    ("$@") >/dev/null 2>&1 || fail "$name try $i: the run after the kill failed"
    for f in $outputs; do
      cmp -s "$f" "ref/$f" || fail "$name try $i: the next run did not write the new $f"
    done
    local left
    left=$(leftovers)
    [ -z "$left" ] || fail "$name try $i: left behind: $left"
  done
  echo "$name: $tries kills over a run of ${took:0:5} s"
}

mkdir -p ref
# set: alternates two titles; the new file is the same set run on a copy.
set_title() {
  title="Title $(( $1 % 2 ))"
  cp song.lfp ref/song.lfp
  "$cli" set ref/song.lfp "title=$title" >/dev/null
}
run_set() { exec "$cli" set song.lfp "title=$title"; }
title="Title 1"
run_loop set song.lfp set_title run_set

same_reference() { :; }
"$cli" set song.lfp "title=Twinkle" >/dev/null
"$cli" compile song.lfp -o ref/song.cdg >/dev/null
run_loop compile song.cdg same_reference "$cli" compile song.lfp -o song.cdg
rm -f song.cdg
"$cli" render song.lfp --at 8 -o ref/frame.png
run_loop render frame.png same_reference "$cli" render song.lfp --at 8 -o frame.png
"$cli" export song.lfp --format mp3g --lrc simple -o ref/song.mp3 >/dev/null
run_loop export "song.mp3 song.cdg song.lrc" same_reference \
  "$cli" export song.lfp --format mp3g --lrc simple -o song.mp3

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "all kills left the old or the new file, and nothing behind"
