// The page's service worker: keeps the page's own files so that an installed or once-visited
// page starts and draws with its server gone. Every request of the page's own site goes to the
// network first, so a page that is served always gets its newest files; what arrives is kept,
// and what cannot be fetched comes from what was kept, whatever query its URL holds.
"use strict";
const CACHE = "velta2";
// What the page needs to start; the gallery and its pictures are kept as they are visited.
const FILES = ["index.html", "velta2.js", "manifest.webmanifest", "icons/velta2-192.png",
               "icons/velta2-512.png"];

self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(CACHE)
    .then(function (cache) { return cache.addAll(FILES); })
    .then(function () { return self.skipWaiting(); }));
});

self.addEventListener("activate", function (event) {
  event.waitUntil(self.clients.claim());
});

self.addEventListener("fetch", function (event) {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    return fetch(request).then(function (response) {
      if (response.ok) cache.put(request, response.clone());
      return response;
    }).catch(function () {
      // The folder's own address ("/") stands for its index.html.
      return cache.match(request, { ignoreSearch: true }).then(function (kept) {
        return kept || (request.mode === "navigate" ? cache.match("index.html") : Response.error());
      });
    });
  }));
});
