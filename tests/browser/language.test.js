'use strict';
// Pages published in English (nemora-cli --page-language en) as a visitor
// meets them: the default form's notes, prompt, questions and alerts, the
// decoder page opened directly, and the strong page's texts and messages,
// beside a Japanese strong page that shares its folder's script. The
// Japanese pages are the other test files' business.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, describe, it } = require('node:test');
const {
  WorkFolder, Publish, StartServer, Launch, Visitor, PasswordPage, SubmitPassword, Closed,
} = require('./support');

const PASSWORD = 'open sesame';
const ENGLISH = ['--page-language', 'en'];

const WARNING_LINES = [
  'Please do not close the decoder window that opens in the top left corner.',
  'Without the decoder, the encrypted page cannot be opened.',
  'If you have closed it, click here.',
];

function Page(title) {
  return '<!DOCTYPE html>\n<html><head><title>' + title + '</title></head><body>\n'
    + '<h1 id="title">' + title + '</h1>\n</body></html>\n';
}

describe('pages published in English', () => {
  let root;
  let server;
  let browser;

  before(async () => {
    root = WorkFolder('sites-language');
    server = await StartServer(root);
    browser = await Launch();
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  it('the default form: notes, the default prompt, a wrong password, the cookie question', async () => {
    Publish(path.join(root, 'plain'), 'page.html', Page('Opened'), PASSWORD, [...ENGLISH, '--confirm']);
    const visitor = await Visitor.Create(browser);
    const release = server.Hold('/plain/page.zvk');
    const { page, popup } = await visitor.Open(server.Url('/plain/page.html'));
    const notes = await page.locator('body').innerText();
    assert.deepEqual(notes.split('\n').filter((line) => line !== ''), WARNING_LINES);
    const decoder = await popup;
    release();

    await PasswordPage(page);
    const lines = (await page.locator('body').innerText()).split('\n').filter((line) => line !== '');
    assert.equal(lines[0], 'Enter the password.');
    assert.deepEqual(lines.slice(-WARNING_LINES.length), WARNING_LINES);

    let seen = visitor.dialogs.length;
    await SubmitPassword(page, 'wrong password');
    assert.equal(await visitor.NextDialog(seen), 'Wrong password.');
    await page.waitForFunction(() => document.activeElement && document.activeElement.name === 'Pass');

    seen = visitor.dialogs.length;
    await SubmitPassword(page, PASSWORD);
    assert.equal(await visitor.NextDialog(seen), 'Save the password on this computer?');
    await page.locator('#title').waitFor();
    assert.equal(await page.locator('#title').innerText(), 'Opened');
    await Closed(decoder);
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  it('the decoder page opened directly says what it is', async () => {
    Publish(path.join(root, 'direct'), 'page.html', Page('Never shown'), PASSWORD, ENGLISH);
    const visitor = await Visitor.Create(browser);
    const page = await visitor.context.newPage();
    await page.goto(server.Url('/direct/decoder.htm'));
    await page.getByText('This page is the Vostel Nemora decoder.').waitFor();
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  it('the strong page speaks the language of its own page, whatever its folder\'s other pages speak', async () => {
    const folder = path.join(root, 'strong');
    const fast = ['--strong', '--kdf-memory', '19', '--kdf-passes', '2', '--no-cookie'];
    Publish(folder, 'ja.html', Page('Japanese page'), PASSWORD, fast);
    Publish(folder, 'en.html', Page('English page'), PASSWORD, [...fast, ...ENGLISH]);
    assert.deepEqual(fs.readdirSync(folder).sort(), ['en.html', 'ja.html', 'nemora-strong.js']);

    const cases = [
      {
        name: 'en.html',
        lang: 'en',
        title: 'Password-protected page',
        prompt: 'Enter the password.',
        texts: { '#nemora-show': 'Show', '#nemora-submit-text': 'Open', '#nemora-remember-row': 'Remember this password' },
        empty: 'Please enter the password.',
        wrong: 'Wrong password. Please try again.',
        hide: 'Hide',
      },
      {
        name: 'ja.html',
        lang: 'ja',
        title: 'パスワードで保護されたページ',
        prompt: 'パスワードを入力して下さい。',
        texts: { '#nemora-show': '表示', '#nemora-submit-text': '開く', '#nemora-remember-row': 'このパスワードを記憶する' },
        empty: 'パスワードを入力してください。',
        wrong: 'パスワードが違います。もう一度入力してください。',
        hide: '隠す',
      },
    ];
    for (const c of cases) {
      const visitor = await Visitor.Create(browser);
      const page = await visitor.context.newPage();
      await page.goto(server.Url(`/strong/${c.name}`));
      await page.waitForSelector('#nemora-password:not([disabled])');
      assert.equal(await page.getAttribute('html', 'lang'), c.lang, c.name);
      assert.equal(await page.title(), c.title, c.name);
      assert.equal(await page.textContent('#nemora-prompt'), c.prompt, c.name);
      for (const [selector, text] of Object.entries(c.texts)) {
        assert.equal(await page.textContent(selector), text, `${c.name} ${selector}`);
      }

      await page.click('#nemora-submit');
      assert.equal(await page.textContent('#nemora-status'), c.empty, c.name);
      await page.click('#nemora-show');
      assert.equal(await page.textContent('#nemora-show'), c.hide, c.name);

      await page.fill('#nemora-password', 'not the password');
      await page.click('#nemora-submit');
      await page.waitForFunction((empty) => {
        const status = document.getElementById('nemora-status');
        return status.className === 'bad' && status.textContent !== empty;
      }, c.empty);
      assert.equal(await page.textContent('#nemora-status'), c.wrong, c.name);

      await page.fill('#nemora-password', PASSWORD);
      await page.click('#nemora-submit');
      await page.waitForSelector('#title');
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    }
  });
});
