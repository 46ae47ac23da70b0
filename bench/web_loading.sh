#!/usr/bin/env bash
# The page's loading figures (bench/web_loading.mjs): bytes before the first picture, and the first
# picture on emulated 10 and 1.6 Mbit/s lines. Usage: bench/web_loading.sh [SITE] [RUNS]
# (SITE defaults to build/web, built by scripts/web; the browser tests install playwright-core).
set -euo pipefail
cd "$(dirname "$0")/.."
site=${1:-build/web}
modules=${TALVESSA_WEB_TEST_MODULES:-build/web-test}
[ -d "$modules/node_modules/playwright-core" ] || { echo "run tests/web/browser_test.sh once first" >&2; exit 1; }
exec node bench/web_loading.mjs "$modules/node_modules/playwright-core" "$site" "${2:-3}"
