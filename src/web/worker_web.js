'use strict';
// The run, in a worker that draws on the page's canvas (an OffscreenCanvas the
// page hands over). Showing a changed full-screen canvas costs the browser a
// copy of it every frame; here that copy, the model and the puts are all off
// the page's thread, which is left with its panel and input.
// The canvas's pixels live in the module's memory; each animation frame the
// module advances the run and lists what changed, and only that is put on the
// canvas. Messages from the page:
//   { type: 'canvas', canvas }     the OffscreenCanvas, once
//   { type: 'start', width, height, dpi, count, mono, pixels }
//                                  a run; pixels: the placed picture, RGBA
//   { type: 'stop' }               the run stops where it is
//   { type: 'ask', id, what }      answered { type: 'answer', id, value }: what is
//                                  'ticks', 'inTransition', 'stats' or 'pixels'
// The worker says { type: 'ready' } (it has the module and the canvas) or
// { type: 'failed', message } once.
importScripts('corvalinth.js');

let module = null;
let canvas = null, context = null;
let run = null; // { pixels, width, height, image }
let frameRequest = 0;
// Where the worker's time goes, for the bench (bench/web_bench.js).
const stats = { frames: 0, modelMs: 0, putMs: 0, puts: 0 };

// A browser without animation frames in workers gets one about every 60th of a second.
const requestFrame = self.requestAnimationFrame ? (f) => self.requestAnimationFrame(f) : (f) => setTimeout(f, 16);
const cancelFrame = self.cancelAnimationFrame ? (id) => self.cancelAnimationFrame(id) : (id) => clearTimeout(id);

function start({ width, height, dpi, count, mono, pixels }) {
  cancelFrame(frameRequest);
  const at = module._corvalinth_create(width, height, dpi, count, mono ? 1 : 0);
  run = { pixels: at, width: module._corvalinth_width(), height: module._corvalinth_height(), image: null };
  canvas.width = run.width;
  canvas.height = run.height;
  // The page placed the picture at the size it asked for; the module only ever shrinks a size it cannot hold.
  if (pixels.length === run.width * run.height * 4) module.HEAPU8.set(pixels, at);
  module._corvalinth_start(performance.now());
  frameRequest = requestFrame(frame);
}

function frame() {
  const begin = performance.now();
  const count = module._corvalinth_frame(begin);
  const modelDone = performance.now();
  put(count);
  stats.frames += 1;
  stats.modelMs += modelDone - begin;
  stats.putMs += performance.now() - modelDone;
  stats.puts += count;
  frameRequest = requestFrame(frame);
}

function put(count) {
  if (count === 0) return;
  const buffer = module.HEAPU8.buffer;
  // A view of the module's memory, made again when the memory has grown: no copy per put.
  if (!run.image || run.image.data.buffer !== buffer)
    run.image = new ImageData(new Uint8ClampedArray(buffer, run.pixels, run.width * run.height * 4), run.width, run.height);
  const rects = new Int32Array(buffer, module._corvalinth_puts(), count * 4);
  for (let i = 0; i < rects.length; i += 4)
    context.putImageData(run.image, 0, 0, rects[i], rects[i + 1], rects[i + 2] - rects[i], rects[i + 3] - rects[i + 1]);
}

const answers = {
  ticks: () => (module ? module._corvalinth_ticks() : 0),
  inTransition: () => Boolean(module && module._corvalinth_in_transition()),
  stats: () => ({ ...stats }),
  // What the canvas shows, for the page's tests.
  pixels: () => context.getImageData(0, 0, canvas.width, canvas.height),
};

self.onmessage = ({ data }) => {
  if (data.type === 'canvas') {
    canvas = data.canvas;
    context = canvas.getContext('2d', { alpha: false });
    if (!context) postMessage({ type: 'failed', message: 'it cannot draw on a canvas from a worker' });
    else if (module) postMessage({ type: 'ready' });
  } else if (data.type === 'start' && module && context) {
    start(data);
  } else if (data.type === 'stop') {
    cancelFrame(frameRequest);
  } else if (data.type === 'ask' && Object.hasOwn(answers, data.what)) {
    postMessage({ type: 'answer', id: data.id, value: answers[data.what]() });
  }
};

CorvalinthModule().then((loaded) => {
  module = loaded;
  if (context) postMessage({ type: 'ready' });
}, (error) => postMessage({ type: 'failed', message: String(error && error.message || error) }));
