// The site's own files, kept so that after one visit the page opens and runs
// with no network. The build writes this version and file list in; a changed
// site is a changed version, which the browser finds on a visit: the new files
// are fetched then, and shown from the next visit.
const kVersion = '@CORVALINTH_SITE_VERSION@';
const kFiles = [@CORVALINTH_OFFLINE_FILES@];
const kCache = `corvalinth-${kVersion}`;

self.addEventListener('install', (event) => {
  // Past the HTTP cache, so that a new version never keeps an old file.
  event.waitUntil(caches.open(kCache)
    .then((cache) => cache.addAll(kFiles.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) =>
    Promise.all(names.filter((name) => name.startsWith('corvalinth-') && name !== kCache).map((name) => caches.delete(name)))));
});

// The page itself whatever its address's query, and each kept file; anything
// else (a picture the address names) from the network as usual.
function keptName(request) {
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== location.origin) return null;
  const scope = new URL(self.registration.scope);
  if (!url.pathname.startsWith(scope.pathname)) return null;
  const name = url.pathname.slice(scope.pathname.length) || 'index.html';
  if (request.mode === 'navigate') return name === 'index.html' ? name : null;
  return kFiles.includes(name) && !url.search ? name : null;
}

self.addEventListener('fetch', (event) => {
  const name = keptName(event.request);
  if (!name) return;
  event.respondWith(caches.open(kCache)
    .then((cache) => cache.match(name))
    .then((kept) => kept || fetch(event.request)));
});
