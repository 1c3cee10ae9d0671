'use strict';
// A page's own character encoding, as nemora-cli finds it without
// --encoding: a UTF-8 page reads exactly as written in both forms, whether it
// declares its encoding or not, and the encoding nemora-cli finds in a page
// is the one Chromium finds in the same bytes.

const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, describe, it } = require('node:test');
const {
  settings, WorkFolder, Publish, StartServer, Launch, Visitor, PasswordPage, SubmitPassword, Closed,
} = require('./support');

const PASSWORD = 'correct horse battery staple';
const TEXT = '— ¶ é 日本語';
// The smallest key derivation the strong form allows keeps the runs quick.
const STRONG = ['--strong', '--kdf-memory', '19', '--kdf-passes', '2'];

function Page(head) {
  return `<!DOCTYPE html>\n<html><head>${head}<title>Encoding</title></head><body>\n`
    + `<p id="text">${TEXT}</p>\n</body></html>\n`;
}

// The encoding name nemora-cli recorded in a published page or data file.
function RecordedName(file) {
  const result = spawnSync(settings.cli, ['unlock', file, '--password-stdin'],
    { input: `${PASSWORD}\n`, encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  const name = /encoding "([^"]*)"/.exec(result.stderr);
  assert.ok(name, result.stderr);
  return name[1];
}

describe('the page\'s own encoding in Chromium', () => {
  let root;
  let server;
  let browser;

  before(async () => {
    root = WorkFolder('sites-encoding');
    server = await StartServer(root);
    browser = await Launch();
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  const pages = [
    { name: 'declared', head: '<meta charset="utf-8">' },
    { name: 'undeclared', head: '' },
  ];
  for (const { name, head } of pages) {
    it(`a UTF-8 page (${name}) in the classic form shows its text exactly`, async () => {
      const folder = `classic-${name}`;
      Publish(path.join(root, folder), 'page.html', Buffer.from(Page(head), 'utf8'), PASSWORD,
        ['--no-cookie']);
      assert.equal(RecordedName(path.join(root, folder, 'page.zvk')), 'UTF8');
      const visitor = await Visitor.Create(browser);
      const { page, popup } = await visitor.Open(server.Url(`/${folder}/page.html`));
      await PasswordPage(page);
      await SubmitPassword(page, PASSWORD);
      await page.locator('#text').waitFor();
      assert.equal(await page.locator('#text').innerText(), TEXT);
      await Closed(await popup);
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    });

    it(`a UTF-8 page (${name}) in the strong form shows its text exactly`, async () => {
      const folder = `strong-${name}`;
      Publish(path.join(root, folder), 'page.html', Buffer.from(Page(head), 'utf8'), PASSWORD,
        [...STRONG, '--no-cookie']);
      assert.equal(RecordedName(path.join(root, folder, 'page.html')), 'utf-8');
      const visitor = await Visitor.Create(browser);
      const page = await visitor.context.newPage();
      await page.goto(server.Url(`/${folder}/page.html`));
      await page.fill('#nemora-password', PASSWORD);
      await page.click('#nemora-submit');
      await page.locator('#text').waitFor();
      assert.equal(await page.locator('#text').innerText(), TEXT);
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    });
  }

  it('finds the encoding that Chromium finds in the same bytes', async () => {
    const heads = [
      '<meta charset="utf-8">',
      '<META CHARSET=UTF-8>',
      '<meta charset=\'x-sjis\'>',
      '<meta charset="utf8">',
      '<meta name="viewport" content="width=device-width" charset="ms_kanji">',
      '<meta http-equiv="Content-Type" content="text/html; charset=EUC-JP">',
      '<META CONTENT=\'text/html;charset=csshiftjis\' HTTP-EQUIV=content-type>',
      '<meta http-equiv=content-type content=\'text/html; charset="latin1"\'>',
      '<meta charset=koi8-r>',
      '<meta charset="gb2312">',
      '<meta charset="iso-2022-jp">',
      '<meta charset="utf-16le">',
      '<meta charset=x-user-defined>',
      '<!-- a > b <meta charset="euc-jp"> --><meta charset="iso-8859-2">',
      '<meta charset=bogus><meta charset="windows-1251">',
      '<meta content="text/html; charset=utf-8"><meta charset=big5>',
    ];
    const sources = path.join(root, '.pages', 'compared');
    fs.mkdirSync(sources, { recursive: true });
    const files = heads.map((head, i) => {
      // ASCII only: what decides is the declaration, never the bytes.
      const file = path.join(sources, `p${i}.html`);
      fs.writeFileSync(file, `<!DOCTYPE html>\n<html><head>${head}<title>t</title></head>`
        + '<body><p>plain</p></body></html>\n');
      return file;
    });
    const out = path.join(root, 'compared');
    const locked = spawnSync(settings.cli, ['lock', ...files, '-o', out, '--password-stdin', ...STRONG],
      { input: `${PASSWORD}\n`, encoding: 'utf8' });
    assert.equal(locked.status, 0, locked.stderr);

    const visitor = await Visitor.Create(browser);
    const page = await visitor.context.newPage();
    for (let i = 0; i < heads.length; i++) {
      await page.goto(server.Url(`/.pages/compared/p${i}.html`));
      const chromium = (await page.evaluate(() => document.characterSet)).toLowerCase();
      assert.equal(RecordedName(path.join(out, `p${i}.html`)), chromium, heads[i]);
    }
    await visitor.Close();
  });
});
