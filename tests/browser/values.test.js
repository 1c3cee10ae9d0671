'use strict';
// The author's prompt and cookie keyword on their way through the published
// set: written into string literals of the loader page's script in Shift_JIS,
// shown on the password page and handed to the decoder as its CookieKey
// parameter. Whatever the author types must leave the script valid, show as
// typed, and name the cookie the applet would name.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');
const { after, before, describe, it } = require('node:test');
const {
  WorkFolder, Publish, StartServer, Launch, Visitor, PasswordPage, SubmitPassword, FirstOf, Closed,
  WaitingDecoder, Applet,
} = require('./support');

const PASSWORD = 'open sesame';
const PAGE = '<!DOCTYPE html>\n<html><body><p id="text">開いたページ</p></body></html>\n';

// The prompt and keyword reach nemora-cli as argv, byte for byte: line
// breaks need no escaping there (a shell would need $'\r\n').
const ROWS = [
  // Code page 932 conversions write these two as the ASCII bytes 0x5C and 0x7E.
  { name: 'a yen sign', prompt: '料金は¥500です', keyword: 'k¥' },
  { name: 'an overline', prompt: '‾上線‾の文字', keyword: 'a‾b' },
  { name: 'backslashes', prompt: 'C:\\Users\\ と末尾の\\', keyword: 'back\\slash\\' },
  { name: 'quotes', prompt: '"二重" と \'一重\' の引用符', keyword: '"q" \'s\'' },
  { name: 'line breaks', prompt: '一行目\r\n二行目\n三行目\r四行目', keyword: 'line\r\nbreak\n' },
  { name: 'markup', prompt: '& " \' < > &amp; <b>太字</b></SCRIPT><!--', keyword: '<a&b>"\'' },
  { name: 'the template\'s own markers', prompt: '50%割引 %1 %% $0 $$ $1', keyword: '%2$1' },
  // Characters the conversion maps onto a neighbour that reads back otherwise
  // (the keyword's are ones the applet's library converts too).
  { name: 'characters written one way', prompt: '〜—¢£¬‖−', keyword: '価格¢£¬' },
  { name: 'characters beyond code page 932', prompt: '😀 한국어 €', keyword: '€' },
  { name: 'plain Japanese', prompt: 'パスワードを入力して下さい。', keyword: '合言葉' },
];

// The loader page's script, checked as a browser would compile it.
function LoaderScript(file) {
  const text = new TextDecoder('shift_jis', { fatal: true }).decode(fs.readFileSync(file));
  const scripts = [...text.matchAll(/<SCRIPT LANGUAGE="JavaScript">([\s\S]*?)<\/SCRIPT>/gi)];
  assert.equal(scripts.length, 1, 'one script element');
  return scripts[0][1];
}

describe('the prompt and the cookie keyword as typed', () => {
  let root;
  let server;
  let browser;
  let applet;

  before(async () => {
    root = WorkFolder('sites-values');
    Publish(path.join(root, 'jar'), 'page.html', PAGE, PASSWORD);
    applet = new Applet(path.join(root, 'jar', 'decoder.jar'), 'oracle-classes-values');
    server = await StartServer(root);
    browser = await Launch();
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  ROWS.forEach((row, i) => {
    it(`${row.name}: a valid script, the prompt shown as typed, the keyword's cookie`, async () => {
      const folder = `row-${i}`;
      Publish(path.join(root, folder), 'page.html', PAGE, PASSWORD,
        ['--prompt', row.prompt, '--cookie-key', row.keyword, '--cookie-days', '7']);
      const script = LoaderScript(path.join(root, folder, 'page.html'));
      assert.doesNotThrow(() => new vm.Script(script, { filename: `${folder}/page.html` }),
        'the loader page\'s script compiles');

      const visitor = await Visitor.Create(browser);
      const { page, popup } = await visitor.Open(server.Url(`/${folder}/page.html`));
      await PasswordPage(page);
      // writeln puts a line feed after the BODY tag; then the prompt, to the letter.
      assert.equal(await page.evaluate(() => document.body.firstChild.textContent), `\n${row.prompt}`);
      assert.equal((await page.locator('body').innerText()).split('\n')[0],
        row.prompt.replace(/\s+/g, ' ').trim(), 'as the visitor sees it');
      const decoder = await WaitingDecoder(await popup);
      assert.equal(await decoder.evaluate(() => [...document.getElementsByTagName('param')]
        .find((param) => param.getAttribute('name') === 'CookieKey').getAttribute('value')), row.keyword);

      await SubmitPassword(page, PASSWORD);
      await page.locator('#text').waitFor();
      await Closed(decoder);
      assert.equal(visitor.cookieWrites.length, 1, 'one cookie written');
      const [written] = visitor.cookieWrites[0].split(';');
      const data = fs.readFileSync(path.join(root, folder, 'page.zvk'));
      const [, made] = applet.Calls(data, server.Url(`/${folder}/`), row.keyword, Date.now(),
        [['CheckPassword', PASSWORD], ['GetCookie', null, 7]]);
      assert.equal(written, made.split(';')[0], 'the applet\'s cookie for the typed keyword');

      const second = await visitor.Open(server.Url(`/${folder}/page.html`));
      assert.equal(await FirstOf(second.page, ['#text', 'input[name="Pass"]']), 0,
        'the second visit opens without the password');
      await Closed(await second.popup);
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    });
  });
});
