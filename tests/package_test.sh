#!/usr/bin/env bash
# The release as players and packagers get it: scripts/release makes the source tarball (twice: the same
# bytes), the Debian package built from that tarball alone and the web zip; lintian finds no error and no
# warning in the package; dpkg installs it into a scratch root, its dependencies checked against this
# machine's packages; and the installed game plays in a real window under Xvfb, its sounds heard from its
# data in share/games/talvessa and its texts drawn with the faces from /usr/share/fonts, until Esc ends
# it with status 0. The installed tree and lintian's words are left in OUTPUT_DIR.
# Usage: tests/package_test.sh OUTPUT_DIR
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
fail() { echo "package_test: $*" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out"

"$source/scripts/release" --snapshot --tarball-only --dist "$out/first" >/dev/null
nice "$source/scripts/release" --snapshot --dist "$out/dist"
tarball=$(ls "$out"/dist/talvessa-*.tar.gz)
cmp "$out"/first/talvessa-*.tar.gz "$tarball" || fail "the tarball differs when made twice"
deb=$(ls "$out"/dist/talvessa_*.deb)
zip=$(ls "$out"/dist/talvessa-*-web.zip)
unzip -Z1 "$zip" >"$out/web-zip.txt"
grep -qx 'web/index.html' "$out/web-zip.txt" || fail "the web zip holds no web/index.html"

lintian --fail-on error,warning --info --tag-display-limit 0 "$deb" >"$out/lintian.txt" 2>&1 ||
  { cat "$out/lintian.txt" >&2; fail "lintian finds errors or warnings"; }

root=$out/root
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
: >"$root/var/lib/dpkg/available"
dpkg --root="$root" --log=/dev/null -i "$deb" >"$out/dpkg.log" 2>&1 || { cat "$out/dpkg.log" >&2; fail "dpkg refused it"; }
(cd "$root" && find usr | LC_ALL=C sort) >"$out/tree.txt"
for file in usr/games/talvessa usr/share/games/talvessa/da/se0.wav usr/share/games/talvessa/da/bg1.mid \
            usr/share/man/man6/talvessa.6.gz usr/share/doc/talvessa/copyright usr/share/applications/talvessa.desktop \
            usr/share/icons/hicolor/16x16/apps/talvessa.png usr/share/icons/hicolor/256x256/apps/talvessa.png; do
  grep -qx "$file" "$out/tree.txt" || fail "the package does not install $file"
done
[ "$("$root/usr/games/talvessa" --version)" = "talvessa $(dpkg-deb -f "$deb" Version)" ] ||
  fail "the installed game's --version is not the package's"

# Started from a folder with a da/ of its own that is broken: the game must take the installed one.
mkdir -p "$out/elsewhere/da"
: >"$out/elsewhere/da/se0.wav"
cd "$out/elsewhere"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/mix.raw" xvfb-run -a -s "-screen 0 1024x768x24" \
  "$source/tests/real_window_test.sh" "$root/usr/games/talvessa" "$out/shots" 2>"$out/game.txt" ||
  { cat "$out/game.txt" >&2; fail "the installed game did not play"; }
if grep -q 'talvessa:' "$out/game.txt"; then cat "$out/game.txt" >&2; fail "the installed game complained"; fi
rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$out/mix.raw" -n stats 2>&1 | awk '/^RMS lev dB/ {print $4}')
awk -v r="$rms" 'BEGIN { exit !(r != "-inf" && r > -45) }' || fail "the installed game was not heard (RMS $rms dB)"
echo "package_test: ok ($(basename "$deb"), RMS $rms dB; lintian: $(grep -c "^[IP]: " "$out/lintian.txt" || true) info tags)"
