#!/usr/bin/env bash
# Without a display the game ends at once with one line that says how to run it, and a failing status.
set -uo pipefail
game=$1
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$game" 2>&1)
status=$?
fail() { echo "no_display_test: $*" >&2; echo "$output" >&2; exit 1; }
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "status $status"
[ "$(printf '%s\n' "$output" | wc -l)" -eq 1 ] || fail "more than one line"
printf '%s' "$output" | grep -q 'xvfb-run' || fail "the message does not say how to run it"
echo "no_display_test: ok"
