#!/usr/bin/env bash
# Drives the desktop window in a virtual X server as a new user would, and takes a screenshot
# at every step to look at the real rendering of its Japanese texts: picks the bundled sample
# with 参照, converts it (default options, so it takes a while), converts it again and cancels
# halfway, then leaves with 終了. Checks that the first conversion wrote the .dat and that the
# cancelled one left it as it was. Needs Xvfb, xdotool, ImageMagick and openbox, which draws
# the title bars (scripts/install-deps.sh --dev).
#   scripts/screenshot.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$build/screenshots}
mkdir -p "$out"
work=$(mktemp -d)
xvfb=""
wm=""
app=""
cleanup() {
  [[ -n "$app" ]] && kill "$app" 2>/dev/null || true
  [[ -n "$wm" ]] && kill "$wm" 2>/dev/null || true
  [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1

# The whole screen, cut down to what is drawn on it.
shoot() {
  import -window root "$work/screen.png"
  convert "$work/screen.png" -trim +repage "$out/$1.png"
  echo "$out/$1.png"
}
# Clicks at a point given in hundredths of a window's width and height.
click_in() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  # Relative to the window itself: the position reported for a framed window is off.
  xdotool mousemove --window "$1" --sync $((WIDTH * $2 / 100)) $((HEIGHT * $3 / 100)) click 1
}
wait_for() { timeout "${2:-20}" xdotool search --sync --onlyvisible --name "$1" | head -1; }
# Positions in hundredths of the window, from the controls' dialog units.
convert_button() { click_in "$main" 14 79; } # 変換 at 40, 130 of 279 × 165
exit_button() { click_in "$main" 86 79; }    # 終了 at 240, 130
browse_button() { click_in "$main" 86 22; }  # 参照 at 240, 36
cancel_button() { click_in "$(wait_for '^Dialog$')" 83 72; } # キャンセル at 154, 43 of 186 × 60

cp examples/hello.wav "$work/sample.wav"
"$build/bin/quillwave" &
app=$!
main=$(wait_for '^Quillwave$')
sleep 1
shoot main

browse_button
wait_for '^(開く|Open)$' >/dev/null
sleep 1
xdotool type --delay 2 "$work/sample.wav"
sleep 0.5
shoot browse
xdotool key Return
sleep 0.5
shoot chosen

# The whole conversion: the progress window, then the final message.
start=$(date +%s)
convert_button
wait_for '^Dialog$' >/dev/null
sleep 2.5
shoot progress
wait_for '^wave -> tonelace$' 900 >/dev/null
echo "conversion shown finished after $(($(date +%s) - start)) s"
sleep 0.5
shoot finished
xdotool key Return
[[ -s "$work/sample.dat" ]] || { echo "no sample.dat after the conversion" >&2; exit 1; }
before=$(md5sum <"$work/sample.dat")

# Again, cancelled halfway through the analysis: a minute of the sample under the same name,
# so the conversion surely runs long enough to be cancelled.
sox "$work/sample.wav" "$work/long.wav" repeat 20
mv "$work/long.wav" "$work/sample.wav"
convert_button
wait_for '^Dialog$' >/dev/null
sleep 3
shoot progress-again
cancel_button
wait_for '^wave -> tonelace$' >/dev/null
sleep 0.5
shoot aborted
xdotool key Return
sleep 0.5
[[ "$(md5sum <"$work/sample.dat")" == "$before" ]] || { echo "the cancelled job changed sample.dat" >&2; exit 1; }

exit_button
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "quillwave did not end after 終了" >&2; exit 1; fi
app=""
echo "quillwave ended after 終了"
