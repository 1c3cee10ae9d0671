'use strict';
// The strong script's reading of the plain stream, on the malformed streams
// every reader's tests share (tests/fixtures/malformed-streams.txt): each
// row, sealed in a container, is opened by publish/web/strong/strong-ui.js
// with a remembered key, in a context of its own with the bundle and a
// stand-in for the page, and ends as the row says: the page shown, or the
// damaged or encoding message.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');
const { describe, it } = require('node:test');
const { STRONG, BUNDLE, Counting } = require('./support');
const { MalformedStreams } = require('../fixtures/malformed-streams');

const SCRIPT = fs.readFileSync(path.join(STRONG, 'strong-ui.js'), 'utf8');
const MESSAGES = {
  damaged: 'This page cannot be opened because its data is damaged.',
  encoding: 'Your browser does not support the character encoding of this page.',
};
const MASTER = Counting(1, 32);
const SALT = Counting(100, 16);
const NONCE = Counting(200, 24);

function Ascii(text) {
  return Buffer.from(text, 'latin1');
}

// A fresh context: the bundle, then the page's script with its elements,
// web storage that holds MASTER for the container's salt, and a document
// that keeps what is written into it.
function NewPage(container) {
  const elements = {};
  const Element = (id) => {
    elements[id] ??= {
      id, textContent: '', className: '', hidden: true, disabled: true, readOnly: false, value: '',
      type: 'password', focus() {}, select() {}, setAttribute() {}, addEventListener() {},
    };
    return elements[id];
  };
  Element('nemora-data').textContent = container.toString('base64');
  Element('nemora-options').textContent = JSON.stringify({ remember: { keyword: 'k', days: 1, ask: false } });
  const entry = JSON.stringify({ salt: Buffer.from(SALT).toString('base64'),
    key: Buffer.from(MASTER).toString('base64'), expires: null });
  const written = [];
  const context = vm.createContext({
    TextDecoder, TextEncoder, URL, atob, btoa, setTimeout, requestAnimationFrame: setTimeout,
    location: { href: 'http://nemora.test/site/page.html' },
    localStorage: { getItem: () => entry, setItem() {}, removeItem() {} },
    document: {
      readyState: 'complete',
      documentElement: { getAttribute: () => 'en' },
      getElementById: Element,
      open() {},
      write(text) { written.push(text); },
      close() {},
    },
  });
  vm.runInContext('var self = globalThis, window = globalThis;', context);
  vm.runInContext(fs.readFileSync(BUNDLE, 'utf8'), context, { filename: 'nemora-crypto.js' });
  return { context, status: Element('nemora-status'), written };
}

async function Container(crypto, stream) {
  const cipherKey = await crypto.blake2b(Ascii('Nemora strong cipher key v1'), 32, MASTER);
  const check = await crypto.blake2b(Ascii('Nemora strong key check v1'), 8, MASTER);
  const header = Buffer.alloc(72);
  header.write('NEMORA-S', 0, 'latin1');
  header.set([1, 1, 1, 0], 8);
  header.writeUInt32LE(19456, 12);
  header.writeUInt32LE(2, 16);
  header.writeUInt32LE(1, 20);
  header.set(SALT, 24);
  header.set(NONCE, 40);
  header.set(check, 64);
  return Buffer.concat([header, crypto.xchachaSeal(cipherKey, NONCE, stream, header)]);
}

// Runs the script and waits until it shows the page or a message.
async function Outcome(container) {
  const page = NewPage(container);
  vm.runInContext(SCRIPT, page.context, { filename: 'strong-ui.js' });
  for (let i = 0; i < 200; i++) {
    if (page.written.length > 0) return 'open';
    if (page.status.className === 'bad') {
      return Object.keys(MESSAGES).find((key) => MESSAGES[key] === page.status.textContent)
        ?? page.status.textContent;
    }
    await new Promise((resolve) => setTimeout(resolve, 5));
  }
  return 'nothing';
}

describe('the strong script on the shared malformed streams', () => {
  it('opens exactly the rows that say so, and tells damage from an unknown encoding', async () => {
    const { context } = NewPage(Buffer.alloc(0));
    const rows = MalformedStreams();
    assert.ok(rows.length > 0);
    for (const row of rows) {
      const container = await Container(context.NemoraCrypto, row.stream);
      assert.equal(await Outcome(container), row.strong, row.name);
    }
  });
});
