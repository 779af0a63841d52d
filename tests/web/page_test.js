'use strict';
// The page in one headless browser, served on the loopback, every group of checks
// in one browser start (or only the groups named):
//   node tests/web/page_test.js <site folder> <chromium|firefox> [group...]
// The picture is a test pattern whose every pixel says where it is, so a dot,
// and a half of the screen moved aside, show against it. Each group has a site
// origin (a port) of its own, so that what one keeps (storage, the service
// worker) never reaches another.
const fs = require('fs');
const os = require('os');
const path = require('path');
const { Browser, sleep } = require('../../scripts/web/browser.js');
const { serve } = require('../../scripts/web/serve.js');

const W = 320, H = 240;
const patterns = {
  first: (x, y) => [x & 255, y & 255, 160],
  second: (x, y) => [255 - (x & 255), 60, y & 255],
};

// A 24-bit BMP file, rows bottom-up.
function bmp(pattern) {
  const file = Buffer.alloc(54 + W * H * 3);
  file.write('BM');
  [[2, file.length], [10, 54], [14, 40], [18, W], [22, H], [26, 1 | (24 << 16)]].forEach(([at, v]) => file.writeUInt32LE(v, at));
  for (let y = 0; y < H; y++) for (let x = 0; x < W; x++) file.set(pattern(x, y).reverse(), 54 + ((H - 1 - y) * W + x) * 3);
  return file;
}
const kFirst = { '/first.bmp': { type: 'image/bmp', body: bmp(patterns.first) } };

// Runs in the page: what the canvas shows against a pattern.
async function look(pattern) {
  const { width, height, data: d } = await corvalinth.pixels();
  const colours = new Set();
  let dots = 0, coloured = 0, moved = 0;
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) {
      const i = (y * width + x) * 4, [r, g, b] = pattern(x, y);
      if (d[i] === r && d[i + 1] === g && d[i + 2] === b) continue;
      dots++;
      if (d[i] !== d[i + 1] || d[i + 1] !== d[i + 2]) coloured++;
      if (colours.size < 50) colours.add(`${d[i]},${d[i + 1]},${d[i + 2]}`);
      // A pixel of the pattern from another column: the halves sliding apart.
      if (d[i + 2] === pattern(0, y)[2] && d[i + 1] === pattern(0, y)[1]) moved++;
    }
  return { width, height, dots: dots / (width * height), coloured, colours: colours.size, moved: moved / (width * height) };
}

async function open(t, url, options) {
  const page = await t.browser.open(url, options);
  await page.waitFor(`document.body.dataset.state === 'running'`, 30000);
  page.look = (name = 'first') => page.evaluate(`(${look})(${patterns[name]})`);
  return page;
}

// The panel's controls as shown: count, grey, picture name, message.
const kShown = `[count.value, grey.checked, document.getElementById('picture-name').textContent, message.textContent]`;
async function panelOf(page) {
  await page.click(W / 2, H / 2);
  await page.waitFor(`document.body.dataset.state === 'panel'`);
  return page.evaluate(kShown);
}

// Waits until the panel names the picture `what`.
function pictureNamed(page, what) {
  return page.waitFor(`document.getElementById('picture-name').textContent.includes(${JSON.stringify(what)})`);
}

