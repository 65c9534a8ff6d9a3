# What the scripts that drive the real program under Xvfb share. Sourced by their session
# script once it has started the program as $pid.

fail() { echo "FAIL: $*"; kill $pid 2>/dev/null || true; exit 1; }

# The first visible window whose name matches and that is not the 306 x 88 splash picture,
# waiting up to a minute.
find_window() {
  for _ in $(seq 1 600); do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null || true); do
      w=$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ {print $2}')
      if [ -n "$w" ] && [ "$w" != 306 ]; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  return 1
}

# Presses keys in a window until `until` succeeds: a loaded machine can swallow the first
# presses while a window settles.
press() {
  local window=$1 keys=$2 until=$3
  for _ in 1 2 3 4 5; do
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.5
    xdotool key --delay 200 $keys 2>/dev/null || true
    for _ in $(seq 1 50); do eval "$until" && return 0; sleep 0.1; done
  done
  return 1
}
