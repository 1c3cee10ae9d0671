'use strict';
// The browser half of bench/strong.js: a static server on 127.0.0.1 (a
// secure context, which the peer tool's WebCrypto needs), Chromium driven by
// playwright-core, and marks the page itself takes with performance.now():
// the password form's submit event, the first TextDecoder call on the
// page's bytes (deciphered and decompressed: a megabyte or more, or a slice
// of a stream), the first document.open or document.write (the text, or its
// first slice, in hand), the end of document.close, and the written page's
// DOMContentLoaded.

const path = require('node:path');
const { CHROMIUM_FLAGS, StartServer } = require('../tests/browser/server');

const TIMEOUT = 120000;

// Runs in every page before its own scripts. document.open keeps the
// window in Chromium, so the marks outlive the locked page.
function Marks() {
  if (window.strongBenchMarks) return;
  const marks = { submit: null, ready: null, load: null, bytes: null, decoded: null, closed: null, parsed: null, status: [] };
  window.strongBenchMarks = marks;
  const now = () => performance.now();
  window.addEventListener('submit', () => { if (marks.submit === null) marks.submit = now(); }, true);
  window.addEventListener('load', () => { if (marks.load === null) marks.load = now(); }, true);
  document.addEventListener('DOMContentLoaded', () => {
    if (marks.ready !== null) return;
    marks.ready = now();
    // Our form's status line changes twice after a submit: to the busy
    // text, then, once the key is derived, to the opening text.
    const status = document.getElementById('nemora-status');
    if (!status) return;
    new MutationObserver(() => marks.status.push([now(), status.textContent]))
      .observe(status, { childList: true, characterData: true, subtree: true });
  }, true);
  // The page's bytes in hand: what the C++ unlock writes out, before the
  // browser turns them into text for document.write (whole, or a slice at
  // a time).
  const decode = TextDecoder.prototype.decode;
  TextDecoder.prototype.decode = function (input, options) {
    const whole = input && input.byteLength >= 1e6;
    if (marks.bytes === null && (whole || (options && options.stream))) marks.bytes = now();
    return decode.call(this, input, options);
  };
  const proto = Document.prototype;
  const open = proto.open;
  const write = proto.write;
  const close = proto.close;
  const Decoded = () => { if (marks.decoded === null) marks.decoded = now(); };
  proto.open = function (...args) { Decoded(); return open.apply(this, args); };
  proto.write = function (...args) { Decoded(); return write.apply(this, args); };
  proto.close = function (...args) {
    const result = close.apply(this, args);
    marks.closed = now();
    if (this.readyState === 'loading') {
      this.addEventListener('DOMContentLoaded', () => { marks.parsed = now(); });
    } else {
      marks.parsed = marks.closed;
    }
    return result;
  };
}

function Median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// How each tool's page takes the password and remembers the key.
const TOOLS = {
  ours: {
    field: '#nemora-password:not([disabled])',
    // Published with the default remembering (7 days, nothing to tick):
    // every visit that opens stores the key.
    async Submit(page, password) {
      await page.fill('#nemora-password', password);
      await page.click('#nemora-submit');
    },
  },
  staticrypt: {
    field: '#staticrypt-password',
    async Submit(page, password, remember) {
      await page.fill('#staticrypt-password', password);
      if (remember) await page.check('#staticrypt-remember');
      await page.click('.staticrypt-decrypt-button');
    },
  },
};

class Browser {
  static async Launch(playwright, chromiumPath, root) {
    const browser = await playwright.chromium.launch({ executablePath: chromiumPath, args: CHROMIUM_FLAGS });
    const server = await StartServer(root);
    return new Browser(browser, server);
  }

  constructor(browser, server) {
    this.browser = browser;
    this.server = server;
  }

  async Close() {
    await this.browser.close();
    await this.server.Close();
  }

  async NewContext() {
    const context = await this.browser.newContext();
    context.setDefaultTimeout(TIMEOUT);
    await context.addInitScript(Marks);
    const errors = [];
    context.on('weberror', (error) => errors.push(String(error.error())));
    return { context, errors };
  }

  // Waits for the written page (to document.close, or to its
  // DOMContentLoaded when `parsed`), checks it is the source page (its
  // title), and returns the marks in milliseconds.
  static async Opened(page, title, errors, what, parsed) {
    const mark = parsed ? 'parsed' : 'closed';
    await page.waitForFunction((key) => window.strongBenchMarks && window.strongBenchMarks[key] !== null,
      mark, { timeout: TIMEOUT, polling: 10 });
    const shown = await page.evaluate(() => document.title);
    if (shown !== title) throw new Error(`${what}: the page shown has the title "${shown}", not "${title}"`);
    if (errors.length > 0) throw new Error(`${what}: script errors: ${errors.join('; ')}`);
    return page.evaluate(() => ({ ...window.strongBenchMarks }));
  }

