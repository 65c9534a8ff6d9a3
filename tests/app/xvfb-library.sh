# What the scripts that drive the real program under Xvfb share outside their session. Sourced
# at their start: a work folder (removed at exit unless TAVIMO_KEEP_WORK is set) holding an
# empty library folder $lib and a runtime folder, and the program pointed at them.
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap '[ -n "${TAVIMO_KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
lib="$work/lib"
mkdir -p "$lib" "$work/run"
chmod 700 "$work/run"
export TAVIMO_LIBRARY="$lib" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/../lsan.supp:print_suppressions=0}"
export TAVIMO_XVFB_HELPERS="$here/xvfb-helpers.sh"

# The current book "shelf" with the album "trip" of one video, $work/videos/clip.mp4, copied
# from $1; further settings may be appended to $lib/Tavimo.ini. "動画表示を修正"
# (mixer=1) draws the video without OpenGL: under Xvfb OpenGL is Mesa's software driver, which
# leaves allocations behind when it is unloaded at exit and fails the leak check.
shelf_with_trip() {
  mkdir -p "$lib/shelf/images" "$work/videos"
  [ "$1" -ef "$work/videos/clip.mp4" ] || cp "$1" "$work/videos/clip.mp4"
  printf '[text]\r\nbook=shelf\r\n[ex]\r\npacked=1\r\nmixer=1\r\n' >"$lib/Tavimo.ini"
  printf 'trip\r\n' >"$lib/shelf.book"
  printf '%s\r\n' "$work/videos/clip.mp4" >"$lib/shelf/trip.alb"
}

# Runs $work/session.sh on a new X server with the given arguments (the program first).
run_session() {
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$@"
}
