#!/usr/bin/python3
r"""Cuts the game's faces down to the characters it prints, for the web page.

    subset_faces.py <src folder> <aliases source> <output folder>

The characters are those of every string and character literal in the game's sources (comments left out,
\u escapes read), and all printable ASCII (numbers, and lines put together from parts). The families are
the alias targets of <aliases source>; each is found among the installed fonts by fontconfig's fc-list,
cut by pyftsubset with every layout feature and the hinting kept (so that it draws the same pixels), and
written as <output folder>/<family>.ttf, with the character list as characters.txt. It fails when the
last stand-in of a face (the one that draws it at every size) lacks a character of the list.
"""
import pathlib
import re
import subprocess
import sys

from fontTools.ttLib import TTFont

# A string or character literal (with an optional prefix), or a comment; comments are skipped.
TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|(?:u8|u|U|L)?"((?:\\.|[^"\\\n])*)"|\'((?:\\.|[^\'\\\n])+)\'', re.S)
ESCAPE = re.compile(r'\\u([0-9A-Fa-f]{4})|\\U([0-9A-Fa-f]{8})')
FAMILY = re.compile(r'\{"([A-Za-z0-9 ]+)", *\d+\}')
ALIAS = re.compile(r'\{k\w+Face, *\{(.*?)\}\},')


def printed_characters(src):
    found = {chr(c) for c in range(0x20, 0x7F)}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        for match in TOKEN.finditer(path.read_text(encoding="utf-8")):
            literal = match.group(1) if match.group(1) is not None else match.group(2)
            if literal:
                literal = ESCAPE.sub(lambda e: chr(int(e.group(1) or e.group(2), 16)), literal)
                found.update(c for c in literal if c >= "\u00a0")
    return "".join(sorted(found))


def font_file(family):
    listed = subprocess.run(["fc-list", "--format", "%{family}\t%{file}\t%{index}\n", family],
                            check=True, capture_output=True, text=True).stdout
    for line in sorted(listed.splitlines()):
        families, path, index = line.split("\t")
        if family in families.split(","):
            return path, index
    sys.exit(f"subset_faces: no installed font has the family {family} (run scripts/setup)")


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    src, aliases, out = (pathlib.Path(a) for a in sys.argv[1:])
    alias_lines = ALIAS.findall(aliases.read_text(encoding="utf-8"))
    families = [family for line in alias_lines for family in FAMILY.findall(line)]
    if not families:
        sys.exit(f"subset_faces: {aliases} names no family")
    out.mkdir(parents=True, exist_ok=True)
    characters = out / "characters.txt"
    characters.write_text(printed_characters(src), encoding="utf-8")
    for family in families:
        path, index = font_file(family)
        cut = subprocess.run(["pyftsubset", path, f"--font-number={index}", f"--text-file={characters}",
                              "--layout-features=*", "--hinting", "--notdef-outline", "--name-IDs=*",
                              f"--output-file={out / (family + '.ttf')}"], capture_output=True, text=True)
        if cut.returncode != 0:
            sys.exit(f"subset_faces: pyftsubset failed on {path}:\n{cut.stderr}")
    # Each face's last stand-in draws it at every size: cut down, it must still have every character.
    for line in alias_lines:
        last = FAMILY.findall(line)[-1]
        have = set(map(chr, TTFont(out / (last + ".ttf")).getBestCmap()))
        lacking = sorted(set(characters.read_text(encoding="utf-8")) - have)
        if lacking:
            sys.exit(f"subset_faces: {last} cut down lacks {''.join(lacking)!r}, which the game prints")


main()
