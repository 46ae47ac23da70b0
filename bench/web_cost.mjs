// What the page costs the machine, in Debian's headless Chromium: the main thread's share (CDP
// Performance.getMetrics, TaskDuration over the wall time) and every Chromium process's CPU (/proc) on
// the title, in play and paused, at each window size; the program's wake-ups (its waits resolved) and
// the browser tasks the page asks for (timers, channel messages, animation frames) a second; the frames'
// own times and the pictures' times; the first picture cold and warm; the bytes before the first
// picture. Prints figures, never judges them. bench/web_cost.sh runs it.
// Usage: node bench/web_cost.mjs PLAYWRIGHT_CORE_FOLDER SITE SECONDS
import fs from 'node:fs';
import { bytesBeforePicture, chromiumOf, serve } from './web_page.mjs';

const [playwright, site, seconds = '10'] = process.argv.slice(2);
const stretchMs = Number(seconds) * 1000;
const hz = 100; // USER_HZ of /proc/PID/stat on Linux

// Every process under this one (the browser and its helpers), but the web server: user + system ticks.
function browserTicks(serverPid) {
  const parent = new Map();
  const ticks = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    let stat;
    try {
      stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
    } catch {
      continue;
    }
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    parent.set(Number(entry), Number(fields[1]));
    ticks.set(Number(entry), Number(fields[11]) + Number(fields[12]));
  }
  const under = (pid) => {
    for (let p = parent.get(pid); p !== undefined && p > 1; p = parent.get(p)) if (p === process.pid) return true;
    return false;
  };
  const mine = new Map();
  for (const [pid, t] of ticks) if (pid !== serverPid && under(pid)) mine.set(pid, t);
  return mine;
}

// Before the page's own script: counts of the browser tasks it asks for, the pictures' times, and (once
// the page's object exists) the program's waits and the times of its event pumps.
function watch() {
  const cost = { timers: 0, messages: 0, frames: 0, pictures: [], waits: 0, calls: [] };
  window.__cost = cost;
  const timeout = window.setTimeout;
  // Has `owner[name]` run `onCall` before each of its calls.
  const counted = (owner, name, onCall) => {
    const original = owner[name];
    owner[name] = function (...args) {
      onCall();
      return original.apply(this, args);
    };
  };
  counted(window, 'setTimeout', () => ++cost.timers);
  counted(MessagePort.prototype, 'postMessage', () => ++cost.messages);
  counted(window, 'requestAnimationFrame', () => ++cost.frames);
  counted(CanvasRenderingContext2D.prototype, 'putImageData', () => cost.pictures.push(performance.now()));
  // The program calls the page's waits and pumps by name: each wait that rests (a millisecond or more)
  // is one wake-up of it; a pause's rest whose end has passed returns at once, and wakes nothing.
  const wrap = () => {
    if (typeof talvessaPage !== 'object') return timeout(wrap, 0);
    for (const name of ['sleep', 'waitForEvents']) {
      const wait = talvessaPage[name];
      talvessaPage[name] = (...args) => {
        const begun = performance.now();
        cost.calls.push('w');
        const waiting = wait(...args);
        waiting.then(() => {
          if (performance.now() - begun >= 1) ++cost.waits;
        });
        return waiting;
      };
    }
    const pump = talvessaPage.pump;
    talvessaPage.pump = (keys) => {
      cost.calls.push(performance.now());
      return pump(keys);
    };
  };
  document.addEventListener('DOMContentLoaded', wrap);
}

