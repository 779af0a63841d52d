'use strict';
// The page's cost against a plain way of drawing the same swarm, side by side,
// in headless Chromium and Firefox at 1920x1080 with 1000 dots:
//   node bench/web_bench.js [site folder, default build/web/site] [seconds, default 5] [chromium|firefox]...
// ours:  the model in WebAssembly in a worker, one put of the changed rectangles
//        per frame on the page's canvas handed to the worker (an OffscreenCanvas)
// plain: the model in JavaScript on the page's thread, one fillRect per dot per
//        tick (bench/web/plain_web.html)
// floor: the plain way with 1 dot: what showing a changed 1920x1080 canvas
//        every frame costs the browser, whatever draws it
// Main-thread time is the processor time of the page's main thread, read from
// /proc, and in Chromium also its own count of the page's task time. So that no
// work is hidden, the processor time of every thread of the page's processes
// and of the browser's compositor is read over the same span.
const fs = require('fs');
const path = require('path');
const { Browser, sleep } = require('../scripts/web/browser.js');
const { serve } = require('../scripts/web/serve.js');

const kWidth = 1920, kHeight = 1080;
const kTicksPerSecond = 100; // of /proc's clock: getconf CLK_TCK
const site = path.resolve(process.argv[2] || path.join(__dirname, '../build/web/site'));
const seconds = Number(process.argv[3] || 5);
const kinds = process.argv.length > 4 ? process.argv.slice(4) : ['chromium', 'firefox'];

// The processes under `pid`, with their command lines.
function descendants(pid) {
  const children = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const parent = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(entry));
    } catch { /* ended meanwhile */ }
  }
  const found = [];
  for (let queue = [pid]; queue.length;) {
    const next = queue.shift();
    for (const child of children.get(next) || []) {
      found.push(child);
      queue.push(child);
    }
  }
  return found;
}

// What a thread of the browser does for a page: 'main', 'worker', 'otherPage',
// 'compositor', or null. Chromium: renderer processes and the GPU process;
// Firefox: content processes, and the parent's and GPU process's drawing threads.
function roleOf(kind, cmdline, pid, tid, name) {
  if (kind === 'chromium') {
    const type = /--type=([\w-]+)/.exec(cmdline)?.[1];
    if (type === 'gpu-process') return 'compositor';
    if (type !== 'renderer') return null;
  } else if (cmdline.includes('-isForBrowser')) {
    if (name.startsWith('DOM Worker')) return 'worker';
  } else {
    return /^(Renderer|Compositor|SwComposite|WR)/.test(name) || cmdline.endsWith('gpu') ? 'compositor' : null;
  }
  if (tid === String(pid)) return 'main'; // a process's main thread bears its id
  return name.startsWith('DedicatedWorker') ? 'worker' : 'otherPage';
}

// Processor time (ms) so far of the browser's threads that draw a page.
function cpuTimes(kind, browserPid) {
  const times = { main: 0, worker: 0, otherPage: 0, compositor: 0 };
  for (const pid of [browserPid, ...descendants(browserPid)]) {
    let cmdline, threads;
    try {
      cmdline = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').replace(/\0+$/, '').replace(/\0/g, ' ');
      threads = fs.readdirSync(`/proc/${pid}/task`);
    } catch { continue; }
    if (kind === 'chromium' && pid === browserPid) continue;
    for (const tid of threads) {
      try {
        const stat = fs.readFileSync(`/proc/${pid}/task/${tid}/stat`, 'utf8');
        const name = stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')'));
        const role = roleOf(kind, cmdline, pid, tid, name);
        if (!role || (pid === browserPid && role !== 'compositor')) continue;
        const [utime, stime] = stat.slice(stat.lastIndexOf(')') + 2).split(' ').slice(11, 13).map(Number);
        times[role] += ((utime + stime) * 1000) / kTicksPerSecond;
      } catch { /* ended meanwhile */ }
    }
  }
  return times;
}

