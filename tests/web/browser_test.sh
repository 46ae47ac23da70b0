#!/usr/bin/env bash
# The browser tests of the web edition (browser_test.mjs) over a built site, e.g. build/web/.
# playwright-core and puppeteer-core come from web/package-lock.json through `npm ci`, into a folder of
# the build kept while the lock stays the same; they download no browser: the tests drive Debian's
# /usr/bin/chromium and /usr/bin/firefox-esr.
# Usage: tests/web/browser_test.sh SITE [--native TOOL] [--screenshot FILE] [--phone-screenshots PREFIX] [--only TEXT]
# (--native: the native talvessa-headless, which verifies the replay the page records)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
site=${1:?usage: browser_test.sh SITE [--native TOOL] [--screenshot FILE] [--phone-screenshots PREFIX]}
shift
fail() { echo "browser_test: $*" >&2; exit 1; }
[ -f "$site/index.html" ] || fail "no page in $site (build it with scripts/web)"
for browser in /usr/bin/chromium /usr/bin/firefox-esr; do
  [ -x "$browser" ] || fail "$browser is missing (scripts/setup test)"
done
command -v npm >/dev/null || fail "npm is missing"
node -e 'process.exit(Number(process.versions.node.split(".")[0]) >= 20 ? 0 : 1)' ||
  fail "the pinned playwright-core needs Node.js 20 or newer, not $(node --version)"

modules=${TALVESSA_WEB_TEST_MODULES:-$root/build/web-test}
lock=$root/web/package-lock.json
if ! cmp -s "$lock" "$modules/package-lock.json" || [ ! -d "$modules/node_modules" ]; then
  rm -rf "$modules"
  mkdir -p "$modules"
  cp "$root/web/package.json" "$lock" "$modules/"
  (cd "$modules" &&
    PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi
exec node "$here/browser_test.mjs" "$modules/node_modules" "$site" "$@"
