'use strict';
// Sealed sites in Chromium: a small site of our own, locked whole, visited
// over plain http from a host name that is not a secure context and from
// file://. After the password every file the pages use comes from its
// sealed script: stylesheets with url() and @import, a font, images in
// srcset, a script whose src a script sets, images a script adds by markup
// (innerHTML, insertAdjacentHTML, outerHTML, a range's fragment) and by
// setAttribute, fetch and XMLHttpRequest of another page and of JSON, a PDF
// that downloads under its own name; the next page of the site opens
// without a second password; a public page is served in clear; and a sealed
// file with one byte changed is never shown.

const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { after, before, describe, it } = require('node:test');
const { settings, WorkFolder, StartServer, Launch, Visitor } = require('./support');
const { SiteKeys } = require('./sealed-site');

const PASSWORD = 'sealed site password';
const HOST = 'nemora.test';
const PUBLIC = ['public.html', 'robots.txt'];
const FONT = '/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf';
const MESSAGES = {
  damaged: 'データが壊れているため、このサイトのファイルを表示していません: ',
  unsupported: 'このブラウザーではページを開けません。新しいブラウザーでお試しください。',
  storage: 'このブラウザーではサイトのデータの保存が無効なため、ページを移るたびにパスワードを尋ねます。',
};

