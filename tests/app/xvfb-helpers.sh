# What the scripts that drive the real program under Xvfb share. Sourced by their session
# script once it has started the program as $pid.

fail() { echo "FAIL: $*"; kill $pid 2>/dev/null || true; exit 1; }

# The first visible window whose name matches and that is not the 306 x 88 splash picture,
# waiting up to a minute.
find_window() {
  for _ in $(seq 1 600); do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null || true); do
      w=$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ {print $2}')
      if [ -n "$w" ] && [ "$w" != 306 ]; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  return 1
}

# The screen's pixels in the rectangle x, y, w, h of a window, the screen kept in $SHOT (PPM):
# "r,g,b" for one pixel (w and h left out), otherwise a digest of the rectangle's pixels.
screen_pixels() {
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1") || return 1
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$SHOT" || return 1
  python3 - "$SHOT" "$geometry" "$2" "$3" "${4:-1}" "${5:-1}" <<'PY'
import hashlib, sys
path, geometry = sys.argv[1], sys.argv[2]
x, y, w, h = (int(v) for v in sys.argv[3:7])
at = dict(line.split("=") for line in geometry.split())
x, y = x + int(at["X"]), y + int(at["Y"])
magic, size, depth, pixels = open(path, "rb").read().split(b"\n", 3)
width = int(size.split()[0])
rows = b"".join(pixels[3 * ((y + r) * width + x):3 * ((y + r) * width + x + w)] for r in range(h))
print(",".join(str(c) for c in rows) if w * h == 1 else hashlib.md5(rows).hexdigest())
PY
}

# Presses keys in a window until `until` succeeds: a loaded machine can swallow the first
# presses while a window settles.
press() {
  local window=$1 keys=$2 until=$3
  for _ in 1 2 3 4 5; do
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.5
    xdotool key --delay 200 $keys 2>/dev/null || true
    for _ in $(seq 1 50); do eval "$until" && return 0; sleep 0.1; done
  done
  return 1
}

# Opens the album "trip" of the book "shelf" and plays its video clip.mp4, by Enter on each
# cell; sets $book, $album and $player.
play_trip() {
  book=$(find_window 'shelf ブック') || fail "no book window"
  press "$book" Return "xdotool search --onlyvisible --name 'trip ～' >/dev/null 2>&1" ||
    fail "Enter on the album's cell did not open it"
  album=$(find_window 'trip ～')
  press "$album" Return "xdotool search --onlyvisible --name '^MoviePlayer clip.mp4$' >/dev/null 2>&1" ||
    fail "Enter on the video's cell did not open the player"
  player=$(find_window '^MoviePlayer clip.mp4$')
}

# Esc closes the player, Esc the album, and "終了(&X)" (Alt+F, X) ends the program.
close_trip() {
  press "$player" Escape "! xdotool search --onlyvisible --name '^MoviePlayer' >/dev/null 2>&1" ||
    fail "Esc did not close the player"
  press "$album" Escape "! xdotool search --onlyvisible --name 'trip ～' >/dev/null 2>&1" ||
    fail "Esc did not close the album"
  press "$book" "alt+f x" "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
  wait $pid
}

# Waits up to ten seconds for a condition.
until_true() {
  for _ in $(seq 1 100); do eval "$1" && return 0; sleep 0.1; done
  return 1
}

focus() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null || true
  sleep 0.5
}

# Presses the keys $1 in the book window $book until a file or folder dialog opens (a window
# more), then types the path $2 into it and confirms; $3 names the dialog in a failure.
answer_file_dialog() {
  windows() { xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l; }
  local before
  before=$(windows)
  press "$book" "$1" "[ \$(windows) -gt $before ]" || fail "the Album menu did not open the $3"
  sleep 1
  xdotool type --delay 20 "$2"
  xdotool key Return
}

# "フォルダー内の動画からアルバムを作成" from the Album menu of the book window $book by its keys,
# with the folder $1 typed into the folder dialog; sets $album to the album window that opens.
album_from_folder() {
  answer_file_dialog "alt+a Down Down Return" "$1" "folder dialog"
  album=$(find_window "$(basename "$1") ～") || fail "no album window for the folder"
}
