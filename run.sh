#!/usr/bin/env bash
# Installs what is missing, builds the release and starts the game.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/talvessa