  // The source page itself, unlocked: its title and the milliseconds from
  // the navigation's start to its DOMContentLoaded.
  async Plain(urlPath) {
    const { context } = await this.NewContext();
    try {
      const page = await context.newPage();
      await page.goto(this.server.Url(urlPath), { waitUntil: 'domcontentloaded', timeout: TIMEOUT });
      return await page.evaluate(() => ({
        title: document.title,
        parsed: performance.getEntriesByType('navigation')[0].domContentLoadedEventStart,
      }));
    } finally {
      await context.close();
    }
  }

  // One visit with the password typed: milliseconds from the submit event to
  // the decoded text, to document.close's end and (when `parsed`) to the
  // written page's DOMContentLoaded; for our page also to the end of the
  // key derivation (the status line's second change).
  async Typed(tool, urlPath, password, title, parsed) {
    const { context, errors } = await this.NewContext();
    try {
      const page = await context.newPage();
      await page.goto(this.server.Url(urlPath));
      await page.waitForSelector(TOOLS[tool].field);
      await TOOLS[tool].Submit(page, password, false);
      const m = await Browser.Opened(page, title, errors, `${tool} ${urlPath}`, parsed);
      const visit = { decoded: m.decoded - m.submit, closed: m.closed - m.submit,
        parsed: parsed ? m.parsed - m.submit : null, derived: null,
        bytes: m.bytes === null ? null : m.bytes - m.submit };
      if (tool === 'ours') {
        const after = m.status.filter(([time]) => time >= m.submit);
        const derived = after.find(([, text]) => text !== after[0][1]);
        if (!derived || derived[0] > m.decoded) {
          throw new Error(`${tool} ${urlPath}: no status change marks the end of the derivation`);
        }
        visit.derived = derived[0] - m.submit;
      }
      return visit;
    } finally {
      await context.close();
    }
  }

  // Visits with the key remembered: one typed visit stores it, then each of
  // `runs` new tabs opens without derivation. Milliseconds from the moment
  // the page's script starts its work (our DOMContentLoaded, the peer's
  // window load) to the decoded text, and from the navigation's start.
  // `profile` takes a CPU profile of one more visit.
  async Remembered(tool, urlPath, password, title, runs, profile) {
    const { context, errors } = await this.NewContext();
    try {
      const first = await context.newPage();
      await first.goto(this.server.Url(urlPath));
      await first.waitForSelector(TOOLS[tool].field);
      await TOOLS[tool].Submit(first, password, true);
      await Browser.Opened(first, title, errors, `${tool} ${urlPath} (storing the key)`, false);
      // The peer stores its key just after document.close.
      await first.waitForFunction(() => localStorage.length > 0, null, { timeout: TIMEOUT, polling: 10 });
      await first.close();
      const visits = [];
      for (let i = 0; i < runs + (profile ? 1 : 0); i++) {
        const page = await context.newPage();
        let session = null;
        if (profile && i === runs) {
          session = await context.newCDPSession(page);
          await session.send('Profiler.enable');
          await session.send('Profiler.setSamplingInterval', { interval: 100 });
          await session.send('Profiler.start');
        }
        await page.goto(this.server.Url(urlPath));
        const m = await Browser.Opened(page, title, errors, `${tool} ${urlPath} (remembered key)`, false);
        if (m.submit !== null) throw new Error(`${tool} ${urlPath}: the remembered visit asked for the password`);
        const start = tool === 'ours' ? m.ready : m.load;
        const visit = { decoded: m.decoded - start, fromNavigation: m.decoded };
        if (session) {
          const { profile: cpu } = await session.send('Profiler.stop');
          visits.profile = SelfTimes(cpu);
        } else {
          visits.push(visit);
        }
        await page.close();
      }
      return visits;
    } finally {
      await context.close();
    }
  }

  // `measure(arg)` evaluated in a fresh tab of the page at `urlPath`, once
  // `selector` is there: what it returns.
  async InFreshTab(urlPath, selector, measure, arg) {
    const { context } = await this.NewContext();
    try {
      const page = await context.newPage();
      await page.goto(this.server.Url(urlPath));
      await page.waitForSelector(selector);
      return await page.evaluate(measure, arg);
    } finally {
      await context.close();
    }
  }