// PNGs of a known size, so the browser has real images to load: w x h
// pixels of one grey.
function Png(width, height) {
  const zlib = require('node:zlib');
  const crc = (bytes) => {
    let c = ~0;
    for (const byte of bytes) {
      c ^= byte;
      for (let k = 0; k < 8; k++) c = (c >>> 1) ^ (0xedb88320 & -(c & 1));
    }
    return ~c >>> 0;
  };
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
    const length = Buffer.alloc(4);
    length.writeUInt32BE(data.length);
    const sum = Buffer.alloc(4);
    sum.writeUInt32BE(crc(body));
    return Buffer.concat([length, body, sum]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8; // bit depth
  header[9] = 0; // greyscale
  const rows = Buffer.alloc((width + 1) * height, 0x80);
  for (let y = 0; y < height; y++) rows[y * (width + 1)] = 0;
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

// A small PDF (one empty page), for the download, followed by 100 KB that
// do not compress (a reader stops at %%EOF): its sealed file holds stored
// blocks, which the loader copies out without a decompressor.
function Noise(size) {
  const bytes = Buffer.alloc(size);
  let x = 0x2545f491;
  for (let i = 0; i < size; i++) {
    x ^= x << 13;
    x ^= x >>> 17;
    x ^= x << 5;
    bytes[i] = x & 0xff;
  }
  return bytes;
}
const PDF = Buffer.concat([Buffer.from('%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n'
  + '2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n'
  + '3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n', 'latin1'),
Noise(100000)]);

const JAPANESE = '封じられたサイトの日本語のページです。';

const FILES = {
  'index.html': `<!DOCTYPE html>
<html lang="ja"><head><meta charset="utf-8"><title>Top</title>
<link rel="stylesheet" href="css/site.css">
<link rel="icon" href="img/icon.png">
<style>#inline-bg { background-image: url(img/c.png); }</style>
<script src="js/first.js"></script>
<script src="js/second.js"></script>
</head><body>
<h1 id="title">Top</h1>
<p class="probe" id="probe">Fixture font</p>
<div id="probe-base"></div>
<div id="inline-bg"></div>
<div id="style-bg" style="background-image: url('img/b.png')"></div>
<img id="plain" src="img/a.png" alt="">
<img id="set" src="img/a.png" srcset="img/a.png 1x, img/b.png 2x" alt="">
<picture><source srcset="img/c.png" media="(min-width: 1px)"><img id="picture" src="img/a.png" alt=""></picture>
<p><a id="next" href="guide/deep/%E6%97%A5%E6%9C%AC%E8%AA%9E.html#part">日本語</a>
<a id="pdf" href="files/manual.pdf">manual</a>
<a id="public" href="public.html">public</a></p>
<p id="order"></p>
<script src="js/search.js"></script>
<script src="js/loader.js"></script>
</body></html>
`,
  'css/site.css': '@import "base/base.css";\n'
    + '@font-face { font-family: "Fixture"; src: url("../fonts/fixture.ttf") format("truetype"); }\n'
    + '.probe { font-family: "Fixture", serif; }\n'
    + 'body { background-image: url(../img/c.png); }\n',
  'css/base/base.css': '@import url(\'more.css\');\n#probe-base { width: 123px; height: 4px; '
    + 'background: url("../../img/a.png"); }\n',
  'css/base/more.css': '#probe-base { min-height: 7px; }\n',
  'js/first.js': 'window.order = ["first"];\n',
  'js/second.js': 'window.order.push("second");\ndocument.addEventListener("DOMContentLoaded", function () {\n'
    + '  document.getElementById("order").textContent = window.order.join(" ");\n});\n',
  // As a documentation search does: a script element appended, then its src set.
  'js/search.js': '(document.body.appendChild(document.createElement("script")).src = "js/index-data.js");\n',
  'js/index-data.js': 'window.indexLoaded = "index data";\n',
  'js/loader.js': 'fetch("guide/deep/%E6%97%A5%E6%9C%AC%E8%AA%9E.html").then(function (r) { return r.text(); })\n'
    + '  .then(function (text) { window.fetchedPage = text; });\n'
    + 'fetch("data/info.json").then(function (r) { return r.json(); })\n'
    + '  .then(function (data) { window.fetchedJson = data; window.fetchedType = "ok"; });\n'
    + 'var xhr = new XMLHttpRequest();\nxhr.open("GET", "data/info.json?_=1");\n'
    + 'xhr.setRequestHeader("Accept", "application/json");\n'
    + 'xhr.onload = function () { window.xhrJson = JSON.parse(xhr.responseText); window.xhrStatus = xhr.status; };\n'
    + 'xhr.send();\n'
    // Elements added by markup and by setAttribute.
    + 'document.getElementById("order").insertAdjacentHTML("afterend", \'<img id="later-html" src="img/b.png" alt="">\');\n'
    + 'var holder = document.createElement("div");\n'
    + 'holder.innerHTML = \'<p><img id="later-inner" srcset="img/c.png 1x" alt=""></p>\';\n'
    + 'document.body.appendChild(holder);\n'
    + 'var image = document.createElement("img");\nimage.id = "later-attribute";\n'
    + 'image.setAttribute("src", "img/a.png");\ndocument.body.appendChild(image);\n'
    + 'var old = document.body.appendChild(document.createElement("span"));\n'
    + 'old.outerHTML = \'<img id="later-outer" src="img/c.png" alt="">\';\n'
    + 'document.body.appendChild(document.createRange()\n'
    + '  .createContextualFragment(\'<img id="later-fragment" src="img/b.png" alt="">\'));\n',
  'data/info.json': '{"name":"sealed","items":[1,2,3]}\n',
  'guide/index.html': '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>Guide</title></head><body>\n'
    + '<h1 id="title">Guide</h1>\n<img id="good" src="../img/a.png" alt="">\n<img id="broken" src="../img/c.png" alt="">\n'
    + '<img id="missing" src="missing.png" alt="">\n</body></html>\n',
  'guide/deep/日本語.html': '<!DOCTYPE html>\n<html lang="ja"><head><meta charset="utf-8"><title>日本語</title>\n'
    + '<link rel="stylesheet" href="../../css/site.css"></head><body>\n'
    + `<h1 id="title">${JAPANESE}</h1>\n<p id="part">部分</p>\n<img id="deep" src="../../img/b.png" alt="">\n</body></html>\n`,
  'public.html': '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>Public</title><link rel="icon" href="data:,"></head><body>\n'
    + '<h1 id="title">Public page</h1>\n</body></html>\n',
  'robots.txt': 'User-agent: *\nDisallow:\n',
};

function MakeSite(top) {
  for (const [name, text] of Object.entries(FILES)) {
    fs.mkdirSync(path.dirname(path.join(top, name)), { recursive: true });
    fs.writeFileSync(path.join(top, name), text);
  }
  fs.mkdirSync(path.join(top, 'img'), { recursive: true });
  fs.writeFileSync(path.join(top, 'img', 'a.png'), Png(3, 2));
  fs.writeFileSync(path.join(top, 'img', 'b.png'), Png(6, 4));
  fs.writeFileSync(path.join(top, 'img', 'c.png'), Png(5, 5));
  fs.writeFileSync(path.join(top, 'img', 'icon.png'), Png(16, 16));
  fs.mkdirSync(path.join(top, 'files'), { recursive: true });
  fs.writeFileSync(path.join(top, 'files', 'manual.pdf'), PDF);
  fs.mkdirSync(path.join(top, 'fonts'), { recursive: true });
  fs.copyFileSync(FONT, path.join(top, 'fonts', 'fixture.ttf'));
}

// The site locked whole in the strong form into OUT, its public files left
// in clear; resolves to the run's keys.
async function LockSealed(site, out, options = []) {
  const result = spawnSync(settings.cli,
    ['lock', '-r', site, '-o', out, '--password-stdin', '--strong', '--encoding', 'utf-8',
      '--kdf-memory', '19', '--kdf-passes', '2', ...PUBLIC.flatMap((glob) => ['--public', glob]), ...options],
    { input: `${PASSWORD}\n`, encoding: 'utf8' });
  assert.equal(result.status, 0, `nemora-cli lock -r failed (${result.status}): ${result.stderr}`);
  return SiteKeys(path.join(out, 'index.html'), PASSWORD);
}

// Files of OUT, outside its public ones, that hold a piece of the site's
// own text or bytes.
function ClearText(out) {
  const pieces = [JAPANESE, 'window.indexLoaded', '"items":[1,2,3]', 'font-family: "Fixture"', '%PDF-1.4',
    'IHDR', 'glyf'].map((piece) => Buffer.from(piece, 'utf8'));
  const found = [];
  (function Walk(folder) {
    for (const entry of fs.readdirSync(folder, { withFileTypes: true })) {
      const file = path.join(folder, entry.name);
      if (entry.isDirectory()) Walk(file);
      else if (!PUBLIC.includes(path.relative(out, file))) {
        const bytes = fs.readFileSync(file);
        for (const piece of pieces) if (bytes.includes(piece)) found.push(`${path.relative(out, file)}: ${piece}`);
      }
    }
  }(out));
  return found;
}

async function Unlock(page) {
  await page.waitForSelector('#nemora-password:not([disabled])');
  await page.fill('#nemora-password', PASSWORD);
  await page.click('#nemora-submit');
}

// A visitor whose failed requests (and answers of 400 and over) are kept.
async function NewVisitor(browser) {
  const visitor = await Visitor.Create(browser);
  visitor.failed = [];
  visitor.console = [];
  visitor.context.on('requestfailed', (request) => visitor.failed.push(request.url()));
  visitor.context.on('response', (response) => {
    if (response.status() >= 400) visitor.failed.push(`${response.status()} ${response.url()}`);
  });
  visitor.context.on('console', (message) => {
    // Chromium asks the server's top for an icon for a page that names none
    // (as the password page): not a file of the site.
    const where = message.location().url;
    if (message.type() === 'error' && !where.endsWith('/favicon.ico')) visitor.console.push(`${message.text()} ${where}`);
  });
  return visitor;
}

// What the top page shows once every file it uses has loaded.
async function TopPageState(page) {
  await page.waitForFunction(() => window.fetchedPage && window.fetchedJson && window.xhrJson
    && window.indexLoaded && document.fonts.status === 'loaded'
    && Array.from(document.images).every((image) => image.complete && image.naturalWidth > 0));
  return page.evaluate(async () => {
    await document.fonts.ready;
    const style = (id) => getComputedStyle(document.getElementById(id));
    return {
      images: Array.from(document.images, (image) => [image.id, image.naturalWidth, image.naturalHeight,
        image.currentSrc.slice(0, 5)]),
      baseWidth: style('probe-base').width,
      moreHeight: style('probe-base').minHeight,
      bodyBackground: getComputedStyle(document.body).backgroundImage.slice(0, 9),
      inlineBackground: style('inline-bg').backgroundImage.slice(0, 9),
      styleBackground: style('style-bg').backgroundImage.slice(0, 9),
      font: Array.from(document.fonts).map((face) => [face.family, face.status]),
      // Every stylesheet, imported ones too: whether its rules arrived.
      sheets: (function Rules(sheets) {
        return Array.from(sheets).flatMap((sheet) => {
          let rules = [];
          try {
            rules = Array.from(sheet.cssRules);
          } catch (e) {
            return [false];
          }
          return [rules.length > 0,
            ...Rules(rules.filter((rule) => rule instanceof CSSImportRule).map((rule) => rule.styleSheet))];
        });
      }(document.styleSheets)),
      order: document.getElementById('order').textContent,
      index: window.indexLoaded,
      json: window.fetchedJson,
      xhr: [window.xhrJson, window.xhrStatus],
      pageText: window.fetchedPage.includes('封じられたサイトの日本語のページです。'),
      download: document.getElementById('pdf').getAttribute('download'),
      secure: window.isSecureContext,
    };
  });
}

const EXPECTED = {
  images: [['plain', 3, 2, 'blob:'], ['set', 3, 2, 'blob:'], ['picture', 5, 5, 'blob:'], ['later-html', 6, 4, 'blob:'],
    ['later-inner', 5, 5, 'blob:'], ['later-attribute', 3, 2, 'blob:'], ['later-outer', 5, 5, 'blob:'],
    ['later-fragment', 6, 4, 'blob:']],
  baseWidth: '123px',
  moreHeight: '7px',
  bodyBackground: 'url("blob',
  inlineBackground: 'url("blob',
  styleBackground: 'url("blob',
  font: [['Fixture', 'loaded']],
  order: 'first second',
  index: 'index data',
  json: { name: 'sealed', items: [1, 2, 3] },
  xhr: [{ name: 'sealed', items: [1, 2, 3] }, 200],
  pageText: true,
  download: 'manual.pdf',
};

describe('sealed sites in Chromium', () => {
  let root;
  let server;
  let browser;

  before(async () => {
    root = WorkFolder('sites-sealed');
    MakeSite(path.join(root, 'source'));
    server = await StartServer(root);
    browser = await Launch({ args: [`--host-resolver-rules=MAP ${HOST} 127.0.0.1`] });
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  function Url(urlPath) {
    return server.Url(urlPath).replace('127.0.0.1', HOST);
  }

  for (const [where, address] of [
    ['over http without a secure context', (out) => Url(`/${path.basename(out)}/index.html`)],
    ['from a folder on disk', (out) => pathToFileURL(path.join(out, 'index.html')).href],
  ]) {
    it(`opens every file of the page from its sealed script ${where}`, async () => {
      const out = path.join(root, where.startsWith('over') ? 'http' : 'disk');
      await LockSealed(path.join(root, 'source'), out, ['--no-remember']);
      assert.deepEqual(ClearText(out), [], 'clear text of the site outside its public files');
      const visitor = await NewVisitor(browser);
      const page = await visitor.context.newPage();
      await page.goto(address(out));
      await Unlock(page);
      await page.waitForSelector('#title');
      const state = await TopPageState(page);
      assert.equal(state.secure, where.startsWith('over') ? false : state.secure);
      delete state.secure;
      assert.equal(state.sheets.length, 4, 'the page\'s style element and three stylesheets');
      assert.ok(state.sheets.every(Boolean), 'every stylesheet has its rules');
      delete state.sheets;
      assert.deepEqual(state, EXPECTED);

      // The download keeps its name and its type.
      const [download] = await Promise.all([page.waitForEvent('download'), page.click('#pdf')]);
      assert.equal(download.suggestedFilename(), 'manual.pdf');
      assert.deepEqual(fs.readFileSync(await download.path()), PDF);
      assert.equal(await page.evaluate(async () => (await (await fetch(document.getElementById('pdf').href)).blob()).type),
        'application/pdf');

      // The next page of the site, in another folder, with a name and text
      // in Japanese: no second password, though nothing is remembered.
      await page.click('#next');
      await page.waitForFunction((text) => document.getElementById('title')?.textContent === text, JAPANESE);
      await page.waitForFunction(() => document.getElementById('deep').complete);
      assert.equal(await page.evaluate(() => document.getElementById('deep').naturalWidth), 6);
      assert.equal(await page.evaluate(() => getComputedStyle(document.getElementById('probe-base') || document.body).width === '123px'
        || getComputedStyle(document.body).backgroundImage.startsWith('url("blob')), true);
      assert.equal(await page.evaluate(() => location.hash), '#part');
      assert.equal(await page.evaluate(() => localStorage.length), 0, 'nothing is remembered past the session');

      // A public page is served as it is.
      const publicPage = await visitor.context.newPage();
      await publicPage.goto(address(out).replace('index.html', 'public.html'));
      assert.equal(await publicPage.textContent('#title'), 'Public page');

      assert.deepEqual(visitor.failed, [], 'failed requests');
      assert.deepEqual(visitor.console, [], 'console errors');
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    });
  }

  it('shows no byte of a sealed file that fails its tag, and says which', async () => {
    const out = path.join(root, 'tampered');
    const keys = await LockSealed(path.join(root, 'source'), out);
    const script = path.join(out, await keys.ScriptOf('img/c.png'));
    const text = fs.readFileSync(script, 'latin1');
    // One base64 character of the ciphertext changed.
    const at = text.length - 20;
    fs.writeFileSync(script, text.slice(0, at) + (text[at] === 'A' ? 'B' : 'A') + text.slice(at + 1), 'latin1');

    const visitor = await NewVisitor(browser);
    const page = await visitor.context.newPage();
    await page.goto(Url('/tampered/guide/index.html'));
    await Unlock(page);
    await page.waitForSelector('#nemora-sealed-note');
    await page.waitForFunction(() => Array.from(document.images).every((image) => image.complete));
    assert.equal(await page.textContent('#nemora-sealed-note'), `${MESSAGES.damaged}img/c.png`);
    assert.deepEqual(await page.evaluate(() => Array.from(document.images, (image) => [image.id, image.naturalWidth])),
      [['good', 3], ['broken', 0], ['missing', 0]]);
    assert.equal(await page.evaluate(() => document.getElementById('broken').hasAttribute('src')), false);
    assert.deepEqual(visitor.console.filter((line) => line.includes('img/c.png')).length, 1);
    // A path the site does not have is left to the server: still a 404.
    assert.deepEqual(visitor.failed.filter((line) => !line.includes('missing.png')), []);
    assert.ok(visitor.failed.some((line) => line.startsWith('404 ') && line.endsWith('/tampered/guide/missing.png')));

    // The page's own text is in its sealed file: damaged, the page is not
    // shown and the form says which file.
    const pageScript = path.join(out, await keys.ScriptOf('index.html'));
    const pageText = fs.readFileSync(pageScript, 'latin1');
    const middle = Math.floor(pageText.length / 2);
    fs.writeFileSync(pageScript, pageText.slice(0, middle) + (pageText[middle] === 'A' ? 'B' : 'A')
      + pageText.slice(middle + 1), 'latin1');
    const top = await visitor.context.newPage();
    await top.goto(Url('/tampered/index.html'));
    await Unlock(top);
    await top.waitForSelector('#nemora-status.bad');
    assert.equal(await top.textContent('#nemora-status'), `${MESSAGES.damaged}index.html`);
    assert.equal(await top.evaluate(() => document.getElementById('nemora-form') !== null), true);
    await visitor.Close();
  });

  it('tells a browser that lacks what the site needs, and opens without web storage', async () => {
    const out = path.join(root, 'lacking');
    await LockSealed(path.join(root, 'source'), out);
    const visitor = await NewVisitor(browser);
    const old = await visitor.context.newPage();
    await old.addInitScript(() => { delete window.DecompressionStream; });
    await old.goto(Url('/lacking/guide/index.html'));
    await old.waitForSelector('#nemora-status.bad');
    assert.equal(await old.textContent('#nemora-status'), MESSAGES.unsupported);

    // Site data turned off: web storage throws. The page says the password
    // will be asked again, and opens.
    const closed = await visitor.context.newPage();
    await closed.addInitScript(() => {
      for (const name of ['localStorage', 'sessionStorage']) {
        Object.defineProperty(window, name, { get() { throw new DOMException('denied', 'SecurityError'); } });
      }
    });
    await closed.goto(Url('/lacking/guide/index.html'));
    await closed.waitForSelector('#nemora-password:not([disabled])');
    assert.equal(await closed.textContent('#nemora-status'), MESSAGES.storage);
    await Unlock(closed);
    await closed.waitForFunction(() => document.getElementById('good')?.naturalWidth === 3);
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });
});
