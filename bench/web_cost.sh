#!/usr/bin/env bash
# What the page costs against the desktop game, measured in the same run (bench/web_cost.mjs, then
# bench/game.sh): CPU on the title, in play and paused at 1200 x 950 and 1920 x 1080, the program's
# wake-ups, frame and picture times, first picture cold and warm, the page's sizes raw and gzipped, and
# the ratios page / desktop. A benchmark: it prints figures and goals, and fails on none of them.
#   bench/web_cost.sh [SECONDS] [--no-desktop]   (SECONDS of each stretch, default 10; build/web first,
#   with scripts/web; tests/web/browser_test.sh installs playwright-core)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
site=build/web
modules=${TALVESSA_WEB_TEST_MODULES:-build/web-test}
[ -f "$site/index.html" ] || { echo "no page in $site: run scripts/web first" >&2; exit 1; }
[ -d "$modules/node_modules/playwright-core" ] || { echo "run tests/web/browser_test.sh once first" >&2; exit 1; }

echo "the page's files (without their .gz and .br copies):"
total=0 zipped=0
while IFS= read -r file; do
  size=$(stat -c %s "$file") gz=$(gzip -9c "$file" | wc -c)
  total=$((total + size)) zipped=$((zipped + gz))
  case $file in *.wasm | *.js | *.ogg) printf '  %-16s %9d bytes  %9d gzipped\n' "${file#"$site"/}" "$size" "$gz" ;; esac
done < <(find "$site" -type f ! -name '*.gz' ! -name '*.br' | sort)
printf '  the whole page    %9d bytes  %9d gzipped\n' "$total" "$zipped"

web=$(mktemp)
trap 'rm -f "$web"' EXIT
node bench/web_cost.mjs "$modules/node_modules/playwright-core" "$site" "$seconds" | tee "$web" | grep -v '^RESULT'
[ "${2:-}" = --no-desktop ] && exit 0

echo "the desktop game (bench/game.sh, the disk audio driver), for the ratios:"
desktop=$(bench/game.sh "$((seconds * 2))" "$seconds" | awk '/AUDIODRIVER=disk/ {on = 1} /AUDIODRIVER=dummy/ {on = 0}
  on && $1 == "play" {play = $2} on && $1 == "paused" {paused = $2} END {print play, paused}')
read -r play paused <<<"$desktop"
read -r _ _ web_play _ web_paused _ main_play _ main_paused < <(grep "^RESULT" "$web")
awk -v dp="$play" -v dz="$paused" -v wp="$web_play" -v wz="$web_paused" -v mp="$main_play" -v mz="$main_paused" 'BEGIN {
  printf "  desktop: %.2f %% of a core in play, %.2f %% paused\n", dp, dz
  printf "  page / desktop at 1200 x 950: all processes %.1fx in play, %.1fx paused; main thread %.1fx, %.1fx\n",
    wp / dp, wz / dz, mp / dp, mz / dz }'
