#!/usr/bin/env bash
# Previews of a video in the real program under Xvfb: a library whose book "shelf" holds the
# album "trip" of the 75 s 1080p fixture (a white square moving across the picture). Enter on
# the book window's cell opens the album. The pointer on the left of the video cell's picture,
# then on its right, must change the cell's pixels each time (from each other and from the
# stored thumbnail); off the cell, the stored picture must be back. Enter plays the video; the
# pointer over the seek bar must show the window "プレビュー", and away from the bar hide it.
# Afterwards the strip must be in the cache folder and nothing new in the library folder.
# With TAVIMO_PREVIEW_SHOTS=FOLDER the screen is saved there at each stage.
set -euo pipefail
binary=$1
fixtures=$2
source "$(dirname "$0")/xvfb-library.sh"
shelf_with_trip "$fixtures/h264_1920x1080_75s.mp4"
export XDG_CACHE_HOME="$work/cache"
export TAVIMO_PREVIEW_SHOTS="${TAVIMO_PREVIEW_SHOTS:-}" SHOT="$work/shot.ppm"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
shot() {
  [ -z "$TAVIMO_PREVIEW_SHOTS" ] || ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" \
    -frames:v 1 "$TAVIMO_PREVIEW_SHOTS/$1.png" || true
}
# The first video cell's picture: 120 x 90 at (5, 4) of the grid, the album window's top.
picture() { screen_pixels "$album" 5 4 120 90; }
# Waits up to 30 s until the picture's digest is not one of the given ones; prints it.
picture_other_than() {
  local now
  for _ in $(seq 1 150); do
    now=$(picture) || true
    if [ -n "$now" ] && ! [[ " $* " == *" $now "* ]]; then echo "$now"; return 0; fi
    sleep 0.2
  done
  return 1
}

book=$(find_window 'shelf ブック') || fail "no book window"
press "$book" Return "xdotool search --onlyvisible --name 'trip ～' >/dev/null 2>&1" ||
  fail "Enter on the album's cell did not open it"
album=$(find_window 'trip ～')
eval "$(xdotool getwindowgeometry --shell "$album")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 40)) # the empty grid, off every cell
# The thumbnail is made as the album shows: the pattern's red quadrant at the top left.
made=false
for _ in $(seq 1 150); do
  IFS=, read -r r g b <<<"$(screen_pixels "$album" 35 34 || echo 0,0,0)"
  if [ "$r" -gt 150 ] && [ "$g" -lt 100 ]; then made=true; break; fi
  sleep 0.2
done
$made || fail "the video's thumbnail never showed"
sleep 1
stored=$(picture)
shot 1-stored

xdotool mousemove $((X + 5 + 6)) $((Y + 4 + 45))
left=$(picture_other_than "$stored") || fail "the pointer on the picture's left changed nothing"
shot 2-left
xdotool mousemove $((X + 5 + 114)) $((Y + 4 + 45))
right=$(picture_other_than "$stored" "$left") || fail "the pointer on the picture's right showed no other frame"
shot 3-right
echo "the cell showed $left on the left and $right on the right of $stored"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 40))
back=false
for _ in $(seq 1 50); do
  if [ "$(picture)" = "$stored" ]; then back=true; break; fi
  sleep 0.2
done
$back || fail "the stored picture did not come back when the pointer left"
shot 4-back

press "$album" Return "xdotool search --onlyvisible --name '^MoviePlayer clip.mp4$' >/dev/null 2>&1" ||
  fail "Enter on the video's cell did not open the player"
player=$(find_window '^MoviePlayer clip.mp4$')
sleep 2 # the bar learns the duration
eval "$(xdotool getwindowgeometry --shell "$player")"
# The seek bar: 20 pixels high at the top of the 60-pixel control bar, 2 pixels in.
bar_y=$((Y + HEIGHT - 60 + 12))
shown=false
for x in $((WIDTH / 3)) $((WIDTH / 2)) $((2 * WIDTH / 3)); do
  xdotool mousemove $((X + x)) "$bar_y"
  for _ in $(seq 1 50); do
    if xdotool search --onlyvisible --name '^プレビュー$' >/dev/null 2>&1; then shown=true; break 2; fi
    sleep 0.2
  done
done
$shown || fail "the pointer over the seek bar showed no プレビュー window"
sleep 0.5
shot 5-seekbar
xdotool mousemove $((X + WIDTH / 2)) $((Y + 40))
hidden=false
for _ in $(seq 1 50); do
  if ! xdotool search --onlyvisible --name '^プレビュー$' >/dev/null 2>&1; then hidden=true; break; fi
  sleep 0.2
done
$hidden || fail "the プレビュー window stayed when the pointer left the seek bar"
echo "the seek bar's preview showed and hid"
close_trip
SESSION
[ -z "$TAVIMO_PREVIEW_SHOTS" ] || mkdir -p "$TAVIMO_PREVIEW_SHOTS"
run_session "$binary"

strips=$(find "$work/cache/Tavimo/previews" -type f 2>/dev/null | wc -l)
if [ "$strips" -lt 1 ]; then echo "FAIL: no preview strip in the cache folder"; exit 1; fi
in_library=$(find "$lib" -regextype posix-extended -regex '.*/[0-9a-f]{32}\.pjpg' | wc -l)
if [ "$in_library" -ne 0 ]; then echo "FAIL: preview strips in the library folder"; exit 1; fi
echo "$strips strip(s) in the cache folder, none in the library"
echo "preview test passed"
