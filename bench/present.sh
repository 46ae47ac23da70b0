#!/usr/bin/env bash
# Builds the release and times showing a picture in a real window at 1x to 4x under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup
cmake --preset release >/dev/null
cmake --build --preset release --target present_bench >/dev/null
xvfb-run -a -s "-screen 0 2560x1920x24" ./build/release/bench/present_bench "$@"
