// The web edition in real browsers: Debian's headless Chromium, driven by the pinned playwright-core, and
// Debian's headless Firefox, driven by the pinned puppeteer-core (tabs.mjs), load the page from a local
// server and play. Each case is one row of `cases`, run in Chromium unless it names its engine; a case
// fails on the first check that does not hold, and every case runs. The figures of a run (download
// size, first picture, frame spacing, main-thread share) are printed, never asserted beyond a tolerant
// band.
//
// Usage: node browser_test.mjs NODE_MODULES SITE [--screenshot FILE] ... (browser_test.sh installs them)
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import zlib from 'node:zlib';
import { openTab } from './tabs.mjs';

const [modules, site, ...options] = process.argv.slice(2);
const option = (name) => {
  const at = options.indexOf(name);
  return at >= 0 && options[at + 1] ? path.resolve(options[at + 1]) : null;
};
// --screenshot FILE: the desktop picture; --phone-screenshots PREFIX: PREFIX-portrait.png and
// PREFIX-landscape.png; --native TOOL: the native headless tool, for the replay case.
const screenshotAt = option('--screenshot');
const phoneShotsAt = option('--phone-screenshots');
const nativeTool = option('--native');
// --only TEXT: only the cases whose names hold TEXT.
const only = options.includes('--only') ? options[options.indexOf('--only') + 1] : '';

// Colours of the picture (R,G,B) and where the window picture shows them.
const kWhite = '255,255,255';
const kBlack = '0,0,0';
const kField = '128,128,64';
const kVanBody = '48,48,56';
const kFieldRect = [32, 32, 512, 384];
// A key is held longer than a frame of the slowest screen, so the game's polling sees it.
const kHoldMs = 150;

