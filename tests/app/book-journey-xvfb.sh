#!/usr/bin/env bash
# A first book and album in the real program under Xvfb, from an empty library: "ブックの新規作成"
# (Alt+F, the first entry) with the title "テスト" typed into its input box, "アルバムを追加"
# (Alt+A, Return) makes the album "海", "タイトルの変更" in the album's popup renames it "山",
# "ソート" (Alt+A, the last entry) sorts, and "終了(&X)" (Alt+F, X) ends the program. On disk
# afterwards: テスト.book holds 山 (CP932, CR LF), テスト/山.alb exists, テスト/images/テスト.pjpg
# holds one picture, and Tavimo.ini names テスト as the current book.
# With TAVIMO_ALBUMOPS_SHOT=FILE.png the screen is saved after the sort.
set -euo pipefail
binary=$1
source "$(dirname "$0")/xvfb-library.sh"
export TAVIMO_ALBUMOPS_SHOT="${TAVIMO_ALBUMOPS_SHOT:-}"

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
lib=$TAVIMO_LIBRARY
# Answers the input box titled $1 with the text $2 (typed over what it holds).
answer() {
  local box
  box=$(find_window "^$1\$") || fail "no input box \"$1\""
  focus "$box"
  xdotool key --delay 100 ctrl+a BackSpace
  xdotool type --delay 100 "$2"
  sleep 0.3
  xdotool key Return
  until_true "! xdotool search --onlyvisible --name '^$1\$' >/dev/null 2>&1" || fail "\"$1\" stayed open"
}

book=$(find_window '^Tavimo$') || fail "no book window"
press "$book" "alt+f Return" "xdotool search --onlyvisible --name '^ブックの新規作成$' >/dev/null 2>&1" ||
  fail "Alt+F and Enter did not ask for a new book's title"
answer 'ブックの新規作成' 'テスト'
find_window 'テスト ブック' >/dev/null || fail "the new book's caption did not show"
until_true "[ -d '$lib/テスト/images' ]" || fail "the new book has no images folder"
focus "$book"
xdotool key --delay 300 alt+a Return
answer 'タイトルの入力' '海'
until_true "[ -e '$lib/テスト/海.alb' ]" || fail "adding made no 海.alb"

# The album's popup: a right click on its cell, then "タイトルの変更" (third entry from the end).
eval "$(xdotool getwindowgeometry --shell "$book")"
focus "$book"
xdotool mousemove $((X + 60)) $((Y + 60)) click 3
sleep 0.8
xdotool key --delay 200 Up Up Up Return
answer 'タイトルの変更' '山'
until_true "[ -e '$lib/テスト/山.alb' ] && [ ! -e '$lib/テスト/海.alb' ]" || fail "renaming left 海.alb"

focus "$book"
xdotool key --delay 300 alt+a Up Return
sleep 1
if [ -n "$TAVIMO_ALBUMOPS_SHOT" ]; then
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_ALBUMOPS_SHOT" || true
fi
focus "$book"
xdotool key --delay 300 alt+f x
until_true "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
wait $pid
SESSION
run_session "$binary"

book=$(od -An -tx1 "$lib/テスト.book" | tr -d ' \n')
echo "テスト.book: $book"
# 山 is 8E 52 in CP932.
if [ "$book" != 8e520d0a ]; then echo "FAIL: テスト.book does not hold 山 alone"; exit 1; fi
if [ ! -f "$lib/テスト/山.alb" ] || [ -e "$lib/テスト/海.alb" ]; then
  echo "FAIL: the album file is not 山.alb"; exit 1
fi
# The store's picture count is the 32-bit little-endian number at offset 132.
count=$(od -An -tu4 -j132 -N4 "$lib/テスト/images/テスト.pjpg" | tr -d ' ')
if [ "$count" != 1 ]; then echo "FAIL: the book's picture store holds $count pictures"; exit 1; fi
# [text] book= names the new book, in the settings file's code page: テスト is 83 65 83 58 83 67.
book_line=$(awk -v RS='\r\n' '/^\[/ {section=$0} section=="[text]" && /^book=/ {printf "%s", $0; exit}' "$lib/Tavimo.ini" | od -An -tx1 | tr -d ' \n')
if [ "$book_line" != 626f6f6b3d836583588367 ]; then echo "FAIL: Tavimo.ini's [text] book is $book_line"; exit 1; fi
echo "book journey passed"
