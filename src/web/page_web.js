// The page: the saver over a picture, filling the window, drawn by the model in
// the WebAssembly module (corvalinth.js) in a worker (worker.js), on the canvas
// the page hands it. The page places the picture, and a click or a typed
// character ends the run and shows the panel; "Start" runs again. The choices
// come from the address or from the last visit (choices.js, keep.js).
import { addressOf, choicesFrom, countFrom, keptOf } from './choices.js';
import { keepChoices, keepPicture, keptChoices, keptPicture } from './keep.js';
import { ScreenAwake } from './awake.js';

const kSampleName = 'The sample desktop', kSampleFile = 'sample-desktop.png';
// A dense screen gets fewer canvas pixels than it has, so that the model's
// surfaces stay within what a phone can spare.
const kMostPixels = 2560 * 1600;
// A picture that neither loads nor fails by then is given up for the sample.
const kMostLoadMs = 20000;

const $ = (id) => document.getElementById(id);
const canvas = $('screen');
const panel = $('panel');
const awake = new ScreenAwake();

let worker = null;
let choices = choicesFrom(location.search, keptChoices());
// { image, name, source }: source is what the next visit may be shown again,
// { kind: 'site', url } or { kind: 'file', name, blob }, or null (the sample, a capture).
let picture = null;
let keeping = Promise.resolve(true); // the last keeping of the choices
const questions = new Map(); // the worker's answers awaited, by id
let lastQuestion = 0;

function say(text) {
  $('message').textContent = text;
}

function loadImage(url) {
  return new Promise((resolve, reject) => {
    const image = new Image();
    const timer = setTimeout(() => fail('it took too long'), kMostLoadMs);
    function fail(why) {
      clearTimeout(timer);
      image.onload = image.onerror = null;
      image.src = '';
      reject(new Error(why));
    }
    image.onload = () => {
      clearTimeout(timer);
      // An image with no size of its own (some SVG) cannot be placed.
      if (image.naturalWidth > 0 && image.naturalHeight > 0) resolve(image);
      else reject(new Error('it has no size'));
    };
    image.onerror = () => fail(`cannot load ${url}`);
    image.src = url;
  });
}

// A site picture's path as a visitor reads it; as sent when it does not decode.
function shownPath(url) {
  const { pathname } = new URL(url);
  try {
    return decodeURI(pathname);
  } catch {
    return pathname;
  }
}

async function samplePicture() {
  return { image: await loadImage(kSampleFile), name: kSampleName, source: null };
}

// An image file the visitor picked, now or on an earlier visit; throws when the browser cannot read it.
async function filePicture(blob, name) {
  return { image: await createImageBitmap(blob), name: `Your image ${name}`, source: { kind: 'file', name, blob } };
}

// The picture the choices name, or the sample, with a word when it had to be.
async function firstPicture(wanted) {
  try {
    if (wanted && wanted.kind === 'site')
      return { image: await loadImage(wanted.url), name: `The picture ${shownPath(wanted.url)}`, source: wanted };
    if (wanted && wanted.kind === 'file') {
      const blob = await keptPicture();
      if (blob) return await filePicture(blob, wanted.name);
    }
    if (wanted && wanted.kind === 'refused') say('The address names a picture that is not on this site: here is the sample.');
  } catch {
    say('The picture could not be loaded: here is the sample.');
  }
  return samplePicture();
}

function canvasSize() {
  const width = Math.max(1, window.innerWidth), height = Math.max(1, window.innerHeight);
  const ratio = Math.min(window.devicePixelRatio || 1, Math.sqrt(kMostPixels / (width * height)));
  return { width: Math.max(1, Math.round(width * ratio)), height: Math.max(1, Math.round(height * ratio)), dpi: Math.round(96 * ratio) };
}

// The picture covers the canvas, keeping its shape, centred: its pixels, RGBA,
// for the model. Throws when the browser will not read them.
function placedPicture({ image }, width, height) {
  const scratch = document.createElement('canvas');
  scratch.width = width;
  scratch.height = height;
  const g = scratch.getContext('2d', { willReadFrequently: true });
  const w = image.naturalWidth || image.width, h = image.naturalHeight || image.height;
  const scale = Math.max(width / w, height / h);
  g.fillStyle = '#000';
  g.fillRect(0, 0, width, height);
  g.imageSmoothingQuality = 'high';
  g.drawImage(image, (width - w * scale) / 2, (height - h * scale) / 2, w * scale, h * scale);
  return g.getImageData(0, 0, width, height).data;
}

async function start() {
  const size = canvasSize();
  let pixels;
  try {
    pixels = placedPicture(picture, size.width, size.height);
  } catch {
    picture = await samplePicture();
    say('The picture could not be read: here is the sample.');
    pixels = placedPicture(picture, size.width, size.height);
  }
  worker.postMessage({ type: 'start', ...size, count: choices.count, mono: choices.mono, pixels }, [pixels.buffer]);
  panel.hidden = true;
  document.body.dataset.state = 'running';
  canvas.focus();
  awake.want(true);
}

function failed(error) {
  awake.want(false);
  document.body.dataset.state = 'failed';
  panel.hidden = false;
  $('start').disabled = true;
  say(`The saver cannot run in this browser: ${error && error.message || error}`);
}

function restart() {
  start().catch(failed);
}

function end() {
  if (document.body.dataset.state !== 'running') return;
  worker.postMessage({ type: 'stop' });
  awake.want(false);
  document.body.dataset.state = 'panel';
  $(choices.mono ? 'grey' : 'colour').checked = true;
  $('count').value = $('count-slider').value = String(choices.count);
  $('picture-name').textContent = picture.name;
  $('fullscreen').checked = Boolean(document.fullscreenElement);
  panel.hidden = false;
  $(choices.mono ? 'grey' : 'colour').focus();
}

