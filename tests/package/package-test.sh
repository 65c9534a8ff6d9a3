#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh made: its fields; that its Depends name the
# package of every shared library the program links, so that apt brings them on a machine
# without the build packages; what it installs where; and that lintian finds no error.
# package-test.sh FOLDER VERSION MAINTAINER HOMEPAGE
set -euo pipefail
folder=$1 version=$2 maintainer=$3 homepage=$4
source "$(dirname "$0")/find-package.sh" "$folder" "$version"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
field() { dpkg-deb -f "$deb" "$1"; }

[ "$(field Package)" = tavimo ] || fail "the package is named $(field Package)"
[ "$(field Version)" = "$version" ] || fail "the version is $(field Version), not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "the architecture is $(field Architecture)"
[ "$(field Section)" = video ] || fail "the section is $(field Section)"
[ "$(field Priority)" = optional ] || fail "the priority is $(field Priority)"
[ "$(field Maintainer)" = "$maintainer" ] || fail "the maintainer is $(field Maintainer)"
[ "$(field Homepage)" = "$homepage" ] || fail "the homepage is $(field Homepage)"
[ "$(basename "$deb")" = "tavimo_${version}_$(dpkg --print-architecture).deb" ] || fail "the file is named $(basename "$deb")"
depends=$(field Depends)
echo "Depends: $depends"
# The package names of Depends, alternatives included, without their versions.
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/^ *//; s/ *$//')
grep -qx fonts-ipafont-gothic <<<"$names" || fail "Depends does not name the window font"
# The romaji search loads libmigemo itself, so no link names it: Depends must.
for name in libmigemo1 cmigemo-common; do
  grep -qx "$name" <<<"$names" || fail "Depends does not name $name, which the romaji search needs"
done

dpkg-deb -x "$deb" "$work/root"
binary="$work/root/usr/bin/Tavimo"
[ -x "$binary" ] || fail "usr/bin/Tavimo is missing"
needed=$(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "readelf found no library that the program links"
for lib in $needed; do
  # "name => path (address)", or "path (address)" for the dynamic loader.
  path=$(ldd "$binary" | awk -v lib="$lib" '$2 == "=>" && $1 == lib {print $3} $2 != "=>" && $1 ~ ("/" lib "$") {print $1}')
  [ -n "$path" ] || fail "$lib is not found on this machine"
  owner=
  for candidate in "$path" "$(readlink -f "$path")" "${path#/usr}" "/usr$path"; do
    owner=$(dpkg -S "$candidate" 2>/dev/null | head -n1 | cut -d: -f1) && [ -n "$owner" ] && break
  done
  [ -n "$owner" ] || fail "no package owns $path ($lib)"
  grep -qx "$owner" <<<"$names" || fail "the program links $lib of $owner, which Depends does not name"
done
echo "Depends names the packages of all $(wc -w <<<"$needed") linked libraries"

# What it installs, under /usr.
contents=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
for entry in ./usr/bin/Tavimo "./usr/bin/tavimo -> Tavimo" ./usr/share/tavimo/Tavimo_help.html \
  ./usr/share/applications/tavimo.desktop ./usr/share/icons/hicolor/scalable/apps/tavimo.svg \
  ./usr/share/icons/hicolor/48x48/apps/tavimo.png ./usr/share/icons/hicolor/128x128/apps/tavimo.png \
  ./usr/share/man/man1/tavimo.1.gz "./usr/share/man/man1/Tavimo.1.gz -> tavimo.1.gz" \
  ./usr/share/man/ja/man1/tavimo.1.gz "./usr/share/man/ja/man1/Tavimo.1.gz -> tavimo.1.gz" \
  ./usr/share/doc/tavimo/copyright ./usr/share/doc/tavimo/changelog.gz; do
  grep -qxF -- "$entry" <<<"$contents" || fail "the package does not install $entry"
done
grep -qx '\./usr/share/metainfo/[a-z0-9.]*\.metainfo\.xml' <<<"$contents" || fail "no AppStream entry in usr/share/metainfo"
if grep -v '^\./usr/' <<<"$contents" | grep -qvx '\./'; then
  fail "the package installs outside /usr: $(grep -v '^\./usr/' <<<"$contents" | grep -vx '\./')"
fi

# lintian's verdict: warnings are shown, an error fails.
lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 | tee "$work/lintian.log" ||
  fail "lintian reports an error"
echo "package test passed: $(basename "$deb"), lintian: $(grep -c '^W:' "$work/lintian.log" || true) warnings"
