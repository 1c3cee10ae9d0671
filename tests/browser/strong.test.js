'use strict';
// The strong lock in Chromium: a page published by nemora-cli --strong opens
// with its password over plain http from a host that is not a secure context
// and from file://, tells a wrong password (with a retry) from a damaged page,
// remembers the key in web storage only, and forgets it when the folder is
// published again with another password.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { after, before, describe, it } = require('node:test');
const { WorkFolder, Publish, Encode, StartServer, Launch, Visitor } = require('./support');

const PASSWORD = 'correct horse battery staple';
const HOST = 'nemora.test';
const MESSAGES = {
  wrong: 'パスワードが違います。もう一度入力してください。',
  damaged: 'データが壊れているため、このページを開けません。',
};

function Page(title) {
  return '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>' + title + '</title></head><body>\n'
    + '<h1 id="title">' + title + '</h1>\n<p><a id="link" href="next.html">次へ</a></p>\n'
    + '<script>document.body.dataset.ran = "yes";</script>\n</body></html>\n';
}

// Pages are written in UTF-8 here, so they are published under that name
// (the default name is Shift_JIS).
function LockStrong(folder, name, text, password, options = []) {
  return Publish(folder, name, text, password, ['--strong', '--encoding', 'utf-8', ...options]);
}

async function Unlock(page, password) {
  await page.fill('#nemora-password', password);
  await page.click('#nemora-submit');
}

async function StatusAfterBusy(page) {
  await page.waitForFunction(() => {
    const status = document.getElementById('nemora-status');
    return status && status.className === 'bad';
  });
  return page.textContent('#nemora-status');
}

