// The web edition in a real browser: Debian's headless Chromium, driven by the pinned playwright-core,
// loads the page from a local server and plays. Each case is one row of `cases`; a case fails on the
// first check that does not hold, and every case runs. The figures of a run (download size, first
// picture, frame spacing, main-thread share) are printed, never asserted beyond a tolerant band.
//
// Usage: node browser_test.mjs PLAYWRIGHT_CORE_FOLDER SITE [--screenshot FILE] (browser_test.sh installs it)
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

const [playwright, site, ...options] = process.argv.slice(2);
const screenshotAt = options[0] === '--screenshot' ? path.resolve(options[1]) : null;
const { chromium } = createRequire(path.resolve(playwright, 'package.json'))(path.resolve(playwright));

// Colours of the picture (R,G,B) and where the window picture shows them.
const kWhite = '255,255,255';
const kBlack = '0,0,0';
const kField = '128,128,64';
const kVanBody = '48,48,56';
const kFieldRect = [32, 32, 512, 384];
// A key is held longer than a frame of the slowest screen, so the game's polling sees it.
const kHoldMs = 150;

// The variants of the site the cases load: as built, without its data folder, with every sound file
// damaged (cut short or overwritten).
function makeSites(root) {
  const variants = { good: null, missing: null, damaged: null };
  for (const name of Object.keys(variants)) {
    const folder = path.join(root, name);
    fs.mkdirSync(folder);
    for (const entry of fs.readdirSync(site)) {
      if (entry === 'da' && name !== 'good') continue;
      fs.symlinkSync(path.resolve(site, entry), path.join(folder, entry));
    }
  }
  const damaged = path.join(root, 'damaged', 'da');
  fs.mkdirSync(damaged);
  for (const entry of fs.readdirSync(path.join(site, 'da'))) {
    const bytes = fs.readFileSync(path.join(site, 'da', entry));
    // Effects lose their second half; the tune keeps its length but not its contents.
    const broken = entry.endsWith('.wav')
      ? bytes.subarray(0, bytes.length >> 1)
      : Buffer.alloc(bytes.length, 0x5a);
    fs.writeFileSync(path.join(damaged, entry), broken);
  }
}

// python3 -m http.server on a free port of 127.0.0.1.
function serve(root) {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0'], {
      cwd: root,
      stdio: ['ignore', 'pipe', 'ignore'],
    });
    server.on('error', reject);
    server.stdout.on('data', (data) => {
      const port = /port (\d+)/.exec(String(data));
      if (port) resolve({ server, base: `http://127.0.0.1:${port[1]}` });
    });
  });
}

// What every page gets before its own script: a tap on the sound reaching the page's output (an
// analyser beside every connection to the output), and the times of the pictures drawn.
function watchPage() {
  window.__tap = { peak: 0 };
  window.__pictures = [];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    window.__pictures.push(performance.now());
    return put.apply(this, args);
  };
  if (!window.AudioNode) return;
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    const made = connect.call(this, target, ...rest);
    if (target instanceof AudioDestinationNode) {
      const audio = this.context;
      if (!audio.__tap) {
        audio.__tap = audio.createAnalyser();
        audio.__tap.fftSize = 2048;
        const samples = new Float32Array(audio.__tap.fftSize);
        setInterval(() => {
          audio.__tap.getFloatTimeDomainData(samples);
          for (const sample of samples) window.__tap.peak = Math.max(window.__tap.peak, Math.abs(sample));
        }, 20);
      }
      connect.call(this, audio.__tap);
    }
    return made;
  };
}

// The rule of browsers with a sound device: a page's sound starts suspended, and resumes only after a
// key or a click on it (headless Chromium lets every page play at once).
function soundAfterGesture() {
  const Real = window.AudioContext;
  window.AudioContext = class extends Real {
    constructor(...args) {
      super(...args);
      super.suspend();
    }
    resume() {
      if (navigator.userActivation.hasBeenActive) return super.resume();
      return Promise.reject(new DOMException('a gesture is needed', 'NotAllowedError'));
    }
  };
}

function noSoundSupport() {
  delete window.AudioContext;
  delete window.webkitAudioContext;
}

