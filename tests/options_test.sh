#!/usr/bin/env bash
# The game's command line through the real program (run under Xvfb on a 1920x1080 screen): --help and
# --version answer and exit, a command line the game cannot follow gets one line and status 2, and each
# option that shapes the game does so in its window: --scale (lowered to what fits), --fullscreen, --mute (M brings the sound
# back), --volume 0 (= raises it), --pause-when-unfocused (and without it play goes on). Without a sound
# device the game says so in one line, whatever ALSA thinks of it.
# Usage: options_test.sh GAME OUTPUT_DIR
set -euo pipefail
game=$1 out=$2
mkdir -p "$out"

me=options_test
# shellcheck source=window_driver.sh
. "$(cd "$(dirname "$0")" && pwd)/window_driver.sh"

# Runs the game without a window to its end; sets `status`, and leaves its output in $out/stdout, stderr.
answer() {
  status=0
  timeout 20 "$game" "$@" >"$out/stdout" 2>"$out/stderr" || status=$?
}
lines() { wc -l <"$1"; }

answer --help
[ "$status" = 0 ] && grep -q '^Usage: talvessa' "$out/stdout" && [ ! -s "$out/stderr" ] || fail "--help"
answer --version
[ "$status" = 0 ] && grep -qx 'talvessa [0-9.]*' "$out/stdout" || fail "--version: $(cat "$out/stdout")"
for bad in "--fly" "--scale 0" "--scale" "--volume 11" "--fullscreen --window" "-m"; do
  # shellcheck disable=SC2086  # each case is a list of words
  answer $bad
  [ "$status" = 2 ] || fail "$bad: status $status"
  [ "$(lines "$out/stderr")" = 1 ] && grep -q '^talvessa: .* (see --help)$' "$out/stderr" || fail "$bad: $(cat "$out/stderr")"
  [ ! -s "$out/stdout" ] || fail "$bad wrote to stdout"
done

# Bytes of a command line reach the terminal escaped.
answer $'--fly\e]0;x\a'
[ "$status" = 2 ] && grep -qF 'unknown option: "--fly\x1b]0;x\x07"' "$out/stderr" || fail "escape: $(cat -v "$out/stderr")"

# What the game is to record into and is no file ends it at once, in one line naming it: a pipe nothing
# reads (a plain open would wait for a reader, the window frozen), a folder, a name with control bytes
# (escaped); a data folder that is a file, likewise.
rm -rf "$out/fifo" "$out/pipe" "$out/folder" && mkfifo "$out/fifo" "$out/pipe"
mkdir -p "$out/folder"
: >"$out/plain"
refused() {
  local message=$1
  shift
  SDL_AUDIODRIVER=dummy answer "$@"
  [ "$status" = 1 ] && [ "$(lines "$out/stderr")" = 1 ] && grep -qxF "talvessa: $message" "$out/stderr" ||
    fail "$*: status $status, $(cat -v "$out/stderr")"
}
refused "cannot record to $out/fifo: a pipe that nothing reads" --record "$out/fifo"
refused "cannot record to $out/folder/: a folder, not a file" --record "$out/folder/"
refused "cannot record to \"$out/folder/\\x1b[2J/r\": No such file or directory" --record "$out/folder/"$'\e'"[2J/r"
refused "the data folder given by --data, $out/plain, is a file, not a folder" --data "$out/plain"
refused "the data folder given by --data, $out/none, does not exist" --data "$out/none"
refused "the data folder given by --data, $out/folder, has no folder da" --data "$out/folder"

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true' EXIT
sleep 0.5

# Starts the game with the given options and runs it into play.
play_with() {
  start_game "$game" "$@"
  trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
  await 600 400 255,255,255       # the logo
  await 600 400 0,0,0 space       # the title screen
  await 600 400 128,128,64 space  # play
}
moving() {
  import -window "$wid" "$out/before.png"
  sleep 1.5
  import -window "$wid" "$out/after.png"
  [ "$(compare -metric AE "$out/before.png" "$out/after.png" null: 2>&1 || true)" != 0 ]
}
still() { ! moving; }
# The level in dBFS, "peak" or "RMS", of the sound in $out/mix.raw from byte FROM on (to byte TO).
level() {
  local range=("$(($2 / 4))s")
  [ -n "${3:-}" ] && range+=("=$(($3 / 4))s")
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$out/mix.raw" -n trim "${range[@]}" stats 2>&1 |
    awk -v what="$1" '$1 == (what == "peak" ? "Pk" : "RMS") && $2 == "lev" {print $4}'
}
below() { awk -v l="$1" -v limit="$2" 'BEGIN { exit !(l == "-inf" || l < limit) }'; }
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/mix.raw"

