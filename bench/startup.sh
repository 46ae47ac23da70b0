#!/usr/bin/env bash
# Start-up time and peak memory of the release build in a real window under Xvfb (SCREEN as in pacing.sh).
#  - start-up: from launching the process to the logo's first picture (ten launches of startup_probe,
#    which runs the game's own start-up and stops at that picture); goal 150 ms.
#  - memory: the game itself played for two minutes (skip the logo, start, throw a banknote every
#    0.3 s, which also restarts from each end screen), its peak resident size read before Esc; goal 64 MB.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
seconds=${1:-120}

xvfb-run -a -s "-screen 0 ${SCREEN:-1024x768x24}" bash -s "$seconds" <<'INNER'
set -euo pipefail
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
seconds=$1
times=()
for _ in $(seq 1 10); do
  start=$(date +%s%N)
  out=$(./build/release/bench/startup_probe)
  read -r shown _ <<<"$out"
  times+=($(( (shown - start) / 1000 )))
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {
  printf "start-up to the first logo picture: median %.1f ms, best %.1f ms, worst %.1f ms (goal 150 ms)\n",
         a[int((NR+1)/2)]/1000, a[1]/1000, a[NR]/1000 }'

./build/release/talvessa &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
wid=$(timeout 30 xdotool search --sync --name '^Talvessa$' | head -n 1)
xdotool windowfocus --sync "$wid" 2>/dev/null || true
press() { xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; }
press space; sleep 0.5; press space
end=$((SECONDS + seconds))
while [ $SECONDS -lt $end ]; do press space; sleep 0.2; done
peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
press Escape
wait "$pid" || true
trap - EXIT
echo "peak memory over ${seconds} s of play: $((peak / 1024)) MB ($peak kB; goal 64 MB)"
INNER
