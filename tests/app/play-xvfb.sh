#!/usr/bin/env bash
# Plays a video in the real program under Xvfb: a library whose book "shelf" holds the album
# "trip" of one 60 s fixture video. Enter on the book window's cell opens the album, Enter on
# the video's cell plays it; the player's caption must name the video. F1 sets a bookmark, Esc
# closes the player, Esc the album, and "終了(&X)" (Alt+F, X) ends the program. The album's
# marks file must then hold the bookmark and its counts file one play.
# With TAVIMO_PLAYER_SHOT=FILE.png the screen is saved while the video plays.
set -euo pipefail
binary=$1
fixtures=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lib/shelf/images" "$work/run" "$work/videos"
chmod 700 "$work/run"
cp "$fixtures/long_60s.mp4" "$work/videos/clip.mp4"
# "動画表示を修正" (mixer=1) draws the video without OpenGL: under Xvfb OpenGL is Mesa's software
# driver, which leaves allocations behind when it is unloaded at exit and fails the leak check.
printf '[text]\r\nbook=shelf\r\n[ex]\r\npacked=1\r\nmixer=1\r\n' >"$work/lib/Tavimo.ini"
printf 'trip\r\n' >"$work/lib/shelf.book"
printf '%s\r\n' "$work/videos/clip.mp4" >"$work/lib/shelf/trip.alb"
export TAVIMO_LIBRARY="$work/lib" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/../lsan.supp:print_suppressions=0}"
export TAVIMO_PLAYER_SHOT="${TAVIMO_PLAYER_SHOT:-}"

export TAVIMO_XVFB_HELPERS="$here/xvfb-helpers.sh"
cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
book=$(find_window 'shelf ブック') || fail "no book window"
press "$book" Return "xdotool search --onlyvisible --name 'trip ～' >/dev/null 2>&1" ||
  fail "Enter on the album's cell did not open it"
album=$(find_window 'trip ～')
press "$album" Return "xdotool search --onlyvisible --name '^MoviePlayer clip.mp4$' >/dev/null 2>&1" ||
  fail "Enter on the video's cell did not open the player"
player=$(find_window '^MoviePlayer clip.mp4$')
echo "the player shows $(xdotool getwindowname "$player")"
sleep 2 # some way into the video, for a bookmark above 0
if [ -n "$TAVIMO_PLAYER_SHOT" ]; then
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_PLAYER_SHOT" || true
fi
mrk="$TAVIMO_LIBRARY/shelf/trip.mrk"
press "$player" F1 "grep -q '^[1-9]' '$mrk' 2>/dev/null" || fail "F1 wrote no bookmark"
press "$player" Escape "! xdotool search --onlyvisible --name '^MoviePlayer' >/dev/null 2>&1" ||
  fail "Esc did not close the player"
press "$album" Escape "! xdotool search --onlyvisible --name 'trip ～' >/dev/null 2>&1" ||
  fail "Esc did not close the album"
press "$book" "alt+f x" "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
wait $pid
SESSION
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$binary"

marks=$(tr -d '\r' <"$work/lib/shelf/trip.mrk")
counts=$(tr -d '\r' <"$work/lib/shelf/trip.cnt")
echo "marks: $marks, counts: $counts"
if ! [[ "$marks" =~ ^[1-9][0-9]*$ ]]; then echo "FAIL: the marks file holds no bookmark"; exit 1; fi
if [ "$counts" != 1 ]; then echo "FAIL: the counts file does not say 1"; exit 1; fi
echo "play test passed"
