#!/usr/bin/env bash
# Redraws the README's pictures with the headless tool (same seed and keys, same pictures):
#   docs/make-screenshots.sh [path/to/talvessa-headless]
set -euo pipefail
cd "$(dirname "$0")"
tool=${1:-../build/release/talvessa-headless}
keys=$(mktemp)
trap 'rm -f "$keys"' EXIT

shot() {  # shot NAME UNTIL_MS TOOL-OPTIONS…
  local name=$1 until=$2
  shift 2
  "$tool" "$@" --until-ms "$until" --last-frame "$name.png" >/dev/null
  echo "docs/$name.png"
}

# Skip the logo, start, then throw a banknote every 0.3 s from the middle: the money runs out.
{
  printf '200 Space down\n400 Space up\n1000 Space down\n1200 Space up\n'
  for ((t = 3000; t < 120000; t += 300)); do printf '%d Space down\n%d Space up\n' "$t" $((t + 100)); done
} >"$keys"

shot logo 1300 --seed 1
shot attract 6000 --seed 1
shot play-phase1 120000 --seed 7 --autopilot
shot play-phase2 262000 --seed 7 --autopilot
shot play-phase3 345000 --seed 7 --autopilot
shot game-over 43700 --seed 3 --keys "$keys"
shot ending 112200 --seed 3 --keys "$keys"

# The game in its real window at twice the size on a full-HD desktop (under Xvfb), as the window test
# leaves it a second into play.
game=$(dirname "$tool")/talvessa
shots=$(mktemp -d)
xvfb-run -a -s "-screen 0 1920x1080x24" ../tests/window_modes_test.sh "$game" "$shots" >/dev/null
cp "$shots/play-2x.png" window-2x.png
rm -rf "$shots"
echo "docs/window-2x.png"
