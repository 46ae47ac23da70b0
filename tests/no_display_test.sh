#!/usr/bin/env bash
# Without a display the game ends at once with one line that says so and how to run it, and a failing
# status; with a display that cannot be used, one line that names that display instead, escaped.
set -uo pipefail
game=$1
fail() { echo "no_display_test: $*" >&2; echo "$output" >&2; exit 1; }
# Runs the game with the given environment changes; sets `output` and `status`.
run() {
  output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$@" timeout 20 "$game" 2>&1)
  status=$?
}

run
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "status $status"
[ "$(printf '%s\n' "$output" | wc -l)" -eq 1 ] || fail "more than one line"
printf '%s' "$output" | grep -q 'no display' || fail "the message does not say there is no display"
printf '%s' "$output" | grep -q 'xvfb-run' || fail "the message does not say how to run it"

# A display number no X server listens on.
run DISPLAY=:4093
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "status $status with a display that cannot be used"
[ "$(printf '%s\n' "$output" | wc -l)" -eq 1 ] || fail "more than one line with a display that cannot be used"
printf '%s' "$output" | grep -qF 'display ":4093" (' || fail "the message does not name the display"
printf '%s' "$output" | grep -q 'no display' && fail "the message says there is no display"
# A display name with control bytes is shown escaped, never raw.
run DISPLAY=$':4093\e[31m'
[ "$(printf '%s\n' "$output" | wc -l)" -eq 1 ] || fail "more than one line with an escaped display"
printf '%s' "$output" | grep -qF 'display ":4093\x1b[31m"' || fail "the display is not shown escaped"
printf '%s' "$output" | grep -q $'\e' && fail "a raw ESC reached the terminal"
echo "no_display_test: ok"
