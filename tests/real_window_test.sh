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

me=real_window_test
# shellcheck source=window_driver.sh
. "$(cd "$(dirname "$0")" && pwd)/window_driver.sh"

start_game "$game"
[ "$(window_size)" = 576x448 ] || fail "window is $(window_size), not 576x448"

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

quit_game
echo "real_window_test: ok"