async function pressStart(page) {
  const at = await page.evaluate(`(() => { start.scrollIntoView(); const r = start.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
  await page.click(...at);
  await page.waitFor(`document.body.dataset.state === 'running'`);
}

function picked(name, pattern) {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'corvalinth-')), name);
  fs.writeFileSync(file, bmp(pattern));
  return file;
}

const groups = {
  async Runs(t) {
    const site = await t.serve(kFirst);
    const page = await open(t, `${site.url}/?picture=/first.bmp&count=40`);
    await sleep(1000);
    const early = await page.look();
    await sleep(2000);
    const later = await page.look();
    t.check(early.width === W && early.height === H, `the canvas fills the window (${early.width}x${early.height})`);
    t.check(early.dots > 0 && early.dots < 0.5, `trails over the picture after 1 s (${early.dots})`);
    t.check(later.dots > early.dots * 1.5, `more trails after 3 s (${later.dots})`);
    t.check(later.colours > 20 && later.coloured > 0, `the dots are coloured (${later.colours} colours)`);
    t.check(page.errors.length === 0, `no console errors or policy violations: ${page.errors}`);
    // Bad values get the defaults.
    const bad = await open(t, `${site.url}/?count=0&mono=yes`);
    const shown = await panelOf(bad);
    t.check(String(shown.slice(0, 3)) === '1,false,The sample desktop', `?count=0&mono=yes gives ${shown}`);
  },
  async Dots(t) {
    const site = await t.serve(kFirst);
    const mono = await open(t, `${site.url}/?picture=/first.bmp&mono=1`);
    await sleep(1000);
    const grey = await mono.look();
    t.check(grey.dots > 0 && grey.coloured === 0, `mono=1: grey dots only (${grey.coloured} coloured)`);
    const page = await open(t, `${site.url}/?picture=/first.bmp&count=1`);
    await sleep(1000);
    const [one, ticks] = [await page.look(), await page.evaluate('corvalinth.ticks()')];
    // One particle keeps one colour and leaves one 2x2 dot a tick.
    t.check(one.dots > 0 && one.colours === 1, `count=1: one trail of one colour (${one.colours} colours)`);
    t.check(one.dots * W * H <= 4 * ticks, `count=1: one trail's pixels (${one.dots * W * H} after ${ticks} ticks)`);
  },
  async Transition(t) {
    // Few dots, so that much of the picture is left to be seen moving aside.
    const site = await t.serve(kFirst);
    const page = await open(t, `${site.url}/?picture=/first.bmp&count=30`);
    const end = Date.now() + 15000;
    let covered = 0, slid = false, wiped = false;
    while (Date.now() < end && !wiped) {
      const seen = await page.look();
      const sliding = await page.evaluate('corvalinth.inTransition()');
      if (!sliding && !slid) covered = Math.max(covered, seen.dots);
      slid = slid || (sliding && seen.moved > 0.2);
      wiped = slid && !sliding && seen.dots < covered / 4;
      await sleep(40);
    }
    t.check(covered > 0.2, `trails cover the screen before the transition (${covered})`);
    t.check(slid, 'the halves slide apart');
    t.check(wiped, 'the trails are wiped within 15 s');
  },
  async Panel(t) {
    const site = await t.serve(kFirst);
    const page = await open(t, `${site.url}/?picture=/first.bmp&count=300`);
    await sleep(300);
    await panelOf(page);
    const before = await page.look();
    await sleep(300);
    const after = await page.look();
    t.check(before.dots === after.dots, 'a click shows the panel and the run stops');
    t.check(await page.evaluate(`document.activeElement.id === 'colour' && !corvalinth.awake()`),
      'the panel has the focus on its first control, and the screen may sleep');
    // A picked image becomes the picture, picked again after the sample too; Start runs again with it.
    const file = picked('second.bmp', patterns.second);
    await page.setFile('#image-file', file);
    await pictureNamed(page, 'second.bmp');
    await page.evaluate(`document.getElementById('use-sample').click()`);
    await pictureNamed(page, 'sample');
    await page.setFile('#image-file', file);
    await pictureNamed(page, 'second.bmp');
    await pressStart(page);
    t.check(await page.evaluate(`document.activeElement === document.getElementById('screen')`), 'Start gives the focus back to the run');
    await page.waitFor('corvalinth.ticks().then((n) => n > 30)');
    const again = await page.look('second');
    t.check(again.dots > 0 && again.dots < 0.5, `the run goes on over the image picked again (${again.dots})`);
    await page.key('x');
    t.check(await page.evaluate(`document.body.dataset.state === 'panel'`), 'a typed character shows the panel');
    t.check(page.errors.length === 0, `no console errors or policy violations: ${page.errors}`);
    fs.rmSync(path.dirname(file), { recursive: true, force: true });
  },
  // No address makes the page ask another site for anything, and every one leaves it running.
  async Address(t) {
    const other = await serve(os.tmpdir(), { extra: kFirst });
    const host = other.url.replace('http://', '');
    const site = await t.serve({
      ...kFirst,
      '/elsewhere.png': { redirect: `${other.url}/first.bmp` },
      '/broken.png': { type: 'image/png', body: Buffer.from('not a picture') },
    });
    const forms = [`//${host}/first.bmp`, `/.//${host}/first.bmp`, `/..//${host}/first.bmp`, `/%2F%2F${host}/first.bmp`,
      `%2F%2F${host}%2Ffirst.bmp`, `\\\\${host}/first.bmp`, `/\\${host}/first.bmp`, `${other.url}/first.bmp`,
      `data:image/bmp;base64,${kFirst['/first.bmp'].body.toString('base64')}`, 'javascript:alert(1)', '/elsewhere.png',
      '/broken.png', '/missing.png'];
    for (const form of forms) {
      const page = await open(t, `${site.url}/?count=20&picture=${encodeURIComponent(form)}`);
      const shown = await panelOf(page);
      // A missing picture is logged; the redirect is stopped by the page's image rule, which says so.
      const errors = page.errors.filter((e) => !/Failed to load resource/.test(e)
        && !(form === '/elsewhere.png' && /img-src|image|elsewhere|first\.bmp/i.test(e)));
      const stopped = form !== '/elsewhere.png' || page.errors.some((e) => e.includes('policy violation: img-src'));
      t.check(shown[2] === 'The sample desktop' && shown[3].includes('here is the sample') && errors.length === 0 && stopped,
        `${form.slice(0, 60)}: the sample, with "${shown[3]}" (${errors})`);
    }
    t.check(other.requests.size === 0, `the other site was asked for nothing (${[...other.requests.keys()]})`);
    const page = await open(t, `${site.url}/?picture=${encodeURIComponent(`${site.url}/first.bmp`)}&count=20`);
    t.check((await panelOf(page))[2] === 'The picture /first.bmp', 'an absolute address of this site is its picture');
    await other.close();
  },
  // Installable; after one visit it runs with no network; a new version shows from the visit after the one that finds it.
  async Offline(t) {
    const copy = fs.mkdtempSync(path.join(os.tmpdir(), 'corvalinth-site-'));
    fs.cpSync(t.site, copy, { recursive: true });
    let site = await t.serve({}, copy);
    const visit = async () => {
      const page = await open(t, `${site.url}/`, { cache: false });
      // Each look bounded: `ready` never settles when the worker was not registered.
      await page.waitFor(`Promise.race([navigator.serviceWorker.ready.then((r) => r.active.state === 'activated'),
        new Promise((resolve) => setTimeout(resolve, 500, false))])`, 30000);
      return page;
    };
    const first = await visit();
    if (t.browser.kind === 'chromium') {
      const { installabilityErrors } = await first.send('Page.getInstallabilityErrors');
      t.check(installabilityErrors.length === 0, `installable: ${JSON.stringify(installabilityErrors)}`);
    }
    t.check(first.errors.length === 0, `no console errors or policy violations: ${first.errors}`);
    await site.close();
    const offline = await open(t, `${site.url}/?count=50`, { cache: false });
    t.check(await offline.waitFor('corvalinth.ticks().then((n) => n > 0)'), 'with the server gone the page opens and runs');
    // A new version: the same port, so the same site.
    const port = Number(new URL(site.url).port);
    const worker = path.join(copy, 'sw.js');
    fs.writeFileSync(worker, fs.readFileSync(worker, 'utf8').replace(/const kVersion = '[^']*'/, `const kVersion = 'next'`));
    const index = path.join(copy, 'index.html');
    fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<title>Corvalinth</title>', '<title>Corvalinth next</title>'));
    site = await t.serve({}, copy, port);
    const finding = await visit();
    t.check(await finding.evaluate('document.title') === 'Corvalinth', 'the visit that finds the new version shows the old one');
    await finding.waitFor(`caches.keys().then((names) => String(names) === 'corvalinth-next')`, 30000);
    await site.close();
    const next = await open(t, `${site.url}/`, { cache: false });
    t.check(await next.evaluate('document.title') === 'Corvalinth next', 'the next visit shows the new version, offline too');
    fs.rmSync(copy, { recursive: true, force: true });
  },
  // The panel's choices are kept for the next visit, each unless the address gives its own.
  async Kept(t) {
    const site = await t.serve(kFirst);
    const page = await open(t, `${site.url}/?count=40`);
    const wakeLock = await page.evaluate(`'wakeLock' in navigator`);
    const awake = async (what) => { if (wakeLock) t.check(await page.waitFor('corvalinth.awake()'), what); };
    if (!wakeLock) console.log(`note: this ${t.browser.kind} offers no screen wake lock`);
    await awake('the screen is kept awake while it runs');
    await panelOf(page);
    const file = picked('kept.bmp', patterns.second);
    await page.setFile('#image-file', file);
    await pictureNamed(page, 'kept.bmp');
    await page.evaluate(`grey.click(); count.value = '123'`);
    await pressStart(page);
    await awake('and again when it runs again');
    t.check(await page.evaluate('corvalinth.kept()'), 'the picked image is kept');
    const kept = page.errors;
    const back = await open(t, `${site.url}/`);
    await back.waitFor('corvalinth.ticks().then((n) => n > 30)');
    const seen = await back.look('second');
    kept.push(...back.errors);
    t.check(String(await panelOf(back)).startsWith('123,true,Your image kept.bmp') && seen.dots > 0 && seen.dots < 0.5 && seen.coloured === 0,
      `the next visit has them all, and runs over the kept image (${await back.evaluate(kShown)})`);
    const own = await open(t, `${site.url}/?count=7&picture=/first.bmp`);
    t.check(String(await panelOf(own)).startsWith('7,true,The picture /first.bmp'), `the address's own count and picture win, the rest is kept (${await own.evaluate(kShown)})`);
    t.check(kept.length === 0 && own.errors.length === 0, `no console errors: ${kept} ${own.errors}`);
    fs.rmSync(path.dirname(file), { recursive: true, force: true });
  },
};

async function main() {
  const [site, kind, ...names] = process.argv.slice(2);
  const chosen = names.length ? names : Object.keys(groups);
  if (!site || !['chromium', 'firefox'].includes(kind) || !chosen.every((n) => groups[n]))
    throw new Error(`usage: page_test.js <site> <chromium|firefox> [${Object.keys(groups).join('|')}...]`);
  const browser = await Browser.launch({ kind, width: W, height: H });
  let passed = 0, failed = 0;
  const check = (ok, what) => {
    if (ok) passed++;
    else failed++;
    console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  };
  try {
    for (const name of chosen) {
      const servers = [];
      const t = {
        browser, site, check,
        serve: async (extra, root = site, port = 0) => servers[servers.push(await serve(root, { extra, port })) - 1],
      };
      console.log(`-- ${name} (${kind})`);
      try {
        await groups[name](t);
      } catch (error) {
        check(false, `${name}: ${error.stack}`);
      } finally {
        await Promise.all(servers.map((s) => s.close()));
      }
    }
  } finally {
    await browser.close();
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed ? 1 : 0;
}

main().catch((error) => {
  console.log(`${error.stack}\n0 passed, 1 failed`);
  process.exitCode = 1;
});
