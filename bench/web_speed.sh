#!/usr/bin/env bash
# The speed of the web edition's code: the same autopilot run (ten virtual minutes, every picture drawn and
# hashed) with the native release build of the headless tool and with its WebAssembly build under node,
# each timed in CPU seconds (user + system) and wall seconds, best of RUNS, with the ratio wasm / native.
# Also the sizes of the page's files. Usage: bench/web_speed.sh [RUNS] (default 3).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
cmake --preset release >/dev/null && cmake --build --preset release --target talvessa-headless >/dev/null
./scripts/web >/dev/null
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
play=(--autopilot --seed 7 --until-ms 600000)

# best_of NAME COMMAND...: the least CPU and wall seconds of the runs, as "cpu wall".
best_of() {
  local best_cpu="" best_wall=""
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%U %S %e' -o "$dir/time" "$@" >/dev/null
    read -r user sys wall <"$dir/time"
    cpu=$(echo "$user + $sys" | bc -l)
    if [ -z "$best_cpu" ] || [ "$(echo "$cpu < $best_cpu" | bc -l)" = 1 ]; then best_cpu=$cpu; fi
    if [ -z "$best_wall" ] || [ "$(echo "$wall < $best_wall" | bc -l)" = 1 ]; then best_wall=$wall; fi
  done
  echo "$best_cpu $best_wall"
}

read -r native_cpu native_wall < <(best_of build/release/talvessa-headless "${play[@]}" --hashes "$dir/n")
read -r wasm_cpu wasm_wall < <(best_of env NODE_PATH=/usr/share/nodejs node --no-experimental-fetch \
  build/web-build/talvessa-headless.js "${play[@]}" --fonts build/web-build/faces --hashes "$dir/w")
cmp -s "$dir/n" "$dir/w" || echo "web_speed: warning: the two runs drew different pictures" >&2
printf 'ten minutes of autopilot play, %d pictures (best of %d):\n' "$(wc -l <"$dir/n")" "$runs"
printf '  native  %6.2f s CPU  %6.2f s wall\n' "$native_cpu" "$native_wall"
printf '  wasm    %6.2f s CPU  %6.2f s wall\n' "$wasm_cpu" "$wasm_wall"
printf '  wasm / native: %.2f (CPU), %.2f (wall)\n' "$(echo "$wasm_cpu / $native_cpu" | bc -l)" \
  "$(echo "$wasm_wall / $native_wall" | bc -l)"

# The page as a browser downloads it: each file and the whole, plain and gzipped.
if [ -d build/web ]; then
  total=0 zipped=0
  while IFS= read -r file; do
    size=$(stat -c %s "$file")
    gz=$(gzip -9c "$file" | wc -c)
    total=$((total + size)) zipped=$((zipped + gz))
    printf '  %-28s %9d bytes  %9d gzipped\n' "${file#build/web/}" "$size" "$gz"
  done < <(find build/web -type f | sort)
  printf 'the page: %d bytes, %d gzipped (goal: at most 2 MB gzipped)\n' "$total" "$zipped"
fi
