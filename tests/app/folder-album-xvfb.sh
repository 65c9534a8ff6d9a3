#!/usr/bin/env bash
# Makes an album from a folder in the real program under Xvfb: a library whose book "shelf" is
# empty, and a folder "holiday" of three fixture videos. "フォルダー内の動画からアルバムを作成" is
# chosen from the Album menu by its keys, the folder typed into the folder dialog; the album
# window must open on "holiday" with three videos, Esc closes it and "終了(&X)" ends the program.
# The book file, album file and the album's store must then hold the album and its pictures.
# A fourth video named with a line break is left out, and one message says so; Enter closes it.
# With TAVIMO_FOLDER_SHOT=FILE.png the screen is saved while that message shows.
set -euo pipefail
binary=$1
fixtures=$2
source "$(dirname "$0")/xvfb-library.sh"
mkdir -p "$lib/shelf/images" "$work/holiday"
cp "$fixtures/mp4_h264_640x480.mp4" "$work/holiday/b.mp4"
cp "$fixtures/avi_mpeg4_640x480.avi" "$work/holiday/A.avi"
cp "$fixtures/mkv_h264_1280x720.mkv" "$work/holiday/c.mkv"
cp "$fixtures/mp4_h264_640x480.mp4" "$work/holiday/new"$'\n'"line.mp4"
printf '[text]\r\nbook=shelf\r\n[ex]\r\npacked=1\r\nmixer=1\r\n' >"$lib/Tavimo.ini"
: >"$lib/shelf.book"
export TAVIMO_FOLDER_SHOT="${TAVIMO_FOLDER_SHOT:-}" HOLIDAY="$work/holiday"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
book=$(find_window 'shelf ブック') || fail "no book window"
# Album menu, third entry: the folder dialog opens, a window more.
windows() { xdotool search --onlyvisible --name '.' 2>/dev/null | wc -l; }
before=$(windows)
press "$book" "alt+a Down Down Return" "[ \$(windows) -gt $before ]" ||
  fail "the Album menu did not open the folder dialog"
for _ in $(seq 1 100); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
echo "windows: $(xdotool search --onlyvisible --name '.' 2>/dev/null | xargs -n1 xdotool getwindowname | tr '\n' '|')"
sleep 1
xdotool type --delay 20 "$HOLIDAY"
xdotool key Return
album=$(find_window 'holiday ～') || fail "no album window for the folder"
for _ in $(seq 1 300); do
  xdotool getwindowname "$album" | grep -q '3 files' && break
  sleep 0.1
done
echo "the album window shows: $(xdotool getwindowname "$album")"
xdotool getwindowname "$album" | grep -q '3 files' || fail "the album does not hold three videos"
# Once the thumbnails are made, the video named with a line break is named in a message.
message=$(find_window '^Tavimo$') || fail "no message about the name with a line break"
sleep 1
if [ -n "$TAVIMO_FOLDER_SHOT" ]; then
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_FOLDER_SHOT" || true
fi
press "$message" Return "! xdotool search --onlyvisible --name '^Tavimo\$' >/dev/null 2>&1" ||
  fail "Enter did not close the message"
press "$album" Escape "! xdotool search --onlyvisible --name 'holiday ～' >/dev/null 2>&1" ||
  fail "Esc did not close the album"
press "$book" "alt+f x" "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
wait $pid
SESSION
run_session "$binary"

book=$(tr -d '\r' <"$lib/shelf.book")
entries=$(tr -d '\r' <"$lib/shelf/holiday.alb")
echo "book: $book"
echo "album: $entries"
[ "$book" = holiday ] || { echo "FAIL: the book file does not hold the album"; exit 1; }
expected=$(printf '%s\n' "$HOLIDAY/A.avi" "$HOLIDAY/b.mp4" "$HOLIDAY/c.mkv")
[ "$entries" = "$expected" ] || { echo "FAIL: the album file does not list the folder's videos"; exit 1; }
# Each JPEG picture begins with FF D8 FF: three in the album's store, one in the book's.
pictures() { python3 -c 'import sys; print(open(sys.argv[1], "rb").read().count(b"\xff\xd8\xff"))' "$1"; }
[ "$(pictures "$lib/shelf/images/holiday.pjpg")" = 3 ] ||
  { echo "FAIL: the album's store does not hold three pictures"; exit 1; }
[ "$(pictures "$lib/shelf/images/shelf.pjpg")" = 1 ] ||
  { echo "FAIL: the book's store does not hold the album's picture"; exit 1; }
echo "folder album test passed"
