#!/usr/bin/env bash
# The web build plays exactly as the desktop: the game runs with the native headless tool (the desktop's
# faces, found by fontconfig) and with the WebAssembly one under node (the faces cut down for the page):
# two minutes of the attract sequence, ten minutes of the autopilot's play, and a game the autopilot gives
# up in its second phase, played on to the game-over screen and its results. Every picture is hashed
# and every loop pass traced, and both must match line for line, so the pictures and the world are equal
# from the first pass to the last; a character the cut-down faces lack shows as a picture that differs.
# Usage: tests/web/identity.sh NATIVE_TOOL WASM_TOOL.js FACES_DIR [UNTIL_MS]
set -euo pipefail
native=${1:?usage: identity.sh NATIVE_TOOL WASM_TOOL.js FACES_DIR [UNTIL_MS]}
wasm=${2:?usage: identity.sh NATIVE_TOOL WASM_TOOL.js FACES_DIR [UNTIL_MS]}
faces=${3:?usage: identity.sh NATIVE_TOOL WASM_TOOL.js FACES_DIR [UNTIL_MS]}
until_ms=${4:-600000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One leg: the same run on both tools, compared. The attract sequence shows the screens' faces, which the
# autopilot, starting play at once, never lets appear; play shows the play face.
leg() {
  local name=$1 ms=$2
  shift 2
  local run=(--seed 7 --until-ms "$ms" "$@") out=$work/$name
  "$native" "${run[@]}" --hashes "$out.native.hashes" --trace "$out.native.trace"
  NODE_PATH=/usr/share/nodejs node --no-experimental-fetch "$wasm" "${run[@]}" --fonts "$faces" \
    --hashes "$out.wasm.hashes" --trace "$out.wasm.trace"
  local pictures
  pictures=$(wc -l <"$out.native.hashes")
  # A run shows a picture every 33 or 67 ms while anything moves (an end screen holds its picture for
  # stretches); one that showed fewer than one picture in 150 ms did not play.
  if [ "$pictures" -lt $((ms / 150)) ]; then
    echo "identity ($name): only $pictures pictures in $ms ms" >&2
    exit 1
  fi
  if ! cmp -s "$out.native.hashes" "$out.wasm.hashes"; then
    echo "identity ($name): the pictures differ from" \
         "$(first_difference "$out.native.hashes" "$out.wasm.hashes")" \
         "of the hash lists ($pictures native, $(wc -l <"$out.wasm.hashes") wasm)" >&2
    exit 1
  fi
  if ! cmp -s "$out.native.trace" "$out.wasm.trace"; then
    echo "identity ($name): the world differs from" \
         "$(first_difference "$out.native.trace" "$out.wasm.trace")" \
         "of the traces" >&2
    exit 1
  fi
  echo "identity ($name): $pictures pictures and $(wc -l <"$out.native.trace") loop passes identical," \
       "native and wasm"
}

# The first line that differs, from cmp's "... differ: byte B, line L" (or "EOF on F after byte B, line L").
first_difference() { cmp "$1" "$2" 2>&1 | sed -n 's/.* line \([0-9]*\)$/line \1/p'; }

# The legs run side by side, each in a shell of its own (which leaves the work folder to this one): the
# autopilot's leg, the longest, sets the time.
legs=()
leg attract 120000 &
legs+=($!)
leg autopilot "$until_ms" --autopilot &
legs+=($!)
# Given up in phase 2, this game ends after some 256 s; the game-over screen and its results follow.
leg results 400000 --autopilot --autopilot-until-phase 2 &
legs+=($!)
failed=0
for job in "${legs[@]}"; do wait "$job" || failed=1; done
[ "$failed" = 0 ] || exit 1
if ! grep -q '"loop":"game_over"' "$work/results.native.trace"; then
  echo "identity (results): the game never reached its game-over screen" >&2
  exit 1
fi
