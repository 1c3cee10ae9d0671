'use strict';
// A real documentation site sealed whole: Debian's python3.11-doc HTML tree
// (skipped where it is not installed), locked by nemora-cli lock -r and
// visited over http from a host that is not a secure context. Its search
// page loads the sealed search index through a script element whose src a
// script sets, fetches each result page for its summary, and a result
// lands on its page at the anchor with no second password.

const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, describe, it } = require('node:test');
const { settings, WorkFolder, StartServer, Launch, Visitor } = require('./support');

const TREE = '/usr/share/doc/python3.11/html';
const PASSWORD = 'documentation password';
const HOST = 'nemora.test';
const TIMEOUT = 60000;

describe('the python3.11-doc tree sealed, in Chromium', { skip: !fs.existsSync(path.join(TREE, 'searchindex.js'))
  && `${TREE} is not installed (Debian's python3.11-doc)` }, () => {
  let root;
  let server;
  let browser;

  before(async () => {
    root = WorkFolder('sites-python-doc');
    const result = spawnSync(settings.cli,
      ['lock', '-r', TREE, '-o', path.join(root, 'doc'), '--password-stdin', '--kdf-memory', '19',
        '--kdf-passes', '2', '--no-remember', '-q'],
      { input: `${PASSWORD}\n`, encoding: 'utf8' });
    assert.equal(result.status, 0, `nemora-cli lock -r failed (${result.status}): ${result.stderr}`);
    server = await StartServer(root);
    browser = await Launch({ args: [`--host-resolver-rules=MAP ${HOST} 127.0.0.1`] });
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  it('searches with summaries, then opens a result at its anchor', async () => {
    // The index is sealed: no word of it is readable on the server.
    assert.equal(fs.existsSync(path.join(root, 'doc', 'searchindex.js')), false);

    const visitor = await Visitor.Create(browser);
    visitor.context.setDefaultTimeout(TIMEOUT);
    const failed = [];
    visitor.context.on('requestfailed', (request) => failed.push(request.url()));
    visitor.context.on('response', (response) => {
      if (response.status() >= 400) failed.push(response.url());
    });
    const page = await visitor.context.newPage();
    await page.goto(server.Url('/doc/search.html?q=fspath&check_keywords=yes&area=default').replace('127.0.0.1', HOST));
    await page.waitForSelector('#nemora-password:not([disabled])');
    await page.fill('#nemora-password', PASSWORD);
    await page.click('#nemora-submit');

    // A page found by its words shows a summary from its own text.
    const summary = page.locator('ul.search li', { has: page.locator('a[href="library/os.html"]') }).locator('p.context');
    await summary.waitFor();
    assert.match(await summary.innerText(), /os\.fspath\(path\) Return the file system/);

    await page.locator('ul.search li a[href="library/os.html#os.fspath"]').click();
    await page.waitForFunction(() => !document.getElementById('nemora-password')
      && document.title.startsWith('os — '));
    assert.equal(new URL(page.url()).pathname, '/doc/library/os.html');
    assert.equal(await page.evaluate(() => location.hash), '#os.fspath');
    await page.waitForFunction(() => Array.from(document.images).every((image) => image.complete && image.naturalWidth > 0));
    // The theme's stylesheet applies, and so does the base theme it reaches
    // through three @imports.
    assert.deepEqual(await page.evaluate(() => {
      const style = getComputedStyle(document.querySelector('div.sphinxsidebar'));
      return [style.position, style.overflowWrap];
    }), ['sticky', 'break-word']);

    // Debian ships whatsnew/changelog.html gzipped only: the index still
    // names it, and it stays missing, as it is on the tree in clear.
    assert.deepEqual(failed.filter((url) => !url.endsWith('/doc/whatsnew/changelog.html')), []);
    await visitor.Close();
  });
});
