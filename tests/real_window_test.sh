#!/usr/bin/env bash
# The game in a real window (run under Xvfb): Space skips the logo, Space starts play, the window
# shows the field inside its black border, a few seconds of play, Esc ends the game with status 0.
# Screenshots of the logo, the title screen and play are left in OUTPUT_DIR.
# Usage: real_window_test.sh GAME [OUTPUT_DIR]
# SDL_AUDIODRIVER picks the sound device (default: SDL's silent "dummy" device); a device that cannot
# open must leave the game running silently.
set -euo pipefail
game=$1
out=${2:-$(mktemp -d)}
mkdir -p "$out"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

"$game" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

fail() { echo "real_window_test: $*" >&2; exit 1; }
press() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; }
# The colour of one pixel of the window as "r,g,b".
pixel() {
  import -window "$wid" "$out/now.png"
  convert "$out/now.png" -format "%[fx:int(255*p{$1,$2}.r+0.5)],%[fx:int(255*p{$1,$2}.g+0.5)],%[fx:int(255*p{$1,$2}.b+0.5)]" info:
}
# Waits up to 15 s for pixel (x, y) to turn the given colour, pressing a key now and then if asked.
await() {
  local x=$1 y=$2 colour=$3 key=${4:-}
  for _ in $(seq 1 75); do
    [ "$(pixel "$x" "$y")" = "$colour" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    [ -n "$key" ] && press "$key"
    sleep 0.2
  done
  fail "pixel $x,$y never became $colour (last $(pixel "$x" "$y"))"
}

wid=$(timeout 30 xdotool search --sync --name '^Talvessa$' | head -n 1) || fail "no window appeared"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 576 ] && [ "$HEIGHT" = 448 ] || fail "window is ${WIDTH}x${HEIGHT}, not 576x448"

await 300 200 255,255,255            # the logo screen starts white
sleep 1.2
import -window "$wid" "$out/logo.png"
await 300 200 0,0,0 space           # Space skips it; the title screen is black between its lines
sleep 1.5
import -window "$wid" "$out/attract.png"
await 300 200 128,128,64 space      # Space starts play: the olive field
[ "$(pixel 10 10)" = 0,0,0 ] || fail "no black border around the field"
[ "$(pixel 32 32)" = 128,128,64 ] || fail "the field does not start at 32,32"
# A few seconds of play: steps and throws.
for key in Left Left space Right space Right Right space; do press "$key"; sleep 0.3; done
kill -0 "$pid" 2>/dev/null || fail "the game ended during play"
import -window "$wid" "$out/play.png"

press Escape
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Esc did not end the game"
trap - EXIT
status=0
wait "$pid" || status=$?
[ "$status" = 0 ] || fail "the game ended with status $status"
echo "real_window_test: ok"
