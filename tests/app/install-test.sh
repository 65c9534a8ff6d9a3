#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs to list Tavimo and
# what a software centre and man need to show it: the program and its lower-case name, its
# help page where the program looks for it, a valid desktop entry whose icon and command are
# installed, the icon as SVG and as PNGs of their stated sizes, a valid AppStream entry of
# this version, and the man pages in English and Japanese.
# install-test.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=$1 version=$2 app_id=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
desktop="$prefix/share/applications/tavimo.desktop"
icon="$prefix/share/icons/hicolor/scalable/apps/tavimo.svg"
metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
[ -x "$prefix/bin/Tavimo" ] || fail "bin/Tavimo is missing"
[ "$(readlink "$prefix/bin/tavimo")" = Tavimo ] || fail "bin/tavimo is not a link to Tavimo"
[ -f "$prefix/share/tavimo/Tavimo_help.html" ] || fail "share/tavimo/Tavimo_help.html is missing"
[ -f "$desktop" ] || fail "the desktop entry is missing"
[ -f "$icon" ] || fail "the icon is missing"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the entry"
grep -qx 'Name=Tavimo' "$desktop" || fail "Name is not Tavimo"
grep -qx 'Categories=AudioVideo;Video;Player;' "$desktop" || fail "wrong Categories"
for key in Name GenericName Comment Keywords; do
  grep -q "^$key=." "$desktop" || fail "no $key"
  grep -q "^$key\[ja\]=." "$desktop" || fail "no Japanese $key"
done
grep -qx 'Icon=tavimo' "$desktop" || fail "the entry names another icon"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || fail "Exec names $exec_name, which is not installed"
grep -q '<svg' "$icon" || fail "the icon is no SVG"
for size in 48 128; do
  png="$prefix/share/icons/hicolor/${size}x$size/apps/tavimo.png"
  file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png is not a $size px PNG: $(file -b "$png")"
done
grep -q '<html lang="ja">' "$prefix/share/tavimo/Tavimo_help.html" || fail "the help page is not the Japanese page"

# The software centre's entry: valid, of this version, launching the installed desktop entry.
[ -f "$metainfo" ] || fail "share/metainfo/$app_id.metainfo.xml is missing"
appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli refuses the metainfo"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" || fail "the metainfo's release is not $version"
grep -q '<launchable type="desktop-id">tavimo.desktop</launchable>' "$metainfo" ||
  fail "the metainfo launches another desktop entry"
grep -q '<summary xml:lang="ja">' "$metainfo" || fail "no Japanese summary"
grep -q '<content_rating' "$metainfo" || fail "no content rating"

# Man pages under both names, in English and Japanese, telling where the library lives, the
# portable mode and the library's files, and set by groff without a complaint.
for dir in man/man1 man/ja/man1; do
  page="$prefix/share/$dir/tavimo.1.gz"
  [ -f "$page" ] || fail "share/$dir/tavimo.1.gz is missing"
  [ "$(readlink "$prefix/share/$dir/Tavimo.1.gz")" = tavimo.1.gz ] || fail "share/$dir/Tavimo.1.gz is not a link to tavimo.1.gz"
  text=$(zcat "$page")
  for word in XDG_DATA_HOME Tavimo.ini userex.inf .book .alb "$version"; do
    grep -qF -- "$word" <<<"$text" || fail "$dir/tavimo.1 does not mention $word"
  done
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "groff warns about $dir/tavimo.1: $warnings"
done
zcat "$prefix/share/man/ja/man1/tavimo.1.gz" | grep -q '^\.SH ライブラリフォルダー' || fail "the Japanese man page is not Japanese"
echo "install test passed: $(cd "$prefix" && find . \( -type f -o -type l \) | sort | tr '\n' ' ')"
