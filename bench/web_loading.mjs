// How soon the page shows its first picture: on a line emulated at 10 and at 1.6 Mbit/s (Debian's
// headless Chromium, the site served by python3 -m http.server, which sends files as they are), and the
// bytes the page fetches before it, gzipped (what a host that compresses sends). Best of RUNS loads.
// Usage: node bench/web_loading.mjs PLAYWRIGHT_CORE_FOLDER SITE [RUNS] (bench/web_loading.sh runs it)
import { bytesBeforePicture, chromiumOf, serve } from './web_page.mjs';

const [playwright, site, runs = '3'] = process.argv.slice(2);
const { server, base } = await serve(site);
const browser = await chromiumOf(playwright).launch({ executablePath: '/usr/bin/chromium', args: [] });
async function firstPicture(mbits) {
  const context = await browser.newContext({ serviceWorkers: 'block' });
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  const bytes = (mbits * 1e6) / 8;
  await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 20, downloadThroughput: bytes, uploadThroughput: bytes });
  await page.goto(`${base}/index.html`);
  await page.waitForFunction(() => talvessaPage.firstPictureMs, null, { timeout: 120000, polling: 50 });
  const ms = await page.evaluate(() => talvessaPage.firstPictureMs);
  await context.close();
  return ms;
}
try {
  console.log(`bytes before the first picture: ${(bytesBeforePicture(site) / 1e6).toFixed(3)} MB gzipped`);
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
