#!/usr/bin/env bash
# Changes the player's aspect from its popup menu in the real program under Xvfb: a library
# whose book "shelf" holds the album "trip" of one 60 s fixture video. Enter opens the album
# and plays the video; a right click on the video opens the popup menu, and the keys Up, Up,
# Up, Up, Right, Down x 5, Return choose "アスペクト比" › "2.35 : 1（シネスコサイズ）". M mutes.
# The picture must then have black bands above and below, and after the program ends the
# settings file must hold aspect 5 and volume 0 (quit while muted).
# With TAVIMO_PLAYER_SHOT=FILE.png the screen is saved after the change.
set -euo pipefail
binary=$1
fixtures=$2
source "$(dirname "$0")/xvfb-library.sh"
shelf_with_trip "$fixtures/long_60s.mp4"
export TAVIMO_PLAYER_SHOT="${TAVIMO_PLAYER_SHOT:-}" SHOT="$work/shot.ppm"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
# The colour of the screen at x, y of a window, as "r,g,b" (the screen is kept in $SHOT).
pixel() { screen_pixels "$1" "$2" "$3"; }
dark() { local c; c=$(pixel "$@") || return 1; IFS=, read -r r g b <<<"$c"; [ "$r" -lt 40 ] && [ "$g" -lt 40 ] && [ "$b" -lt 40 ]; }
reddish() { local c; c=$(pixel "$@") || return 1; IFS=, read -r r g b <<<"$c"; [ "$r" -gt 150 ] && [ "$g" -lt 100 ]; }

play_trip
sleep 1
# The video area is the window less the 60 rows of the control bar; 4:3 fills its height.
eval "$(xdotool getwindowgeometry --shell "$player")"
area_h=$((HEIGHT - 60))
x=$((WIDTH / 2 - 20)) # left of the middle: the red and blue quadrants
reddish "$player" "$x" 5 || fail "the 4:3 picture does not start at the top: $(pixel "$player" "$x" 5)"
xdotool mousemove --window "$player" $((WIDTH / 2)) $((area_h / 2))
chosen=false
for _ in 1 2 3; do
  xdotool windowactivate --sync "$player" 2>/dev/null || true
  xdotool click 3
  sleep 1
  xdotool key --delay 150 Up Up Up Up Right Down Down Down Down Down Return
  # 2.35 : 1 across the width leaves bands of (area_h - WIDTH x 100 / 235) / 2 rows.
  band=$(((area_h - WIDTH * 100 / 235) / 2))
  for _ in $(seq 1 30); do
    if dark "$player" "$x" 5 && reddish "$player" "$x" $((band + 6)); then chosen=true; break 2; fi
    sleep 0.2
  done
done
if [ -n "$TAVIMO_PLAYER_SHOT" ]; then
  ffmpeg -nostdin -loglevel error -y -i "$SHOT" "$TAVIMO_PLAYER_SHOT" || true
fi
$chosen || fail "the picture did not change to 2.35 : 1: $(pixel "$player" "$x" 5), $(pixel "$player" "$x" $((band + 6))) at row $((band + 6)) of $WIDTH x $HEIGHT"
echo "2.35 : 1 leaves a band of about $band rows above the picture"
press "$player" m "true"
close_trip
SESSION
run_session "$binary"

settings=$(tr -d '\r' <"$lib/Tavimo.ini")
grep -qx 'aspect=5' <<<"$settings" || { echo "FAIL: the settings do not keep aspect 5"; exit 1; }
grep -qx 'volume=0' <<<"$settings" || { echo "FAIL: quitting muted did not keep volume 0"; exit 1; }
echo "display test passed"
