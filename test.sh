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
# The web edition: its build, its pictures and world against the desktop's, the page in a browser.
./scripts/web
tests/web/identity.sh build/test/talvessa-headless build/web-build/talvessa-headless.js build/web-build/faces
tests/web/browser_test.sh build/web --native build/test/talvessa-headless
# Installing: the README's steps in a fresh copy, and the release (tarball, Debian package, web zip), the
# package lintian-clean, installed into a scratch root and played there.
tests/readme_install_test.sh build/readme-install
tests/package_test.sh build/package
