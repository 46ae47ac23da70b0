#!/usr/bin/env bash
# What goes with the program: the manual page is well formed and lists every option of --help; the
# AppStream metadata validates and launches the desktop entry; the licence is there; and `cmake --install`
# puts all of them where desktops, software centres and `man` look.
# Usage: metadata_test.sh GAME SOURCE_DIR BUILD_DIR OUTPUT_DIR
set -euo pipefail
game=$1 source=$2 build=$3 out=$4
fail() { echo "metadata_test: $*" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out"

page=$source/docs/talvessa.6
warnings=$(groff -man -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "the manual page: $warnings"
"$game" --help >"$out/help.txt"
options=$(grep -o -- '--[a-z-]*' "$out/help.txt" | sort -u)
[ -n "$options" ] || fail "--help lists no options"
for option in $options; do
  grep -qF -- "${option//-/\\-}" "$page" || fail "the manual page does not list $option"
done
version=$("$game" --version | cut -d' ' -f2)
grep -q "^\.TH .*\"Talvessa $version\"" "$page" || fail "the manual page does not name version $version"
for key in M Enter Esc F11; do
  grep -q "^\.B.* $key\b\|^\.B $key$" "$page" || fail "the manual page does not list the key $key"
done

metainfo=$source/assets/io.github.talvessa.Talvessa.metainfo.xml
# One version: the project's, named by the newest release of the metadata, the changelogs and the package.
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata's releases do not name $version"
grep -q "^## \[$version\] - " "$source/CHANGELOG.md" || fail "CHANGELOG.md does not name $version"
[ "$(head -n 1 "$source/debian/changelog")" = "talvessa ($version) unstable; urgency=medium" ] ||
  fail "debian/changelog does not start with $version"
appstreamcli validate --no-net "$metainfo" >"$out/appstream.txt" 2>&1 || fail "$(cat "$out/appstream.txt")"
grep -q '<launchable type="desktop-id">talvessa.desktop</launchable>' "$metainfo" ||
  fail "the metadata does not launch talvessa.desktop"
[ -f "$source/assets/talvessa.desktop" ] || fail "no desktop entry talvessa.desktop"
grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "the metadata names another licence"
grep -q '^MIT License$' "$source/LICENSE" && grep -q 'Copyright (c) 2026 the Talvessa developers' "$source/LICENSE" ||
  fail "LICENSE is not the MIT licence of the Talvessa developers"

cmake --install "$build" --prefix "$out/prefix" >/dev/null
for file in share/man/man6/talvessa.6 share/metainfo/io.github.talvessa.Talvessa.metainfo.xml \
            share/applications/talvessa.desktop share/doc/talvessa/LICENSE; do
  cmp -s "$out/prefix/$file" "$(find "$source/docs" "$source/assets" "$source" -maxdepth 1 -name "$(basename "$file")" | head -n 1)" ||
    fail "cmake --install did not put $file in place"
done
appstreamcli validate --no-net "$out/prefix/share/metainfo/io.github.talvessa.Talvessa.metainfo.xml" >/dev/null ||
  fail "the installed metadata does not validate"
echo "metadata_test: ok"
