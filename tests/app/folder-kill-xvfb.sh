#!/usr/bin/env bash
# Kills the real program while it makes an album from a folder, and starts it again. The library
# has the empty book "shelf"; the folder "holiday" holds 150 videos. "フォルダー内の動画からアル
# バムを作成" is chosen from the Album menu by its keys and the folder typed into its dialog; while
# the album window fills, the program is killed (SIGKILL). The book must then list the album; its
# album file, marks and counts must hold the same number of videos, at least as many as the
# window showed a second and a half before the kill, and the store no more pictures than that. Started again, the program shows its
# book window with no message, Enter opens the album with as many videos, and "終了(&X)" ends it.
set -euo pipefail
binary=$1
fixtures=$2
source "$(dirname "$0")/xvfb-library.sh"
mkdir -p "$lib/shelf/images" "$work/holiday"
for i in $(seq -w 1 150); do
  ln "$fixtures/avi_mpeg4_pcm_320x240.avi" "$work/holiday/v$i.avi" 2>/dev/null ||
    cp "$fixtures/avi_mpeg4_pcm_320x240.avi" "$work/holiday/v$i.avi"
done
printf '[text]\r\nbook=shelf\r\n[ex]\r\npacked=1\r\nmixer=1\r\n' >"$lib/Tavimo.ini"
: >"$lib/shelf.book"
export HOLIDAY="$work/holiday" SHOWN="$work/shown"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
book=$(find_window 'shelf ブック') || fail "no book window"
album_from_folder "$HOLIDAY"
files() { xdotool getwindowname "$album" | sed -n 's/.*[^0-9]\([0-9][0-9]*\) files.*/\1/p'; }
for _ in $(seq 1 300); do
  [ "$(files)" -ge 10 ] 2>/dev/null && break
  sleep 0.1
done
shown=$(files)
[ "${shown:-0}" -ge 10 ] || fail "the album did not fill"
sleep 1.5
echo "$shown $(files)" >"$SHOWN"
kill -9 $pid
wait $pid 2>/dev/null || true
SESSION
run_session "$binary"
read -r shown atKill <"$SHOWN"
echo "videos shown 1.5 s before the kill: $shown, at the kill: $atKill"

lines() { tr -d '\r' <"$1" | grep -c '' || true; }
pictures() { python3 -c 'import sys; print(open(sys.argv[1], "rb").read().count(b"\xff\xd8\xff"))' "$1"; }
[ "$(tr -d '\r' <"$lib/shelf.book")" = holiday ] || { echo "FAIL: the book does not list the album"; exit 1; }
n=$(lines "$lib/shelf/holiday.alb")
echo "on disk: album $n, marks $(lines "$lib/shelf/holiday.mrk"), counts $(lines "$lib/shelf/holiday.cnt"), pictures $(pictures "$lib/shelf/images/holiday.pjpg")"
[ "$n" -ge "$shown" ] || { echo "FAIL: videos shown before the kill are not on the disk"; exit 1; }
# The pictures of the last videos may be missing (a run's pictures wait to be written with the
# store, and the album makes them again when it is shown); never more pictures than videos.
[ "$(lines "$lib/shelf/holiday.mrk")" = "$n" ] && [ "$(lines "$lib/shelf/holiday.cnt")" = "$n" ] &&
  [ "$(pictures "$lib/shelf/images/holiday.pjpg")" -le "$n" ] ||
  { echo "FAIL: the album's files do not agree"; exit 1; }
[ ! -e "$lib/Tavimo.journal" ] || echo "a save was under way at the kill"

# Started again: the book window, no message, the album with every video it had.
export EXPECTED=$n
cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
book=$(find_window 'shelf ブック') || fail "no book window after the restart"
sleep 1
# A message box is captioned with the program's name alone.
if xdotool search --onlyvisible --name '^Tavimo$' >/dev/null 2>&1; then
  fail "a message shows at start"
fi
press "$book" Return "xdotool search --onlyvisible --name 'holiday ～' >/dev/null 2>&1" ||
  fail "Enter on the album's cell did not open it"
album=$(find_window 'holiday ～')
for _ in $(seq 1 100); do
  xdotool getwindowname "$album" | grep -q " $EXPECTED files" && break
  sleep 0.1
done
echo "the album window shows: $(xdotool getwindowname "$album")"
# The thumbnails that were not made before the kill are made now: the count may grow, never shrink.
count=$(xdotool getwindowname "$album" | sed -n 's/.*[^0-9]\([0-9][0-9]*\) files.*/\1/p')
[ "${count:-0}" -ge "$EXPECTED" ] || fail "the album lost videos"
press "$album" Escape "! xdotool search --onlyvisible --name 'holiday ～' >/dev/null 2>&1" ||
  fail "Esc did not close the album"
press "$book" "alt+f x" "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
wait $pid
SESSION
run_session "$binary"
echo "folder kill test passed"
