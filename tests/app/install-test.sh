#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs to list Tavimo: the
# program, its help page where the program looks for it, a valid desktop entry whose icon and
# command are installed, and the icon.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
desktop="$prefix/share/applications/tavimo.desktop"
icon="$prefix/share/icons/hicolor/scalable/apps/tavimo.svg"
[ -x "$prefix/bin/Tavimo" ] || fail "bin/Tavimo is missing"
[ -f "$prefix/share/tavimo/Tavimo_help.html" ] || fail "share/tavimo/Tavimo_help.html is missing"
[ -f "$desktop" ] || fail "the desktop entry is missing"
[ -f "$icon" ] || fail "the icon is missing"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the entry"
grep -qx 'Name=Tavimo' "$desktop" || fail "Name is not Tavimo"
grep -qx 'Categories=AudioVideo;Video;Player;' "$desktop" || fail "wrong Categories"
grep -q '^GenericName\[ja\]=.' "$desktop" || fail "no Japanese GenericName"
grep -q '^Comment\[ja\]=.' "$desktop" || fail "no Japanese Comment"
grep -qx 'Icon=tavimo' "$desktop" || fail "the entry names another icon"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || fail "Exec names $exec_name, which is not installed"
grep -q '<svg' "$icon" || fail "the icon is no SVG"
grep -q '<html lang="ja">' "$prefix/share/tavimo/Tavimo_help.html" || fail "the help page is not the Japanese page"
echo "install test passed: $(cd "$prefix" && find . -type f | sort | tr '\n' ' ')"
