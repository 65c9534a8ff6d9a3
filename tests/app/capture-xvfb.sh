#!/usr/bin/env bash
# Saves a frame in the real program under Xvfb: a library whose book "shelf" holds the album
# "trip" of one moving-pattern video (320 x 240, made here with ffmpeg). Enter opens the album,
# Enter plays the video in a player whose picture shows at twice its size; Z pauses it, F1
# notes the position as the bookmark, Ctrl+S saves the picture silently into the capture folder.
# The bitmap must be 24 bits at the video's own size, and match the frame ffmpeg extracts at
# the bookmark's time (PSNR at least 30 dB, and better than against a frame a second away).
set -euo pipefail
binary=$1
source "$(dirname "$0")/xvfb-library.sh"
mkdir -p "$work/videos" "$work/captures"
# testsrc2 without its colours: saturated colour edges in 4:2:0 chroma come out differently from
# any two converters to RGB, which would measure them rather than the capture.
ffmpeg -nostdin -loglevel error -y -f lavfi -i "testsrc2=size=320x240:rate=25:duration=30,hue=s=0" \
  -c:v libx264 -preset ultrafast -g 25 -pix_fmt yuv420p "$work/videos/clip.mp4"
# The player's window of 640 x 540 leaves a video area of 640 x 480 above its 60-pixel controls.
shelf_with_trip "$work/videos/clip.mp4"
printf '[form4]\r\nwidth=640\r\nheight=540\r\n[capture]\r\nsilent=1\r\nsize=1\r\ndir=%s\r\n' \
  "$work/captures" >>"$lib/Tavimo.ini"
export TAVIMO_CAPTURE_SHOT="${TAVIMO_CAPTURE_SHOT:-}"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
captures=$2
play_trip
sleep 3 # some way into the video
mrk="$TAVIMO_LIBRARY/shelf/trip.mrk"
press "$player" z "true" || true
sleep 1 # the pause has settled and its picture is drawn
press "$player" F1 "grep -q '^[1-9]' '$mrk' 2>/dev/null" || fail "F1 wrote no bookmark"
press "$player" ctrl+s "ls '$captures'/*.bmp >/dev/null 2>&1" || fail "Ctrl+S saved no bitmap"
if [ -n "$TAVIMO_CAPTURE_SHOT" ]; then
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_CAPTURE_SHOT" || true
fi
close_trip
SESSION
run_session "$binary" "$work/captures"

shopt -s nullglob
saved=("$work"/captures/*.bmp)
if [ ${#saved[@]} -ne 1 ]; then echo "FAIL: ${#saved[@]} bitmaps saved, not 1"; exit 1; fi
bmp=${saved[0]}
name=$(basename "$bmp")
if ! [[ "$name" =~ ^[0-9]{4}_[0-9]{4}_000\.bmp$ ]]; then echo "FAIL: saved as $name"; exit 1; fi
# Width, height and bits per pixel from the bitmap's header (little-endian, as od reads here).
field() { od -An -t "$1" -j "$2" -N "$3" "$bmp" | tr -d ' '; }
width=$(field d4 18 4)
height=$(field d4 22 4)
bits=$(field u2 28 2)
echo "saved $name: ${width} x ${height}, ${bits} bits"
if [ "$width" != 320 ] || [ "$height" != 240 ] || [ "$bits" != 24 ]; then
  echo "FAIL: not a 24-bit bitmap of 320 x 240"; exit 1
fi
mark=$(tr -d '\r' <"$lib/shelf/trip.mrk")
# The frame shown at the bookmark: ffmpeg keeps the first frame at or after the time asked.
at=$(awk -v m="$mark" 'BEGIN { printf "%.4f", m / 1e7 - 0.005 }')
away=$(awk -v m="$mark" 'BEGIN { t = m / 1e7; printf "%.4f", (t > 2 ? t - 1 : t + 1) }')
# PSNR in dB of the saved picture against the frame ffmpeg extracts at a time (in seconds).
psnr() {
  ffmpeg -nostdin -loglevel error -y -ss "$2" -i "$work/videos/clip.mp4" -frames:v 1 "$work/frame.png"
  ffmpeg -nostdin -hide_banner -i "$1" -i "$work/frame.png" \
    -lavfi "[0:v]format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" -f null - 2>&1 |
    sed -n 's/.*PSNR r:.* average:\([0-9.inf]*\).*/\1/p' | tail -n 1
}
here_db=$(psnr "$bmp" "$at")
away_db=$(psnr "$bmp" "$away")
echo "bookmark $mark: PSNR ${here_db} dB against the frame at ${at} s, ${away_db} dB a second away"
if ! awk -v a="$here_db" -v b="$away_db" 'BEGIN { exit !((a == "inf" || a >= 30) && (a == "inf" || a > b)) }'; then
  echo "FAIL: the saved picture is not the frame at the bookmark"; exit 1
fi
echo "capture test passed"
