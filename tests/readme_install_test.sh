#!/usr/bin/env bash
# The README's "Install it" steps, run as written in a fresh copy of the sources (the tracked files, as a
# clone has them) with a scratch home: the game installs into ~/.local in the games layout, answers from
# there, and the uninstall target leaves no file and no folder that the install made behind.
# Usage: tests/readme_install_test.sh OUTPUT_DIR
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
fail() { echo "readme_install_test: $*" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out/home"

"$source/scripts/release" --snapshot --tarball-only --dist "$out" >/dev/null
tar -xzf "$out"/talvessa-*.tar.gz -C "$out"
copy=$(ls -d "$out"/talvessa-*/)
# The first block of commands after the heading.
awk '/^## Install it$/ {on = 1; next} on && /^```$/ {if (inside) exit; inside = 1; next} inside' \
  "$source/README.md" >"$out/steps.sh"
[ -s "$out/steps.sh" ] || fail "no commands in the README's Install it section"
grep -q -- '--target uninstall' "$out/steps.sh" || fail "the README's steps do not uninstall"
# Everything up to the uninstall, then a look at what is installed, then the uninstall.
sed '/--target uninstall/,$d' "$out/steps.sh" >"$out/install.sh"
sed -n '/--target uninstall/,$p' "$out/steps.sh" >"$out/uninstall.sh"
(cd "$copy" && HOME=$out/home nice bash -euo pipefail "$out/install.sh") >"$out/install.log" 2>&1 ||
  { tail -n 30 "$out/install.log" >&2; fail "the install steps failed"; }
local=$out/home/.local
grep -qx "talvessa $(sed -n 's/^project(Talvessa VERSION \([0-9.]*\) .*/\1/p' "$source/CMakeLists.txt")" \
  "$out/install.log" || fail "the installed game did not print its version"
for file in games/talvessa share/games/talvessa/da/se0.wav share/games/talvessa/da/bg1.mid \
            share/man/man6/talvessa.6 share/doc/talvessa/LICENSE share/applications/talvessa.desktop \
            share/metainfo/io.github.talvessa.Talvessa.metainfo.xml; do
  [ -s "$local/$file" ] || fail "$file was not installed"
done
(cd "$copy" && HOME=$out/home bash -euo pipefail "$out/uninstall.sh") >"$out/uninstall.log" 2>&1 ||
  { cat "$out/uninstall.log" >&2; fail "the uninstall step failed"; }
# The home was empty: every folder the install made goes too.
[ -z "$(ls -A "$out/home")" ] || fail "the uninstall left $(cd "$out/home" && find . | tr '\n' ' ')"
echo "readme_install_test: ok"
