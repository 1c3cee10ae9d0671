'use strict';
// A sealed page beside the same page in clear (bench/sealed.sh sets this up
// and runs it): a page with 20 images and 3 stylesheets, published with
// `nemora-cli lock -r` and served with its clear source from one server.
// Timed in headless Chromium: the clear page from the navigation's start to
// the moment every image has its natural size and every stylesheet applies;
// the sealed page from the password's submit to that same moment (typed),
// and from the navigation's start (key remembered); Argon2id alone in a
// fresh tab. A visit that does not reach the complete page stops the run
// with no figure.
//
//   node bench/sealed-page.js --cli PATH --chromium PATH --playwright DIR --work DIR [--runs N]

const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const { Options: BenchOptions, Stopper } = require('./bench-options');
const { Browser, Median } = require('./strong-browser');

const PASSWORD = 'benchmark password';
const IMAGES = 20;
const SHEETS = 3;
const TIMEOUT = 120000;

const Stop = Stopper('sealed-page.js');
const Options = () => BenchOptions('sealed-page.js', ['cli', 'chromium', 'playwright', 'work']);

// A PNG of `width` x `height` RGB pixels: smooth bands with a little noise
// from a generator that always starts alike, so it compresses about as a
// photograph's thumbnail does (some 40-60 KB here).
function Png(width, height, variant) {
  let state = variant * 2654435761 >>> 0;
  const Next = () => {
    state ^= state << 13; state >>>= 0;
    state ^= state >>> 17;
    state ^= state << 5; state >>>= 0;
    return state;
  };
  const raw = Buffer.alloc((width * 3 + 1) * height);
  for (let y = 0; y < height; y++) {
    const row = y * (width * 3 + 1);
    for (let x = 0; x < width; x++) {
      const noise = Next() & 31;
      raw[row + 1 + x * 3] = (x + variant * 40 + noise) & 255;
      raw[row + 2 + x * 3] = (y * 2 + noise) & 255;
      raw[row + 3 + x * 3] = ((x ^ y) + noise) & 255;
    }
  }
  const Chunk = (type, data) => {
    const length = Buffer.alloc(4);
    length.writeUInt32BE(data.length);
    const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(zlib.crc32(body));
    return Buffer.concat([length, body, crc]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;  // bits per sample
  header[9] = 2;  // RGB
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), Chunk('IHDR', header),
    Chunk('IDAT', zlib.deflateSync(raw)), Chunk('IEND', Buffer.alloc(0))]);
}

// Each stylesheet gives its own marker element a width the page checks, plus
// some 20 KB of ordinary rules.
function Sheet(n) {
  const rules = [`#mark${n} { width: ${101 + n}px; }`];
  for (let i = 0; rules.join('\n').length < 20000; i++) {
    rules.push(`.s${n}-r${i} { margin: ${i % 7}px ${i % 5}px; color: #${(i * 4099 % 0xffffff).toString(16).padStart(6, '0')}; }`);
  }
  return rules.join('\n') + '\n';
}

function MakeSite(site) {
  fs.rmSync(site, { recursive: true, force: true });
  fs.mkdirSync(path.join(site, 'img'), { recursive: true });
  fs.mkdirSync(path.join(site, 'css'), { recursive: true });
  const links = [];
  const marks = [];
  for (let n = 0; n < SHEETS; n++) {
    fs.writeFileSync(path.join(site, 'css', `s${n}.css`), Sheet(n));
    links.push(`<link rel="stylesheet" href="css/s${n}.css">`);
    marks.push(`<div id="mark${n}"></div>`);
  }
  const images = [];
  for (let n = 0; n < IMAGES; n++) {
    fs.writeFileSync(path.join(site, 'img', `p${n}.png`), Png(320, 200, n + 1));
    images.push(`<figure><img src="img/p${n}.png" alt="picture ${n}"><figcaption>写真 ${n}: 湖のほとり</figcaption></figure>`);
  }
  const page = `<!DOCTYPE html>\n<html lang="ja">\n<head>\n<meta charset="utf-8">\n<title>Gallery</title>\n${links.join('\n')}\n</head>\n<body>\n<h1>ギャラリー</h1>\n${marks.join('\n')}\n${images.join('\n')}\n</body>\n</html>\n`;
  fs.writeFileSync(path.join(site, 'index.html'), page);
}

function Lock(cli, site, out) {
  fs.rmSync(out, { recursive: true, force: true });
  const argv = [cli, 'lock', '-r', site, '-o', out, '--password-stdin', '--strong'];
  const result = spawnSync(argv[0], argv.slice(1), { input: PASSWORD + '\n', maxBuffer: 1 << 26 });
  if (result.error) Stop(`"${argv.join(' ')}" could not start: ${result.error.message}`);
  if (result.status !== 0) {
    Stop(`"${argv.join(' ')}" exited with status ${result.status}: ${String(result.stderr).slice(-2000)}`);
  }
  const manifest = path.join(out, 'nemora-sealed', 'manifest.js');
  if (!fs.existsSync(manifest)) Stop(`"${argv.join(' ')}" left no ${manifest}: not a sealed site`);
  for (const file of fs.readdirSync(site, { recursive: true })) {
    if (fs.statSync(path.join(site, file)).isDirectory() || file === 'index.html') continue;
    if (fs.existsSync(path.join(out, file))) Stop(`${file} was published in clear`);
  }
}

