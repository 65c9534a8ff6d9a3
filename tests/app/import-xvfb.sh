#!/usr/bin/env bash
# Imports an album in the real program under Xvfb while its copy takes a while: the book "old"
# has the album "big" whose thumbnail store is 2 GB (a file with a hole). "アルバムのインポート"
# (Alt+A, second entry) with old/big.alb typed into the file dialog shows the progress dialog
# "アルバムのインポート"; Esc on it cancels, after which the book folder holds no file of "big".
# The import again runs to its end; "終了(&X)" (Alt+F, X) ends the program, and the book file
# then lists "trip" and "big" and big's store is whole.
# With TAVIMO_IMPORT_SHOT=FILE.png the screen is saved while the progress dialog shows.
set -euo pipefail
binary=$1
fixtures=$2
source "$(dirname "$0")/xvfb-library.sh"
shelf_with_trip "$fixtures/mp4_h264_640x480.mp4"
mkdir -p "$lib/old/images"
printf 'big\r\n' >"$lib/old.book"
printf '%s\r\n' "$work/videos/clip.mp4" >"$lib/old/big.alb"
printf '0\r\n' >"$lib/old/big.mrk"
truncate -s 2G "$lib/old/images/big.pjpg"
export TAVIMO_IMPORT_SHOT="${TAVIMO_IMPORT_SHOT:-}"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
lib=$TAVIMO_LIBRARY
shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
# Alt+A, the second entry, and the album file typed into the file dialog.
import_big() {
  windows() { xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l; }
  local before
  before=$(windows)
  press "$book" "alt+a Down Return" "[ \$(windows) -gt $before ]" ||
    fail "the Album menu did not open the file dialog"
  sleep 1
  xdotool type --delay 20 "$lib/old/big.alb"
  xdotool key Return
}
book=$(find_window 'shelf ブック') || fail "no book window"

import_big
progress=$(find_window '^アルバムのインポート$') || fail "no progress dialog while copying"
if [ -n "$TAVIMO_IMPORT_SHOT" ]; then
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_IMPORT_SHOT" || true
fi
press "$progress" Escape "! shown '^アルバムのインポート\$'" || fail "Esc did not cancel the import"
sleep 0.5
leftover=$(find "$lib/shelf" -name 'big*')
[ -z "$leftover" ] || fail "the cancelled import left $leftover"
echo "cancelled: no file of big in the book"

import_big
find_window '^アルバムのインポート$' >/dev/null || fail "no progress dialog the second time"
for _ in $(seq 1 600); do shown '^アルバムのインポート$' || break; sleep 0.1; done
shown '^アルバムのインポート$' && fail "the import did not end"
press "$book" "alt+f x" "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
wait $pid
SESSION
run_session "$binary"

albums=$(tr -d '\r' <"$lib/shelf.book" | tr '\n' ' ')
echo "book: $albums"
[ "$albums" = "trip big " ] || { echo "FAIL: the book does not list trip and big"; exit 1; }
size=$(stat -c %s "$lib/shelf/images/big.pjpg")
[ "$size" = $((2 << 30)) ] || { echo "FAIL: big's store has $size bytes"; exit 1; }
cmp -s "$lib/old/big.alb" "$lib/shelf/big.alb" || { echo "FAIL: big.alb differs"; exit 1; }
echo "import test passed"