function setPicture(p) {
  picture = p;
  say('');
  $('picture-name').textContent = p.name;
  if (document.body.dataset.state === 'running') restart();
}

async function usePictureFile(file) {
  try {
    setPicture(await filePicture(file, file.name));
  } catch {
    say(`${file.name} is not a picture this browser can read.`);
  }
}

// One frame of the visitor's screen, then the capture stops; it is not kept.
async function captureScreen() {
  let stream = null;
  try {
    stream = await navigator.mediaDevices.getDisplayMedia({ video: true, audio: false });
    const video = document.createElement('video');
    video.muted = true;
    video.playsInline = true;
    video.srcObject = stream;
    await video.play();
    if (video.readyState < 2) await new Promise((resolve) => video.addEventListener('loadeddata', resolve, { once: true }));
    setPicture({ image: await createImageBitmap(video), name: 'Your screen, as it was just now', source: null });
  } catch (error) {
    say(error && error.name === 'NotAllowedError' ? 'The screen was not shared.' : 'The screen could not be captured.');
  } finally {
    if (stream) stream.getTracks().forEach((track) => track.stop());
  }
}

// The choices of this Start, for the next visit; a picked image's file beside them.
function keep() {
  keepChoices(keptOf(choices));
  const source = choices.picture;
  keeping = keepPicture(source && source.kind === 'file' ? source.blob : null);
}

function submit(event) {
  event.preventDefault();
  choices = { count: countFrom($('count').value), mono: $('grey').checked, picture: picture.source };
  history.replaceState(null, '', addressOf(choices));
  keep();
  // The new size arrives with a resize event, which starts the run again at that size.
  const full = $('fullscreen').checked;
  if (full && !document.fullscreenElement) document.documentElement.requestFullscreen().catch(() => {});
  if (!full && document.fullscreenElement) document.exitFullscreen().catch(() => {});
  restart();
}

function listen() {
  canvas.addEventListener('click', end);
  window.addEventListener('keydown', (event) => {
    if (document.body.dataset.state !== 'running') return;
    // A key that types a character; the browser's own shortcuts stay its own.
    if (event.key.length !== 1 || event.ctrlKey || event.metaKey) return;
    event.preventDefault();
    end();
  });
  let resizing = 0;
  window.addEventListener('resize', () => {
    clearTimeout(resizing);
    resizing = setTimeout(() => {
      if (document.body.dataset.state === 'running') restart();
    }, 150);
  });
  panel.addEventListener('submit', submit);
  panel.addEventListener('keydown', (event) => {
    // Enter starts from any control but the buttons, which it presses.
    if (event.key === 'Enter' && event.target.tagName === 'INPUT') {
      event.preventDefault();
      panel.requestSubmit();
    }
  });
  $('count-slider').addEventListener('input', () => { $('count').value = $('count-slider').value; });
  $('count').addEventListener('input', () => { $('count-slider').value = String(countFrom($('count').value)); });
  $('use-sample').addEventListener('click', () => samplePicture().then(setPicture, failed));
  $('choose-image').addEventListener('click', () => $('image-file').click());
  $('image-file').addEventListener('change', () => {
    const file = $('image-file').files[0];
    // Emptied, so that picking the same file again is a change too.
    $('image-file').value = '';
    if (file) usePictureFile(file);
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (file) usePictureFile(file);
  });
  if (navigator.mediaDevices && navigator.mediaDevices.getDisplayMedia) $('capture-screen').addEventListener('click', captureScreen);
  else $('capture-screen').classList.add('hidden');
  if (!document.documentElement.requestFullscreen) $('fullscreen-row').classList.add('hidden');
}

function ask(what) {
  if (!worker) return Promise.resolve(null);
  const id = ++lastQuestion;
  worker.postMessage({ type: 'ask', id, what });
  return new Promise((resolve) => questions.set(id, resolve));
}

// The worker with the module, drawing on the canvas; settles when the module is ready.
function startWorker() {
  return new Promise((resolve, reject) => {
    if (!canvas.transferControlToOffscreen || typeof Worker === 'undefined') throw new Error('it cannot draw from a worker');
    worker = new Worker('worker.js');
    const offscreen = canvas.transferControlToOffscreen();
    worker.postMessage({ type: 'canvas', canvas: offscreen }, [offscreen]);
    worker.onerror = (event) => reject(new Error(event.message || 'the worker did not start'));
    worker.onmessage = ({ data }) => {
      if (data.type === 'ready') resolve();
      else if (data.type === 'failed') reject(new Error(data.message));
      else if (data.type === 'answer' && questions.has(data.id)) {
        questions.get(data.id)(data.value);
        questions.delete(data.id);
      }
    };
  });
}

// For the page's tests and bench: each a promise of the worker's answer, or the page's.
window.corvalinth = {
  stats: () => ask('stats'),
  inTransition: () => ask('inTransition'),
  ticks: () => ask('ticks'),
  pixels: () => ask('pixels'),
  awake: () => awake.held,
  kept: () => keeping,
};

// The site's files kept for visits with no network (sw.js).
function keepForOffline() {
  if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
}

async function main() {
  listen();
  const [, first] = await Promise.all([startWorker(), firstPicture(choices.picture)]);
  picture = first;
  choices.picture = first.source;
  await start();
  keepForOffline();
}

main().catch(failed);