const quantile = (sorted, q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
const spacing = (times) => times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
const ms = (sorted) => (sorted.length < 2 ? 'n/a' :
  `median ${quantile(sorted, 0.5).toFixed(1)} ms, p99 ${quantile(sorted, 0.99).toFixed(1)} ms (${sorted.length})`);

// A frame begins with the pump right after the pump that ended its predecessor's wait: a wait, a pump
// that finds the frame's time passed, the next frame's first pump.
function frameStarts(calls) {
  const starts = [];
  for (let i = 2; i < calls.length; ++i) {
    if (calls[i] !== 'w' && calls[i - 1] !== 'w' && calls[i - 2] === 'w') starts.push(calls[i]);
  }
  return starts;
}

async function stretch(page, cdp, serverPid) {
  const task = async () =>
    (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  // The counts so far, and the times since the last look.
  const snap = () => page.evaluate(() => {
    const c = window.__cost;
    return { ...c, pictures: c.pictures.splice(0), calls: c.calls.splice(0) };
  });
  const before = { counts: await snap(), busy: await task(), procs: browserTicks(serverPid), wall: Date.now() };
  await page.waitForTimeout(stretchMs);
  const counts = await snap();
  const after = { busy: await task(), procs: browserTicks(serverPid), wall: Date.now() };
  const wall = (after.wall - before.wall) / 1000;
  let ticks = 0;
  for (const [pid, t] of after.procs) ticks += t - (before.procs.get(pid) ?? 0);
  const perSecond = (n) => n / wall;
  return {
    main: (100 * (after.busy - before.busy)) / wall,
    all: (100 * ticks) / hz / wall,
    waits: perSecond(counts.waits - before.counts.waits),
    tasks: perSecond(counts.timers + counts.messages + counts.frames -
      (before.counts.timers + before.counts.messages + before.counts.frames)),
    frames: spacing(frameStarts(counts.calls)),
    pictures: spacing(counts.pictures),
  };
}

function print(label, s, goals) {
  console.log(`  ${label.padEnd(7)} main thread ${s.main.toFixed(2)} % (goal ${goals.main}), all Chromium ` +
    `processes ${s.all.toFixed(2)} % of a core (goal ${goals.all}); ${s.waits.toFixed(0)} wake-ups/s of the ` +
    `program (goal ${goals.waits}), ${s.tasks.toFixed(0)} browser tasks/s asked for`);
  if (label === 'play') {
    console.log(`          frames ${ms(s.frames)} (goal 33-34 ms, p99 <= 40 ms); pictures ${ms(s.pictures)}`);
  }
}

const { server, base } = await serve(site);
const browser = await chromiumOf(playwright).launch({ executablePath: '/usr/bin/chromium' });
const results = {};
try {
  // First pictures: a new profile (cold), then the same one loaded again (warm: the HTTP cache and the
  // service worker hold the files); and the bytes that came before the first picture.
  const firsts = { cold: [], warm: [] };
  let fetched = 0;
  for (let run = 0; run < 3; ++run) {
    const context = await browser.newContext();
    const page = await context.newPage();
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    const sizes = [];
    cdp.on('Network.loadingFinished', (e) => sizes.push([Date.now(), e.encodedDataLength]));
    for (const kind of ['cold', 'warm']) {
      const start = Date.now();
      await page.goto(`${base}/index.html`);
      await page.waitForFunction(() => talvessaPage.firstPictureMs, null, { timeout: 60000, polling: 10 });
      const first = await page.evaluate(() => talvessaPage.firstPictureMs);
      firsts[kind].push(first);
      if (kind === 'cold') fetched = sizes.filter(([t]) => t <= start + first).reduce((a, [, n]) => a + n, 0);
      await page.waitForTimeout(1000);
    }
    await context.close();
  }
  const best = (list) => `${Math.min(...list).toFixed(0)} ms (best of ${list.length}; all ${list.map((t) => t.toFixed(0)).join(', ')})`;
  console.log(`first picture cold ${best(firsts.cold)} (goal <= 300 ms); warm ${best(firsts.warm)}`);
  console.log(`bytes before the first picture: ${(bytesBeforePicture(site) / 1e3).toFixed(0)} KB gzipped ` +
    `(goal <= 600 KB); ${(fetched / 1e3).toFixed(0)} KB came over the wire from a host that compresses nothing`);

  for (const [width, height] of [[1200, 950], [1920, 1080]]) {
    const context = await browser.newContext({ viewport: { width, height } });
    await context.addInitScript(watch);
    const page = await context.newPage();
    const cdp = await context.newCDPSession(page);
    await cdp.send('Performance.enable');
    await page.goto(`${base}/index.html`);
    await page.waitForFunction(() => talvessaPage.firstPictureMs, null, { timeout: 60000 });
    const press = async (key) => {
      await page.keyboard.down(key);
      await page.waitForTimeout(100);
      await page.keyboard.up(key);
    };
    // Past the logo to the title, then into play (past the shatter), then paused, as bench/game.sh does.
    await page.waitForTimeout(1000);
    await press('Space');
    await page.waitForTimeout(2000);
    const title = await stretch(page, cdp, server.pid);
    await press('Space');
    await page.waitForTimeout(4000);
    // A banknote every few seconds keeps the game going.
    const throwing = setInterval(() => press('Space').catch(() => {}), 4000);
    const play = await stretch(page, cdp, server.pid);
    clearInterval(throwing);
    await press('Enter');
    await page.waitForTimeout(1000);
    const paused = await stretch(page, cdp, server.pid);
    await context.close();
    console.log(`${width} x ${height}, ${seconds} s each:`);
    print('title', title, { main: '-', all: '-', waits: '-' });
    print('play', play, { main: '<= 2 %', all: '<= 4 %', waits: '<= 35' });
    print('paused', paused, { main: '<= 1 %', all: '-', waits: '-' });
    results[`${width}x${height}`] = { title, play, paused };
  }
  const r = results['1200x950'];
  console.log(`RESULT all-play ${r.play.all.toFixed(3)} all-paused ${r.paused.all.toFixed(3)} ` +
    `main-play ${r.play.main.toFixed(3)} main-paused ${r.paused.main.toFixed(3)}`);
} finally {
  await browser.close();
  server.kill();
}
