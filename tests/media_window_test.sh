#!/usr/bin/env bash
# The game installed in a folder whose path has blanks and non-ASCII letters, played for a few seconds in a
# real window (under Xvfb) with SDL's disk audio driver recording the mix.
#   good:   the game's own da/ folder; the throws, the start and the tune must be heard.
#   broken: every media file missing, empty, cut off or garbage, or no da/ folder at all; the game must
#           play on, and the mix must be pure silence.
# Usage: media_window_test.sh GAME MEDIA_DIR OUTPUT_DIR good|broken|no-folder
set -euo pipefail
game=$1 media=$2 out=$3 mode=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
folder="$out/dir with blanks/タルヴェッサ"
mkdir -p "$folder"
cp "$game" "$folder/talvessa"

case $mode in
  good) cp -r "$media" "$folder/da" ;;
  no-folder) ;;
  broken)
    mkdir "$folder/da"
    : >"$folder/da/se0.wav"                                                  # empty
    head -c 2000 "$media/se2.wav" >"$folder/da/se2.wav"                       # cut off
    head -c 40000 /dev/urandom >"$folder/da/se3.wav"                          # garbage
    { head -c 44 "$media/se7.wav"; head -c 4000 /dev/urandom; } >"$folder/da/se7.wav"  # a header, then noise
    head -c 300 "$media/bg1.mid" >"$folder/da/bg1.mid"                        # a tune cut off
    # se1, se4, se5, se6 and se8 are missing.
    ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/mix.raw"
"$here/real_window_test.sh" "$folder/talvessa" "$out/shots"

[ -s "$out/mix.raw" ] || { echo "media_window_test: no sound was recorded" >&2; exit 1; }
stats=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$out/mix.raw" -n stats 2>&1)
rms=$(awk '/^RMS lev dB/ {print $4}' <<<"$stats")
peak=$(awk '/^Pk lev dB/ {print $4}' <<<"$stats")
echo "media_window_test: $mode: RMS $rms dB, peak $peak dB over $(awk '/^Length s/ {print $3}' <<<"$stats") s"
if [ "$mode" = good ]; then
  awk -v r="$rms" 'BEGIN { exit !(r != "-inf" && r > -45) }' || { echo "media_window_test: too quiet" >&2; exit 1; }
else
  [ "$peak" = -inf ] || { echo "media_window_test: broken media made a sound" >&2; exit 1; }
fi
