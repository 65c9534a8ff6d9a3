#!/usr/bin/env bash
# The package as a user meets it, under Xvfb: `apt-get install ./tavimo_*.deb`, Tavimo started by
# the command line of its menu entry (found in PATH as /usr/bin/Tavimo), a first book created
# through "ブックの新規作成" (Alt+F, Enter), "終了(&X)" (Alt+F, X), then `apt-get remove tavimo`:
# the program goes, the library in the user's data folder stays as it was.
# Installs into the real system, so it needs root and a machine without a tavimo package of
# its own; it removes the package again however it ends. The user is a temporary HOME.
# installed-journey-xvfb.sh FOLDER VERSION
# With TAVIMO_PACKAGE_SHOT=FILE.png the screen is saved once the first window shows.
set -euo pipefail
folder=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/find-package.sh" "$folder" "$version"
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: installing a package into the system needs root"
  exit 77
fi
installed() { dpkg-query -W -f='${db:Status-Status}\n' tavimo 2>/dev/null | grep -qvxE 'not-installed|config-files'; }
if installed; then
  echo "skipped: this machine has a tavimo package installed, which this test would replace and remove"
  exit 77
fi

work=$(mktemp -d)
cleanup() {
  if installed; then apt-get remove -y -qq tavimo >/dev/null 2>&1 || dpkg --remove tavimo >/dev/null 2>&1 || true; fi
  [ -n "${TAVIMO_KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' TERM INT HUP
fail() { echo "FAIL: $*"; exit 1; }
export DEBIAN_FRONTEND=noninteractive

(cd "$(dirname "$deb")" && apt-get install -y -qq "./$(basename "$deb")") >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "apt-get install ./$(basename "$deb") failed"; }
installed || fail "tavimo is not installed after apt-get install"
for file in /usr/bin/Tavimo /usr/share/applications/tavimo.desktop /usr/share/tavimo/Tavimo_help.html; do
  [ -e "$file" ] || fail "$file is not installed"
done
if command -v man >/dev/null; then
  [ "$(man -w tavimo)" = /usr/share/man/man1/tavimo.1.gz ] || fail "man does not find tavimo(1)"
  [ "$(LANGUAGE= LC_ALL=C.UTF-8 man -L ja -w tavimo)" = /usr/share/man/ja/man1/tavimo.1.gz ] ||
    fail "man does not find the Japanese tavimo(1)"
fi
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/tavimo.desktop)

# A user of its own: the library goes to $HOME/.local/share/Tavimo.
home="$work/home"
lib="$home/.local/share/Tavimo"
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
exec_line=$1 home=$2 run=$3
# The command line of the menu entry, in the environment a desktop gives it.
env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$run" DISPLAY="$DISPLAY" \
  XAUTHORITY="${XAUTHORITY:-}" LANG=C.UTF-8 sh -c "exec $exec_line" & pid=$!
source "$TAVIMO_XVFB_HELPERS"
book=$(find_window '^Tavimo$') || fail "no book window"
[ "$(readlink /proc/$pid/exe)" = /usr/bin/Tavimo ] || fail "the menu's command line started $(readlink /proc/$pid/exe)"
sleep 1
if [ -n "${TAVIMO_PACKAGE_SHOT:-}" ]; then
  ffmpeg -nostdin -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$TAVIMO_PACKAGE_SHOT" || true
fi
press "$book" "alt+f Return" "xdotool search --onlyvisible --name '^ブックの新規作成$' >/dev/null 2>&1" ||
  fail "Alt+F and Enter did not ask for a new book's title"
box=$(find_window '^ブックの新規作成$')
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
sleep 0.5
xdotool type --delay 100 '棚'
sleep 0.3
xdotool key Return
for _ in $(seq 1 100); do [ -f "$home/.local/share/Tavimo/棚.book" ] && break; sleep 0.1; done
[ -f "$home/.local/share/Tavimo/棚.book" ] || fail "no 棚.book in the library"
press "$book" "alt+f x" "! kill -0 $pid 2>/dev/null" || fail "終了(&X) did not end the program"
wait $pid
SESSION
# Bounded, so that the package is removed before ctest's own time limit ends the test.
TAVIMO_XVFB_HELPERS="$here/../app/xvfb-helpers.sh" TAVIMO_PACKAGE_SHOT="${TAVIMO_PACKAGE_SHOT:-}" \
  timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$exec_line" "$home" "$work/run" ||
  fail "the session under Xvfb failed"

for file in Tavimo.ini userex.inf 棚.book 棚/images; do
  [ -e "$lib/$file" ] || fail "the library has no $file"
done
grep -qxF $'.webm\r' "$lib/userex.inf" || fail "the new library's userex.inf lacks .webm"
library_state() { (cd "$lib" && find . -printf '%p %y %s %m\n' | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
before=$(library_state)

apt-get remove -y -qq tavimo >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; fail "apt-get remove tavimo failed"; }
installed && fail "tavimo is still installed after apt-get remove"
[ ! -e /usr/bin/Tavimo ] || fail "/usr/bin/Tavimo is still there"
[ "$(library_state)" = "$before" ] || fail "removing the package changed the library"
echo "installed-package journey passed: $(wc -l <<<"$before") entries of the library kept"
