#!/usr/bin/env bash
# The game started with standard output and error closed, as some launchers start it (under Xvfb), while
# libraries print messages on standard error after the window has opened (ALSA finding no sound card,
# fontconfig finding no configuration): its window opens and plays, and Esc ends it promptly with status 0
# instead of the messages landing in the X connection and the game hanging in closing the display.
# Usage: closed_descriptors_test.sh GAME [OUTPUT_DIR]
set -euo pipefail
game=$1
out=${2:-$(mktemp -d)}
mkdir -p "$out"
export SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH=/nonexistent FONTCONFIG_FILE=/nonexistent

me=closed_descriptors_test
# shellcheck source=window_driver.sh
. "$(cd "$(dirname "$0")" && pwd)/window_driver.sh"

# The shell becomes the game, keeping its process number for the driver.
start_game bash -c 'exec "$0" >&- 2>&-' "$game"
await 300 200 255,255,255            # the logo screen starts white
await 300 200 0,0,0 space            # Space skips it: the title screen
quit_game
echo "closed_descriptors_test: ok"
