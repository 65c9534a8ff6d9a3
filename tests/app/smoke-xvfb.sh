#!/usr/bin/env bash
# Starts the real program under Xvfb with an empty library, checks that the book window hugs
# the right edge of the screen, closes it through "終了(&X)" (Alt+F, X) and checks the files
# the exit writes.
set -euo pipefail
binary=$1
source "$(dirname "$0")/xvfb-library.sh"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
# The book window: a visible "Tavimo" window that is not the 306 x 88 splash picture.
window=
for _ in $(seq 1 600); do
  for id in $(xdotool search --onlyvisible --name '^Tavimo$' 2>/dev/null || true); do
    w=$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ {print $2}')
    if [ -n "$w" ] && [ "$w" != 306 ]; then window=$id; break 2; fi
  done
  sleep 0.1
done
if [ -z "$window" ]; then echo "FAIL: no book window appeared"; kill $pid; exit 1; fi
info=$(xwininfo -id "$window")
screen=$(xwininfo -root | awk '/Width:/ {print $2}')
x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
width=$(awk '/Width:/ {print $2}' <<<"$info")
echo "screen $screen, window at $x,$y, $width wide"
if [ $((x + width + 4)) -ne "$screen" ] || [ "$y" -ne 0 ]; then
  echo "FAIL: the book window is not at the right edge of the screen"; kill $pid; exit 1
fi
# A loaded machine can swallow the first key presses while the window settles: try again.
for _ in 1 2 3 4 5; do
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 1
  xdotool key --delay 300 alt+f x 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null || break
done
if kill -0 $pid 2>/dev/null; then echo "FAIL: 終了(&X) did not end the program"; kill $pid; exit 1; fi
wait $pid
SESSION
run_session "$binary"

expected=$(printf '%s\r\n' '[form]' 'width=640' 'height=480' 'left=636' 'color=-2147483633' \
  'font=0' 'autosize=0' 'mode=0' '' '[text]' 'book=' 'videodir=' 'hismedia=' 'hisnormal=' \
  'favor=' 'plname=' '' '[form4]' 'width=640' 'height=480' 'left=0' 'top=0' 'book=0' '' \
  '[value]' 'volume=5000' 'aspect=0' '' '[form2]' 'width=640' 'height=640' 'toolbar=13' \
  'color=-2147483633' 'font=0' 'mode=0' '' '[ex]' 'version=1' 'packed=1' 'mixer=0' 'old=0' \
  'noreg=0' '' '[capture]' 'size=1' 'silent=1' "dir=$work/lib" '' '[syncro]' 'auto=0' | base64 -w0)
actual=$(base64 -w0 <"$lib/Tavimo.ini")
if [ "$actual" != "$expected" ]; then
  echo "FAIL: Tavimo.ini differs:"; cat -A "$lib/Tavimo.ini"; exit 1
fi
# A new library starts with a user list of today's containers, one a line, and keeps it at exit.
if ! grep -qxF $'.webm\r' "$lib/userex.inf" || ! grep -qxF $'.m2ts\r' "$lib/userex.inf"; then
  echo "FAIL: userex.inf does not hold the new library's containers:"; cat -A "$lib/userex.inf"; exit 1
fi
echo "smoke test passed"