# Each part names itself in the messages of a failure.
me="options_test: --scale"
# --scale 1 on a desktop where the window would open at 2x.
start_game "$game" --scale 1
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
within 5 size_is 576x448 || fail "--scale 1 opened $(window_size)"
await 300 200 255,255,255  # the logo: the game runs
quit_game
# --scale=3 would run off a full-HD screen: it opens at 2x, and says so in one line.
start_game "$game" --scale=3 2>"$out/scale.txt"
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
within 5 size_is 1152x896 || fail "--scale=3 opened $(window_size)"
quit_game
[ "$(grep -c 'talvessa: --scale 3 does not fit the screen .*; the window opens at 2$' "$out/scale.txt")" = 1 ] ||
  fail "no one-line notice of the lowered scale: $(cat "$out/scale.txt")"

me="options_test: --fullscreen"
# --fullscreen; F11 leaves it for the window of the usual size.
start_game "$game" --fullscreen
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
within 5 size_is 1920x1080 || fail "--fullscreen opened $(window_size)"
await 600 400 255,255,255
press F11
within 5 size_is 1152x896 || fail "F11 left fullscreen for $(window_size)"
quit_game

me="options_test: no faces"
# With no face to draw its texts (fontconfig knowing no font), the game plays and says so in one line;
# a recording into a device that takes anything, /dev/null, is no fault.
printf '<fontconfig></fontconfig>\n' >"$out/no-fonts.conf"
start_game env FONTCONFIG_FILE="$out/no-fonts.conf" SDL_AUDIODRIVER=dummy "$game" --record /dev/null 2>"$out/no-faces.txt"
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
await 600 400 255,255,255
within 10 grep -q . "$out/no-faces.txt" || fail "nothing said"
quit_game
[ "$(cat "$out/no-faces.txt")" = "talvessa: no faces found; texts are not shown" ] || fail "$(cat "$out/no-faces.txt")"

me="options_test: a pipe's reader gone"
# A recording into a pipe someone reads is written; when the reader goes, the recording stops with one
# line and the game plays on to Esc, with status 1 as the recording is not whole.
head -c 10 "$out/pipe" >"$out/head.txt" &
start_game env SDL_AUDIODRIVER=dummy "$game" --record "$out/pipe" 2>"$out/pipe.txt"
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
await 600 400 255,255,255
# The recording is written out at least every second.
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the game ended when the pipe's reader went"
press Escape
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
trap 'kill "$wm" 2>/dev/null || true' EXIT
status=0
wait "$pid" || status=$?
[ "$status" = 1 ] || fail "status $status"
[ "$(cat "$out/pipe.txt")" = "talvessa: recording to $out/pipe stopped: Broken pipe" ] || fail "$(cat "$out/pipe.txt")"
[ "$(wc -c <"$out/head.txt")" = 10 ] || fail "the reader had $(wc -c <"$out/head.txt") bytes"

# Starts play with OPTION, which must leave it silent; then KEY must make it heard above FLOOR dB RMS.
silent_until() {
  local option=$1 key=$2 floor=$3
  me="options_test: $option"
  rm -f "$out/mix.raw"
  play_with "$option" "${@:4}"
  sleep 1
  local pressed_at before after=-inf
  pressed_at=$(stat -c %s "$out/mix.raw")
  press "$key"
  # The tune may still be rendering on a loaded machine: the sound has up to 6 s to come.
  for _ in $(seq 1 12); do
    sleep 0.5
    after=$(level RMS "$pressed_at")
    below "$after" "$floor" || break
  done
  quit_game
  before=$(level peak 0 "$pressed_at")
  below "$before" -70 || fail "the game was heard before $key (peak $before dB)"
  below "$after" "$floor" && fail "$key did not bring the sound (RMS $after dB)"
  return 0
}
# --mute: play starts in silence; M brings the effects and the tune.
silent_until --mute m -45
# --volume 0: silent; = steps it up to the first level, heard.
silent_until --volume equal -70 0

# Losing the keyboard: play goes on by default, and pauses with --pause-when-unfocused.
for option in "" --pause-when-unfocused; do
  me="options_test: losing the keyboard ${option:-without an option}"
  # shellcheck disable=SC2086  # no option is no word
  play_with $option
  xdotool windowminimize --sync "$wid"
  sleep 1
  xdotool windowactivate --sync "$wid"
  sleep 0.5
  if [ -n "$option" ]; then
    within 5 still || fail "losing the keyboard did not pause with $option"
    press Return
    within 5 moving || fail "Enter did not resume after the pause on losing the keyboard"
  else
    within 5 moving || fail "losing the keyboard paused play without --pause-when-unfocused"
  fi
  quit_game
done

# No sound device (SDL left to find one on a machine that may have none): at most one line, and if
# there is one, it says the game plays without sound.
me="options_test: no sound device"
start_game env -u SDL_AUDIODRIVER -u SDL_DISKAUDIOFILE "$game" 2>"$out/quiet.txt"
trap 'kill "$pid" "$wm" 2>/dev/null || true' EXIT
await 600 400 255,255,255
quit_game
[ "$(lines "$out/quiet.txt")" -le 1 ] || fail "more than one line without a sound device: $(cat "$out/quiet.txt")"
[ ! -s "$out/quiet.txt" ] || grep -qx 'talvessa: no sound device; the game plays without sound' "$out/quiet.txt" ||
  fail "unexpected output: $(cat "$out/quiet.txt")"

echo "options_test: ok"
