#!/usr/bin/env bash
# Searches the library in the real program under Xvfb. The library holds two books: "shelf",
# the current one, with the album "trip" of one video, and "archive" with the album "summer"
# whose second video is "fireworks 2019.mp4". Ctrl+K in the book window opens the search
# window; typing "fireworks" must give the title "検索 ～ fireworks ～ 1 件"; Enter must switch
# to the book "archive" and open "summer" with that video current, which Return then plays:
# the player's caption names it. Esc closes the player, the album and the search window, and
# "終了(&X)" ends the program, which keeps the search window's place in Tavimo.ini.
# With TAVIMO_SEARCH_SHOT=FILE.png the screen is saved while the search window shows results.
set -euo pipefail
binary=$1
fixtures=$2
source "$(dirname "$0")/xvfb-library.sh"
shelf_with_trip "$fixtures/mp4_h264_640x480.mp4"
mkdir -p "$lib/archive/images"
cp "$fixtures/mp4_h264_640x480.mp4" "$work/videos/other.mp4"
cp "$fixtures/mp4_h264_640x480.mp4" "$work/videos/fireworks 2019.mp4"
printf 'summer\r\n' >"$lib/archive.book"
printf '%s\r\n' "$work/videos/other.mp4" "$work/videos/fireworks 2019.mp4" >"$lib/archive/summer.alb"
export TAVIMO_SEARCH_SHOT="${TAVIMO_SEARCH_SHOT:-}"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

book=$(find_window 'shelf ブック') || fail "no book window"
press "$book" ctrl+k "shown '^検索$'" || fail "Ctrl+K did not open the search window"
search=$(find_window '^検索$')
press "$search" "ctrl+a f i r e w o r k s" "shown '^検索 ～ fireworks ～ 1 件$'" ||
  fail "typing gave the title '$(xdotool getwindowname "$search")'"
echo "the search window shows $(xdotool getwindowname "$search")"
if [ -n "$TAVIMO_SEARCH_SHOT" ]; then
  sleep 1
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_SEARCH_SHOT" || true
fi
press "$search" Return "shown 'アルバム　 ～ summer ～'" || fail "Enter did not open the album"
album=$(find_window 'アルバム　 ～ summer ～')
echo "the album window shows $(xdotool getwindowname "$album")"
# Return plays the current cell: the video found, not the album's first.
press "$album" Return "shown '^MoviePlayer fireworks 2019.mp4$'" ||
  fail "Return in the album did not play the video found"
player=$(find_window '^MoviePlayer fireworks 2019.mp4$')
echo "the player shows $(xdotool getwindowname "$player")"

press "$player" Escape "! shown '^MoviePlayer'" || fail "Esc did not close the player"
press "$album" Escape "! shown 'アルバム　 ～ summer ～'" || fail "Esc did not close the album"
book=$(find_window 'archive ブック') || fail "the book window does not show the book archive"
press "$search" Escape "! shown '^検索'" || fail "Esc did not close the search window"
press "$book" "alt+f x" "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
wait $pid
SESSION
run_session "$binary"

ini=$(tr -d '\r' <"$lib/Tavimo.ini")
grep -qx 'book=archive' <<<"$ini" || { echo "FAIL: the book left open is not archive"; exit 1; }
place=$(sed -n '/^\[search\]$/,/^\[/p' <<<"$ini" | grep -c -E '^(left|top|width|height)=-?[0-9]+$' || true)
if [ "$place" != 4 ]; then echo "FAIL: Tavimo.ini does not keep the search window's place"; exit 1; fi
echo "search test passed"
