#!/usr/bin/env bash
# A real game recorded in the window (run under Xvfb) and played back exactly: the logo and the title
# skipped, steps, throws, the van, a pause, Esc. The headless tool verifies the recording, and reports
# the first pass where a world changed on purpose differs from it; the game shows it again in its window.
# MODE: plain; loaded (two busy loops take both cores while it records); killed (the game is killed
# with SIGKILL in mid-game: the recording plays back up to its last flushed second).
# Usage: replay_window_test.sh GAME HEADLESS OUTPUT_DIR MODE
set -euo pipefail
game=$1
headless=$2
out=$3
mode=$4
mkdir -p "$out"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

me="replay_window_test ($mode)"
# shellcheck source=window_driver.sh
. "$(cd "$(dirname "$0")" && pwd)/window_driver.sh"

# A replay that cannot be shown is refused before any window opens: in one line, status 2, the same
# with no display at all (a game that opened its window first would fail on that instead).
if [ "$mode" = plain ]; then
  bad=$out/bad.txt
  { printf 'talvessa-replay 1\ngame 1.1.0\nseed 1\ncheck-every 30\np30 check'
    for _ in $(seq 1 3000); do printf ' x'; done; echo; } >"$bad"
  for display in "$DISPLAY" ""; do
    status=0
    DISPLAY=$display timeout 20 "$game" --replay "$bad" >"$out/bad-replay.txt" 2>&1 || status=$?
    [ "$status" = 2 ] && [ "$(wc -l <"$out/bad-replay.txt")" = 1 ] &&
      grep -q ': line 5: ' "$out/bad-replay.txt" ||
      fail "a bad replay with DISPLAY=$display gave status $status: $(cat "$out/bad-replay.txt")"
  done
fi

rec=$out/recorded.txt
rm -f "$rec"
loaders=()
stop_loaders() { for p in "${loaders[@]}"; do kill "$p" 2>/dev/null || true; done; }
if [ "$mode" = loaded ]; then
  for _ in 1 2; do (while :; do :; done) & loaders+=($!); done
fi

start_game "$game" --record "$rec"
trap 'kill "$pid" 2>/dev/null || true; stop_loaders' EXIT
await 300 200 255,255,255
await 300 200 0,0,0 space
await 300 200 128,128,64 space
for key in Left Left space Right space v Right space; do press "$key"; sleep 0.3; done
press Return
sleep 1
press Return
sleep 0.5
for key in space Left space; do press "$key"; sleep 0.3; done

if [ "$mode" = killed ]; then
  sleep 2
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null || true
  stop_loaders
  trap - EXIT
  # Everything played more than a second before the kill is there: the last key let go.
  last=$(grep -E '^p[0-9.]+ [A-Za-z]+ (down|up)$' "$rec" | tail -n 1)
  [ "${last#* }" = "Space up" ] || fail "the recording lost its last second: its last key is \"$last\""
  status=0
  "$headless" --replay "$rec" --verify >"$out/verify.txt" 2>&1 || status=$?
  [ "$status" = 4 ] || fail "a recording cut short verified with status $status: $(cat "$out/verify.txt")"
  grep -q "cut short" "$out/verify.txt" || fail "no word of the cut: $(cat "$out/verify.txt")"
  echo "$me: ok"
  exit 0
fi

quit_game
stop_loaders
trap - EXIT
grep -q ' end quit ' "$rec" || fail "the recording has no end line"
"$headless" --replay "$rec" --verify >"$out/verify.txt" 2>&1 || fail "the recording does not verify: $(cat "$out/verify.txt")"

# One value changed a pass into play: the first check after it names the pass and the field.
first_play=$(grep -m 1 -E '^p[0-9]+ check GameState=0 ' "$rec" | sed -E 's/^p([0-9]+) .*/\1/')
every=$(sed -n 's/^check-every //p' "$rec")
status=0
"$headless" --replay "$rec" --verify --test-change-funds-at-pass "$((first_play + 1))" >"$out/altered.txt" 2>&1 ||
  status=$?
[ "$status" = 3 ] || fail "an altered world verified with status $status"
grep -q "pass $((first_play + every)): the world differs: Funds is" "$out/altered.txt" ||
  fail "the difference is not named: $(cat "$out/altered.txt")"

# The game shows the recording again at its pace and ends where it ended, by the recorded Esc; said to
# be of another version (whose name, escape and all, is quoted), it plays the same.
if [ "$mode" = plain ]; then
  other=$out/other-version.txt
  sed 's/^game .*/game 0.9\x1b[2J/' "$rec" >"$other"
  status=0
  timeout 120 "$game" --replay "$other" >"$out/window-replay.txt" 2>&1 || status=$?
  [ "$status" = 0 ] || fail "the game's playback ended with status $status: $(cat "$out/window-replay.txt")"
  grep -qF 'recorded by version "0.9\x1b[2J" of the game' "$out/window-replay.txt" &&
    ! grep -q $'\x1b' "$out/window-replay.txt" || fail "the version is not quoted: $(cat -v "$out/window-replay.txt")"
fi
echo "$me: ok"
