// The two engines the browser test drives, behind the one small interface its shared steps use: a tab
// that takes keys, runs a function in the page, waits, reads the page's elements and counts its errors.
// Chromium comes through playwright-core (CDP), Firefox through puppeteer-core (WebDriver BiDi); both
// drive Debian's own browsers and download none.
import { createRequire } from 'node:module';
import path from 'node:path';

const load = (modules, name) => createRequire(path.join(modules, name, 'package.json'))(path.join(modules, name));

class Tab {
  constructor(engine, page, close) {
    this.engine = engine;
    this.page = page;  // the library's own page, for the steps only one engine takes
    this.close = close;
    this.errors = [];
    page.on('pageerror', (error) => this.errors.push(error.message));
  }
  evaluate(fn, arg) {
    return this.page.evaluate(fn, arg);
  }
  wait(ms) {
    return new Promise((resolve) => setTimeout(resolve, ms));
  }
  waitFor(selector, ms) {
    return this.page.waitForSelector(selector, { timeout: ms });
  }
  // Shown as playwright's isVisible has it: laid out with a box, and not hidden by its style.
  visible(selector) {
    return this.evaluate((selector) => {
      const element = document.querySelector(selector);
      return Boolean(element?.checkVisibility({ visibilityProperty: true }) && element.getClientRects().length > 0);
    }, selector);
  }
  screenshot(file) {
    return this.page.screenshot({ path: file });
  }
  down(key) {
    return this.page.keyboard.down(this.keyName(key));
  }
  up(key) {
    return this.page.keyboard.up(this.keyName(key));
  }
  keyName(key) {
    return key;
  }
  // A reader of the main thread's busy time in seconds, or null where the engine does not tell it.
  async busyMeter() {
    return null;
  }
}

class ChromiumTab extends Tab {
  constructor(page, context, close) {
    super('chromium', page, close);
    this.context = context;  // for what only Chromium's CDP offers: routes, network emulation, touch
  }
  async busyMeter() {
    const cdp = await this.context.newCDPSession(this.page);
    await cdp.send('Performance.enable');
    return async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
  }
}

class FirefoxTab extends Tab {
  constructor(page, close) {
    super('firefox', page, close);
  }
  // WebDriver BiDi's keyboard names the space bar by its character; every other key the steps press
  // has the same name in both libraries.
  keyName(key) {
    return key === 'Space' ? ' ' : key;
  }
}

// The options a case may give: `device` (viewport, density, touch) or the default viewport,
// `serviceWorkers`, and `inits`, the functions run in every page before its own script.
const kViewport = { width: 1200, height: 950 };

async function openChromium(modules, { device, serviceWorkers, inits }) {
  const browser = await load(modules, 'playwright-core').chromium.launch({ executablePath: '/usr/bin/chromium' });
  try {
    const context = await browser.newContext({
      ...(device || { viewport: kViewport }),
      serviceWorkers: serviceWorkers || 'block',
      acceptDownloads: true,
    });
    for (const init of inits) await context.addInitScript(init);
    return new ChromiumTab(await context.newPage(), context, () => browser.close());
  } catch (error) {
    await browser.close();
    throw error;
  }
}

// Where Firefox differs from headless Chromium for the shared steps (besides the space bar's name and
// the main thread's busy time, which it does not tell):
// - With no sound device (these machines have none) its AudioContext never leaves "suspended"; Firefox's
//   own test backend for its audio layer (a mock device pulling the graph in real time, as headless
//   Chromium's fake output does) lets the page's sound run and reach the analyser.
// - puppeteer-core runs every function it evaluates in the page as a gesture of the player's, so from
//   the first read-back the page may play sound, as headless Chromium lets any page do (the rule that
//   sound waits for a key is emulated in Chromium alone).
async function openFirefox(modules, { device, serviceWorkers, inits }) {
  if (device || serviceWorkers) throw new Error('the Firefox tab takes only the default viewport');
  const browser = await load(modules, 'puppeteer-core').launch({
    browser: 'firefox',
    protocol: 'webDriverBiDi',
    executablePath: '/usr/bin/firefox-esr',
    headless: true,
    extraPrefsFirefox: { 'media.cubeb.force_mock_context': true },
  });
  try {
    // A tab of its own: the tab Firefox starts with never has the keyboard (document.hasFocus() stays
    // false, and the page lets the game read no key), one opened after it has.
    const page = await browser.newPage();
    await page.setViewport(kViewport);
    for (const init of inits) await page.evaluateOnNewDocument(init);
    return new FirefoxTab(page, () => browser.close());
  } catch (error) {
    await browser.close();
    throw error;
  }
}

// A tab of its own browser for one case; `close` ends that browser.
export function openTab(engine, modules, options) {
  return engine === 'firefox' ? openFirefox(modules, options) : openChromium(modules, options);
}
