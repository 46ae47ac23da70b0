#!/usr/bin/env bash
# Builds the release and runs the pacing benchmark in a real window under Xvfb. SCREEN (default
# 1024x768x24, where the window opens at 1x; 1920x1080x24 opens it at 2x) sets the virtual screen.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup
cmake --preset release >/dev/null
cmake --build --preset release --target pacing_bench >/dev/null
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 ${SCREEN:-1024x768x24}" ./build/release/bench/pacing_bench