// The variants of the site the cases load: as built, without its data folder, with every sound file
// damaged (cut short or overwritten), without its WebAssembly, without one of its faces.
const kMissingFace = 'IPAPGothic.ttf';
function makeSites(root) {
  const variants = { good: null, missing: null, damaged: null, nowasm: null, noface: null };
  for (const name of Object.keys(variants)) {
    const folder = path.join(root, name);
    fs.mkdirSync(folder);
    for (const entry of fs.readdirSync(site)) {
      if (entry === 'da' && (name === 'missing' || name === 'damaged')) continue;
      if (entry.startsWith('talvessa.wasm') && name === 'nowasm') continue;
      if (entry === 'fonts' && name === 'noface') continue;
      fs.symlinkSync(path.resolve(site, entry), path.join(folder, entry));
    }
  }
  const faces = path.join(root, 'noface', 'fonts');
  fs.mkdirSync(faces);
  for (const entry of fs.readdirSync(path.join(site, 'fonts'))) {
    if (!entry.startsWith(kMissingFace)) fs.symlinkSync(path.resolve(site, 'fonts', entry), path.join(faces, entry));
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
// analyser beside every connection to the output), the times of the pictures drawn, and the times of the
// program's event pumps (one or more each frame, whether or not the frame changed the picture) and of
// its frames' waits (one a frame in play).
function watchPage() {
  window.__tap = { peak: 0 };
  window.__pictures = [];
  window.__pumps = [];
  window.__sleeps = [];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    window.__pictures.push(performance.now());
    return put.apply(this, args);
  };
  document.addEventListener('DOMContentLoaded', () => {
    for (const [name, times] of [['pump', window.__pumps], ['sleep', window.__sleeps]]) {
      const call = talvessaPage[name];
      talvessaPage[name] = (...args) => {
        times.push(performance.now());
        return call(...args);
      };
    }
  });
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
          // A suspended context outputs nothing (its analyser keeps showing the last samples).
          if (audio.state !== 'running') return;
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

// A browser without a sound device: the context never leaves its suspended state.
function noSoundDevice() {
  const Real = window.AudioContext;
  window.AudioContext = class extends Real {
    constructor(...args) {
      super(...args);
      super.suspend();
    }
    resume() {
      return new Promise(() => {});
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
  constructor(tab) {
    this.tab = tab;
    this.page = tab.page;  // the library's page, for the steps of the cases only Chromium takes
  }
  // A figure of the run, named by its engine where that is not Chromium.
  figure(text) {
    figures.push(this.tab.engine === 'chromium' ? text : `${this.tab.engine}: ${text}`);
  }
  async hold(key, ms = kHoldMs) {
    await this.tab.down(key);
    await this.tab.wait(ms);
    await this.tab.up(key);
  }
  pixel(x, y) {
    return this.tab.evaluate(([x, y]) => {
      const data = document.getElementById('screen').getContext('2d').getImageData(x, y, 1, 1).data;
      return `${data[0]},${data[1]},${data[2]}`;
    }, [x, y]);
  }
  // How many pixels of the rectangle have the colour.
  count(colour, [x, y, width, height]) {
    return this.tab.evaluate(([colour, x, y, width, height]) => {
      const data = document.getElementById('screen').getContext('2d').getImageData(x, y, width, height).data;
      let n = 0;
      for (let i = 0; i < data.length; i += 4) if (`${data[i]},${data[i + 1]},${data[i + 2]}` === colour) ++n;
      return n;
    }, [colour, x, y, width, height]);
  }
  // The canvas's hash as the native tool's --hashes gives a picture's: FNV-1a 64 of its R, G, B bytes.
  picture() {
    return this.tab.evaluate(() => {
      const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 576, 448).data;
      let hash = 14695981039346656037n;
      for (let i = 0; i < data.length; ++i) {
        if (i % 4 !== 3) hash = BigInt.asUintN(64, (hash ^ BigInt(data[i])) * 1099511628211n);
      }
      return hash.toString(16).padStart(16, '0');
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
      await this.tab.wait(key ? 250 : 50);
    }
  }
  peak() {
    return this.tab.evaluate(() => window.__tap.peak);
  }
  async peakText() {
    return (await this.peak()).toFixed(3);
  }
  resetPeak() {
    return this.tab.evaluate(() => {
      window.__tap.peak = 0;
    });
  }
  noticeShown() {
    return this.tab.evaluate(() => !document.getElementById('sound-notice').hidden);
  }
  // From the page's load: logo, title, play.
  async toPlay(loadMs = 5000) {
    await this.awaitPixel(300, 200, kWhite, 'the logo screen starts white', null, loadMs);
    await this.awaitPixel(300, 200, kBlack, 'Space skips the logo to the black title screen', 'Space');
    await this.awaitPixel(300, 200, kField, 'Space starts play on the olive field', 'Space');
    check((await this.pixel(10, 10)) === kBlack, 'play has a black border');
    check((await this.pixel(32, 32)) === kField, 'the field starts at 32,32');
  }
  // Banknotes flying in the lower field (their top edge between y 150 and 380): a white outline 28 pixels
  // wide and 12 high, two pixels thick, around a picture that is not white.
  lowBanknotes() {
    return this.tab.evaluate(() => {
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
      await this.tab.wait(100);
    }
    // The game counts a key held across its polls as one press: the key before must have been seen let
    // go, at a poll a busy machine may hold back a few frames.
    await this.tab.wait(300);
    await this.hold('Space');
    for (let until = Date.now() + 600; (await this.lowBanknotes()) === 0;) {
      check(Date.now() < until, 'a thrown banknote flies up');
      await this.tab.wait(30);
    }
  }
  // Sends the van: its dark body drives onto the field.
  async sendsVan() {
    check((await this.count(kVanBody, kFieldRect)) < 50, 'no van before V');
    await this.hold('v');
    await this.tab.wait(300);
    check((await this.count(kVanBody, kFieldRect)) > 200, 'V sends the van');
  }
  // A paused game's picture stands, even as Space asks for a throw.
  async staysPaused(what) {
    const before = await this.picture();
    await this.hold('Space');
    await this.tab.wait(500);
    check(before === (await this.picture()), what);
  }
  async pauses() {
    await this.hold('Enter');
    await this.tab.wait(300);
    await this.staysPaused('the paused picture stands');
  }
  // Play goes on: a banknote flies again.
  async resumes() {
    await this.hold('Enter', 600);  // the pause reads the keys every twelfth pass only
    await this.tab.wait(200);
    await this.throws();
  }
  // The share of the field's pixels in the field's colour: about 1 in play, a part under an end
  // screen's veil, none on the title.
  async fieldShare() {
    return (await this.count(kField, kFieldRect)) / (kFieldRect[2] * kFieldRect[3]);
  }
  // The flag's column: the mean x of its red disc's pixels on the bottom row, or null.
  flagX() {
    return this.tab.evaluate(() => {
      const data = document.getElementById('screen').getContext('2d').getImageData(32, 380, 512, 36).data;
      let sum = 0;
      let n = 0;
      for (let i = 0; i < data.length; i += 4) {
        if (data[i] >= 190 && data[i + 1] < 60 && data[i + 2] < 60) {
          sum += (i / 4) % 512;
          ++n;
        }
      }
      return n > 0 ? 32 + sum / n : null;
    });
  }
  // The column (0 to 15) the flag stands in: the one with most of its red disc's pixels.
  flagColumn() {
    return this.tab.evaluate(() => {
      const data = document.getElementById('screen').getContext('2d').getImageData(32, 384, 512, 32).data;
      const red = new Array(16).fill(0);
      for (let i = 0; i < data.length; i += 4) {
        if (data[i] >= 190 && data[i + 1] < 60 && data[i + 2] < 60) ++red[Math.floor(((i / 4) % 512) / 32)];
      }
      const most = Math.max(...red);
      return most > 0 ? red.indexOf(most) : null;
    });
  }
  // The column in which a hostage has been raised for a unit to fetch (the row above the flag's holds
  // a figure), or null.
  raisedColumn() {
    return this.tab.evaluate((field) => {
      const data = document.getElementById('screen').getContext('2d').getImageData(32, 354, 512, 28).data;
      const figure = new Array(16).fill(0);
      for (let i = 0; i < data.length; i += 4) {
        if (`${data[i]},${data[i + 1]},${data[i + 2]}` !== field) ++figure[Math.floor(((i / 4) % 512) / 32)];
      }
      const most = Math.max(...figure);
      return most >= 80 ? figure.indexOf(most) : null;
    }, kField);
  }
  // Walks the flag to the column, a step or two at a time.
  async walkTo(column) {
    for (let until = Date.now() + 6000; Date.now() < until;) {
      const at = await this.flagColumn();
      if (at === column) return;
      await this.hold(at === null || at < column ? 'ArrowRight' : 'ArrowLeft', 70);
      await this.tab.wait(70);
    }
  }
  // The effects the game has played since `listen`, by name ("se3": a rescue, "se4": a letter typed
  // on the game-over screen).
  listen() {
    return this.tab.evaluate(() => {
      window.__effects = [];
      const sound = talvessaPage.sound;
      const play = sound.playEffect;
      sound.playEffect = (url) => {
        window.__effects.push(/se\d+/.exec(url)?.[0]);
        return play.call(sound, url);
      };
    });
  }
  async played(name) {
    return (await this.tab.evaluate(() => window.__effects)).filter((effect) => effect === name).length;
  }
  // Rescues a hostage: finds the column where one has been raised, walks the flag under it and throws
  // until the rescue sounds; if its unit gets away, the next hostage is hunted.
  async rescues(ms) {
    const until = Date.now() + ms;
    while ((await this.played('se3')) === 0) {
      check(Date.now() < until, 'a hostage is rescued');
      const column = await this.raisedColumn();
      await this.tab.wait(100);
      // Seen twice: a banknote just thrown passes the row for a moment.
      if (column === null || column !== (await this.raisedColumn())) continue;
      await this.walkTo(column);
      // The unit comes down and lifts it for some 10 s, hittable all the way.
      for (const end = Date.now() + 11000; Date.now() < end && (await this.played('se3')) === 0;) {
        await this.hold('Space', 100);
        await this.tab.wait(200);
      }
    }
  }
  async awaitScreen(what, test, ms, tap = null) {
    const until = Date.now() + ms;
    for (;;) {
      if (test(await this.fieldShare())) return;
      check(Date.now() < until, `${what} (the field's share ${(await this.fieldShare()).toFixed(2)})`);
      if (tap) await tap();
      await this.tab.wait(tap ? 300 : 200);
    }
  }
  async endsWithEsc() {
    await this.hold('Escape');
    await this.tab.waitFor('#ended:not([hidden])', 3000);
    check(await this.tab.visible('#play-again'), 'the ended page offers to play again');
  }
}

const figures = [];

// The gaps between successive times, shortest first.
const spacing = (times) => times.slice(1).map((t, i) => t - times[i]).sort((a, b) => a - b);

// Frame spacing and the main thread's share over some seconds of play: a world step, and a picture,
// every second frame. The band holds the frames' own times (their waits' spacing); the pictures' spacing,
// which grows while the scene stands still, is a figure. Only Chromium tells the main thread's busy time
// (CDP); Firefox's frames are measured all the same.
async function measurePlay(game) {
  const busyTime = await game.tab.busyMeter();
  const firsts = await game.tab.evaluate(() => [window.__pictures.length, window.__sleeps.length]);
  const [busy0, wall0] = [busyTime && (await busyTime()), Date.now()];
  await game.tab.wait(5000);
  const [busy1, wall1] = [busyTime && (await busyTime()), Date.now()];
  const [pictures, sleeps] = await game.tab.evaluate(([pictures, sleeps]) =>
    [window.__pictures.slice(pictures), window.__sleeps.slice(sleeps)], firsts);
  const tenths = (sorted, scale) => `tenth to ninetieth percentile ${(sorted[Math.floor(sorted.length / 10)] / scale)
    .toFixed(2)}–${(sorted[Math.floor((sorted.length * 9) / 10)] / scale).toFixed(2)} ms`;
  const steps = spacing(pictures);
  const frames = spacing(sleeps);
  const frame = frames[frames.length >> 1];
  game.figure(`longest gap between play pictures, nothing throttled: ${steps[steps.length - 1].toFixed(0)} ms`);
  game.figure(`play frame ${frame.toFixed(2)} ms (median of ${frames.length} frames; ${tenths(frames, 1)}); ` +
    `from the pictures ${(steps[steps.length >> 1] / 2).toFixed(2)} ms (median of ${steps.length} steps of ` +
    `two frames; ${tenths(steps, 2)})`);
  if (busyTime) game.figure(`main thread busy in play ${((100 * (busy1 - busy0)) / ((wall1 - wall0) / 1000)).toFixed(1)} %`);
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
  const decoded = await game.tab.evaluate(async () => {
    const bytes = await (await fetch('da/bg1.ogg')).arrayBuffer();
    return (await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes)).length;
  });
  check(decoded === samples, `the tune decodes to its ${samples} samples (${decoded})`);
  game.figure(`tune loop ${(samples / 44100).toFixed(3)} s`);
}

// The path every engine plays: logo → title → play → throws → van → pause → resume, the picture read
// back at each step, the tune and the effects heard at the page's output, with the figures.
async function mainPath(game) {
  await tuneLoopsWhole(game);
  await game.toPlay();
  const firstPicture = await game.tab.evaluate(() => talvessaPage.firstPictureMs);
  game.figure(`first picture ${firstPicture.toFixed(0)} ms after the page's start`);
  await game.tab.wait(1500);
  check((await game.peak()) > 0.02, `the tune reaches the page's output (peak ${await game.peakText()})`);
  await measurePlay(game);
  await game.throws();
  await game.throws();
  await game.resetPeak();
  await game.sendsVan();
  check((await game.peak()) > 0.1, `the effects reach the page's output (peak ${await game.peakText()})`);
  if (screenshotAt && game.tab.engine === 'chromium') await game.tab.screenshot(screenshotAt);
  await game.pauses();
  await game.resumes();
}

// A whole game by keyboard: a hostage rescued, then the units let go until the money runs out; the
// game-over screen types its words and lists the results; Space goes back to the title.
async function wholeGame(game) {
  await game.listen();
  await game.rescues(90000);
  await game.awaitScreen('the escapes after a rescue end the game', (share) => share > 0.05 && share < 0.75, 120000);
  const white = () => game.count(kWhite, [80, 170, 420, 140]);
  for (let until = Date.now() + 10000; (await white()) < 300;) {
    check(Date.now() < until, `the game-over screen lists the results (${await white()} white pixels)`);
    await game.tab.wait(250);
  }
  check((await game.played('se4')) === 8, `"GAME" and "OVER" are typed (${await game.played('se4')} letters)`);
  check((await game.count(kWhite, [200, 92, 150, 32])) > 50, 'the words show above the results');
  await game.awaitScreen('Space on the game-over screen goes back to the title', (share) => share < 0.01, 15000,
    () => game.hold('Space'));
}

// A hidden tab pauses play and silences the page; back on the tab the game rests in its pause, saying
// so, until Enter. A page that loses the keyboard pauses the same way.
async function hiddenTab(game) {
  await game.toPlay();
  await game.page.waitForTimeout(1500);
  check((await game.peak()) > 0.02, 'the tune plays before the tab is hidden');
  await setHidden(game.page, true);
  await game.page.waitForTimeout(300);
  await game.resetPeak();
  await game.page.waitForTimeout(1500);
  check((await game.peak()) === 0, `a hidden tab is silent (peak ${await game.peakText()})`);
  await setHidden(game.page, false);
  check(await game.page.isVisible('#paused'), 'the page says play is paused');
  await game.staysPaused('play stays paused after the tab is shown again');
  await game.resumes();
  check(!(await game.page.isVisible('#paused')), 'the paused line goes with the key');
  await game.page.waitForTimeout(800);
  check((await game.peak()) > 0.02, 'the sound is back after the key');
  // The keyboard lost: the window's blur, and the page no longer focused.
  await game.page.evaluate(() => {
    document.hasFocus = () => false;
    window.dispatchEvent(new Event('blur'));
  });
  await game.page.waitForTimeout(400);
  await game.page.evaluate(() => {
    delete document.hasFocus;
    window.dispatchEvent(new Event('focus'));
  });
  await game.staysPaused('play pauses when the page loses the keyboard');
  await game.resumes();
}

// A game recorded in the page downloads as a replay that the native tool verifies; a replay the native
// tool made plays in the page to its end.
async function replays(game) {
  await game.toPlay();
  await game.throws();
  await game.sendsVan();
  await game.endsWithEsc();
  const [download] = await Promise.all([
    game.page.waitForEvent('download'),
    game.page.click('#ended-download-replay'),
  ]);
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'talvessa-replay-'));
  const recorded = path.join(work, 'page.txt');
  await download.saveAs(recorded);
  check(fs.readFileSync(recorded, 'utf8').startsWith('talvessa-replay '), 'the download is a replay');
  if (nativeTool) {
    const verified = spawnSync(nativeTool, ['--replay', recorded, '--verify'], { encoding: 'utf8' });
    check(verified.status === 0, `the native tool verifies the page's replay (status ${verified.status}: ` +
      `${verified.stderr.trim()})`);
    const made = path.join(work, 'native.txt');
    const keys = path.join(path.dirname(fileURLToPath(import.meta.url)), '../../docs/sample-keys.txt');
    const recording = spawnSync(nativeTool, ['--seed', '5', '--keys', keys, '--save-replay', made]);
    check(recording.status === 0, 'the native tool records a replay');
    await Promise.all([game.page.waitForNavigation(), game.page.setInputFiles('#replay-file', made)]);
    await game.awaitPixel(300, 200, kField, 'the native replay reaches play in the page', null, 10000);
    await game.page.waitForSelector('#ended:not([hidden])', { timeout: 15000 });
    const said = await game.page.textContent('#ended-what');
    check(said.includes('played to its end'), `the native replay plays to its end in the page ("${said}")`);
    // The page draws only what changed of each picture: after the whole replay the canvas holds the
    // program's last picture, byte for byte.
    const hashes = path.join(work, 'native-hashes.txt');
    const hashed = spawnSync(nativeTool, ['--replay', made, '--hashes', hashes], { encoding: 'utf8' });
    check(hashed.status === 0, `the native tool hashes the replay's pictures (${hashed.stderr.trim()})`);
    const last = fs.readFileSync(hashes, 'utf8').trim().split('\n').pop().split(' ')[1];
    const shown = await game.picture();
    check(shown === last, `the page's last picture is the native tool's (${shown}, not ${last})`);
  } else {
    figures.push('replay: no native tool given (--native), the page\'s replay was not verified');
  }
  fs.rmSync(work, { recursive: true, force: true });
}

// A second visit with the network off plays from the service worker's cache.
async function offline(game, context) {
  await game.page.evaluate(() => navigator.serviceWorker.ready);
  await game.page.reload();
  await game.page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  await game.page.waitForTimeout(500);
  await context.setOffline(true);
  await game.page.reload();
  await game.toPlay();
  await game.throws();
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

// Fingers on the page, through the browser's own touch input: each point is [x, y] in CSS pixels, held
// together for `ms`.
class Fingers {
  constructor(game, cdp) {
    this.game = game;
    this.cdp = cdp;
  }
  static async on(game, context) {
    return new Fingers(game, await context.newCDPSession(game.page));
  }
  async centre(selector) {
    const box = await this.game.page.locator(selector).boundingBox();
    check(box !== null, `${selector} shows`);
    return [box.x + box.width / 2, box.y + box.height / 2];
  }
  // `during` runs while the fingers are down, after `ms`.
  async hold(points, ms = kHoldMs, during = null) {
    const touching = [];
    for (const [i, [x, y]] of points.entries()) {
      // A later finger comes down a poll after the one before.
      if (i > 0) await this.game.page.waitForTimeout(kHoldMs);
      touching.push({ x, y, id: i + 1 });
      await this.cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [...touching] });
    }
    await this.game.page.waitForTimeout(ms);
    const result = during ? await during() : null;
    await this.cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    await this.game.page.waitForTimeout(kHoldMs);
    return result;
  }
  async press(selectors, ms, during = null) {
    const points = [];
    for (const selector of selectors) points.push(await this.centre(selector));
    return this.hold(points, ms, during);
  }
  // A tap on the picture (a Space to the game).
  async tapPicture() {
    const box = await this.game.page.locator('#screen').boundingBox();
    await this.hold([[box.x + box.width / 2, box.y + box.height * 0.6]], 60);
  }
}

const kLeft = '#touch [data-key="37"]';
const kRight = '#touch [data-key="39"]';
const kThrow = '#touch [data-key="32"]';
const kVan = '#touch [data-key="86"]';
const kPause = '#touch [data-key="13"]';

// Devices as playwright's own table gives them (viewport, screen density, touch, mobile).
const kPixel7 = { width: 412, height: 915, deviceScaleFactor: 2.625 };
function phone(device, landscape) {
  const [width, height] = landscape ? [device.height, device.width] : [device.width, device.height];
  return { viewport: { width, height }, deviceScaleFactor: device.deviceScaleFactor, hasTouch: true, isMobile: true };
}

// A touch-only player: the controls show, the picture fills its side without covering a control; taps
// start play, the buttons walk (holding left and throw at once), throw, send the van, pause and resume;
// with `toTheEnd` play goes on to an end screen, and a tap goes back to the title (a minute and more:
// one orientation does it).
async function touchGame(game, context, orientation, toTheEnd) {
  const page = game.page;
  check(await page.isVisible('#touch'), 'the touch controls show on a touch device');
  const picture = await page.locator('#screen').boundingBox();
  const viewport = page.viewportSize();
  const side = orientation === 'portrait' ? picture.width / viewport.width : picture.height / viewport.height;
  check(side > 0.97, `the picture fills the ${orientation === 'portrait' ? 'width' : 'height'} (${side.toFixed(3)})`);
  for (const button of [kLeft, kRight, kThrow, kVan, kPause]) {
    const box = await page.locator(button).boundingBox();
    check(box.width >= 44 && box.height >= 44, `${button} is thumb-sized (${box.width} px)`);
    const overlaps = box.x < picture.x + picture.width && box.x + box.width > picture.x &&
      box.y < picture.y + picture.height && box.y + box.height > picture.y;
    check(!overlaps, `${button} leaves the picture uncovered`);
  }
  const fingers = await Fingers.on(game, context);
  await game.awaitPixel(300, 200, kWhite, 'the logo screen starts white');
  for (let until = Date.now() + 8000; (await game.fieldShare()) < 0.8;) {
    check(Date.now() < until, 'taps on the picture start play');
    await fingers.tapPicture();
    await page.waitForTimeout(250);
  }
  const start = await game.flagX();
  await fingers.press([kRight], 600);
  const walked = await game.flagX();
  check(walked > start, `the right button walks the flag (${start} to ${walked})`);
  // Two fingers: throw, then left with throw still held (the game lets an arrow outrank Space).
  const notes = await fingers.press([kThrow, kLeft], 400, () => game.lowBanknotes());
  check(notes > 0, `throw held throws (${notes} banknotes)`);
  check((await game.flagX()) < walked, 'left held beside throw walks back');
  await page.waitForTimeout(1200);
  check((await game.count(kVanBody, kFieldRect)) < 50, 'no van before the van button');
  await fingers.press([kVan]);
  await page.waitForTimeout(300);
  check((await game.count(kVanBody, kFieldRect)) > 200, 'the van button sends the van');
  await fingers.press([kPause]);
  await page.waitForTimeout(300);
  const paused = await game.picture();
  await fingers.press([kThrow]);
  await page.waitForTimeout(500);
  check(paused === (await game.picture()), 'the pause button pauses');
  await fingers.press([kPause]);
  await page.waitForTimeout(400);
  check(paused !== (await game.picture()), 'the pause button resumes');
  if (phoneShotsAt) await page.screenshot({ path: `${phoneShotsAt}-${orientation}.png` });
  if (!toTheEnd) return;
  // Left alone, play ends (the terrorists leave about a minute into a game nobody plays).
  await game.awaitScreen('play ends on an end screen', (share) => share > 0.05 && share < 0.75, 120000);
  await game.awaitScreen('a tap on the end screen goes back to the title', (share) => share < 0.01, 15000,
    () => fingers.tapPicture());
}

// The program keeps its frames' pace however slowly (or never) the sounds load. A wait for a file held
// play for 2.9 s and more; on this busy shared 2-core machine a starved browser has stood still for about
// a second whether the tune came or not (its decoding runs off the page's thread, in under 200 ms). So
// the bound is a freeze's, on the longest gap between the program's pumps, and the gaps are figures.
// Pictures come only when the scene changes (early in play it stands still for 1.3 s), so their gap is
// a figure only. The gaps run from the watch's start to its end.
const kFreezeMs = 1500;
async function gaps(game, ms) {
  const firsts = await game.page.evaluate(() =>
    [window.__pumps.length, window.__pictures.length, performance.now()]);
  await game.page.waitForTimeout(ms);
  const [pumps, pictures, end] = await game.page.evaluate(([pumps, pictures]) =>
    [window.__pumps.slice(pumps), window.__pictures.slice(pictures), performance.now()], firsts);
  const longest = (times) => spacing([firsts[2], ...times, end]).pop();
  return { frames: longest(pumps), pictures: longest(pictures) };
}
function checkNoFreeze(what, gap) {
  figures.push(`longest gap between the program's frames ${what}: ${gap.frames.toFixed(0)} ms; ` +
    `between pictures: ${gap.pictures.toFixed(0)} ms`);
  check(gap.frames < kFreezeMs, `no freeze in play (longest gap between frames ${gap.frames.toFixed(0)} ms)`);
}

// The line emulated at `mbits` (CDP), with a short round trip.
async function throttle(game, context, mbits) {
  const cdp = await context.newCDPSession(game.page);
  await cdp.send('Network.enable');
  const bytes = (mbits * 1e6) / 8;
  await cdp.send('Network.emulateNetworkConditions',
    { offline: false, latency: 20, downloadThroughput: bytes, uploadThroughput: bytes });
}

// The tune's request is never answered, on a 1.6 Mbit/s line: play starts and runs without a gap, the
// effects sound.
async function tuneNeverComes(game) {
  await game.toPlay(60000);
  checkNoFreeze('in play, the tune never answered, 1.6 Mbit/s', await gaps(game, 4000));
  await game.resetPeak();
  await game.sendsVan();
  check((await game.peak()) > 0.05, 'the effects sound without the tune');
}

// On a slow line play starts at once, and the tune joins once it has come.
async function tuneJoinsLater(game) {
  await game.toPlay(60000);
  checkNoFreeze('in play while the tune loads, 1.6 Mbit/s', await gaps(game, 1500));
  const shown = await game.page.evaluate(() => talvessaPage.firstPictureMs);
  figures.push(`first picture at 1.6 Mbit/s: ${shown.toFixed(0)} ms`);
  for (let until = Date.now() + 20000; (await game.peak()) < 0.02;) {
    check(Date.now() < until, 'the tune joins once it has loaded');
    await game.page.waitForTimeout(250);
  }
}

async function firstPictureAt10(game) {
  await game.awaitPixel(300, 200, kWhite, 'the logo screen starts white', null, 20000);
  const shown = await game.page.evaluate(() => talvessaPage.firstPictureMs);
  figures.push(`first picture at 10 Mbit/s: ${shown.toFixed(0)} ms`);
}

// The page says why the game cannot start, in one message, over no other.
async function failsWith(game, text) {
  await game.page.waitForSelector('#failed:not([hidden])', { timeout: 10000 });
  const said = await game.page.textContent('#failed');
  check(said.includes(text), `the page says "${text}" (it says "${said}")`);
  check(!(await game.noticeShown()), 'no sound notice beside the failure');
  check(!(await game.page.isVisible('#loading')), 'no loading bar beside the failure');
}

// A face missing: the page names it, and the game plays on (without its texts).
async function playsWithoutFace(game) {
  await game.page.waitForSelector('#warned:not([hidden])', { timeout: 10000 });
  const said = await game.page.textContent('#warned');
  check(said.includes(`${kMissingFace} could not be loaded (HTTP 404)`), `the page names the missing face ("${said}")`);
  await game.toPlay();
  await game.throws();
  check(!(await game.page.isVisible('#failed')), 'no failure beside the warning');
}

// The help opens with ? and closes with H, pausing play meanwhile; after Esc, Enter plays again.
async function helpAndPlayAgain(game) {
  await game.toPlay();
  await game.page.keyboard.press('Shift+Slash');
  check(await game.page.isVisible('#help'), '? opens the help');
  const text = await game.page.textContent('#help');
  check(text.includes('Space') && text.includes('スペース'), 'the help is in English and Japanese');
  await game.page.waitForTimeout(400);
  await game.staysPaused('play pauses under the help');
  await game.page.keyboard.press('h');
  check(!(await game.page.isVisible('#help')), 'H closes the help');
  await game.resumes();
  // Two steps down, then muted: kept for the next load.
  for (const key of ['Minus', 'Minus', 'm']) await game.page.keyboard.press(key);
  await game.endsWithEsc();
  await Promise.all([game.page.waitForNavigation(), game.page.keyboard.press('Enter')]);
  await game.awaitPixel(300, 200, kWhite, 'Enter on the ended page plays again');
  const stored = await game.page.evaluate(() => window.localStorage.getItem('talvessa-sound'));
  check(stored === '{"volume":8,"muted":true}', `the volume and mute are stored (${stored})`);
  await game.toPlay();
  await game.resetPeak();
  await game.page.waitForTimeout(1500);
  check((await game.peak()) === 0, `the next load starts muted (peak ${await game.peakText()})`);
}

// Without a sound device the notice asks for a key, and goes once that key could not start the sound.
async function noticeGoes(game) {
  await game.page.waitForTimeout(500);
  check(await game.noticeShown(), 'the page asks for a key before the sound');
  await game.toPlay();
  await game.page.waitForTimeout(1500);
  check(!(await game.noticeShown()), 'the notice goes once the sound could not start');
  await game.throws();
}

const portrait = phone(kPixel7, false);
const landscape = phone(kPixel7, true);
const cases = [
  { name: 'logo, title, play, throws, van, pause, resume, a whole game to the results and the title', site: 'good',
    long: true, run: async (game) => {
      await mainPath(game);
      await wholeGame(game);
    } },
  { name: 'firefox: logo, title, play, throws, van, pause, resume, Esc to play again', site: 'good',
    engine: 'firefox', run: async (game) => {
      await mainPath(game);
      await game.endsWithEsc();
    } },
  { name: 'help by ? and H; Enter plays again, muted as it was left', site: 'good', run: helpAndPlayAgain },
  { name: 'a hidden tab and a lost keyboard pause play and silence it', site: 'good', run: hiddenTab },
  { name: 'sound files missing: plays silently', site: 'missing', run: silentPlay },
  { name: 'sound files damaged: plays silently', site: 'damaged', run: silentPlay },
  { name: 'no sound support: plays silently', site: 'good', run: silentPlay, init: noSoundSupport },
  { name: 'sound starts on the first key', site: 'good', run: soundAfterKey, init: soundAfterGesture },
  { name: 'no sound device: the notice goes after the first key', site: 'good', run: noticeGoes, init: noSoundDevice },
  { name: 'touch, phone portrait: a whole game to an end screen and the title', site: 'good', device: portrait,
    long: true, run: (game, context) => touchGame(game, context, 'portrait', true) },
  { name: 'touch, phone landscape: every control', site: 'good', device: landscape,
    run: (game, context) => touchGame(game, context, 'landscape', false) },
  { name: 'the tune never answered, 1.6 Mbit/s: play runs on', site: 'good', mbits: 1.6, holdTune: true,
    run: tuneNeverComes },
  { name: '1.6 Mbit/s: play starts at once, the tune joins later', site: 'good', mbits: 1.6, run: tuneJoinsLater },
  { name: '10 Mbit/s: first picture', site: 'good', mbits: 10, run: firstPictureAt10 },
  { name: 'replays: the page\'s verifies natively, a native one plays', site: 'good', run: replays },
  { name: 'offline: a second visit plays without the network', site: 'good', serviceWorkers: 'allow', run: offline },
  { name: 'failure: opened as a file', url: () => pathToFileURL(path.resolve(site, 'index.html')).href,
    run: (game) => failsWith(game, 'serve the folder over HTTP') },
  { name: 'failure: no WebAssembly', site: 'good', init: () => delete window.WebAssembly,
    run: (game) => failsWith(game, 'no WebAssembly') },
  { name: 'failure: the program file missing', site: 'nowasm',
    run: (game) => failsWith(game, 'talvessa.wasm could not be loaded (HTTP 404)') },
  { name: 'failure: a face missing, play goes on', site: 'noface', run: playsWithoutFace },
];

// The bytes the page fetches before its first picture (all but the sounds), gzipped.
function bytesBeforePicture() {
  const page = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
  const named = [...page.matchAll(/\b(?:href|src)="([^"?]+)(?:\?[^"]*)?"/g)].map((m) => m[1])
    .filter((name) => !name.endsWith('.png') && !name.endsWith('.webmanifest'));
  let gzipped = zlib.gzipSync(page, { level: 9 }).length;
  for (const name of new Set(named)) {
    const bytes = fs.readFileSync(path.join(site, name));
    gzipped += name.endsWith('.gz') ? bytes.length : zlib.gzipSync(bytes, { level: 9 }).length;
  }
  return `bytes before the first picture ${(gzipped / 1e6).toFixed(3)} MB gzipped`;
}

function pageSize(folder) {
  let raw = 0;
  let gzipped = 0;
  for (const entry of fs.readdirSync(folder, { recursive: true })) {
    const file = path.join(folder, entry);
    if (!fs.statSync(file).isFile() || /\.(gz|br)$/.test(file)) continue;
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
async function runCase(test) {
  let tab = null;
  try {
    tab = await openTab(test.engine || 'chromium', modules, {
      device: test.device,
      serviceWorkers: test.serviceWorkers,
      inits: test.init ? [watchPage, test.init] : [watchPage],
    });
    const game = new Game(tab);
    if (test.holdTune) await tab.context.route('**/bg1.ogg*', () => {});
    if (test.mbits) await throttle(game, tab.context, test.mbits);
    await tab.page.goto(test.url ? test.url() : `${base}/${test.site}/index.html`);
    await test.run(game, tab.context);
    check(tab.errors.length === 0, `no errors on the page (${tab.errors.join('; ')})`);
    console.log(`ok   ${test.name}`);
  } catch (error) {
    const shot = ++failed;
    console.log(`FAIL ${test.name}: ${error instanceof Check ? error.message : error.stack}`);
    if (tab && process.env.TALVESSA_WEB_FAILED_SHOTS) {
      await tab.screenshot(`${process.env.TALVESSA_WEB_FAILED_SHOTS}-${shot}.png`).catch(() => {});
    }
  } finally {
    await tab?.close();
  }
}
// Two cases at a time, each in a browser of its own (a page uses a tenth of a core in play, so two keep
// their pace), the long ones first; then the cases on an emulated slow line, one by one, as the gaps
// between their pictures are measured.
const kAtOnce = 2;
const chosen = cases.filter((c) => c.name.includes(only));
const queue = chosen.filter((c) => !c.mbits).sort((a, b) => Number(Boolean(b.long)) - Number(Boolean(a.long)));
try {
  await Promise.all([...Array(kAtOnce)].map(async () => {
    while (queue.length > 0) await runCase(queue.shift());
  }));
  for (const test of chosen.filter((c) => c.mbits)) await runCase(test);
} finally {
  server.kill();
  fs.rmSync(root, { recursive: true, force: true });
}
figures.push(pageSize(site));
figures.push(bytesBeforePicture());
for (const figure of figures) console.log(`figure: ${figure}`);
process.exit(failed === 0 ? 0 : 1);
