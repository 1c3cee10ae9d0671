'use strict';
// What the strong lock's script tests share: the committed bundle, run in a
// context of its own with nothing but the language's built-ins and
// WebAssembly (no fetch, no require, no Buffer, no WebCrypto), as a page
// would run it without network or a secure origin.

const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const STRONG = path.join(__dirname, '..', '..', 'publish', 'web', 'strong');
const BUNDLE = path.join(STRONG, 'nemora-crypto.js');
const VENDOR = path.join(__dirname, '..', '..', 'tools', 'vendor-crypto');

function LoadBundle() {
  const context = vm.createContext({});
  vm.runInContext(fs.readFileSync(BUNDLE, 'utf8'), context, { filename: 'nemora-crypto.js' });
  return { context, NemoraCrypto: context.NemoraCrypto };
}

// Works on arrays of either realm, so a result is compared by its bytes only.
function Hex(bytes) {
  return Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('');
}

function Bytes(hex) {
  return Uint8Array.from(Buffer.from(hex, 'hex'));
}

function Utf8(text) {
  return new TextEncoder().encode(text);
}

// n bytes counting up from first, as the published vectors write keys.
function Counting(first, n) {
  return Uint8Array.from({ length: n }, (_, i) => (first + i) & 0xff);
}

module.exports = { STRONG, BUNDLE, VENDOR, LoadBundle, Hex, Bytes, Utf8, Counting };
