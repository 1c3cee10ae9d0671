'use strict';
// The strong script's reading of the plain stream, on the malformed streams
// every reader's tests share (tests/fixtures/malformed-streams.txt): each
// row, sealed in a container, is opened by publish/web/strong/strong-ui.js
// with a remembered key, in a context of its own with the bundle and a
// stand-in for the page, and ends as the row says: the page shown, or the
// damaged or encoding message. The script reads the stream's body in
// WebAssembly (nemora-stream.js) and in JavaScript where the module is
// missing: both readers go through the table, and through made-up streams
// of a megabyte whose every byte is compared.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');
const { describe, it } = require('node:test');
const { STRONG, BUNDLE, Counting } = require('./support');
const { MalformedStreams } = require('../fixtures/malformed-streams');

const SCRIPT = fs.readFileSync(path.join(STRONG, 'strong-ui.js'), 'utf8');
const STREAM_MODULE = fs.readFileSync(path.join(STRONG, 'nemora-stream.js'), 'utf8');
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

// Wraps WebAssembly.instantiate in the context so that every call of the
// stream module's read_body is kept in `streamReads` with its result.
const SPY = `(function () {
  var instantiate = WebAssembly.instantiate;
  globalThis.streamReads = [];
  WebAssembly.instantiate = function (source, imports) {
    return instantiate.call(WebAssembly, source, imports).then(function (result) {
      var exports = result.instance && result.instance.exports;
      if (!exports || !exports.read_body) return result;
      var spied = Object.assign({}, exports, {
        read_body: function () {
          var read = exports.read_body.apply(null, arguments);
          streamReads.push(read);
          return read;
        },
      });
      return { module: result.module, instance: { exports: spied } };
    });
  };
})();`;

// A fresh context: the bundle (with the stream module when `inModule`),
// then the page's script with its elements, web storage that holds MASTER
// for the container's salt, and a document that keeps what is written into
// it.
function NewPage(container, inModule) {
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
  if (inModule) {
    vm.runInContext(STREAM_MODULE, context, { filename: 'nemora-stream.js' });
    vm.runInContext(SPY, context);
  }
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

// Runs the script and waits until it shows the page or a message: the
// outcome, the text written and the module's reads (undefined without it).
async function Outcome(container, inModule) {
  const page = NewPage(container, inModule);
  vm.runInContext(SCRIPT, page.context, { filename: 'strong-ui.js' });
  const Reads = () => page.context.streamReads && Array.from(page.context.streamReads);
  for (let i = 0; i < 400; i++) {
    if (page.written.length > 0) return { outcome: 'open', text: page.written.join(''), reads: Reads() };
    if (page.status.className === 'bad') {
      const outcome = Object.keys(MESSAGES).find((key) => MESSAGES[key] === page.status.textContent)
        ?? page.status.textContent;
      return { outcome, reads: Reads() };
    }
    await new Promise((resolve) => setTimeout(resolve, 5));
  }
  return { outcome: 'nothing', reads: Reads() };
}

// A stream as the compressor writes it, of about `size` bytes of page, from
// a generator that always starts alike: runs of printable literals and copies of every
// distance and length the format allows (short distances, under eight,
// included). Returns the stream and the page's text.
function MadeUpStream(variant, size) {
  let state = variant;
  const Next = (n) => {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    return (state >>> 8) % n;
  };
  const page = [];
  const body = [];
  while (page.length < size) {
    if (page.length < 16 || Next(3) === 0) {
      for (let run = 1 + Next(40); run > 0; run--) {
        const b = 0x20 + Next(95);
        page.push(b);
        body.push(b);
      }
      continue;
    }
    const far = Math.min(page.length, 32768);
    const distance = Next(4) === 0 ? 5 + Next(Math.min(3, far - 4)) : 5 + Next(far - 4);
    const count = 5 + Next(Math.min(128, distance) - 4);
    body.push(0, distance & 0xff, distance >> 8, count);
    for (let i = 0; i < count; i++) page.push(page[page.length - distance]);
  }
  const header = Buffer.alloc(16);
  header.write('KZUT', 0, 'latin1');
  header.writeUInt32LE(page.length, 4);
  header.write('UTF8', 8, 'latin1');
  const padding = Buffer.alloc((8 - (body.length % 8)) % 8, 0x20);
  return { stream: Buffer.concat([header, Buffer.from(body), padding]), text: Buffer.from(page).toString('latin1') };
}

describe('the strong script on the shared malformed streams', () => {
  for (const inModule of [true, false]) {
    const reader = inModule ? 'in WebAssembly' : 'in JavaScript';
    it(`opens exactly the rows that say so, and tells damage from an unknown encoding (${reader})`, async () => {
      const { context } = NewPage(Buffer.alloc(0), false);
      const rows = MalformedStreams();
      assert.ok(rows.length > 0);
      let refusedByModule = 0;
      for (const row of rows) {
        const container = await Container(context.NemoraCrypto, row.stream);
        const { outcome, reads } = await Outcome(container, inModule);
        assert.equal(outcome, row.strong, row.name);
        if (!inModule) continue;
        // These containers are too small for the module's warm-up: its one
        // read is the page's. A page that opens was read by the module, not
        // by the fallback.
        if (outcome !== 'damaged') assert.deepEqual(reads, [1], row.name);
        if (reads.length === 1 && reads[0] === 0) refusedByModule++;
      }
      if (inModule) assert.ok(refusedByModule > 0, 'no row was refused by the module');
    });
  }
});

describe('the strong script on made-up streams of a megabyte', () => {
  it('rebuilds every byte in WebAssembly and in JavaScript, and both refuse the same damage', async () => {
    const { context } = NewPage(Buffer.alloc(0), false);
    for (const variant of [1, 2, 3]) {
      const made = MadeUpStream(variant, 1 << 20);
      const container = await Container(context.NemoraCrypto, made.stream);
      for (const inModule of [true, false]) {
        const result = await Outcome(container, inModule);
        assert.equal(result.outcome, 'open', `variant ${variant}, module ${inModule}`);
        assert.ok(result.text === made.text, `variant ${variant}, module ${inModule}: another page`);
      }
      // One byte changed in the body: a literal made a token's start, a
      // token's distance or length changed, the padding touched.
      for (let i = 0; i < 12; i++) {
        const damaged = Buffer.from(made.stream);
        const at = 16 + ((variant * 7919 + i * 104729) % (damaged.length - 16));
        damaged[at] = i % 3 === 0 ? 0 : (damaged[at] + 1 + i * 37) & 0xff;
        const sealed = await Container(context.NemoraCrypto, damaged);
        const [inWasm, inScript] = [await Outcome(sealed, true), await Outcome(sealed, false)];
        assert.equal(inWasm.outcome, inScript.outcome, `variant ${variant}, byte ${at}`);
        assert.ok(inWasm.text === inScript.text, `variant ${variant}, byte ${at}: the readers disagree`);
      }
    }
  });
});
