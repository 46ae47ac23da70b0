#!/usr/bin/env bash
# Installs what building and running the game needs, builds the game alone (release, without tests or
# benchmarks) and starts it; any arguments go to the game (./run.sh --help).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup game
cmake --preset game >/dev/null
cmake --build --preset game
exec ./build/game/talvessa "$@"