// Resolves with performance.now() once every image has its natural size and
// every stylesheet's marker has its width: the page is complete.
function CompleteScript() {
  return new Promise((resolve) => {
    const Check = () => {
      const images = Array.from(document.images);
      const shown = images.length === 20 && images.every((image) => image.complete && image.naturalWidth === 320);
      const styled = [0, 1, 2].every((n) => {
        const mark = document.getElementById(`mark${n}`);
        return mark && mark.getBoundingClientRect().width === 101 + n;
      });
      if (shown && styled) resolve(performance.now());
      else requestAnimationFrame(Check);
    };
    Check();
  });
}

async function Complete(page, what) {
  // The written page replaces the document, so the check is started again
  // whenever the one in hand was lost with the old document.
  const deadline = Date.now() + TIMEOUT;
  for (;;) {
    try {
      return await page.evaluate(CompleteScript);
    } catch (error) {
      if (Date.now() > deadline) Stop(`${what}: never complete (${error.message})`);
    }
  }
}

async function Clear(browser, urlPath) {
  const { context, errors } = await browser.NewContext();
  try {
    const page = await context.newPage();
    await page.goto(browser.server.Url(urlPath), { waitUntil: 'commit' });
    const done = await Complete(page, 'clear page');
    if (errors.length) Stop(`clear page: script errors: ${errors.join('; ')}`);
    return done;
  } finally {
    await context.close();
  }
}

async function Typed(browser, urlPath) {
  const { context, errors } = await browser.NewContext();
  try {
    const page = await context.newPage();
    await page.goto(browser.server.Url(urlPath));
    await page.waitForSelector('#nemora-password:not([disabled])');
    await page.fill('#nemora-password', PASSWORD);
    await page.click('#nemora-submit');
    const done = await Complete(page, 'sealed page, typed');
    const submit = await page.evaluate(() => window.strongBenchMarks.submit);
    if (submit === null) Stop('sealed page, typed: no submit mark');
    if (errors.length) Stop(`sealed page, typed: script errors: ${errors.join('; ')}`);
    // The next tab of the same context finds the key remembered.
    const again = await context.newPage();
    await again.goto(browser.server.Url(urlPath), { waitUntil: 'commit' });
    const remembered = await Complete(again, 'sealed page, remembered');
    const asked = await again.evaluate(() => window.strongBenchMarks.submit);
    if (asked !== null) Stop('sealed page, remembered: the password was asked again');
    return { typed: done - submit, remembered };
  } finally {
    await context.close();
  }
}

function Figure(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return `${Median(values).toFixed(0)} (${sorted[0].toFixed(0)}-${sorted[sorted.length - 1].toFixed(0)})`;
}

async function main() {
  const options = Options();
  const playwright = require(options.playwright);
  const site = path.join(options.work, 'gallery');
  const out = path.join(options.work, 'gallery-sealed');
  MakeSite(site);
  Lock(options.cli, site, out);
  const browser = await Browser.Launch(playwright, options.chromium, options.work);
  const clear = [];
  const typed = [];
  const remembered = [];
  const derivation = [];
  try {
    // One warm-up round, then the counted ones, each kind in turn.
    for (let round = 0; round <= options.runs; round++) {
      const c = await Clear(browser, '/gallery/index.html');
      const s = await Typed(browser, '/gallery-sealed/index.html');
      const d = await browser.Derivation('/gallery-sealed/index.html', PASSWORD);
      if (round === 0) continue;
      clear.push(c);
      typed.push(s.typed);
      remembered.push(s.remembered);
      derivation.push(d);
    }
  } finally {
    await browser.Close();
  }
  const c = Median(clear);
  const d = Median(derivation);
  const t = Median(typed);
  const r = Median(remembered);
  console.log(`| clear page, navigation to complete | ${Figure(clear)} |`);
  console.log(`| Argon2id alone | ${Figure(derivation)} |`);
  console.log(`| sealed, typed: submit to complete | ${Figure(typed)} |`);
  console.log(`| sealed, key remembered: navigation to complete | ${Figure(remembered)} |`);
  console.log('');
  console.log(`typed / (1.5 x clear + derivation) = ${(t / (1.5 * c + d)).toFixed(2)} (goal: at most 1)`);
  console.log(`typed / (clear + derivation) = ${(t / (c + d)).toFixed(2)} (goal: at most 1.5)`);
  console.log(`remembered / clear = ${(r / c).toFixed(2)}`);
}

main().catch((error) => Stop(error.stack || String(error)));
