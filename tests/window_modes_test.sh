#!/usr/bin/env bash
# The window on a full-HD desktop with a window manager (run under Xvfb): it opens at twice the picture's
# size with every pixel a sharp 2 x 2 block and the flag icon; Alt+Enter goes fullscreen without pausing play, Enter alone
# still pauses, F11 comes back; a window dragged to another size keeps the picture whole and centred on
# black. Screenshots are left in OUTPUT_DIR (play-2x.png is the one shown in the README).
# Usage: window_modes_test.sh GAME OUTPUT_DIR   (needs a 1920x1080 screen)
set -euo pipefail
game=$1 out=$2
mkdir -p "$out"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

me=window_modes_test
# shellcheck source=window_driver.sh
. "$(cd "$(dirname "$0")" && pwd)/window_driver.sh"

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true' EXIT
sleep 0.5

# Whether the picture changes over a second and a half: play goes on, a paused game stands still.
moving() {
  import -window "$wid" "$out/before.png"
  sleep 1.5
  import -window "$wid" "$out/after.png"
  [ "$(compare -metric AE "$out/before.png" "$out/after.png" null: 2>&1 || true)" != 0 ]
}
still() { ! moving; }
# Whether the field's top-left corner lands where a picture at `factor` placed at (x, y) puts it; when
# not, `problem` says what is wrong.
field_at() {
  local factor=$1 x=$2 y=$3
  problem="the field is not at $x,$y x$factor"
  [ "$(pixel $((x + 32 * factor)) $((y + 32 * factor)))" = 128,128,64 ] || return 1
  problem="no black border at $x,$y x$factor"
  [ "$(pixel $((x + 32 * factor - 1)) $((y + 32 * factor - 1)))" = 0,0,0 ] || return 1
  problem="the band left of the picture is not black"
  [ "$x" -eq 0 ] || [ "$(pixel $((x - 1)) $((y + 100)))" = 0,0,0 ]
}
expect_field_at() { within 5 field_at "$@" || fail "$problem"; }

start_game "$game"
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
[ "$(window_size)" = 1152x896 ] || fail "window opened at $(window_size), not 1152x896 (2x)"
# The flag icon, 128 x 128, for the title bar and the task switcher.
within 5 has_icon 128 || fail "the window has no 128x128 icon"

await 600 400 255,255,255            # the logo screen starts white
await 600 400 0,0,0 space            # Space skips it
await 600 400 128,128,64 space       # Space starts play
expect_field_at 2 0 0
for key in Left space Right space; do press "$key"; sleep 0.3; done
import -window "$wid" "$out/play-2x.png"
# Nearest-neighbour at a whole factor: halving and doubling again by sampling changes no pixel.
convert "$out/play-2x.png" -sample 50% -sample 200% "$out/resampled.png"
[ "$(compare -metric AE "$out/play-2x.png" "$out/resampled.png" null: 2>&1 || true)" = 0 ] ||
  fail "the 2x picture is not made of sharp 2 x 2 blocks"

# Alt+Enter: fullscreen, and the Enter in it must not pause.
xdotool keydown alt keydown Return
sleep 0.15
xdotool keyup Return keyup alt
sleep 1  # a pause, had the Enter reached the game, would be in force by now
within 5 size_is 1920x1080 || fail "Alt+Enter did not go fullscreen ($(window_size))"
moving || fail "play stopped after Alt+Enter: its Enter reached the game"
expect_field_at 2 384 92
import -window "$wid" "$out/fullscreen.png"

# Enter alone pauses and resumes as ever.
press Return
within 5 still || fail "Enter alone did not pause"
press Return
within 5 moving || fail "Enter did not resume"

press F11
within 5 size_is 1152x896 || fail "F11 did not leave fullscreen ($(window_size))"

# Dragged to another size: 2x centred on black; smaller than 2x, back to 1x.
xdotool windowsize --sync "$wid" 1500 1000
expect_field_at 2 174 52
xdotool windowsize --sync "$wid" 1100 800
expect_field_at 1 262 176
import -window "$wid" "$out/resized-1x.png"

quit_game
echo "window_modes_test: ok"
