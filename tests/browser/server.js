'use strict';
// What the browser tests and the browser benchmarks share: Chromium's flags
// and a static HTTP server on 127.0.0.1. Needs nothing from the test set-up.

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

// Off the network this machine does not have, and no state from earlier runs:
// launch() gives every browser a new empty profile folder.
const CHROMIUM_FLAGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

const CONTENT_TYPES = {
  '.html': 'text/html',
  '.htm': 'text/html',
  '.zvk': 'application/octet-stream',
  '.jar': 'application/java-archive',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.json': 'application/json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.woff2': 'font/woff2',
  '.pdf': 'application/pdf',
  '.txt': 'text/plain',
};

// Serves `root` on 127.0.0.1. hold(path) keeps requests for that path
// waiting until the function it returns is called.
async function StartServer(root) {
  const holds = new Map();
  const server = http.createServer(async (request, response) => {
    const urlPath = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    if (holds.has(urlPath)) await holds.get(urlPath);
    const file = path.join(root, path.normalize(urlPath));
    fs.readFile(file, (error, data) => {
      if (error || !file.startsWith(root + path.sep)) {
        response.writeHead(404, { 'Content-Type': 'text/plain' });
        response.end('not found');
        return;
      }
      response.writeHead(200, {
        'Content-Type': CONTENT_TYPES[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      response.end(data);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;
  return {
    origin,
    Url: (urlPath) => origin + urlPath,
    Hold(urlPath) {
      let release;
      holds.set(urlPath, new Promise((resolve) => { release = resolve; }));
      return () => { holds.delete(urlPath); release(); };
    },
    Close: () => new Promise((resolve) => {
      server.closeAllConnections();
      server.close(resolve);
    }),
  };
}

module.exports = { CHROMIUM_FLAGS, StartServer };
