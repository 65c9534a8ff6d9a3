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
source "$(dirname "$0")/xvfb-library.sh"
shelf_with_trip "$fixtures/long_60s.mp4"
export TAVIMO_PLAYER_SHOT="${TAVIMO_PLAYER_SHOT:-}"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
play_trip
echo "the player shows $(xdotool getwindowname "$player")"
sleep 2 # some way into the video, for a bookmark above 0
if [ -n "$TAVIMO_PLAYER_SHOT" ]; then
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_PLAYER_SHOT" || true
fi
mrk="$TAVIMO_LIBRARY/shelf/trip.mrk"
press "$player" F1 "grep -q '^[1-9]' '$mrk' 2>/dev/null" || fail "F1 wrote no bookmark"
close_trip
SESSION
run_session "$binary"

marks=$(tr -d '\r' <"$lib/shelf/trip.mrk")
counts=$(tr -d '\r' <"$lib/shelf/trip.cnt")
echo "marks: $marks, counts: $counts"
if ! [[ "$marks" =~ ^[1-9][0-9]*$ ]]; then echo "FAIL: the marks file holds no bookmark"; exit 1; fi
if [ "$counts" != 1 ]; then echo "FAIL: the counts file does not say 1"; exit 1; fi
echo "play test passed"
