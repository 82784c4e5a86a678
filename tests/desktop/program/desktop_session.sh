#!/bin/bash
# Drives the desktop program under Xvfb with real key presses and clicks.
# desktop_session.sh SCENARIO PROGRAM PROJECT OUTDIR
#   type:     types lyrics into the Edit Lyrics page, saves with Ctrl+S,
#             photographs the page
#   settings: opens the settings sheet, photographs its three pages, gives
#             the title page a text, OK, Ctrl+S
set -u
scenario=$1 program=$2 project=$3 out=$4
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb  # the tests run offscreen; this program must show

"$program" "$project" > "$out/program.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT

# The visible window whose name holds $1, waited for up to 15 s.
window() {
  local id=""
  for _ in $(seq 1 50); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.3
  done
  echo "$id"
}
# Clicks at (x, y) of window $1; a negative x or y counts from the right or bottom.
click() {
  local geometry w h x=$2 y=$3
  geometry=$(xdotool getwindowgeometry --shell "$1")
  w=$(echo "$geometry" | sed -n 's/^WIDTH=//p')
  h=$(echo "$geometry" | sed -n 's/^HEIGHT=//p')
  [ "$x" -lt 0 ] && x=$((w + x))
  [ "$y" -lt 0 ] && y=$((h + y))
  xdotool mousemove --window "$1" "$x" "$y" click 1
  sleep 0.4
}
shot() { sleep 0.8; import -window root "$out/$1.png"; }

main=$(window "Lyricforge")
[ -n "$main" ] || { echo "no main window"; exit 1; }
sleep 1.5

case $scenario in
  type)
    click "$main" 150 200  # into the lyrics editor
    xdotool type --delay 15 "Hello world"
    xdotool key Return
    xdotool type --delay 15 "second line"
    xdotool key Return asciicircum Return
    xdotool type --delay 15 "next page"
    sleep 0.5
    xdotool key ctrl+s
    shot edit_page
    ;;
  settings)
    click "$main" 150 200
    xdotool key alt+s
    sheet=$(window "Karaoke Song Settings")
    [ -n "$sheet" ] || { echo "no settings sheet"; exit 1; }
    shot settings_lyrics
    click "$sheet" 52 29   # "Title Page"
    shot settings_title
    click "$sheet" 201 29  # "Credits Page"
    shot settings_credits
    click "$sheet" 52 29
    click "$sheet" 30 62   # "Enable this page"
    click "$sheet" 150 120 # the page text
    xdotool type --delay 15 "My New Title"
    shot settings_title_edited
    click "$sheet" -137 -19  # OK
    shot after_ok
    click "$main" 150 200
    xdotool key ctrl+s
    ;;
esac
sleep 1
exit 0
