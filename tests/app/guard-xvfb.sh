#!/usr/bin/env bash
# What keeps a library whole, in the real program under Xvfb:
# 1. A stop signal saves: the album "trip" of three videos is opened, its window made 700 wide,
#    sorted by name ("S"), and SIGTERM follows 100 ms later. The program ends with status 0,
#    trip.alb is sorted and Tavimo.ini holds the album window's width.
# 2. One program per library: while a first program holds the library, a second one with its
#    own runtime folder says so in a message box (Enter ends it, with status 1) and writes
#    nothing. Killed, the first leaves its lock file; a third program takes it over.
# 3. An album whose file cannot be read (a folder stands in its place) opens read-only: its
#    status bar says so and its editing keys do nothing.
# With TAVIMO_GUARD_SHOTS=FOLDER the screen is saved there at each step.
set -euo pipefail
binary=$1
fixtures=$2
source "$(dirname "$0")/xvfb-library.sh"
export TAVIMO_GUARD_SHOTS="${TAVIMO_GUARD_SHOTS:-}"

mkdir -p "$lib/shelf/images" "$work/videos" "$work/run2" "$work/run3"
chmod 700 "$work/run2" "$work/run3"
for name in c a b; do cp "$fixtures/mp4_h264_640x480.mp4" "$work/videos/$name.mp4"; done
printf '[text]\r\nbook=shelf\r\n[ex]\r\npacked=1\r\nmixer=1\r\n' >"$lib/Tavimo.ini"
printf 'trip\r\nbroken\r\n' >"$lib/shelf.book"
printf '%s\r\n' "$work/videos/c.mp4" "$work/videos/a.mp4" "$work/videos/b.mp4" >"$lib/shelf/trip.alb"
mkdir "$lib/shelf/broken.alb"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
lib=$TAVIMO_LIBRARY
work=$(dirname "$lib")
shot() {
  [ -z "$TAVIMO_GUARD_SHOTS" ] ||
    ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_GUARD_SHOTS/$1.png" || true
}
until_true() {
  for _ in $(seq 1 100); do eval "$1" && return 0; sleep 0.1; done
  return 1
}
focus() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null || true
  sleep 0.5
}
# Answers the message box titled "Tavimo" that holds the program's report with Enter.
dismiss_box() {
  local box
  box=$(find_window '^Tavimo$') || fail "no message box: $1"
  shot "$2"
  press "$box" Return "! xdotool search --onlyvisible --name '^Tavimo\$' >/dev/null 2>&1" ||
    fail "Enter did not close the message box: $1"
}
library_state() { (cd "$lib" && find . -printf '%p %s %T@ %C@ %i\n' | sort); }

# 1. Sorting, then SIGTERM 100 ms later.
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
dismiss_box "the unreadable album at load" 1-load
book=$(find_window 'shelf ブック') || fail "no book window"
press "$book" Return "xdotool search --onlyvisible --name 'trip ～' >/dev/null 2>&1" ||
  fail "Enter on the album's cell did not open it"
album=$(find_window 'trip ～')
until_true "[ -s '$lib/shelf/images/trip.pjpg' ]" || fail "the album's pictures were not made"
xdotool windowsize --sync "$album" 700 500 2>/dev/null || xdotool windowsize "$album" 700 500
sleep 1
focus "$album"
xdotool key s
sleep 0.1
kill -TERM $pid
status=0; wait $pid || status=$?
[ "$status" = 0 ] || fail "SIGTERM ended the program with status $status"
[ ! -e "$lib/Tavimo.lock" ] || fail "the lock file stayed after a clean exit"

# 2. Two programs, one library.
"$1" & pid=$!
dismiss_box "the unreadable album at load, again" 2-load
find_window 'shelf ブック' >/dev/null || fail "no book window"
until_true "grep -q \"^pid=$pid\$\" '$lib/Tavimo.lock' 2>/dev/null" || fail "the lock file does not name $pid"
sleep 1
before=$(library_state)
XDG_RUNTIME_DIR="$work/run2" "$1" 2>"$work/second.err" & second=$!
dismiss_box "the second program's refusal" 2-refused
status=0; wait $second || status=$?
[ "$status" = 1 ] || fail "the second program ended with status $status"
grep -q "$pid" "$work/second.err" || fail "the refusal does not name the holder: $(cat "$work/second.err")"
[ "$(library_state)" = "$before" ] || fail "the second program wrote to the library"
kill -KILL $pid; { wait $pid; } 2>/dev/null || true
grep -q "^pid=$pid\$" "$lib/Tavimo.lock" || fail "the killed program's lock file is gone"
XDG_RUNTIME_DIR="$work/run3" "$1" & pid=$!
dismiss_box "the unreadable album at load, third" 2-third
until_true "grep -q \"^pid=$pid\$\" '$lib/Tavimo.lock' 2>/dev/null" || fail "the stale lock was not taken over"

# 3. The unreadable album, read-only.
book=$(find_window 'shelf ブック') || fail "no book window"
focus "$book"
xdotool key Right
sleep 0.3
press "$book" Return "xdotool search --onlyvisible --name '^Tavimo\$' >/dev/null 2>&1" ||
  fail "Enter on the second album's cell said nothing"
dismiss_box "read-only opening" 3-opening
album=$(find_window 'broken ～') || fail "the read-only album did not open"
before=$(library_state)
windows=$(xdotool search --onlyvisible --name '.' 2>/dev/null | sort | tr '\n' ' ')
focus "$album"
xdotool key --delay 200 o ctrl+f s Delete
sleep 1
shot 3-readonly
[ "$(xdotool search --onlyvisible --name '.' 2>/dev/null | sort | tr '\n' ' ')" = "$windows" ] ||
  fail "an editing key of the read-only album opened a dialog"
[ "$(library_state)" = "$before" ] || fail "the read-only album wrote to the library"
kill -TERM $pid
status=0; wait $pid || status=$?
[ "$status" = 0 ] || fail "SIGTERM ended the program with status $status"
SESSION
run_session "$binary"

order=$(tr -d '\r' <"$lib/shelf/trip.alb" | xargs -n1 basename | tr '\n' ' ')
echo "trip.alb after the sort and SIGTERM: $order"
[ "$order" = "a.mp4 b.mp4 c.mp4 " ] || { echo "FAIL: the sort was not saved"; exit 1; }
width=$(awk -v RS='\r\n' '/^\[/ {s=$0} s=="[form2]" && /^width=/ {sub("width=", ""); print; exit}' "$lib/Tavimo.ini")
echo "Tavimo.ini [form2] width: $width"
[ "$width" = 700 ] || { echo "FAIL: the settings file was not written at SIGTERM"; exit 1; }
[ -d "$lib/shelf/broken.alb" ] || { echo "FAIL: the unreadable album file was replaced"; exit 1; }
[ ! -e "$lib/Tavimo.lock" ] || { echo "FAIL: the lock file stayed"; exit 1; }
echo "guard test passed"
