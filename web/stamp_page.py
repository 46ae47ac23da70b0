#!/usr/bin/env python3
"""Stamps the built page with its files' versions, for hosts' caches and the service worker.

Writes beside every file of the site its gzip (and, with Debian's brotli, its brotli) copy, for hosts
that serve those; the page fetches the gzip copies of the program and the faces itself. Every file
index.html names (script, style, program, faces, sounds, icon, manifest) is named with the start of its
content's SHA-256 as a query (talvessa.wasm.gz?v=1a2b...), so a cache never mixes two builds. Writes
index.html, and the service worker sw.js with the list of the versioned files it keeps for offline play.

Usage: stamp_page.py SITE UNSTAMPED_INDEX SERVICE_WORKER_TEMPLATE
"""
import gzip
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys

site, unstamped, worker_template = sys.argv[1:4]


def version(name):
    with open(os.path.join(site, name), 'rb') as file:
        return hashlib.sha256(file.read()).hexdigest()[:12]


def versioned(name):
    return f'{name}?v={version(name)}'


def stamp_attribute(match):
    name = match.group(2)
    if '://' in name or not os.path.isfile(os.path.join(site, name)):
        return match.group(0)
    return f'{match.group(1)}="{versioned(name)}"'


def stamp_preload(match):
    """What the page fetches itself (the program, the faces) it fetches as the gzip copy."""
    name, query = match.group(1).split('?')
    return f'<link rel="preload" href="{name}.gz?{query}"'


def compress(path):
    with open(path, 'rb') as source:
        data = source.read()
    with open(path + '.gz', 'wb') as target:
        target.write(gzip.compress(data, 9, mtime=0))
    if brotli:
        subprocess.run([brotli, '-f', '-q', '11', '-o', path + '.br', path], check=True)


# The compressed copies, beside every file that compresses (not the already packed sounds and icons);
# the page and its worker once written.
brotli = shutil.which('brotli')
for folder, _, names in os.walk(site):
    for name in names:
        if not name.endswith(('.gz', '.br', '.png', '.ogg')) and name not in ('index.html', 'sw.js'):
            compress(os.path.join(folder, name))


with open(unstamped, encoding='utf-8') as file:
    page = file.read()
page = re.sub(r'\b(href|src)="([^"?#]+)"', stamp_attribute, page)
page = re.sub(r'<link rel="preload" href="([^"]+)"(?= as="fetch")', stamp_preload, page)
# The sounds the game names by their plain names, each with its versioned address.
sounds_pattern = re.compile(r'(<script type="application/json" id="sounds">)(.*?)(</script>)', re.S)
sounds = json.loads(sounds_pattern.search(page).group(2))
page = sounds_pattern.sub(
    lambda m: m.group(1) + json.dumps({name: versioned(name) for name in sounds}) + m.group(3), page)

# What the service worker keeps: the page itself and every file it names.
kept = sorted(set(re.findall(r'\b(?:href|src)="([^"]+\?v=[0-9a-f]+)"', page)) |
              {versioned(name) for name in sounds})
build = hashlib.sha256(''.join(kept).encode()).hexdigest()[:12]
with open(worker_template, encoding='utf-8') as file:
    worker = file.read()
worker = worker.replace('@TALVESSA_BUILD@', build).replace('@TALVESSA_FILES@', json.dumps(kept, indent=2))
page = page.replace('@TALVESSA_BUILD@', build)

for name, text in (('index.html', page), ('sw.js', worker)):
    with open(os.path.join(site, name), 'w', encoding='utf-8') as file:
        file.write(text)

for name in ('index.html', 'sw.js'):
    compress(os.path.join(site, name))
