#!/usr/bin/env bash
# How long the headless tool takes to verify a replay of one hour of play, and how big the replay is.
# The autopilot plays an hour of virtual time (it restarts from each end screen) and saves it as a
# replay; then `talvessa-headless --replay FILE --verify` plays it back and checks every check line.
# Goal: a few seconds. Usage: bench/replay_verify.sh [MINUTES] (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
minutes=${1:-60}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
headless=./build/release/talvessa-headless

start=$(date +%s%N)
"$headless" --seed 7 --autopilot --until-ms $((minutes * 60000)) --save-replay "$dir/hour.txt"
saved=$(date +%s%N)
"$headless" --replay "$dir/hour.txt" --verify
verified=$(date +%s%N)

passes=$(grep -c ' check ' "$dir/hour.txt")
printf 'replay of %d minutes of play: %d bytes, %d check lines (every %s passes)\n' "$minutes" \
  "$(stat -c %s "$dir/hour.txt")" "$passes" "$(sed -n 's/^check-every //p' "$dir/hour.txt")"
printf 'played and saved in %.2f s; verified in %.2f s (goal: a few seconds)\n' \
  "$(echo "($saved - $start) / 1000000000" | bc -l)" "$(echo "($verified - $saved) / 1000000000" | bc -l)"
