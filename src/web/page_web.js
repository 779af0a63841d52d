'use strict';
// The page: the saver over a picture, filling the window, drawn by the model in
// the WebAssembly module (corvalinth.js) in a worker (worker.js), on the canvas
// the page hands it. The page places the picture, and a click or a typed
// character ends the run and shows the panel; "Start" runs again. The address
// carries the choices, so that a link shows one setup:
//   ?picture=<an image on this site>&count=<1..1000>&mono=1
(() => {
  const kMostDots = 1000;
  const kSample = { url: null, name: 'The sample desktop', file: 'sample-desktop.png' };
  // A dense screen gets fewer canvas pixels than it has, so that the model's
  // surfaces stay within what a phone can spare.
  const kMostPixels = 2560 * 1600;

  const $ = (id) => document.getElementById(id);
  const canvas = $('screen');
  const panel = $('panel');

  let worker = null;
  let choices = choicesFrom(location.search);
  let picture = null; // { image, name, url }: url is set for a picture the address can name
  const questions = new Map(); // the worker's answers awaited, by id
  let lastQuestion = 0;

  function countFrom(text) {
    text = String(text ?? '').trim();
    return /^[+-]?\d{1,9}$/.test(text) ? Math.min(kMostDots, Math.max(1, Number(text))) : kMostDots;
  }

  // Only an image of this site: a link must not make the page fetch from elsewhere.
  function sameSite(value) {
    if (!value) return null;
    try {
      const url = new URL(value, location.href);
      return url.origin === location.origin ? url.pathname + url.search : null;
    } catch {
      return null;
    }
  }

  function choicesFrom(search) {
    const query = new URLSearchParams(search);
    return { count: countFrom(query.get('count')), mono: query.get('mono') === '1', picture: sameSite(query.get('picture')) };
  }

  function addressOf(c) {
    const query = new URLSearchParams();
    if (c.picture) query.set('picture', c.picture);
    if (c.count !== kMostDots) query.set('count', String(c.count));
    if (c.mono) query.set('mono', '1');
    const text = query.toString();
    return location.pathname + (text ? `?${text}` : '');
  }

  function loadImage(url) {
    return new Promise((resolve, reject) => {
      const image = new Image();
      image.onload = () => resolve(image);
      image.onerror = () => reject(new Error(`cannot load ${url}`));
      image.src = url;
    });
  }

  // The picture the address names, or the sample when it names none or one that does not load.
  async function pictureFrom(url) {
    if (url) {
      try {
        return { image: await loadImage(url), name: `The picture ${decodeURIComponent(url)}`, url };
      } catch {
        say('The picture in the address could not be loaded: here is the sample.');
      }
    }
    return { image: await loadImage(kSample.file), name: kSample.name, url: null };
  }

  function say(text) {
    $('message').textContent = text;
  }

  function canvasSize() {
    const width = Math.max(1, window.innerWidth), height = Math.max(1, window.innerHeight);
    const ratio = Math.min(window.devicePixelRatio || 1, Math.sqrt(kMostPixels / (width * height)));
    return { width: Math.max(1, Math.round(width * ratio)), height: Math.max(1, Math.round(height * ratio)), dpi: Math.round(96 * ratio) };
  }

  // The picture covers the canvas, keeping its shape, centred: its pixels, RGBA, for the model.
  function placedPicture(width, height) {
    const scratch = document.createElement('canvas');
    scratch.width = width;
    scratch.height = height;
    const g = scratch.getContext('2d', { willReadFrequently: true });
    const { image } = picture;
    const w = image.naturalWidth || image.width, h = image.naturalHeight || image.height;
    const scale = Math.max(width / w, height / h);
    g.fillStyle = '#000';
    g.fillRect(0, 0, width, height);
    g.imageSmoothingQuality = 'high';
    g.drawImage(image, (width - w * scale) / 2, (height - h * scale) / 2, w * scale, h * scale);
    return g.getImageData(0, 0, width, height).data;
  }

  function start() {
    const size = canvasSize();
    const pixels = placedPicture(size.width, size.height);
    worker.postMessage({ type: 'start', ...size, count: choices.count, mono: choices.mono, pixels }, [pixels.buffer]);
    panel.hidden = true;
    document.body.dataset.state = 'running';
  }

  function end() {
    if (document.body.dataset.state !== 'running') return;
    worker.postMessage({ type: 'stop' });
    document.body.dataset.state = 'panel';
    $(choices.mono ? 'grey' : 'colour').checked = true;
    $('count').value = $('count-slider').value = String(choices.count);
    $('picture-name').textContent = picture.name;
    $('fullscreen').checked = Boolean(document.fullscreenElement);
    panel.hidden = false;
    $('panel-title').focus();
  }

  function setPicture(p) {
    picture = p;
    say('');
    $('picture-name').textContent = p.name;
    if (document.body.dataset.state === 'running') start();
  }

  async function usePictureFile(file) {
    try {
      setPicture({ image: await createImageBitmap(file), name: `Your image ${file.name}`, url: null });
    } catch {
      say(`${file.name} is not a picture this browser can read.`);
    }
  }

  // One frame of the visitor's screen, then the capture stops.
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
      setPicture({ image: await createImageBitmap(video), name: 'Your screen, as it was just now', url: null });
    } catch (error) {
      say(error && error.name === 'NotAllowedError' ? 'The screen was not shared.' : 'The screen could not be captured.');
    } finally {
      if (stream) stream.getTracks().forEach((track) => track.stop());
    }
  }

  function submit(event) {
    event.preventDefault();
    choices = { count: countFrom($('count').value), mono: $('grey').checked, picture: picture.url };
    history.replaceState(null, '', addressOf(choices));
    // The new size arrives with a resize event, which starts the run again at that size.
    const full = $('fullscreen').checked;
    if (full && !document.fullscreenElement) document.documentElement.requestFullscreen().catch(() => {});
    if (!full && document.fullscreenElement) document.exitFullscreen().catch(() => {});
    start();
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
        if (document.body.dataset.state === 'running') start();
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
    $('use-sample').addEventListener('click', async () => setPicture(await pictureFrom(null)));
    $('choose-image').addEventListener('click', () => $('image-file').click());
    $('image-file').addEventListener('change', () => {
      const file = $('image-file').files[0];
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

  // For the page's tests and bench: each a promise of the worker's answer.
  window.corvalinth = {
    stats: () => ask('stats'),
    inTransition: () => ask('inTransition'),
    ticks: () => ask('ticks'),
    pixels: () => ask('pixels'),
  };

  listen();
  Promise.all([startWorker(), pictureFrom(choices.picture)]).then(([, first]) => {
    picture = first;
    start();
  }, (error) => {
    document.body.dataset.state = 'failed';
    panel.hidden = false;
    $('start').disabled = true;
    say(`The saver cannot run in this browser: ${error.message || error}`);
  });
})();
