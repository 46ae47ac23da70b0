'use strict';
// The page's service worker: it keeps this build's files (each named with its version) so that the game
// plays on a second visit without a network. The page itself is asked of the network first, so a new
// build shows as soon as the host has it; the versioned files come from the cache first, as they never
// change. A new build's worker drops the older builds' caches.
const kCache = 'talvessa-@TALVESSA_BUILD@';
const kFiles = @TALVESSA_FILES@;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(['./', ...kFiles])).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((name) => name.startsWith('talvessa-') && name !== kCache)
        .map((name) => caches.delete(name))))
      .then(() => self.clients.claim()),
  );
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  if (request.mode === 'navigate') {
    event.respondWith(
      fetch(request)
        .then((response) => {
          const copy = response.clone();
          if (response.ok) caches.open(kCache).then((cache) => cache.put('./', copy));
          return response;
        })
        .catch(() => caches.match('./', {cacheName: kCache})),
    );
    return;
  }
  event.respondWith(caches.match(request, {cacheName: kCache}).then((kept) => kept || fetch(request)));
});
