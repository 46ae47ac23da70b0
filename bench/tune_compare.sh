#!/usr/bin/env bash
# Compares two recordings of the tune (raw 44,100 Hz, signed 16-bit stereo, as tune_record makes them
# through SDL's disk driver): the first pass and one whole later loop, each aligned on the recording's
# first sound. Prints the level of each stretch, how far their RMS per 100 ms differ (median, 95th
# percentile, worst, in dB, over the windows louder than -60 dBFS), and the RMS difference of their
# spectrograms (sox spectrogram, compared by ImageMagick; 0 is the same picture, 1 the opposite).
#   bench/tune_compare.sh BEFORE.raw AFTER.raw PASS_SECONDS
set -euo pipefail
before=$1 after=$2 pass=$3
raw=(-t raw -r 44100 -e signed -b 16 -c 2)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The first frame whose sample reaches -60 dBFS.
onset() { (sox "${raw[@]}" "$1" -t dat - 2>/dev/null || true) | awk 'NR > 2 && ($2 > 0.001 || $2 < -0.001) && !f {print NR - 3; f = 1}'; }

# RMS per 100 ms of SECONDS from frame START, one dB figure a line.
levels() {  # file start seconds
  sox "${raw[@]}" "$1" -t dat - trim "$2s" "$3" |
    awk 'NR > 2 {s += $2 * $2 + $3 * $3; if (++n == 4410) {print (s > 0 ? 10 * log(s / 8820) / log(10) : -200); s = n = 0}}'
}

b0=$(onset "$before") a0=$(onset "$after")
passFrames=$(awk -v p="$pass" 'BEGIN {printf "%d", p * 44100}')
for stretch in "first pass:0" "a later loop:$passFrames"; do
  name=${stretch%%:*} offset=${stretch#*:}
  levels "$before" $((b0 + offset)) "$pass" >"$work/b"
  levels "$after" $((a0 + offset)) "$pass" >"$work/a"
  for side in b a; do
    file=$([ $side = b ] && echo "$before" || echo "$after") start=$([ $side = b ] && echo $((b0 + offset)) || echo $((a0 + offset)))
    sox "${raw[@]}" "$file" -n trim "${start}s" "$pass" spectrogram -x 1200 -y 257 -r -m -o "$work/$side.png"
  done
  spectrum=$( (compare -metric RMSE "$work/b.png" "$work/a.png" null: 2>&1 || true) | sed -E 's/.*\((.*)\)/\1/')
  read -r lb la < <(paste "$work/b" "$work/a" |
    awk '{b += 10 ^ ($1 / 10); a += 10 ^ ($2 / 10); n++} END {print 10 * log(b / n) / log(10), 10 * log(a / n) / log(10)}')
  paste "$work/b" "$work/a" | awk '$1 > -60 || $2 > -60 {print ($1 > $2 ? $1 - $2 : $2 - $1)}' | sort -g >"$work/d"
  awk -v name="$name" -v lb="$lb" -v la="$la" -v spectrum="$spectrum" '{d[NR] = $1} END {
    printf "%s: before %.2f dBFS, after %.2f dBFS; RMS per 100 ms differs by median %.2f dB, 95%% %.2f dB, ", name, lb, la, d[int((NR + 1) / 2)], d[int(NR * 0.95)]
    printf "worst %.2f dB (%d windows); spectrogram RMSE %s\n", d[NR], NR, spectrum }' "$work/d"
done
