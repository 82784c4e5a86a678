#!/usr/bin/env bash
# Photographs the desktop program's pages and dialogs for the manual: starts
# the built program on the demo song under its own X server, drives it with
# key presses (and one click) from page to page, and writes each window as a
# PNG into the manual's folder. Builds nothing; run `make build` first.
#   scripts/manual-screenshots.sh [BUILD_DIR] [OUT_DIR]
# Needs xvfb-run, xdotool and ImageMagick's import; optipng when present.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=$(mkdir -p "${2:-$root/resources/manual}" && cd "${2:-$root/resources/manual}" && pwd)
if [ ! -x "$build/lyricforge" ] || [ ! -x "$build/lyricforge-cli" ]; then
  echo "build the programs first (make build)" >&2
  exit 2
fi

# Always a private X server of a known size, never the desktop in front of you.
if [ -z "${LF_MANUAL_SHOTS_X:-}" ]; then
  LF_MANUAL_SHOTS_X=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$out"
fi

work=$(mktemp -d)
pid=""
taken=()
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# A fresh home and preferences file, silent sound and a private temporary
# folder; the demo project lies in ~/Songs, as the File menu's list shows it.
export HOME=$work XDG_CONFIG_HOME=$work/config TMPDIR=$work SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
readonly kWidth=760 kHeight=560  # the main window, roomier than its first-start size

# The demo song, as `make run` builds it.
cli=$build/lyricforge-cli
songs=$work/Songs
mkdir -p "$songs"
"$cli" synth-demo -o "$songs/twinkle.wav" >/dev/null
"$cli" new --force -o "$songs/twinkle.lfp" --music "$songs/twinkle.wav" --lyrics "$root/resources/demo/twinkle.lrc" >/dev/null
"$cli" set "$songs/twinkle.lfp" "artist=Traditional" "title=Twinkle, Twinkle, Little Star" >/dev/null
# Title and credits pages, so their settings show something.
"$cli" set "$songs/twinkle.lfp" titlePage.enabled=1 'titlePage.text=Twinkle, Twinkle,\nLittle Star\n\nTraditional' \
  creditsPage.enabled=1 'creditsPage.text=Words by Jane Taylor\n\nMade with Lyricforge' >/dev/null
# Play Final counts from the start of the title page: its lead-in comes before the music.
lead_in=$("$cli" compile "$songs/twinkle.lfp" -o "$work/twinkle.cdg" --json | sed 's/.*"leadIn":\([0-9]*\).*/\1/')

# The visible window whose name matches $1, waited for up to 15 s.
window() {
  local id
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1) && [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.3
  done
  echo "no window named '$1'" >&2
  exit 3
}
# Key presses into window $1 (there is no window manager to give the focus back when a dialog closes).
keys() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  shift
  xdotool key --clearmodifiers --delay 80 "$@"
  sleep 0.6
}
# Waits for the paint to land, then writes window $1 as $2.png.
shot() {
  sleep 0.8
  import -window "$1" "$out/$2.png"
  taken+=("$out/$2.png")
  echo "$2.png"
}
# Writes the part of the screen under window $1 (menus open over it included) as $2.png.
shot_over() {
  local g
  sleep 0.8
  g=$(xdotool getwindowgeometry --shell "$1")
  eval "$(echo "$g" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$2.png"
  taken+=("$out/$2.png")
  echo "$2.png"
}
# Clicks the middle of what is painted in colour $2 in window $1 (a button drawn in a colour of its own;
# the fuzz takes in its shading but not the lighter lyrics text of the preview).
click_colour() {
  local box w h x y
  import -window "$1" "$work/find.png"
  box=$(convert "$work/find.png" -fuzz 20% -fill black +opaque "$2" -trim -format '%w %h %X %Y' info:)
  read -r w h x y <<<"${box//+/}"
  xdotool mousemove --window "$1" $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.6
}

"$build/lyricforge" "$songs/twinkle.lfp" >"$work/program.log" 2>&1 &
pid=$!
main=$(window '^Lyricforge - twinkle\.lfp')
xdotool windowsize "$main" "$kWidth" "$kHeight" windowmove "$main" 40 40
xdotool windowfocus --sync "$main"
sleep 2  # the music is prepared and the first page laid out

shot "$main" edit-lyrics
keys "$main" alt+f
shot_over "$main" file-menu
keys "$main" Escape
# The Edit menu follows the editor: a word selected in it enables the clipboard items.
xdotool mousemove --window "$main" 40 75 click --repeat 2 --delay 120 1
keys "$main" alt+e
shot_over "$main" edit-menu
keys "$main" Escape

# The settings sheet opens on its Lyrics page; the other two are a tab away.
keys "$main" alt+s
sheet=$(window '^Karaoke Song Settings$')
shot "$sheet" settings-lyrics
keys "$sheet" ctrl+Tab
shot "$sheet" settings-credits
keys "$sheet" ctrl+shift+Tab ctrl+shift+Tab
shot "$sheet" settings-title
# Duet on the Lyrics page opens the duet dialog; both are cancelled.
keys "$sheet" ctrl+Tab
xdotool mousemove --window "$sheet" 400 141 click 1  # the "Duet" choice
duet=$(window '^Duet$')
xdotool windowfocus --sync "$duet"
xdotool type --delay 40 "Him"
keys "$duet" Tab
xdotool type --delay 40 "Her"
keys "$duet" Tab
xdotool type --delay 40 "Both of us"
shot "$duet" duet
keys "$duet" Escape
keys "$sheet" Escape

keys "$main" alt+f e
export=$(window '^Export Song File$')
shot "$export" export
keys "$export" Escape

# Adjust Lyrics with the third word selected, then its play area dialog.
keys "$main" alt+a Right Right
shot "$main" adjust-lyrics
click_colour "$main" cyan
area=$(window '^Adjust Play Area Controls$')
shot "$area" adjust-area
keys "$area" Escape

# Play Final, paused in the middle of the second line (7.6 s into the music).
keys "$main" alt+p space
sleep "$(awk -v frames="$lead_in" 'BEGIN { print frames / 44100 + 7.6 }')"
keys "$main" space
shot "$main" play-final

# Placing again asks first; then the first words are tapped in time with the music.
keys "$main" alt+l
question=$(window '^Confirm Overwriting Placed Lyrics$')
shot "$question" confirm-overwrite
keys "$question" alt+y
keys "$main" Home
start=$(date +%s.%N)
for at in 2.0 3.0 4.0 5.0 6.0; do
  sleep "$(awk -v at="$at" -v start="$start" -v now="$(date +%s.%N)" 'BEGIN { d = at - (now - start); print (d > 0 ? d : 0) }')"
  xdotool key space
done
shot "$main" place-lyrics
keys "$main" End

# Back to Edit Lyrics: the notice about placed lyrics, opened up with More.
keys "$main" alt+d
notice=$(window '^Lyrics Already Placed$')
keys "$notice" Tab space
shot "$notice" lyrics-placed
keys "$notice" Escape

# Exit without saving the demo's new timings.
keys "$main" alt+F4
keys "$(window '^Confirm Closing Project$')" alt+n
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
pid=""

# A window has far fewer than 256 colours that matter: a palette halves the files.
for png in "${taken[@]}"; do convert "$png" -dither None -colors 256 "PNG8:$png"; done
if command -v optipng >/dev/null; then optipng -quiet -o2 "${taken[@]}"; fi
