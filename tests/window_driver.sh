# Driving the game's real window from a test script (sourced, under Xvfb): start it, press keys, read
# pixels of the window, and end it with Esc. The script sets `out` (a folder for screenshots) and names
# itself in `me`; starting the game sets `pid` and `wid`.

fail() { echo "$me: $*" >&2; exit 1; }
press() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; }
# The colour of one pixel of the window as "r,g,b".
pixel() {
  import -window "$wid" "$out/now.png"
  convert "$out/now.png" -format "%[fx:int(255*p{$1,$2}.r+0.5)],%[fx:int(255*p{$1,$2}.g+0.5)],%[fx:int(255*p{$1,$2}.b+0.5)]" info:
}
# Waits up to 15 s for pixel (x, y) to turn the given colour, pressing a key now and then if asked.
await() {
  local x=$1 y=$2 colour=$3 key=${4:-}
  for _ in $(seq 1 75); do
    [ "$(pixel "$x" "$y")" = "$colour" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    [ -n "$key" ] && press "$key"
    sleep 0.2
  done
  fail "pixel $x,$y never became $colour (last $(pixel "$x" "$y"))"
}
# The window's size as "WIDTHxHEIGHT".
window_size() {
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  echo "${WIDTH}x${HEIGHT}"
}
size_is() { [ "$(window_size)" = "$1" ]; }
# Whether the window carries an icon of SIZE x SIZE pixels.
has_icon() { xprop -id "$wid" _NET_WM_ICON | grep -q "Icon ($1 x $1)"; }

# Runs a check (a command and its arguments) until it passes, for SECONDS at most; fails when it never
# does. The game answers the window system in its own time: the icon comes just after the window, a new
# size or a pause with a later frame.
within() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Starts the game (any arguments are its command) and waits for its window.
start_game() {
  "$@" &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  wid=$(timeout 30 xdotool search --sync --name '^Talvessa$' | head -n 1) || fail "no window appeared"
}

# Esc must end the game within ten seconds, with status 0.
quit_game() {
  press Escape
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "Esc did not end the game"
  trap - EXIT
  local status=0
  wait "$pid" || status=$?
  [ "$status" = 0 ] || fail "the game ended with status $status"
}
