'use strict';
// The browser rig of the page's tests, bench and picture: Debian's Chromium,
// headless, driven over the DevTools protocol on a pipe (no debugging port is
// opened), and a static file server on the loopback only.
const { spawn } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.bmp': 'image/bmp', '.css': 'text/css',
};

// Serves `root` on 127.0.0.1 at a free port; `extra` maps paths to {type, body}.
function serve(root, extra = {}) {
  root = path.resolve(root);
  const server = http.createServer((req, res) => {
    let name;
    try { name = decodeURIComponent(new URL(req.url, 'http://localhost').pathname); } catch { name = '/'; }
    if (extra[name]) {
      res.writeHead(200, { 'Content-Type': extra[name].type });
      return res.end(extra[name].body);
    }
    const file = path.join(root, path.normalize(name.endsWith('/') ? name + 'index.html' : name));
    fs.readFile(file, (err, body) => {
      if (err || !file.startsWith(root + path.sep)) {
        res.writeHead(404);
        return res.end();
      }
      res.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
      res.end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () =>
      resolve({ url: `http://127.0.0.1:${server.address().port}`, close: () => server.close() }));
  });
}

class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.errors = [];
  }
  send(method, params = {}) { return this.browser.send(method, params, this.sessionId); }
  // The value of an expression (awaited when it is a promise); a throw in the page throws here.
  async evaluate(expression) {
    const r = await this.send('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true });
    if (r.exceptionDetails) throw new Error(`${expression}: ${r.exceptionDetails.exception?.description || r.exceptionDetails.text}`);
    return r.result.value;
  }
  async waitFor(expression, timeoutMs = 5000) {
    const end = Date.now() + timeoutMs;
    for (;;) {
      const value = await this.evaluate(expression);
      if (value) return value;
      if (Date.now() > end) throw new Error(`timed out waiting for ${expression}`);
      await sleep(50);
    }
  }
  async click(x, y) {
    for (const type of ['mousePressed', 'mouseReleased'])
      await this.send('Input.dispatchMouseEvent', { type, x, y, button: 'left', clickCount: 1 });
  }
  async setFile(selector, file) {
    const r = await this.send('Runtime.evaluate', { expression: `document.querySelector(${JSON.stringify(selector)})` });
    await this.send('DOM.setFileInputFiles', { objectId: r.result.objectId, files: [file] });
  }
  async screenshot(file) {
    const r = await this.send('Page.captureScreenshot', { format: 'png' });
    fs.writeFileSync(file, Buffer.from(r.data, 'base64'));
  }
}

class Browser {
  // A fresh profile each time; the window is width x height CSS pixels.
  static async launch({ width = 1024, height = 768 } = {}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'corvalinth-chromium-'));
    const args = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--disable-default-apps', '--mute-audio', '--hide-scrollbars', `--user-data-dir=${profile}`,
      `--window-size=${width},${height}`, '--remote-debugging-pipe', 'about:blank'];
    const child = spawn(process.env.CHROMIUM || '/usr/bin/chromium', args,
      { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
    let log = '';
    child.stderr.on('data', (d) => { log = (log + d).slice(-4000); });
    const browser = new Browser(child, profile, () => log);
    await browser.send('Target.setDiscoverTargets', { discover: true });
    return browser;
  }
  constructor(child, profile, log) {
    this.child = child;
    this.profile = profile;
    this.log = log;
    this.nextId = 1;
    this.calls = new Map();
    this.pages = new Map();
    let buffered = '';
    child.stdio[4].on('data', (chunk) => {
      const parts = (buffered + chunk.toString('utf8')).split('\0');
      buffered = parts.pop();
      for (const part of parts) this.receive(JSON.parse(part));
    });
    child.on('exit', () => {
      for (const { reject } of this.calls.values()) reject(new Error(`Chromium ended:\n${log()}`));
      this.calls.clear();
    });
  }
  receive(message) {
    const call = this.calls.get(message.id);
    if (call) {
      this.calls.delete(message.id);
      if (message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
      else call.resolve(message.result);
      return;
    }
    const page = this.pages.get(message.sessionId);
    if (!page) return;
    const p = message.params;
    if (message.method === 'Runtime.exceptionThrown')
      page.errors.push(p.exceptionDetails.exception?.description || p.exceptionDetails.text);
    else if (message.method === 'Runtime.consoleAPICalled' && (p.type === 'error' || p.type === 'assert'))
      page.errors.push(p.args.map((a) => a.value ?? a.description).join(' '));
    else if (message.method === 'Log.entryAdded' && p.entry.level === 'error')
      page.errors.push(`${p.entry.text} ${p.entry.url || ''}`);
  }
  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = JSON.stringify({ id, method, params, ...(sessionId ? { sessionId } : {}) });
    return new Promise((resolve, reject) => {
      this.calls.set(id, { resolve, reject, method });
      this.child.stdio[3].write(message + '\0');
    });
  }
  // Opens `url` in a new tab and waits for its load event; `viewport`, when
  // given, is the page's size in CSS pixels (one device pixel each).
  async open(url, viewport = null) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId);
    this.pages.set(sessionId, page);
    page.targetId = targetId;
    for (const domain of ['Runtime', 'Log', 'Page', 'Performance']) await page.send(`${domain}.enable`);
    if (viewport)
      await page.send('Emulation.setDeviceMetricsOverride', { ...viewport, deviceScaleFactor: 1, mobile: false });
    const loaded = new Promise((resolve) => {
      const receive = this.receive.bind(this);
      this.receive = (m) => {
        if (m.sessionId === sessionId && m.method === 'Page.loadEventFired') {
          this.receive = receive;
          resolve();
        }
        receive(m);
      };
    });
    await page.send('Page.navigate', { url });
    await loaded;
    return page;
  }
  async close() {
    const ended = new Promise((resolve) => this.child.once('exit', resolve));
    this.send('Browser.close').catch(() => {});
    const timer = setTimeout(() => this.child.kill('SIGKILL'), 5000);
    await ended;
    clearTimeout(timer);
    fs.rmSync(this.profile, { recursive: true, force: true });
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

module.exports = { Browser, serve, sleep };
