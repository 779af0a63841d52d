'use strict';
// The page in headless Chromium, served on the loopback:
//   node tests/web/page_test.js <site folder> <Runs|Dots|Transition|Panel>
// The picture is a test pattern whose every pixel says where it is, so a dot,
// and a half of the screen moved aside, show against it.
const fs = require('fs');
const os = require('os');
const path = require('path');
const { Browser, serve, sleep } = require('../../scripts/web/chromium.js');

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

// Runs in the page: what the canvas shows against a pattern.
async function look(patternSource) {
  const pattern = eval(patternSource);
  const { width, height, data: d } = await corvalinth.pixels();
  const c = { width, height };
  const colours = new Set();
  let dots = 0, coloured = 0, moved = 0;
  for (let y = 0; y < c.height; y++)
    for (let x = 0; x < c.width; x++) {
      const i = (y * c.width + x) * 4, [r, g, b] = pattern(x, y);
      if (d[i] === r && d[i + 1] === g && d[i + 2] === b) continue;
      dots++;
      if (d[i] !== d[i + 1] || d[i + 1] !== d[i + 2]) coloured++;
      if (colours.size < 50) colours.add(`${d[i]},${d[i + 1]},${d[i + 2]}`);
      // A pixel of the pattern from another column: the halves sliding apart.
      if (d[i + 2] === pattern(0, y)[2] && d[i + 1] === pattern(0, y)[1]) moved++;
    }
  return { width: c.width, height: c.height, dots: dots / (c.width * c.height), coloured, colours: colours.size, moved: moved / (c.width * c.height) };
}

async function open(t, query) {
  const page = await t.browser.open(`${t.server.url}/${query}`, { width: W, height: H });
  await page.waitFor(`document.body.dataset.state === 'running'`);
  page.look = (name = 'first') => page.evaluate(`(${look})(${JSON.stringify(String(patterns[name]))})`);
  return page;
}

const groups = {
  async Runs(t) {
    const page = await open(t, '?picture=/first.bmp&count=40');
    await sleep(1000);
    const early = await page.look();
    await sleep(2000);
    const later = await page.look();
    t.check(early.width === W && early.height === H, `the canvas fills the window (${early.width}x${early.height})`);
    t.check(early.dots > 0 && early.dots < 0.5, `trails over the picture after 1 s (${early.dots})`);
    t.check(later.dots > early.dots * 1.5, `more trails after 3 s (${later.dots})`);
    t.check(later.colours > 20 && later.coloured > 0, `the dots are coloured (${later.colours} colours)`);
    t.check(page.errors.length === 0, `no console errors: ${page.errors}`);
    // Bad values get the defaults; a picture from another site is not fetched.
    for (const [query, count] of [['?count=0&mono=yes', '1'], ['?count=12abc&picture=http://example.com/x.png', '1000']]) {
      const bad = await open(t, query);
      await bad.click(W / 2, H / 2);
      const shown = await bad.evaluate(`[count.value, colour.checked, document.getElementById('picture-name').textContent]`);
      t.check(String(shown) === `${count},true,The sample desktop`, `${query} gives ${shown}`);
      t.check(bad.errors.length === 0, `no console errors with ${query}: ${bad.errors}`);
    }
  },
  async Dots(t) {
    const mono = await open(t, '?picture=/first.bmp&mono=1');
    await sleep(1000);
    const grey = await mono.look();
    t.check(grey.dots > 0 && grey.coloured === 0, `mono=1: grey dots only (${grey.coloured} coloured)`);
    const page = await open(t, '?picture=/first.bmp&count=1');
    await sleep(1000);
    const [one, ticks] = [await page.look(), await page.evaluate('corvalinth.ticks()')];
    // One particle keeps one colour and leaves one 2x2 dot a tick.
    t.check(one.dots > 0 && one.colours === 1, `count=1: one trail of one colour (${one.colours} colours)`);
    t.check(one.dots * W * H <= 4 * ticks, `count=1: one trail's pixels (${one.dots * W * H} after ${ticks} ticks)`);
  },
  async Transition(t) {
    // Few dots, so that much of the picture is left to be seen moving aside.
    const page = await open(t, '?picture=/first.bmp&count=30');
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
    const page = await open(t, '?picture=/first.bmp&count=300');
    await sleep(300);
    await page.click(W / 2, H / 2);
    const shown = await page.evaluate(`document.body.dataset.state === 'panel' && !panel.hidden`);
    const before = await page.look();
    await sleep(300);
    const after = await page.look();
    t.check(shown && before.dots === after.dots, 'a click shows the panel and the run stops');
    // A picked image becomes the picture; "start" runs again with it.
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'corvalinth-')), 'second.bmp');
    fs.writeFileSync(file, bmp(patterns.second));
    await page.setFile('#image-file', file);
    await page.waitFor(`document.getElementById('picture-name').textContent.includes('second.bmp')`);
    const start = await page.evaluate(`(() => { start.scrollIntoView(); const r = start.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
    await page.click(...start);
    await page.waitFor(`document.body.dataset.state === 'running'`);
    await sleep(500);
    const again = await page.look('second');
    t.check(again.dots > 0 && again.dots < 0.5, `the run goes on over the picked image (${again.dots})`);
    await page.send('Input.dispatchKeyEvent', { type: 'keyDown', key: 'x', text: 'x' });
    t.check(await page.evaluate(`document.body.dataset.state === 'panel'`), 'a typed character shows the panel');
    t.check(page.errors.length === 0, `no console errors: ${page.errors}`);
    fs.rmSync(path.dirname(file), { recursive: true, force: true });
  },
};

async function main() {
  const [site, name] = process.argv.slice(2);
  if (!site || !groups[name]) throw new Error(`usage: page_test.js <site> <${Object.keys(groups).join('|')}>`);
  const server = await serve(site, { '/first.bmp': { type: 'image/bmp', body: bmp(patterns.first) } });
  const browser = await Browser.launch();
  let passed = 0, failed = 0;
  const check = (ok, what) => {
    if (ok) passed++;
    else failed++;
    console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  };
  try {
    await groups[name]({ browser, server, check });
  } catch (error) {
    check(false, error.stack);
  } finally {
    await browser.close();
    server.close();
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed ? 1 : 0;
}

main().catch((error) => {
  console.log(`${error.stack}\n0 passed, 1 failed`);
  process.exitCode = 1;
});
