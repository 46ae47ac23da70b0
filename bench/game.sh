#!/usr/bin/env bash
# The real game, tune included, under Xvfb (release build): CPU per thread in play and paused, start-up
# against a bare SDL window measured in the same run, and peak memory. Prints figures, goals and ratios.
#   bench/game.sh [PLAY_SECONDS [PAUSED_SECONDS]]     (defaults 20 and 10)
# Each audio driver is measured in turn: SDL's disk driver writing to /dev/null, then the dummy driver.
# CPU is read from /proc/PID/task/*/stat: utime + stime over the wall time of the stretch.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release --target talvessa startup_probe bare_window >/dev/null
play=${1:-20}
paused=${2:-10}

xvfb-run -a -s "-screen 0 ${SCREEN:-1024x768x24}" bash -s "$play" "$paused" <<'INNER'
set -euo pipefail
play=$1 paused=$2
hz=$(getconf CLK_TCK)

# One line per thread: id, name (spaces made underscores), user + system ticks.
threads() {
  for stat in /proc/"$1"/task/*/stat; do
    sed -E 's/^([0-9]+) \((.*)\) (.*)$/\1 \2\n\3/' "$stat" 2>/dev/null |
      awk 'NR == 1 {id = $1; $1 = ""; name = substr($0, 2); gsub(/ /, "_", name)}
           NR == 2 {print id, name, $12 + $13}'
  done
}
now() { date +%s.%N; }

# CPU of each thread between two samples, and the whole process, as % of a core.
report() {  # label, before file, after file, seconds
  awk -v label="$1" -v secs="$4" -v hz="$hz" -v goal="$5" '
    FNR == NR {before[$1] = $3; next}
    {used = $3 - before[$1]; total += used; if (used > 0) line[$2 " (" $1 ")"] += used}
    END {
      printf "  %-7s %5.2f %% of a core (goal %s %%)\n", label, 100 * total / hz / secs, goal
      for (t in line) printf "      %-24s %5.2f %%\n", t, 100 * line[t] / hz / secs
    }' "$2" "$3"
}

press() { xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; }

echo "start-up to the first logo picture (median of 15 launches of each, alternated):"
# Each probe prints the moment of its first picture and the CPU time its process had used by then; the
# CPU time is the figure a busy machine disturbs least.
game=() bare=() game_cpu=() bare_cpu=()
for _ in $(seq 1 15); do
  # Each launch is waited for to its end, so that none overlaps the next.
  start=$(date +%s%N); out=$(SDL_AUDIODRIVER=dummy ./build/release/bench/startup_probe); read -r shown cpu <<<"$out"
  game+=($(( (shown - start) / 1000 ))) game_cpu+=($((cpu / 1000)))
  start=$(date +%s%N); out=$(./build/release/bench/bare_window); read -r shown cpu <<<"$out"
  bare+=($(( (shown - start) / 1000 ))) bare_cpu+=($((cpu / 1000)))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
g=$(median "${game[@]}") b=$(median "${bare[@]}")
gc=$(median "${game_cpu[@]}") bc=$(median "${bare_cpu[@]}")
awk -v g="$g" -v b="$b" -v gc="$gc" -v bc="$bc" 'BEGIN {
  printf "  game %.1f ms, bare window %.1f ms: %.2fx (goal 1.25x)\n", g / 1000, b / 1000, g / b
  printf "  CPU by then: game %.1f ms, bare window %.1f ms: %.2fx\n", gc / 1000, bc / 1000, gc / bc }'

for driver in disk dummy; do
  echo "SDL_AUDIODRIVER=$driver: ${play} s of play after the shatter, then ${paused} s paused"
  SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE=/dev/null ./build/release/talvessa 2>/dev/null &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  wid=$(timeout 30 xdotool search --sync --name '^Talvessa$' | head -n 1)
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  # Past the logo, a while on the attract sequence, then the shatter and into play.
  sleep 1; press space; sleep 3; press space; sleep 4
  threads "$pid" >/tmp/game_bench.$$.a; t0=$(now)
  # A banknote every few seconds keeps the game going.
  end=$((SECONDS + play))
  while [ $SECONDS -lt $end ]; do sleep 4; press space; done
  threads "$pid" >/tmp/game_bench.$$.b; t1=$(now)
  press Return; sleep 1
  threads "$pid" >/tmp/game_bench.$$.c; t2=$(now)
  sleep "$paused"
  threads "$pid" >/tmp/game_bench.$$.d; t3=$(now)
  peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  report play /tmp/game_bench.$$.a /tmp/game_bench.$$.b "$(echo "$t1 - $t0" | bc)" 3
  report paused /tmp/game_bench.$$.c /tmp/game_bench.$$.d "$(echo "$t3 - $t2" | bc)" 1.5
  echo "  peak memory $((peak / 1024)) MB ($peak kB; goal 64 MB)"
  press Escape
  wait "$pid" || true
  trap - EXIT
  rm -f /tmp/game_bench.$$.*
done
INNER
