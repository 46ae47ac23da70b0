// What the page's benchmarks share: the site served by python3 -m http.server (which sends files as
// they are) on a free port of 127.0.0.1, Debian's Chromium driven by playwright-core, and the bytes the
// page fetches before its first picture, gzipped.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import zlib from 'node:zlib';

export function chromiumOf(playwright) {
  return createRequire(path.resolve(playwright, 'package.json'))(path.resolve(playwright)).chromium;
}

export function serve(site) {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0'],
      { cwd: site, stdio: ['ignore', 'pipe', 'ignore'] });
    server.on('error', reject);
    server.stdout.on('data', (data) => {
      const port = /port (\d+)/.exec(String(data));
      if (port) resolve({ server, base: `http://127.0.0.1:${port[1]}` });
    });
  });
}

// Everything index.html names but its sounds, pictures and manifest: the program, its script, the
// faces, the page itself; a file named by its .gz copy counts as that copy.
export function bytesBeforePicture(site) {
  const page = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
  const named = new Set([...page.matchAll(/\b(?:href|src)="([^"?]+)(?:\?[^"]*)?"/g)].map((m) => m[1]));
  named.add('talvessa.js');
  let gzipped = zlib.gzipSync(page, { level: 9 }).length;
  for (const name of named) {
    if (/\.(png|webmanifest)$/.test(name)) continue;
    const bytes = fs.readFileSync(path.join(site, name));
    gzipped += name.endsWith('.gz') ? bytes.length : zlib.gzipSync(bytes, { level: 9 }).length;
  }
  return gzipped;
}
