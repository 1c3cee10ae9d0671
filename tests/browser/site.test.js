'use strict';
// Whole sites published with nemora-cli lock -r, in Chromium: a nested page
// opens over http and its relative image loads after the password; with the
// strong lock, the key remembered on one page opens a page in another folder
// of the same site; a script that the site reaches through a link to a folder
// outside it (as packaged libraries are linked into documentation) runs.

const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, describe, it } = require('node:test');
const {
  settings, WorkFolder, FormOf, StartServer, Launch, Visitor, PasswordPage, SubmitPassword,
} = require('./support');

const PASSWORD = 'site wide password';

// A tiny PNG (1 x 1 pixel), so the browser has a real image to load.
const PNG = Buffer.from('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==', 'base64');

function Page(title) {
  return '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>' + title + '</title></head><body>\n'
    + '<h1 id="title">' + title + '</h1>\n<img id="logo" src="img/logo.png" alt="logo">\n</body></html>\n';
}

// A page that needs a library the site links to from outside: without it,
// "$ is not defined".
const LIBRARY = 'window.$ = function (id) { return document.getElementById(id); };\n';
const SCRIPTED = '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>Scripted</title>\n'
  + '<script src="_static/library.js"></script></head><body>\n'
  + '<h1 id="title">Scripted</h1>\n<p id="ran">not run</p>\n'
  + '<script>$("ran").textContent = "run";</script>\n</body></html>\n';

function MakeSite(top, shared) {
  fs.mkdirSync(path.join(top, 'guide', 'img'), { recursive: true });
  fs.mkdirSync(path.join(top, 'news'), { recursive: true });
  fs.mkdirSync(path.join(top, '_static'), { recursive: true });
  fs.mkdirSync(shared, { recursive: true });
  fs.writeFileSync(path.join(top, 'index.html'), Page('Top'));
  fs.writeFileSync(path.join(top, 'guide', 'index.html'), Page('Guide'));
  fs.writeFileSync(path.join(top, 'guide', 'img', 'logo.png'), PNG);
  fs.writeFileSync(path.join(top, 'news', 'today.html'), Page('News'));
  fs.writeFileSync(path.join(top, 'scripted.html'), SCRIPTED);
  fs.writeFileSync(path.join(shared, 'library.js'), LIBRARY);
  fs.symlinkSync(path.join(shared, 'library.js'), path.join(top, '_static', 'library.js'));
}

function LockSite(site, out, options = []) {
  const result = spawnSync(settings.cli,
    ['lock', '-r', site, '-o', out, '--password-stdin', '--encoding', 'utf-8', ...options,
      ...FormOf(options)],
    { input: `${PASSWORD}\n`, encoding: 'utf8' });
  assert.equal(result.status, 0, `nemora-cli lock -r failed (${result.status}): ${result.stderr}`);
}

async function ImageLoaded(page) {
  await page.waitForFunction(() => {
    const image = document.getElementById('logo');
    return image && image.complete && image.naturalWidth === 1;
  });
}

describe('whole sites in Chromium', () => {
  let root;
  let server;
  let browser;

  before(async () => {
    root = WorkFolder('sites-whole');
    // The library lies outside the served folder too, so it reaches the
    // browser only if lock -r copied it.
    MakeSite(path.join(root, 'source'), WorkFolder('sites-shared-javascript'));
    server = await StartServer(root);
    browser = await Launch();
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  it('opens a nested page whose relative image loads after the password', async () => {
    LockSite(path.join(root, 'source'), path.join(root, 'site'), ['--no-cookie']);
    const visitor = await Visitor.Create(browser);
    const { page } = await visitor.Open(server.Url('/site/guide/index.html'));
    await PasswordPage(page);
    await SubmitPassword(page, PASSWORD);
    await page.locator('#title').waitFor();
    assert.equal(await page.locator('#title').innerText(), 'Guide');
    await ImageLoaded(page);
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  it('runs a script that the site links to from outside it', async () => {
    LockSite(path.join(root, 'source'), path.join(root, 'outside'), ['--no-cookie']);
    const visitor = await Visitor.Create(browser);
    const { page } = await visitor.Open(server.Url('/outside/scripted.html'));
    await PasswordPage(page);
    await SubmitPassword(page, PASSWORD);
    await page.locator('#title').waitFor();
    await page.waitForFunction(() => document.getElementById('ran').textContent === 'run');
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  it('remembers one strong key for every folder of the site', async () => {
    LockSite(path.join(root, 'source'), path.join(root, 'strong'), ['--strong', '--cookie-key', 'site']);
    const visitor = await Visitor.Create(browser);
    const first = await visitor.context.newPage();
    await first.goto(server.Url('/strong/guide/index.html'));
    await first.waitForSelector('#nemora-password:not([disabled])');
    await first.fill('#nemora-password', PASSWORD);
    await first.click('#nemora-submit');
    await first.waitForSelector('#title');
    await ImageLoaded(first);

    // Another folder of the same run: no password asked.
    const second = await visitor.context.newPage();
    await second.goto(server.Url('/strong/news/today.html'));
    await second.waitForSelector('#title');
    assert.equal(await second.textContent('#title'), 'News');
    assert.deepEqual(await second.evaluate(() => Object.keys(localStorage)), ['nemora-strong:site:/strong/']);
    visitor.AssertNoScriptErrors();
    await visitor.context.close();
  });
});
