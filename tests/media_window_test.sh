#!/usr/bin/env bash
# The game installed in a folder whose path has blanks and non-ASCII letters, played for a few seconds in a
# real window (under Xvfb) with SDL's disk audio driver recording the mix.
#   good:   the game's own da/ folder; the throws, the start and the tune must be heard.
#   broken: every media file missing, empty, cut off or garbage, or no da/ folder at all; the game must
#           play on, and the mix must be pure silence.
#   installed: `cmake --install` of GAME's build into such a folder as a prefix, then the game started
#           from games/ in a folder holding a broken da/ of its own; it must be heard, its data found in
#           share/games/talvessa.
# Usage: media_window_test.sh GAME MEDIA_DIR OUTPUT_DIR good|broken|no-folder|installed
set -euo pipefail
game=$1 media=$2 out=$3 mode=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
folder="$out/dir with blanks/タルヴェッサ"
mkdir -p "$folder"
program="$folder/talvessa"
[ "$mode" = installed ] || cp "$game" "$program"

case $mode in
  good) cp -r "$media" "$folder/da" ;;
  installed)
    cmake --install "$(dirname "$game")" --prefix "$folder" >"$out/install.log"
    program="$folder/games/talvessa"
    for file in games/talvessa share/games/talvessa/da/se0.wav share/games/talvessa/da/bg1.mid \
                share/applications/talvessa.desktop; do
      [ -s "$folder/$file" ] || { echo "media_window_test: $file was not installed" >&2; exit 1; }
    done
    desktop-file-validate "$folder/share/applications/talvessa.desktop"
    for size in 16 24 32 48 64 128 256; do
      [ "$(identify -format %wx%h "$folder/share/icons/hicolor/${size}x${size}/apps/talvessa.png")" = "${size}x${size}" ] ||
        { echo "media_window_test: no ${size}x${size} icon" >&2; exit 1; }
    done
    # The game must take its sounds from beside itself, not from where it is started.
    mkdir -p "$out/elsewhere/da"
    for name in se0 se1 se2 se3 se4 se5 se6 se7 se8; do : >"$out/elsewhere/da/$name.wav"; done
    : >"$out/elsewhere/da/bg1.mid"
    cd "$out/elsewhere"
    ;;
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
"$here/real_window_test.sh" "$program" "$out/shots"

[ -s "$out/mix.raw" ] || { echo "media_window_test: no sound was recorded" >&2; exit 1; }
stats=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$out/mix.raw" -n stats 2>&1)
rms=$(awk '/^RMS lev dB/ {print $4}' <<<"$stats")
peak=$(awk '/^Pk lev dB/ {print $4}' <<<"$stats")
echo "media_window_test: $mode: RMS $rms dB, peak $peak dB over $(awk '/^Length s/ {print $3}' <<<"$stats") s"
if [ "$mode" = good ] || [ "$mode" = installed ]; then
  awk -v r="$rms" 'BEGIN { exit !(r != "-inf" && r > -45) }' || { echo "media_window_test: too quiet" >&2; exit 1; }
else
  [ "$peak" = -inf ] || { echo "media_window_test: broken media made a sound" >&2; exit 1; }
fi
