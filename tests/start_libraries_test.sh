#!/usr/bin/env bash
# The libraries the game loads when it starts: only those its first picture needs. The synthesiser and the
# text stack (SDL_ttf, fontconfig, FreeType, HarfBuzz) are opened later, by the threads that use them, and
# the window's icon is a BMP file that SDL reads itself; linking one of them into the program again would
# load it, and all it pulls in, before the first picture.
# Usage: tests/start_libraries_test.sh GAME
set -euo pipefail
loaded=$(ldd "$1")
for library in libfluidsynth libSDL2_ttf libSDL2_image libfontconfig libfreetype libharfbuzz libpng; do
  if grep -q "$library" <<<"$loaded"; then
    echo "start_libraries_test: $1 loads $library when it starts:" >&2
    echo "$loaded" >&2
    exit 1
  fi
done
# What it does load still resolves.
if grep -q "not found" <<<"$loaded"; then
  echo "$loaded" >&2
  exit 1
fi
