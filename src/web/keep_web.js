// What the visitor chose, kept in the page's own storage for the next visit:
// colour, count and which picture in localStorage, a picked image's file in
// IndexedDB. Storage may be refused (a private window, a full disk): then
// nothing is kept, and the page runs as ever.
const kChoicesKey = 'corvalinth.choices';
const kDatabase = 'corvalinth', kStore = 'pictures', kPicked = 'picked';
const kMostWaitMs = 3000;

export function keptChoices() {
  try {
    const kept = JSON.parse(localStorage.getItem(kChoicesKey) || '{}');
    return kept && typeof kept === 'object' ? kept : {};
  } catch {
    return {};
  }
}

export function keepChoices(choices) {
  try {
    localStorage.setItem(kChoicesKey, JSON.stringify(choices));
  } catch { /* not kept */ }
}

// A request of IndexedDB as a promise, given up after a while rather than waited on for ever.
function settled(request) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('storage did not answer')), kMostWaitMs);
    request.onsuccess = () => { clearTimeout(timer); resolve(request.result); };
    request.onerror = () => { clearTimeout(timer); reject(request.error); };
  });
}

async function store(mode) {
  const open = indexedDB.open(kDatabase, 1);
  open.onupgradeneeded = () => open.result.createObjectStore(kStore);
  const db = await settled(open);
  return db.transaction(kStore, mode).objectStore(kStore);
}

// The picked image's file, or null.
export async function keptPicture() {
  try {
    const blob = await settled((await store('readonly')).get(kPicked));
    return blob instanceof Blob ? blob : null;
  } catch {
    return null;
  }
}

// Keeps `blob`, or forgets the picked image when it is null; says whether it was done.
export async function keepPicture(blob) {
  try {
    const pictures = await store('readwrite');
    await settled(blob ? pictures.put(blob, kPicked) : pictures.delete(kPicked));
    return true;
  } catch {
    return false;
  }
}
