#!/usr/bin/env bash
# The game under a tight limit of address space (ulimit -v, 250,000 kB unless told), started ten times
# under Xvfb with its sound going to SDL's disk driver: each start shows its window and ends by Esc with
# status 0, or ends by itself with status 1 and a last line of its own ("talvessa: ..."); never by a
# signal, an uncaught exception or a library's exit. Each start's messages stay in OUTPUT_DIR, and the
# outcomes in OUTPUT_DIR/outcomes.txt.
# A build with AddressSanitizer cannot start under such a limit at all (the sanitizer reserves terabytes
# of address space first): the test then says so and is skipped (status 77). ./test.sh runs it on the
# build of the game alone:
#   xvfb-run -a tests/tight_memory_test.sh build/game/talvessa build/tight-memory
# Usage: tight_memory_test.sh GAME OUTPUT_DIR [STARTS [LIMIT_KB]]
set -uo pipefail
game=$1 out=$2 starts=${3:-10} limit=${4:-250000}
mkdir -p "$out"
me=tight_memory_test
if ldd "$game" | grep -q libasan; then
  echo "$me: skipped: $game is built with AddressSanitizer, which cannot start under ulimit -v;" \
    "run this test on a release build (build/game/talvessa)"
  exit 77
fi
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
# shellcheck source=window_driver.sh
. "$(cd "$(dirname "$0")" && pwd)/window_driver.sh"

window_or_end() {
  wid=$(xdotool search --name '^Talvessa$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] || ! kill -0 "$pid" 2>/dev/null
}

: >"$out/outcomes.txt"
bad=0
for start in $(seq 1 "$starts"); do
  err="$out/start-$start.txt"
  bash -c 'ulimit -v "$0" && exec "$1"' "$limit" "$game" 2>"$err" &
  pid=$!
  within 30 window_or_end
  # The fonts, the effects and the tune start once the logo shows; Esc comes after them.
  if [ -n "$wid" ] && kill -0 "$pid" 2>/dev/null; then
    sleep 3
    kill -0 "$pid" 2>/dev/null && press Escape
  fi
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  hung=
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    hung=yes
  fi
  wait "$pid"
  status=$?
  last=$(tail -n 1 "$err")
  if [ -n "$hung" ]; then
    outcome="did not end within 10 s of Esc"
  elif [ "$status" = 0 ] && [ -n "$wid" ]; then
    outcome="ended by Esc"
  elif [ "$status" = 1 ] && [[ $last == talvessa:* ]]; then
    outcome="ended with its own line: $last"
  elif [ "$status" -gt 128 ]; then
    outcome="killed by signal $((status - 128)): ${last:0:200}"
  else
    outcome="status $status: ${last:0:200}"
  fi
  case $outcome in "ended "*) ;; *) bad=$((bad + 1)) ;; esac
  echo "start $start: $outcome" | tee -a "$out/outcomes.txt"
done
[ "$bad" = 0 ] || fail "$bad of $starts starts under ulimit -v $limit did not end by Esc or with a line of the game's own"
echo "$me: ok"