describe('the strong lock in Chromium', () => {
  let root;
  let server;
  let browser;

  before(async () => {
    root = WorkFolder('sites-strong');
    server = await StartServer(root);
    // A host name of our own mapped to the local server: http on it is not
    // a secure context, so nothing may depend on WebCrypto.
    browser = await Launch({ args: [`--host-resolver-rules=MAP ${HOST} 127.0.0.1`] });
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  function Url(urlPath) {
    return server.Url(urlPath).replace('127.0.0.1', HOST);
  }

  async function NewVisitor() {
    const visitor = await Visitor.Create(browser);
    visitor.requests = [];
    visitor.context.on('request', (request) => visitor.requests.push(request));
    return visitor;
  }

  it('opens over http without a secure context after a wrong password and a retry', async () => {
    const folder = LockStrong(path.join(root, 'plain'), 'index.html', Page('強い鍵のページ'), PASSWORD,
      ['--prompt', '会員の方は <パスワード> を入力して下さい']);
    assert.deepEqual(fs.readdirSync(folder).sort(), ['index.html', 'nemora-strong.js']);

    const visitor = await NewVisitor();
    const page = await visitor.context.newPage();
    await page.goto(Url('/plain/index.html'));
    assert.equal(await page.evaluate(() => window.isSecureContext), false);
    assert.equal(await page.textContent('#nemora-prompt'), '会員の方は <パスワード> を入力して下さい');
    await page.waitForSelector('#nemora-password:not([disabled])');

    await Unlock(page, 'not the password');
    assert.equal(await StatusAfterBusy(page), MESSAGES.wrong);
    assert.equal(await page.isEnabled('#nemora-password'), true, 'the field stays for a retry');
    assert.equal(await page.inputValue('#nemora-password'), 'not the password');

    await page.click('#nemora-show');
    assert.equal(await page.getAttribute('#nemora-password', 'type'), 'text');
    await page.click('#nemora-show');
    assert.equal(await page.getAttribute('#nemora-password', 'type'), 'password');

    await Unlock(page, PASSWORD);
    await page.waitForSelector('#title');
    assert.equal(await page.textContent('#title'), '強い鍵のページ');
    assert.equal(await page.evaluate(() => document.body.dataset.ran), 'yes', 'the page\'s scripts run');
    assert.equal(await page.evaluate(() => document.getElementById('link').href), Url('/plain/next.html'));
    assert.equal(page.url(), Url('/plain/index.html'));
    visitor.AssertNoScriptErrors();
    await visitor.context.close();
  });

  // A page of several hundred kilobytes is written to the document in
  // slices as it is decoded: characters of two and three bytes fall across
  // the slices' ends, and a script in the middle writes in its place.
  const FILLER = '長い文章の段落です。'.repeat(12000) + 'a';
  function LongPage(title) {
    return Page(title).replace('</body>', '<p id="first">' + FILLER + '</p>\n'
      + '<script>document.write(\'<p id="written">書かれた</p>\');</script>\n'
      + '<p id="second">' + FILLER + '</p>\n</body>');
  }

  async function AssertLongPage(page) {
    const got = await page.evaluate(() => ({
      first: document.getElementById('first').textContent,
      second: document.getElementById('second').textContent,
      order: Array.from(document.querySelectorAll('p[id]'), (p) => p.id).join(' '),
    }));
    assert.ok(got.first === FILLER && got.second === FILLER, 'every character of the long paragraphs arrives');
    assert.equal(got.order, 'first written second');
  }

  it('opens a long page in Shift_JIS from a folder on disk and in UTF-8 over http', async () => {
    // The default encoding name, and the page's bytes in it.
    const text = LongPage('ディスクのページ').replace('utf-8', 'Shift_JIS');
    const folder = Publish(path.join(root, 'disk'), 'page.html', Encode(text, 'SHIFT_JIS'), PASSWORD, ['--strong']);
    LockStrong(path.join(root, 'long'), 'index.html', LongPage('長いページ'), PASSWORD);
    const visitor = await NewVisitor();
    for (const [url, title] of [
      [pathToFileURL(path.join(folder, 'page.html')).href, 'ディスクのページ'],
      [Url('/long/index.html'), '長いページ'],
    ]) {
      const page = await visitor.context.newPage();
      await page.goto(url);
      await page.waitForSelector('#nemora-password:not([disabled])');
      await Unlock(page, PASSWORD);
      await page.waitForSelector('#title');
      assert.equal(await page.textContent('#title'), title);
      await AssertLongPage(page);
    }
    visitor.AssertNoScriptErrors();
    await visitor.context.close();
  });

  // A long prompt on a small screen: the card starts within the page and
  // its top, its field and its button are all reached by scrolling.
  it('keeps a tall card\'s top on the page on a small screen', async () => {
    const cases = [['short', 'パスワードを入力して下さい'], ['609 characters', '長い案内文です。'.repeat(76) + '。'],
      ['11,000 characters', 'とても長い案内文。'.repeat(1222) + '。。']];
    const visitor = await NewVisitor();
    for (const [name, prompt] of cases) {
      const folder = `tall-${cases.findIndex((c) => c[0] === name)}`;
      LockStrong(path.join(root, folder), 'index.html', Page('縦長'), PASSWORD, ['--prompt', prompt]);
      const page = await visitor.context.newPage();
      await page.setViewportSize({ width: 375, height: 667 });
      await page.goto(Url(`/${folder}/index.html`));
      await page.waitForSelector('#nemora-password:not([disabled])');
      const top = await page.evaluate(() => document.querySelector('.card').getBoundingClientRect().top + scrollY);
      assert.ok(top >= 0, `${name}: the card's top is at ${top} px`);
      await page.locator('#nemora-submit').scrollIntoViewIfNeeded();
      await Unlock(page, PASSWORD);
      await page.waitForSelector('#title');
      await page.close();
    }
    visitor.AssertNoScriptErrors();
    await visitor.context.close();
  });

  it('tells a damaged page from a wrong password', async () => {
    const folder = LockStrong(path.join(root, 'damaged'), 'index.html', Page('壊れたページ'), PASSWORD);
    const file = path.join(folder, 'index.html');
    // One base64 character near the end of the container changed: the tag
    // fails, the key check (in the header) still matches.
    const html = fs.readFileSync(file, 'utf8');
    const end = html.indexOf('</script>', html.indexOf('id="nemora-data"')) - 10;
    fs.writeFileSync(file, html.slice(0, end) + (html[end] === 'A' ? 'B' : 'A') + html.slice(end + 1));

    const visitor = await NewVisitor();
    const page = await visitor.context.newPage();
    await page.goto(Url('/damaged/index.html'));
    await page.waitForSelector('#nemora-password:not([disabled])');
    await Unlock(page, PASSWORD);
    assert.equal(await StatusAfterBusy(page), MESSAGES.damaged);
    await Unlock(page, 'not the password');
    assert.equal(await StatusAfterBusy(page), MESSAGES.wrong);
    await visitor.context.close();
  });

  it('remembers the key in web storage, never in a request, and forgets it after a new password', async () => {
    const folder = path.join(root, 'remember');
    LockStrong(folder, 'a.html', Page('一枚目'), PASSWORD, ['--cookie-key', 'members']);
    const visitor = await NewVisitor();
    const first = await visitor.context.newPage();
    await first.goto(Url('/remember/a.html'));
    await first.waitForSelector('#nemora-password:not([disabled])');
    await Unlock(first, PASSWORD);
    await first.waitForSelector('#title');

    const entry = await first.evaluate(() => localStorage.getItem('nemora-strong:members:/remember/'));
    const stored = JSON.parse(entry);
    assert.equal(typeof stored.key, 'string');
    assert.ok(!entry.includes(PASSWORD), 'the password itself is never stored');
    const days = (stored.expires - Date.now()) / 86400000;
    assert.ok(days > 6.9 && days <= 7, `expires in ${days} days`);

    // A second visit opens without asking.
    const second = await visitor.context.newPage();
    await second.goto(Url('/remember/a.html'));
    await second.waitForSelector('#title');
    assert.equal(await second.textContent('#title'), '一枚目');
    assert.equal(await visitor.context.cookies().then((all) => all.length), 0, 'no cookie is set');
    for (const request of visitor.requests) {
      const headers = await request.allHeaders();
      assert.equal(headers.cookie, undefined, `a cookie went with ${request.url()}`);
      assert.ok(!request.url().includes(stored.key) && !request.url().includes(encodeURIComponent(stored.key)),
        `the key went with ${request.url()}`);
    }

    // The author publishes the folder again with another password: the
    // remembered key is dropped and the prompt shown.
    LockStrong(folder, 'a.html', Page('一枚目'), 'another long password', ['--cookie-key', 'members']);
    const third = await visitor.context.newPage();
    await third.goto(Url('/remember/a.html'));
    await third.waitForSelector('#nemora-password:not([disabled])');
    assert.equal(await third.evaluate(() => localStorage.getItem('nemora-strong:members:/remember/')), null);
    await Unlock(third, 'another long password');
    await third.waitForSelector('#title');
    visitor.AssertNoScriptErrors();
    await visitor.context.close();
  });

  it('asks before remembering when the author wants it, and keeps a session key per tab', async () => {
    const folder = path.join(root, 'ask');
    LockStrong(folder, 'index.html', Page('確認'), PASSWORD, ['--confirm']);
    const visitor = await NewVisitor();
    const page = await visitor.context.newPage();
    await page.goto(Url('/ask/index.html'));
    await page.waitForSelector('#nemora-password:not([disabled])');
    assert.equal(await page.isVisible('#nemora-remember'), true);
    await Unlock(page, PASSWORD);
    await page.waitForSelector('#title');
    assert.equal(await page.evaluate(() => localStorage.length), 0, 'not ticked: nothing kept');
    const again = await visitor.context.newPage();
    await again.goto(Url('/ask/index.html'));
    await again.waitForSelector('#nemora-password:not([disabled])');
    await again.check('#nemora-remember');
    await Unlock(again, PASSWORD);
    await again.waitForSelector('#title');
    assert.equal(await again.evaluate(() => localStorage.length), 1, 'ticked: the key is kept');

    LockStrong(path.join(root, 'session'), 'index.html', Page('セッション'), PASSWORD, ['--cookie-days', 'session']);
    const tab = await visitor.context.newPage();
    await tab.goto(Url('/session/index.html'));
    await tab.waitForSelector('#nemora-password:not([disabled])');
    assert.equal(await tab.isVisible('#nemora-remember'), false);
    await Unlock(tab, PASSWORD);
    await tab.waitForSelector('#title');
    assert.equal(await tab.evaluate(() => localStorage.getItem('nemora-strong:Key:/session/')), null);
    assert.notEqual(await tab.evaluate(() => sessionStorage.getItem('nemora-strong:Key:/session/')), null);
    await tab.goto(Url('/session/index.html'));
    await tab.waitForSelector('#title');
    await visitor.context.close();
  });
});
