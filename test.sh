#!/usr/bin/env bash
# Installs what building, running and testing need, builds the test build (AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup test
cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
./scripts/fuzz 10
# The web edition: built into build/web/, then played in Debian's headless Chromium.
cmake --preset web >/dev/null
cmake --build --preset web
tests/web/browser_test.sh build/web
