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

# Each screen's texts at four times their size, pixel for pixel, for docs/fonts.md.
printf '4000 Space down\n4200 Space up\n30000 Enter down\n30200 Enter up\n' >"$keys"
pause=$(mktemp --suffix=.png)
"$tool" --seed 7 --until-ms 31000 --keys "$keys" --last-frame "$pause" >/dev/null
zoom() {  # zoom NAME PICTURE WIDTHxHEIGHT+X+Y
  mkdir -p text
  convert "$2" -crop "$3" +repage -filter point -resize 400% -strip -define png:exclude-chunks=date,time \
    "text/$1.png"
  echo "docs/text/$1.png"
}
zoom title attract.png 140x36+150+110
zoom prompt attract.png 200x24+170+317
zoom funds play-phase1.png 120x28+230+33
zoom pause "$pause" 70x24+256+212
zoom results game-over.png 400x268+80+96
zoom ending ending.png 410x30+60+92
rm -f "$pause"

# The game in its real window at twice the size on a full-HD desktop (under Xvfb), as the window test
# leaves it a second into play.
game=$(dirname "$tool")/talvessa
shots=$(mktemp -d)
xvfb-run -a -s "-screen 0 1920x1080x24" ../tests/window_modes_test.sh "$game" "$shots" >/dev/null
cp "$shots/play-2x.png" window-2x.png
rm -rf "$shots"
echo "docs/window-2x.png"
