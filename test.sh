#!/usr/bin/env bash
# Installs what building, running and testing need, builds the test build (AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs every test; then builds the web edition and runs its tests.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup test
cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
./scripts/fuzz 10
# The game started ten times under a tight address-space limit, on a build without the sanitizers, which
# cannot start under one at all.
cmake --preset game >/dev/null
cmake --build --preset game
xvfb-run -a -s "-screen 0 1024x768x24" tests/tight_memory_test.sh build/game/talvessa build/tight-memory
# The web edition: its build, its pictures and world against the desktop's, the page in a browser.
./scripts/web
tests/web/identity.sh build/test/talvessa-headless build/web-build/talvessa-headless.js build/web-build/faces
tests/web/browser_test.sh build/web --native build/test/talvessa-headless
# Installing: the README's steps in a fresh copy, and the release (tarball, Debian package, web zip), the
# package lintian-clean, installed into a scratch root and played there.
tests/readme_install_test.sh build/readme-install
tests/package_test.sh build/package