// A hidden tab as the page sees one (headless Chromium never hides its tabs): the visibility it reads,
// and the event.
async function setHidden(page, hidden) {
  await page.evaluate((hidden) => {
    const state = hidden ? 'hidden' : 'visible';
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => state });
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => hidden });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
}

class Check extends Error {}
function check(condition, what) {
  if (!condition) throw new Check(what);
}

// The game's page, with the helpers the cases use.
class Game {
  constructor(page) {
    this.page = page;
    this.errors = [];
    page.on('pageerror', (error) => this.errors.push(error.message));
  }
  async hold(key, ms = kHoldMs) {
    await this.page.keyboard.down(key);
    await this.page.waitForTimeout(ms);
    await this.page.keyboard.up(key);
  }
  pixel(x, y) {
    return this.page.evaluate(([x, y]) => {
      const data = document.getElementById('screen').getContext('2d').getImageData(x, y, 1, 1).data;
      return `${data[0]},${data[1]},${data[2]}`;
    }, [x, y]);
  }
  // How many pixels of the rectangle have the colour.
  count(colour, [x, y, width, height]) {
    return this.page.evaluate(([colour, x, y, width, height]) => {
      const data = document.getElementById('screen').getContext('2d').getImageData(x, y, width, height).data;
      let n = 0;
      for (let i = 0; i < data.length; i += 4) if (`${data[i]},${data[i + 1]},${data[i + 2]}` === colour) ++n;
      return n;
    }, [colour, x, y, width, height]);
  }
  picture() {
    return this.page.evaluate(() => {
      const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 576, 448).data;
      let hash = 2166136261;
      for (let i = 0; i < data.length; ++i) hash = Math.imul(hash ^ data[i], 16777619);
      return hash >>> 0;
    });
  }
  // Waits up to `ms` for the pixel to show the colour, pressing `key` again and again if one is given:
  // a screen may let some time pass before it listens.
  async awaitPixel(x, y, colour, what, key = null, ms = 5000) {
    const until = Date.now() + ms;
    for (;;) {
      if (key) await this.hold(key);
      const seen = await this.pixel(x, y);
      if (seen === colour) return;
      check(Date.now() < until, `${what}: pixel ${x},${y} is ${seen}, not ${colour}`);
      await this.page.waitForTimeout(key ? 250 : 50);
    }
  }
  peak() {
    return this.page.evaluate(() => window.__tap.peak);
  }
  async peakText() {
    return (await this.peak()).toFixed(3);
  }
  resetPeak() {
    return this.page.evaluate(() => {
      window.__tap.peak = 0;
    });
  }
  noticeShown() {
    return this.page.evaluate(() => !document.getElementById('sound-notice').hidden);
  }
  // From the page's load: logo, title, play.
  async toPlay() {
    await this.awaitPixel(300, 200, kWhite, 'the logo screen starts white');
    await this.awaitPixel(300, 200, kBlack, 'Space skips the logo to the black title screen', 'Space');
    await this.awaitPixel(300, 200, kField, 'Space starts play on the olive field', 'Space');
    check((await this.pixel(10, 10)) === kBlack, 'play has a black border');
    check((await this.pixel(32, 32)) === kField, 'the field starts at 32,32');
  }
  // Banknotes flying in the lower field (their top edge between y 150 and 380): a white outline 28 pixels
  // wide and 12 high, two pixels thick, around a picture that is not white.
  lowBanknotes() {
    return this.page.evaluate(() => {
      const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 576, 448).data;
      const white = (x, y) => {
        const i = 4 * (y * 576 + x);
        return data[i] === 255 && data[i + 1] === 255 && data[i + 2] === 255;
      };
      const rowWhite = (x, y) => [...Array(28).keys()].every((dx) => white(x + dx, y));
      let notes = 0;
      for (let y = 150; y <= 380; ++y) {
        for (let x = 32; x + 28 <= 544; ++x) {
          if (![0, 1, 10, 11].every((dy) => rowWhite(x, y + dy))) continue;
          if (!white(x, y + 5) || !white(x + 27, y + 5) || white(x + 5, y + 5)) continue;
          ++notes;
          x += 27;
        }
      }
      return notes;
    });
  }
  // Throws a banknote: it flies up from the flag.
  async throws() {
    for (let until = Date.now() + 2000; (await this.lowBanknotes()) > 0;) {
      check(Date.now() < until, 'the last banknote leaves the lower field');
      await this.page.waitForTimeout(100);
    }
    await this.hold('Space');
    for (let until = Date.now() + 600; (await this.lowBanknotes()) === 0;) {
      check(Date.now() < until, 'a thrown banknote flies up');
      await this.page.waitForTimeout(30);
    }
  }
  // Sends the van: its dark body drives onto the field.
  async sendsVan() {
    check((await this.count(kVanBody, kFieldRect)) < 50, 'no van before V');
    await this.hold('v');
    await this.page.waitForTimeout(300);
    check((await this.count(kVanBody, kFieldRect)) > 200, 'V sends the van');
  }
  // A paused game's picture stands, even as Space asks for a throw.
  async staysPaused(what) {
    const before = await this.picture();
    await this.hold('Space');
    await this.page.waitForTimeout(500);
    check(before === (await this.picture()), what);
  }
  async pauses() {
    await this.hold('Enter');
    await this.page.waitForTimeout(300);
    await this.staysPaused('the paused picture stands');
  }
  // Play goes on: a banknote flies again.
  async resumes() {
    await this.hold('Enter', 600);  // the pause reads the keys every twelfth pass only
    await this.page.waitForTimeout(200);
    await this.throws();
  }
  async endsWithEsc() {
    await this.hold('Escape');
    await this.page.waitForSelector('#ended:not([hidden])', { timeout: 3000 });
    check(await this.page.isVisible('#play-again'), 'the ended page offers to play again');
  }
}

