// Keeps the page and its bundle for a visit without the network. Each file
// comes from the network while there is one, so a new version replaces the
// kept one on the next visit online; only when the network fails does the
// kept copy answer.
'use strict';
const kept = 'veldrake';
// The first visit's files came before this worker was there to keep them.
const page = ['./', 'index.html', 'page.js', 'keys.js', 'loading.js', 'start.js', 'pacing.js', 'sound.js',
              'boxes.js', 'touch.js', 'pad.js', 'end.js',
              'veldrake.js', 'veldrake.wasm', 'veldrake-data.js', 'veldrake-data.data',
              'veldrake.webmanifest', 'icon-192.png', 'icon-512.png'];

self.addEventListener('install', function (event) {
  self.skipWaiting();
  event.waitUntil(caches.open(kept).then(function (cache) {
    return Promise.all(page.map(function (name) { return cache.add(name).catch(function () {}); }));
  }));
});
self.addEventListener('activate', function (event) { event.waitUntil(self.clients.claim()); });

self.addEventListener('fetch', function (event) {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(fetch(request).then(function (response) {
    if (response.ok) {
      const copy = response.clone();
      event.waitUntil(caches.open(kept).then(function (cache) { return cache.put(request, copy); }));
    }
    return response;
  }, function (offline) {
    return caches.match(request, { ignoreSearch: true }).then(function (answer) {
      if (answer) return answer;
      throw offline;
    });
  }));
});
