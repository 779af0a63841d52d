'use strict';
// The page's cost against a plain way of drawing the same swarm, side by side,
// in headless Chromium at 1920x1080 with 1000 dots:
//   node bench/web_bench.js [site folder, default build/web/site] [seconds, default 5]
// ours:  the model in WebAssembly in a worker, one put of the changed rectangles
//        per frame on the page's canvas handed to the worker (an OffscreenCanvas)
// plain: the model in JavaScript on the page's thread, one fillRect per dot per
//        tick (bench/web/plain_web.html)
// floor: the plain way with 1 dot: what showing a changed 1920x1080 canvas
//        every frame costs the browser, whatever draws it
// Main-thread time is Chromium's own count of the page's task time. So that no
// work is hidden, the processor time of every thread of the page's processes
// and of the browser's compositor is also read from /proc over the same span.
const fs = require('fs');
const path = require('path');
const { Browser, serve, sleep } = require('../scripts/web/chromium.js');

const kWidth = 1920, kHeight = 1080;
const kTicksPerSecond = 100; // of /proc's clock: getconf CLK_TCK
const site = path.resolve(process.argv[2] || path.join(__dirname, '../build/web/site'));
const seconds = Number(process.argv[3] || 5);

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

// Processor time (ms) so far of the browser's threads that draw a page: the
// renderers' main threads, their workers and their other threads, and the
// compositor (the GPU process).
function cpuTimes(browserPid) {
  const times = { main: 0, worker: 0, otherPage: 0, compositor: 0 };
  for (const pid of descendants(browserPid)) {
    let type;
    try { type = /--type=([\w-]+)/.exec(fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'))?.[1]; } catch { continue; }
    if (type !== 'renderer' && type !== 'gpu-process') continue;
    let threads = [];
    try { threads = fs.readdirSync(`/proc/${pid}/task`); } catch { continue; }
    for (const tid of threads) {
      try {
        const stat = fs.readFileSync(`/proc/${pid}/task/${tid}/stat`, 'utf8');
        const name = stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')'));
        const [utime, stime] = stat.slice(stat.lastIndexOf(')') + 2).split(' ').slice(11, 13).map(Number);
        const ms = ((utime + stime) * 1000) / kTicksPerSecond;
        if (type === 'gpu-process') times.compositor += ms;
        else if (tid === String(pid)) times.main += ms; // a renderer's main thread bears the process's name
        else if (name.startsWith('DedicatedWorker')) times.worker += ms;
        else times.otherPage += ms;
      } catch { /* ended meanwhile */ }
    }
  }
  return times;
}

async function measure(browser, url) {
  const page = await browser.open(url, { width: kWidth, height: kHeight });
  await page.waitFor('(async () => window.corvalinth && await corvalinth.ticks() > 0)()');
  await sleep(1000); // past the start and the first compiles
  const read = async () => ({
    task: (await page.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value * 1000,
    at: await page.evaluate('performance.now()'),
    ticks: await page.evaluate('corvalinth.ticks()'),
    stats: await page.evaluate('corvalinth.stats()'),
    cpu: cpuTimes(browser.child.pid),
  });
  const a = await read();
  await sleep(seconds * 1000);
  const b = await read();
  await browser.send('Target.closeTarget', { targetId: page.targetId });
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

async function main() {
  if (!fs.existsSync(path.join(site, 'index.html'))) throw new Error(`no site at ${site}: cmake --build --preset web`);
  const plainPage = fs.readFileSync(path.join(__dirname, 'web/plain_web.html'));
  const server = await serve(site, { '/plain.html': { type: 'text/html', body: plainPage } });
  const browser = await Browser.launch({ width: kWidth, height: kHeight });
  const runs = { ours: [], plain: [], floor: [] };
  try {
    // Taken in turns, so that a busy moment of the machine falls on both.
    for (let round = 0; round < 2; round++) {
      runs.ours.push(await measure(browser, `${server.url}/?count=1000`));
      runs.plain.push(await measure(browser, `${server.url}/plain.html?count=1000`));
      runs.floor.push(await measure(browser, `${server.url}/plain.html?count=1`));
    }
  } finally {
    await browser.close();
    server.close();
  }
  for (const r of Object.values(runs).flat()) r.allCpu = r.mainCpu + r.workerCpu + r.otherPageCpu + r.compositorCpu;
  const mean = (list, key) => list.reduce((sum, r) => sum + r[key], 0) / list.length;
  const rows = [
    ['tick (model; plain: and its fillRects), ms', 'tick', 3],
    ['put of a frame, ms', 'put', 3],
    ['putImageData calls a frame', 'puts', 0],
    ['main-thread time, ms per s', 'main', 1],
    ['processor time, ms per s: main thread', 'mainCpu', 1],
    ['  worker', 'workerCpu', 1],
    ['  the page\'s other threads', 'otherPageCpu', 1],
    ['  the browser\'s compositor', 'compositorCpu', 1],
    ['  all of these', 'allCpu', 1],
    ['ticks per s', 'ticksPerSecond', 1],
    ['frames per s', 'fps', 1],
  ];
  console.log(`${kWidth}x${kHeight}, 1000 dots, ${seconds} s a run, mean of 2 runs each`);
  console.log(['what'.padEnd(44), ...Object.keys(runs).map((k) => k.padStart(10))].join(''));
  for (const [label, key, digits] of rows)
    console.log([label.padEnd(44), ...Object.values(runs).map((r) => mean(r, key).toFixed(digits).padStart(10))].join(''));
  const ratio = mean(runs.ours, 'main') / mean(runs.plain, 'main');
  console.log(`ours / plain main-thread time: ${ratio.toFixed(2)} (goal: 0.50 or less)`);
  const all = mean(runs.ours, 'allCpu') / mean(runs.plain, 'allCpu');
  console.log(`ours / plain processor time of all these threads: ${all.toFixed(2)}`);
}

main().catch((error) => {
  console.error(error.stack);
  process.exitCode = 1;
});