const figures = [];

// Frame spacing and the main thread's share over some seconds of play: a world step, and a picture,
// every second frame.
async function measurePlay(game, context) {
  const cdp = await context.newCDPSession(game.page);
  await cdp.send('Performance.enable');
  const task = async () =>
    (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  const first = await game.page.evaluate(() => window.__pictures.length);
  const [busy0, wall0] = [await task(), Date.now()];
  await game.page.waitForTimeout(5000);
  const [busy1, wall1] = [await task(), Date.now()];
  const times = await game.page.evaluate((first) => window.__pictures.slice(first), first);
  const steps = times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);
  const frame = steps[steps.length >> 1] / 2;
  figures.push(`play frame ${frame.toFixed(2)} ms (median of ${steps.length} steps of two frames; ` +
    `tenth to ninetieth percentile ${(steps[Math.floor(steps.length / 10)] / 2).toFixed(2)}` +
    `–${(steps[Math.floor((steps.length * 9) / 10)] / 2).toFixed(2)} ms)`);
  const busy = (100 * (busy1 - busy0)) / ((wall1 - wall0) / 1000);
  figures.push(`main thread busy in play ${busy.toFixed(1)} %`);
  check(steps.length >= 20, `pictures keep coming in play (${steps.length} steps in 5 s)`);
  check(frame >= 31 && frame <= 37, `play frames are about 33-34 ms apart (${frame.toFixed(2)} ms)`);
}

// The samples of the tune as its Ogg file counts them: the granule position of its last page.
function oggSamples(file) {
  const bytes = fs.readFileSync(file);
  const last = bytes.lastIndexOf('OggS');
  return Number(bytes.readBigUInt64LE(last + 6));
}

// The browser decodes the tune to exactly its samples, no padding: the loop has no gap.
async function tuneLoopsWhole(game) {
  const samples = oggSamples(path.join(site, 'da', 'bg1.ogg'));
  const decoded = await game.page.evaluate(async () => {
    const bytes = await (await fetch('da/bg1.ogg')).arrayBuffer();
    return (await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes)).length;
  });
  check(decoded === samples, `the tune decodes to its ${samples} samples (${decoded})`);
  figures.push(`tune loop ${(samples / 44100).toFixed(3)} s`);
}

