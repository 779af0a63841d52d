'use strict';
// The browser rig of the page's tests, bench and picture: Debian's own Chromium
// (over the DevTools protocol) or Firefox ESR (over WebDriver BiDi), headless,
// both driven by puppeteer-core by their executable path, so that no browser is
// ever downloaded. One well-kept driver for both, rather than a protocol client
// of our own for each.
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

// The tab is reused from page to page, so the back-forward cache is off: no
// page left behind may run on beside the next.
const kBrowsers = {
  chromium: { browser: 'chrome', executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--hide-scrollbars', '--mute-audio',
      '--disable-features=BackForwardCache'] },
  firefox: { browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr', args: [],
    extraPrefsFirefox: { 'browser.sessionhistory.max_total_viewers': 0 } },
};

// Reports what the page's policy refused, as the console errors the tests collect.
const kReportViolations = `document.addEventListener('securitypolicyviolation',
  (e) => console.error('policy violation: ' + e.effectiveDirective + ' ' + e.blockedURI));`;

class Page {
  constructor(browser, page) {
    this.browser = browser;
    this.page = page;
    this.errors = [];
    page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'assert') this.errors.push(m.text()); });
    page.on('pageerror', (e) => this.errors.push(String(e && e.message || e)));
  }
  // The value of an expression, awaited when it is a promise; a throw in the page throws here.
  evaluate(expression) { return this.page.evaluate(expression); }
  async waitFor(expression, timeoutMs = 10000) {
    const end = Date.now() + timeoutMs;
    for (;;) {
      const value = await this.evaluate(expression);
      if (value) return value;
      if (Date.now() > end) throw new Error(`timed out waiting for ${expression}`);
      await sleep(50);
    }
  }
  click(x, y) { return this.page.mouse.click(x, y); }
  key(key) { return this.page.keyboard.press(key); }
  async setFile(selector, file) { await (await this.page.$(selector)).uploadFile(file); }
  screenshot(file) { return this.page.screenshot({ path: file }); }
  // The DevTools protocol, for what only Chromium tells.
  async send(method, params = {}) {
    if (!this.cdp) this.cdp = await this.page.createCDPSession();
    return this.cdp.send(method, params);
  }
}

class Browser {
  // `kind`: chromium or firefox; a throwaway home and profile each time; pages
  // are width x height CSS pixels, one device pixel each.
  static async launch({ kind = 'chromium', width = 1024, height = 768 } = {}) {
    const { browser, executablePath, args, extraPrefsFirefox } = kBrowsers[kind];
    const home = fs.mkdtempSync(path.join(os.tmpdir(), `corvalinth-${kind}-`));
    const launched = await puppeteer.launch({
      browser, executablePath, headless: true, args, extraPrefsFirefox, userDataDir: path.join(home, 'profile'),
      env: { ...process.env, HOME: home }, defaultViewport: { width, height, deviceScaleFactor: 1 },
      protocolTimeout: 60000,
    });
    return new Browser(kind, launched, home);
  }
  constructor(kind, browser, home) {
    this.kind = kind;
    this.browser = browser;
    this.home = home;
    this.pid = browser.process().pid;
  }
  // Opens `url` in the browser's one tab (a page of its own each time; closing
  // and opening tabs races in the driver) and waits for its load event;
  // `cache: false` bypasses the browser's HTTP cache.
  async open(url, { cache = true } = {}) {
    if (!this.tab) {
      this.tab = new Page(this, await this.browser.newPage());
      await this.tab.page.evaluateOnNewDocument(kReportViolations);
    }
    await this.tab.page.setCacheEnabled(cache);
    this.tab.errors = [];
    await this.tab.page.goto(url, { waitUntil: 'load' });
    return this.tab;
  }
  async close() {
    const child = this.browser.process();
    const timer = setTimeout(() => child.kill('SIGKILL'), 10000);
    await this.browser.close().catch(() => child.kill('SIGKILL'));
    clearTimeout(timer);
    fs.rmSync(this.home, { recursive: true, force: true });
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

module.exports = { Browser, sleep };
