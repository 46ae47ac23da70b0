#!/usr/bin/env bash
# What reading a replay costs the headless tool, in time and peak memory, for the files at the edge of
# what a reader accepts: a 63 MB file whose one check line holds 31.5 million words (refused at its
# line's length), and two files of 64 MiB less a little of legal lines, the densest a recorder could
# write: key changes at every query (the smallest lines), and a check line every pass (the largest
# record per byte). Each is played with `talvessa-headless --replay FILE --verify`, which stops at the
# first pass the game does not ask what the file says (status 3), so the figure is the reading's.
# Goal: the long line refused within a second, under 150 MB; no file over twice its size in memory.
# Usage: bench/replay_reading.sh [HEADLESS] (default: the release build's, built first).
set -euo pipefail
cd "$(dirname "$0")/.."
headless=${1:-}
if [ -z "$headless" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target talvessa-headless >/dev/null
  headless=./build/release/talvessa-headless
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
header() { printf 'talvessa-replay 1\ngame 1.1.0\nseed 1\ncheck-every %s\n' "$1"; }
# The check fields at their shortest (a digest is always eight digits).
fields=$(for f in GameState Phase Funds ShotsYen Rescued NotRescued HostagesInPlay StandoffCount PlayerX \
  PlayerY VanX VanY VanTimer VanStopEnd PauseRequest KeyLatch Command LastKey FramePeriod FrameCount \
  EndCounter TitleCounter AttractScrollA AttractScrollB LogoRowCount FirstLetters SecondLetters; do
  printf ' %s=0' "$f"; done
  for f in Units Hostages Shots Bursts Popups LogoRowShown TypedText; do printf ' %s=00000000' "$f"; done)
most=$((64 * 1024 * 1024 - 4096))

{ header 30; printf 'p30 check'; { yes x || true; } | head -n 31500000 | tr '\n' ' '; echo; } >"$dir/long-line.txt"
{ header 100; awk -v fields="$fields" -v most="$most" 'BEGIN {
    for (pass = 1; size < most; ++pass) {
      for (q = 0; q < 1000 && size < most; ++q) {
        line = "p" pass (q ? "." q : "") " Z " (q % 2 ? "up" : "down")
        print line; size += length(line) + 1
      }
      if (q % 2) { line = "p" pass "." q " Z up"; print line; size += length(line) + 1 }
      if (pass % 100 == 0) { line = "p" pass " check" fields; print line; size += length(line) + 1 }
    } }'; } >"$dir/dense-keys.txt"
{ header 1; awk -v fields="$fields" -v most="$most" 'BEGIN {
    for (pass = 1; size < most; ++pass) { line = "p" pass " check" fields; print line; size += length(line) + 1 }
  }'; } >"$dir/dense-checks.txt"

for file in long-line dense-keys dense-checks; do
  status=0
  /usr/bin/time -f '%e %M' -o "$dir/time" "$headless" --replay "$dir/$file.txt" --verify \
    >"$dir/out" 2>&1 || status=$?
  read -r seconds kib < <(tail -n 1 "$dir/time")
  printf '%-13s %9d bytes, %8d lines: status %d in %5.2f s, peak %4d MB (%.2fx the file): %s\n' "$file" \
    "$(stat -c %s "$dir/$file.txt")" "$(wc -l <"$dir/$file.txt")" "$status" "$seconds" $((kib / 1024)) \
    "$(echo "$kib * 1024 / $(stat -c %s "$dir/$file.txt")" | bc -l)" "$(head -c 150 "$dir/out" | head -n 1)"
done