// logo → title → play → throws → van → pause → resume → Esc, with sound, figures and the
// screenshot.
async function wholePath(game, context) {
  await tuneLoopsWhole(game);
  await game.toPlay();
  const firstPicture = await game.page.evaluate(() => talvessaPage.firstPictureMs);
  figures.push(`first picture ${firstPicture.toFixed(0)} ms after the page's start`);
  await game.page.waitForTimeout(1500);
  check((await game.peak()) > 0.02, `the tune reaches the page's output (peak ${await game.peakText()})`);
  await measurePlay(game, context);
  await game.throws();
  await game.throws();
  await game.resetPeak();
  await game.sendsVan();
  check((await game.peak()) > 0.1, `the effects reach the page's output (peak ${await game.peakText()})`);
  if (screenshotAt) await game.page.screenshot({ path: screenshotAt });
  await game.pauses();
  await game.resumes();
  await game.endsWithEsc();
}

// A hidden tab pauses play; back on the tab the game rests in its pause until Enter.
async function hiddenTab(game) {
  await game.toPlay();
  await game.page.waitForTimeout(500);
  await setHidden(game.page, true);
  await game.page.waitForTimeout(1500);
  await setHidden(game.page, false);
  await game.staysPaused('play stays paused after the tab is shown again');
  await game.resumes();
}

// Without its sound files, or with them damaged, the page plays on silently.
async function silentPlay(game) {
  await game.toPlay();
  await game.throws();
  await game.sendsVan();
  check((await game.peak()) === 0, `nothing sounds (peak ${await game.peak()})`);
  check(!(await game.noticeShown()), 'no sound to wait for');
  await game.endsWithEsc();
}

// A browser that starts sound only after a gesture: the page says so until the first key.
async function soundAfterKey(game) {
  await game.page.waitForTimeout(500);
  check(await game.noticeShown(), 'the page asks for a key before the sound');
  check((await game.peak()) === 0, 'nothing sounds before the key');
  await game.toPlay();
  check(!(await game.noticeShown()), 'the first key starts the sound');
  await game.page.waitForTimeout(1500);
  check((await game.peak()) > 0.02, `the tune is heard after the first key (peak ${await game.peakText()})`);
}

const cases = [
  { name: 'logo, title, play, throws, van, pause, resume, Esc', site: 'good', run: wholePath },
  { name: 'a hidden tab pauses play', site: 'good', run: hiddenTab },
  { name: 'sound files missing: plays silently', site: 'missing', run: silentPlay },
  { name: 'sound files damaged: plays silently', site: 'damaged', run: silentPlay },
  { name: 'no sound support: plays silently', site: 'good', run: silentPlay, init: noSoundSupport },
  { name: 'sound starts on the first key', site: 'good', run: soundAfterKey, init: soundAfterGesture },
];

function pageSize(folder) {
  let raw = 0;
  let gzipped = 0;
  for (const entry of fs.readdirSync(folder, { recursive: true })) {
    const file = path.join(folder, entry);
    if (!fs.statSync(file).isFile()) continue;
    const bytes = fs.readFileSync(file);
    raw += bytes.length;
    gzipped += zlib.gzipSync(bytes, { level: 9 }).length;
  }
  return `page ${(raw / 1e6).toFixed(2)} MB, ${(gzipped / 1e6).toFixed(2)} MB gzipped`;
}

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'talvessa-web-'));
makeSites(root);
const { server, base } = await serve(root);
let failed = 0;
try {
  for (const test of cases) {
    const browser = await chromium.launch({ executablePath: '/usr/bin/chromium' });
    try {
      const context = await browser.newContext({ viewport: { width: 1200, height: 950 } });
      await context.addInitScript(watchPage);
      if (test.init) await context.addInitScript(test.init);
      const game = new Game(await context.newPage());
      await game.page.goto(`${base}/${test.site}/index.html`);
      await test.run(game, context);
      check(game.errors.length === 0, `no errors on the page (${game.errors.join('; ')})`);
      console.log(`ok   ${test.name}`);
    } catch (error) {
      ++failed;
      console.log(`FAIL ${test.name}: ${error instanceof Check ? error.message : error.stack}`);
    } finally {
      await browser.close();
    }
  }
} finally {
  server.kill();
  fs.rmSync(root, { recursive: true, force: true });
}
figures.push(pageSize(site));
for (const figure of figures) console.log(`figure: ${figure}`);
process.exit(failed === 0 ? 0 : 1);