async function measure(browser, url) {
  const page = await browser.open(url);
  await page.waitFor('(async () => window.corvalinth && await corvalinth.ticks() > 0)()');
  await sleep(1000); // past the start and the first compiles
  const read = async () => ({
    task: browser.kind === 'chromium' ? (await page.page.metrics()).TaskDuration * 1000 : NaN,
    at: await page.evaluate('performance.now()'),
    ticks: await page.evaluate('corvalinth.ticks()'),
    stats: await page.evaluate('corvalinth.stats()'),
    cpu: cpuTimes(browser.kind, browser.pid),
  });
  const a = await read();
  await sleep(seconds * 1000);
  const b = await read();
  const span = (b.at - a.at) / 1000, frames = b.stats.frames - a.stats.frames, ticks = b.ticks - a.ticks;
  return {
    tick: (b.stats.modelMs - a.stats.modelMs) / ticks,
    put: (b.stats.putMs - a.stats.putMs) / frames,
    puts: (b.stats.puts - a.stats.puts) / frames,
    main: (b.task - a.task) / span,
    ...Object.fromEntries(Object.keys(a.cpu).map((k) => [`${k}Cpu`, (b.cpu[k] - a.cpu[k]) / span])),
    ticksPerSecond: ticks / span,
    fps: frames / span,
  };
}

// Each way in turns, twice, so that a busy moment of the machine falls on all.
async function runsIn(kind, url) {
  const browser = await Browser.launch({ kind, width: kWidth, height: kHeight });
  const runs = { ours: [], plain: [], floor: [] };
  try {
    for (let round = 0; round < 2; round++) {
      runs.ours.push(await measure(browser, `${url}/?count=1000`));
      runs.plain.push(await measure(browser, `${url}/plain.html?count=1000`));
      runs.floor.push(await measure(browser, `${url}/plain.html?count=1`));
    }
  } finally {
    await browser.close();
  }
  for (const r of Object.values(runs).flat()) r.allCpu = r.mainCpu + r.workerCpu + r.otherPageCpu + r.compositorCpu;
  return runs;
}

async function main() {
  if (!fs.existsSync(path.join(site, 'index.html'))) throw new Error(`no site at ${site}: cmake --build --preset web`);
  const plainPage = fs.readFileSync(path.join(__dirname, 'web/plain_web.html'));
  const server = await serve(site, { extra: { '/plain.html': { type: 'text/html', body: plainPage } } });
  const results = {};
  try {
    for (const kind of kinds) results[kind] = await runsIn(kind, server.url);
  } finally {
    await server.close();
  }
  const mean = (list, key) => list.reduce((sum, r) => sum + r[key], 0) / list.length;
  const rows = [
    ['tick (model; plain: and its fillRects), ms', 'tick', 3],
    ['put of a frame, ms', 'put', 3],
    ['putImageData calls a frame', 'puts', 0],
    ['main-thread task time (Chromium), ms per s', 'main', 1],
    ['processor time, ms per s: main thread', 'mainCpu', 1],
    ['  worker', 'workerCpu', 1],
    ['  the page\'s other threads', 'otherPageCpu', 1],
    ['  the browser\'s compositor', 'compositorCpu', 1],
    ['  all of these', 'allCpu', 1],
    ['ticks per s', 'ticksPerSecond', 1],
    ['frames per s', 'fps', 1],
  ];
  const columns = Object.entries(results).flatMap(([kind, runs]) => Object.entries(runs).map(([way, list]) => [`${kind.slice(0, 6)} ${way}`, list]));
  console.log(`${kWidth}x${kHeight}, 1000 dots, ${seconds} s a run, mean of 2 runs each`);
  console.log(['what'.padEnd(44), ...columns.map(([name]) => name.padStart(15))].join(''));
  for (const [label, key, digits] of rows)
    console.log([label.padEnd(44), ...columns.map(([, list]) => {
      const value = mean(list, key);
      return (Number.isNaN(value) ? '-' : value.toFixed(digits)).padStart(15);
    })].join(''));
  for (const [kind, runs] of Object.entries(results)) {
    const ratio = (key) => (mean(runs.ours, key) / mean(runs.plain, key)).toFixed(2);
    console.log(`${kind}: ours / plain main-thread processor time ${ratio('mainCpu')} (goal: 0.50 or less)` +
      (kind === 'chromium' ? `, task time ${ratio('main')}` : '') + `; processor time of all these threads ${ratio('allCpu')}`);
  }
}

main().catch((error) => {
  console.error(error.stack);
  process.exitCode = 1;
});
