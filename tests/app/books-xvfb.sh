#!/usr/bin/env bash
# Makes a book in the real program under Xvfb from an empty library, by the keys alone:
# "ブックの新規作成" (Alt+F, the first entry), the title "テスト" typed into its input box, then
# "終了(&X)" (Alt+F, X). The book file, the book folder and its images folder must exist
# afterwards, and Tavimo.ini must name the new book as the current one.
# With TAVIMO_BOOKS_SHOT=FILE.png the screen is saved once the new book shows.
set -euo pipefail
binary=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lib" "$work/run"
chmod 700 "$work/run"
export TAVIMO_LIBRARY="$work/lib" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/../lsan.supp:print_suppressions=0}"
export TAVIMO_BOOKS_SHOT="${TAVIMO_BOOKS_SHOT:-}"

export TAVIMO_XVFB_HELPERS="$here/xvfb-helpers.sh"
cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
"$1" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
book=$(find_window '^Tavimo$') || fail "no book window"
press "$book" "alt+f Return" "xdotool search --onlyvisible --name '^ブックの新規作成$' >/dev/null 2>&1" ||
  fail "Alt+F and Enter did not ask for a new book's title"
box=$(find_window '^ブックの新規作成$')
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
sleep 0.5
xdotool type --delay 150 'テスト'
sleep 0.5
xdotool key Return
find_window 'テスト ブック' >/dev/null || fail "the new book's caption did not show"
echo "the book window reads: $(xdotool getwindowname "$book")"
if [ -n "$TAVIMO_BOOKS_SHOT" ]; then
  xdotool windowactivate --sync "$book" 2>/dev/null || xdotool windowfocus --sync "$book" 2>/dev/null || true
  sleep 1
  xdotool key --delay 200 alt+f 2>/dev/null || true
  sleep 1
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_BOOKS_SHOT" || true
  xdotool key Escape 2>/dev/null || true
fi
press "$book" "alt+f x" "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
wait $pid
SESSION
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$binary"

lib="$work/lib"
title=$(printf 'テスト' | iconv -f UTF-8 -t CP932)
fail() { echo "FAIL: $*"; ls -laR "$lib"; exit 1; }
[ -f "$lib/$(printf 'テスト').book" ] || fail "テスト.book is missing"
[ -d "$lib/テスト" ] || fail "the book folder テスト/ is missing"
[ -d "$lib/テスト/images" ] || fail "the images folder テスト/images/ is missing"
[ ! -s "$lib/テスト.book" ] || fail "テスト.book is not empty"
# [text] book= names the new book, in the settings file's code page.
book_line=$(awk -v RS='\r\n' '/^\[/ {section=$0} section=="[text]" && /^book=/ {print; exit}' "$lib/Tavimo.ini")
[ "$book_line" = "book=$title" ] || fail "Tavimo.ini's [text] book is '$(printf '%s' "$book_line" | iconv -f CP932 -t UTF-8)'"
echo "books test passed"
