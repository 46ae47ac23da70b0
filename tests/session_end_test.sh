#!/usr/bin/env bash
# A recording ended from outside the window is complete: the game, recording a game in play, gets a
# hang-up (its terminal closed), an interrupt (Ctrl+C), or loses its X server (killed); it ends with
# status 0 and its recording has its end line and verifies whole.
# Usage: session_end_test.sh GAME HEADLESS OUTPUT_DIR hangup|interrupt|display
set -euo pipefail
game=$1
headless=$2
out=$3
mode=$4
mkdir -p "$out"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
me="session_end_test ($mode)"
# shellcheck source=window_driver.sh
. "$(cd "$(dirname "$0")" && pwd)/window_driver.sh"

# An X server of the test's own, so that it can be killed; it names its display on descriptor 3's pipe.
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ xpid <&3
read -r number <&3
export DISPLAY=:$number
stop_x() { kill "$xpid" 2>/dev/null || true; }

rec=$out/recorded.txt
rm -f "$rec"
start_game "$game" --record "$rec"
trap 'kill "$pid" 2>/dev/null || true; stop_x' EXIT
await 300 200 255,255,255
await 300 200 0,0,0 space
await 300 200 128,128,64 space
for key in Left space Right; do press "$key"; sleep 0.3; done

case $mode in
  hangup) kill -HUP "$pid" ;;
  interrupt) kill -INT "$pid" ;;
  display) kill -KILL "$xpid" ;;
esac
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the game did not end"
status=0
wait "$pid" || status=$?
trap - EXIT
stop_x
[ "$status" = 0 ] || fail "the game ended with status $status"
grep -qE '^p[0-9]+ end closed ' "$rec" || fail "the recording has no end line: $(tail -n 1 "$rec")"
"$headless" --replay "$rec" --verify >"$out/verify.txt" 2>&1 ||
  fail "the recording does not verify: $(cat "$out/verify.txt")"
echo "$me: ok"
