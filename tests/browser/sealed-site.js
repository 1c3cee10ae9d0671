'use strict';
// What the browser tests need to look inside a sealed site that nemora-cli
// lock -r wrote: the run's keys from the password and the published file of
// a site path, computed as the visitor's browser computes them
// (docs/strong-format.md, "Sealed sites").

const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const BUNDLE = path.join(__dirname, '..', '..', 'publish', 'web', 'strong', 'nemora-crypto.js');

function Crypto() {
  const context = vm.createContext({});
  vm.runInContext(fs.readFileSync(BUNDLE, 'utf8'), context, { filename: 'nemora-crypto.js' });
  return context.NemoraCrypto;
}

const NemoraCrypto = Crypto();

function Ascii(text) {
  return Uint8Array.from(Buffer.from(text, 'latin1'));
}

function Base32(bytes) {
  const digits = 'abcdefghijklmnopqrstuvwxyz234567';
  let text = '';
  let buffer = 0;
  let bits = 0;
  for (const byte of bytes) {
    buffer = ((buffer << 8) | byte) & 0xfff;
    bits += 8;
    while (bits >= 5) {
      bits -= 5;
      text += digits[(buffer >> bits) & 31];
    }
  }
  if (bits > 0) text += digits[(buffer << (5 - bits)) & 31];
  return text;
}

// The container of a strong page written by nemora-cli.
function Container(pageFile) {
  const html = fs.readFileSync(pageFile, 'utf8');
  const data = /<script id="nemora-data"[^>]*>([^<]*)<\/script>/.exec(html);
  return data ? Buffer.from(data[1], 'base64') : null;
}

// The run's keys, from the password and a page's container header.
async function SiteKeys(pageFile, password) {
  const header = Container(pageFile);
  const master = await NemoraCrypto.argon2id(Uint8Array.from(Buffer.from(password, 'utf8')),
    header.subarray(24, 40), header.readUInt32LE(12), header.readUInt32LE(16), header.readUInt32LE(20));
  const content = await NemoraCrypto.blake2b(Ascii('Nemora sealed content key v1'), 32, master);
  const name = await NemoraCrypto.blake2b(Ascii('Nemora sealed name key v1'), 32, master);
  return {
    content,
    // The published file of a sealed site path.
    async ScriptOf(sitePath) {
      const hash = await NemoraCrypto.blake2b(Uint8Array.from(Buffer.from(sitePath, 'utf8')), 16, name);
      const sealed = Base32(hash);
      return `nemora-sealed/${sealed.slice(0, 2)}/${sealed}.js`;
    },
  };
}

module.exports = { SiteKeys };
