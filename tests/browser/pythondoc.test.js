'use strict';
// The Python documentation (Debian's python3.11-doc) sealed with lock -r and
// searched as a visitor would, over http that is not a secure context: the
// search page opens after the password, its index comes from its sealed
// file, each result gets its summary from the result page's text, and a
// result opens at its anchor with no second password. Nothing of the tree's
// text is left readable in the output.

const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, describe, it } = require('node:test');
const { settings, WorkFolder, StartServer, Launch, Visitor } = require('./support');

const TREE = '/usr/share/doc/python3.11/html';
const PASSWORD = 'documentation password';
const HOST = 'docs.visitor.test';

describe('the Python documentation, sealed', { skip: !fs.existsSync(TREE) && `${TREE} is missing` }, () => {
  let root;
  let server;
  let browser;

  before(async () => {
    root = WorkFolder('sites-pythondoc');
    const result = spawnSync(settings.cli,
      ['lock', '-r', TREE, '-o', path.join(root, 'docs'), '--password-stdin'],
      { input: `${PASSWORD}\n`, encoding: 'utf8', maxBuffer: 1 << 26 });
    assert.equal(result.status, 0, `nemora-cli lock -r failed (${result.status}): ${result.stderr}`);
    server = await StartServer(root);
    browser = await Launch({ args: [`--host-resolver-rules=MAP ${HOST} 127.0.0.1`] });
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  it('leaves no source text, search index or changelog readable', () => {
    const out = path.join(root, 'docs');
    for (const name of ['_sources/library/os.rst.txt', 'searchindex.js', 'whatsnew/changelog.html.gz',
      '_static/searchtools.js']) {
      assert.equal(fs.existsSync(path.join(out, name)), false, `${name} is published in clear`);
    }
    const page = fs.readFileSync(path.join(out, 'library', 'os.html'), 'latin1');
    assert.equal(page.includes('getcwd'), false, 'the locked page holds its text in clear');
  });

  it('searches with summaries and opens a result at its anchor without a second password', async () => {
    const visitor = await Visitor.Create(browser);
    const failed = [];
    visitor.context.on('requestfailed', (request) => failed.push(request.url()));
    visitor.context.on('response', (response) => {
      if (response.status() >= 400) failed.push(`${response.status()} ${response.url()}`);
    });
    try {
      const page = await visitor.context.newPage();
      await page.goto(server.Url('/docs/search.html?q=getcwd').replace('127.0.0.1', HOST));
      assert.equal(await page.evaluate(() => window.isSecureContext), false);
      await page.waitForSelector('#nemora-password:not([disabled])');
      await page.fill('#nemora-password', PASSWORD);
      await page.click('#nemora-submit');

      // Results, each with the summary taken from the result page's text.
      await page.waitForFunction(() => {
        const summaries = document.querySelectorAll('#search-results li p.context');
        return summaries.length > 0 && Array.from(summaries).some((p) => p.textContent.includes('getcwd'));
      }, null, { timeout: 60000 });
      const link = await page.$eval('#search-results li a[href*="library/os.html#os.getcwd"]',
        (a) => a.getAttribute('href'));
      assert.ok(link, 'os.getcwd is among the results');

      await page.click(`#search-results li a[href="${link}"]`);
      await page.waitForFunction(() => location.hash === '#os.getcwd' && document.getElementById('os.getcwd'));
      assert.equal(await page.evaluate(() => document.getElementById('nemora-password')), null,
        'the result asked for the password again');
      // The anchor is in view: the page scrolled to it.
      const top = await page.evaluate(() => document.getElementById('os.getcwd').getBoundingClientRect().top);
      assert.ok(Math.abs(top) < 50, `the anchor is ${top}px from the top of the view`);
      // Its stylesheet applies (Sphinx's theme sets the body's font family).
      assert.notEqual(await page.evaluate(() => getComputedStyle(document.body).marginLeft), '8px');
      assert.deepEqual(failed, [], 'failed requests');
      visitor.AssertNoScriptErrors();
    } finally {
      await visitor.Close();
    }
  });
});
