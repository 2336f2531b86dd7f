// The page's offline copy. On the first visit this worker keeps every file of its own build in a
// cache named after them, and from then on serves the page from there, network or not. The build
// writes FILES, each file's SHA-256, and BUILD, a hash of them all: a new build is a new worker
// with a cache of its own, which the browser installs beside the old one and lets take over only
// once no tab plays the old one, so a page never gets files of two builds.
const FILES = @FILES@;
const BUILD = '@BUILD@';
// Other copies of the game on the same site, in other folders, keep caches of their own.
const OWN_CACHES = `eggquest ${registration.scope} `;
const CACHE = OWN_CACHES + BUILD;

function hex(buffer) {
  return [...new Uint8Array(buffer)].map((byte) => byte.toString(16).padStart(2, '0')).join('');
}

// A file as this build has it, from the server and not a stale HTTP cache; anything else (an
// error, a file of another build published meanwhile) fails the install, which keeps nothing.
async function fetchOwn(name) {
  const response = await fetch(name, { cache: 'no-cache' });
  if (!response.ok) throw new Error(`${name}: HTTP ${response.status}`);
  if (hex(await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer())) !==
      FILES[name]) {
    throw new Error(`${name} is not this build's`);
  }
  return response;
}

self.addEventListener('install', (event) => event.waitUntil((async () => {
  const names = Object.keys(FILES);
  const responses = await Promise.all(names.map(fetchOwn));
  try {
    const cache = await caches.open(CACHE);
    await Promise.all(names.map((name, i) => cache.put(name, responses[i])));
  } catch (error) {  // storage full or denied: nothing half-kept
    await caches.delete(CACHE);
    throw error;
  }
})()));

// The page's own caches of older builds go once this build's worker serves every tab.
self.addEventListener('activate', (event) => event.waitUntil((async () => {
  const stale = (await caches.keys()).filter((name) => name.startsWith(OWN_CACHES) &&
                                                       name !== CACHE);
  await Promise.all(stale.map((name) => caches.delete(name)));
})()));

// The folder itself and any query of it (a link with parameters) are the page, index.html.
self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  const folder = new URL(registration.scope).pathname;
  if (event.request.method !== 'GET' || url.origin !== location.origin ||
      !url.pathname.startsWith(folder)) {
    return;
  }
  const name = url.pathname.slice(folder.length) || 'index.html';
  if (!(name in FILES)) return;
  // A cache cleared meanwhile leaves the network, as the page had before it was kept.
  event.respondWith(caches.match(name, { cacheName: CACHE })
    .then((kept) => kept || fetch(event.request)));
});