  // Argon2id alone at the page's parameters, in a fresh tab of the locked
  // page each time (as a visitor's first derivation: WebAssembly compiled,
  // memory grown): milliseconds.
  Derivation(urlPath, password) {
    return this.InFreshTab(urlPath, TOOLS.ours.field, async (typed) => {
      // The first 96 base64 characters are the 72-byte header.
      const binary = atob(document.getElementById('nemora-data').textContent.trim().slice(0, 96));
      const header = Uint8Array.from(binary, (c) => c.charCodeAt(0));
      const view = new DataView(header.buffer);
      const start = performance.now();
      await self.NemoraCrypto.argon2id(new TextEncoder().encode(typed), header.subarray(24, 40),
        view.getUint32(12, true), view.getUint32(16, true), view.getUint32(20, true));
      return performance.now() - start;
    }, password);
  }

  // The decoding's parts that can be timed from outside the page's script,
  // each once and cold, in a fresh tab of the locked page as in a visit:
  // base64 out of the page (atob and a byte loop, as the script does), the
  // two keyed BLAKE2b, XChaCha20-Poly1305 opening the container, and
  // TextDecoder of the source page's bytes. The decompressor is what is
  // left of the decoding. Milliseconds.
  Steps(urlPath, sourcePath, password) {
    return this.InFreshTab(urlPath, TOOLS.ours.field, async ({ typed, sourcePath }) => {
      const C = self.NemoraCrypto;
      const Ascii = (text) => new TextEncoder().encode(text);
      const source = new Uint8Array(await (await fetch(sourcePath)).arrayBuffer());
      const text = document.getElementById('nemora-data').textContent.trim();
      const head = Uint8Array.from(atob(text.slice(0, 96)), (c) => c.charCodeAt(0));
      const view = new DataView(head.buffer);
      const master = await C.argon2id(Ascii(typed), head.subarray(24, 40), view.getUint32(12, true),
        view.getUint32(16, true), view.getUint32(20, true));
      const times = {};
      let start = performance.now();
      const Lap = (name) => {
        const now = performance.now();
        times[name] = now - start;
        start = now;
      };
      const binary = atob(text);
      const data = new Uint8Array(binary.length);
      for (let i = 0; i < binary.length; i++) data[i] = binary.charCodeAt(i);
      Lap('base64');
      await C.blake2b(Ascii('Nemora strong key check v1'), 8, master);
      const cipherKey = await C.blake2b(Ascii('Nemora strong cipher key v1'), 32, master);
      Lap('blake2b');
      const plain = C.xchachaOpen(cipherKey, data.subarray(40, 64), data.subarray(72), data.subarray(0, 72));
      Lap('cipher');
      if (!plain) throw new Error('the container did not open');
      new TextDecoder('utf-8').decode(source);
      Lap('textDecoder');
      return times;
    }, { typed: password, sourcePath });
  }

  // The peer tool's key derivation alone, as its help and its engine
  // describe it: PBKDF2 of 1,000 SHA-1 rounds, then 14,000 and 585,000
  // SHA-256 rounds, each of the previous hex digest (WebCrypto).
  PeerDerivation(urlPath, password) {
    return this.InFreshTab(urlPath, TOOLS.staticrypt.field, async (typed) => {
      const subtle = crypto.subtle;
      const salt = new TextEncoder().encode('0123456789abcdef0123456789abcdef');
      const Hex = (bytes) => Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('');
      async function Round(text, iterations, hash) {
        const key = await subtle.importKey('raw', new TextEncoder().encode(text), 'PBKDF2', false, ['deriveBits']);
        const bits = await subtle.deriveBits({ name: 'PBKDF2', hash, iterations, salt }, key, 256);
        return Hex(new Uint8Array(bits));
      }
      const start = performance.now();
      let hashed = await Round(typed, 1000, 'SHA-1');
      hashed = await Round(hashed, 14000, 'SHA-256');
      await Round(hashed, 585000, 'SHA-256');
      return performance.now() - start;
    }, password);
  }
}

// Self time of the sampled functions over one remembered visit, the
// largest first, idle time left out: where the decoding goes.
function SelfTimes(profile) {
  const byId = new Map(profile.nodes.map((node) => [node.id, node]));
  const totals = new Map();
  for (let i = 0; i + 1 < profile.samples.length; i++) {
    const frame = byId.get(profile.samples[i]).callFrame;
    if (frame.functionName === '(idle)') continue;
    const where = frame.url ? ` ${path.basename(frame.url)}:${frame.lineNumber + 1}` : '';
    const name = (frame.functionName || '(anonymous)') + where;
    totals.set(name, (totals.get(name) || 0) + profile.timeDeltas[i + 1]);
  }
  return [...totals.entries()].sort((a, b) => b[1] - a[1]).slice(0, 12)
    .map(([name, us]) => ({ name, ms: us / 1000 }));
}

module.exports = { Browser, Median };
