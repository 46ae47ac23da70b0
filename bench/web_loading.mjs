// How soon the page shows its first picture: on a line emulated at 10 and at 1.6 Mbit/s (Debian's
// headless Chromium, the site served by python3 -m http.server, which sends files as they are), and the
// bytes the page fetches before it, gzipped (what a host that compresses sends). Best of RUNS loads.
// Usage: node bench/web_loading.mjs PLAYWRIGHT_CORE_FOLDER SITE [RUNS] (bench/web_loading.sh runs it)
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import zlib from 'node:zlib';

const [playwright, site, runs = '3'] = process.argv.slice(2);
const { chromium } = createRequire(path.resolve(playwright, 'package.json'))(path.resolve(playwright));

// Everything index.html names but its sounds, pictures and manifest: the program, its script, the faces.
function bytesBeforePicture() {
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

const server = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', '0'], { cwd: site, stdio: ['ignore', 'pipe', 'ignore'] });
const port = await new Promise((resolve) => server.stdout.on('data', (d) => {
  const m = /port (\d+)/.exec(String(d));
  if (m) resolve(m[1]);
}));
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: [] });
async function firstPicture(mbits) {
  const context = await browser.newContext({ serviceWorkers: 'block' });
  const page = await context.newPage();
  await page.addInitScript(() => {
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...args) {
      window.__first = window.__first || performance.now();
      return put.apply(this, args);
    };
  });
  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  const bytes = (mbits * 1e6) / 8;
  await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 20, downloadThroughput: bytes, uploadThroughput: bytes });
  await page.goto(`http://127.0.0.1:${port}/index.html`);
  await page.waitForFunction(() => window.__first, null, { timeout: 120000, polling: 50 });
  const ms = await page.evaluate(() => window.__first);
  await context.close();
  return ms;
}
try {
  console.log(`bytes before the first picture: ${(bytesBeforePicture() / 1e6).toFixed(3)} MB gzipped`);
  for (const mbits of [10, 1.6]) {
    const times = [];
    for (let i = 0; i < Number(runs); ++i) times.push(await firstPicture(mbits));
    console.log(`first picture at ${mbits} Mbit/s: ${(Math.min(...times) / 1000).toFixed(2)} s (best of ${runs}; ` +
      `all ${times.map((t) => (t / 1000).toFixed(2)).join(', ')} s)`);
  }
} finally {
  await browser.close();
  server.kill();
}
