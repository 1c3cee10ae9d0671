'use strict';
// The published set in Chromium, as a visitor meets it: the loader page, the
// decoder window with the script decoder, the password page, cookies, errors,
// the five character codes, pages the decoder window may not read, a large
// page and a blocked decoder window.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { after, before, describe, it } = require('node:test');
const {
  settings, WARNING_LINES, ERROR_MESSAGES, WorkFolder, Publish, Encode, StartServer, Launch,
  Visitor, PasswordPage, SubmitPassword, FirstOf, Closed, WaitingDecoder, Applet, Stream,
} = require('./support');

const PASSWORD = 'open sesame';

function Page(title, text) {
  return '<!DOCTYPE html>\n<html><head><title>' + title + '</title></head><body>\n'
    + '<h1 id="title">' + title + '</h1>\n<p id="text">' + text + '</p>\n'
    + '<p><a id="link" href="next.html">next</a></p>\n</body></html>\n';
}

// "EEE, dd-MMM-yyyy HH:mm:ss GMT" as a moment; hours 00 to 23 only, as browsers read it.
function ExpiryMoment(text) {
  const months = ['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec'];
  const m = /^(Sun|Mon|Tue|Wed|Thu|Fri|Sat), (\d\d)-(\w{3})-(\d{4}) ([01]\d|2[0-3]):(\d\d):(\d\d) GMT$/.exec(text);
  assert.ok(m, `expiry "${text}"`);
  const moment = Date.UTC(+m[4], months.indexOf(m[3]), +m[2], +m[5], +m[6], +m[7]);
  assert.equal(new Date(moment).toUTCString().slice(0, 3), m[1], `weekday of "${text}"`);
  return moment;
}

// The applet's lifetime: days x 24 x 60 x 60 x 1000 in single precision.
function LifetimeMs(days) {
  let f = Math.fround(days);
  for (const factor of [24, 60, 60, 1000]) f = Math.fround(f * factor);
  return Math.trunc(f);
}

describe('the published set in Chromium', () => {
  let root;
  let server;
  let browser;
  const screenshots = path.join(settings.out, 'screenshots');

  before(async () => {
    root = WorkFolder('sites-flow');
    fs.mkdirSync(screenshots, { recursive: true });
    server = await StartServer(root);
    browser = await Launch();
  });

  after(async () => {
    await browser?.close();
    await server?.Close();
  });

  it('first visit: warning lines, the prompt, a wrong password, then the page in the visitor window', async () => {
    // The tool escapes the prompt; the visitor sees it exactly as typed.
    const prompt = 'パスワードを<入力>して & "確認" \'ください\' C:\\';
    Publish(path.join(root, 'first'), 'page.html', Page('First', 'The first page, decoded.'), PASSWORD,
      ['--prompt', prompt, '--no-cookie']);
    const loader = server.Url('/first/page.html');
    const visitor = await Visitor.Create(browser);
    const release = server.Hold('/first/page.zvk');
    const { page, popup } = await visitor.Open(loader);

    const warnings = await page.locator('body').innerText();
    assert.deepEqual(warnings.split('\n').filter((line) => line !== ''), WARNING_LINES);
    const decoder = await popup;
    await decoder.waitForURL(server.Url('/first/decoder.htm'));
    release();

    await PasswordPage(page);
    assert.equal((await page.locator('body').innerText()).split('\n')[0], prompt);
    assert.equal(await page.title(), 'Vostel Nemora Decoder');
    // A reload of the password page must load the loader page, not decoder.htm.
    assert.equal(await page.evaluate(() => location.href), loader);
    await page.screenshot({ path: path.join(screenshots, 'password-page.png') });

    let seen = visitor.dialogs.length;
    await SubmitPassword(page, 'wrong password');
    assert.equal(await visitor.NextDialog(seen), 'パスワードが違います');
    await page.waitForFunction(() => document.activeElement && document.activeElement.name === 'Pass');
    assert.equal(await page.locator('input[name="Pass"]').inputValue(), '');
    assert.ok(!decoder.isClosed());

    seen = visitor.dialogs.length;
    await SubmitPassword(page, PASSWORD);
    await page.locator('#text').waitFor();
    assert.equal(await page.locator('#text').innerText(), 'The first page, decoded.');
    assert.equal(await page.title(), 'First');
    // Written into a document of its own: its doctype holds, nothing of the loader stays.
    assert.deepEqual(await page.evaluate(() => [document.compatMode, document.scripts.length]),
      ['CSS1Compat', 0]);
    assert.equal(await page.evaluate(() => location.href), loader);
    assert.equal(await page.locator('#link').evaluate((a) => a.href), server.Url('/first/next.html'));
    await Closed(decoder);
    assert.equal(visitor.dialogs.length, seen, 'no cookie question without a keyword');
    assert.deepEqual(visitor.cookieWrites, []);
    await page.screenshot({ path: path.join(screenshots, 'decoded-page.png') });
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  it('the decoder page opened directly says what it is', async () => {
    Publish(path.join(root, 'direct'), 'page.html', Page('Direct', 'Never shown.'), PASSWORD);
    const visitor = await Visitor.Create(browser);
    const page = await visitor.context.newPage();
    await page.goto(server.Url('/direct/decoder.htm'));
    await page.getByText('このページはVostel Nemoraのデコーダーです。').waitFor();
    // No Source without a loader page: every check gives error 0.
    assert.deepEqual(await page.evaluate(() => [window.scriptDecoder.CheckPassword(''), window.nState]), [0, 3]);
    assert.deepEqual(visitor.dialogs, []);
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  describe('the cookie', () => {
    const cases = [
      // options, answer to the question (none: not asked), lifetime in days (0: no expiry)
      { name: 'session', options: ['--cookie-days', 'session'], answer: null, days: 0 },
      { name: 'days', options: ['--cookie-days', '1.5'], answer: null, days: 1.5 },
      { name: 'unlimited', options: ['--cookie-days', 'unlimited'], answer: null, days: 99999 },
      { name: 'confirmed', options: ['--cookie-days', '7', '--confirm'], answer: true, days: 7 },
      { name: 'declined', options: ['--cookie-days', '7', '--confirm'], answer: false, days: 0 },
    ];
    for (const c of cases) {
      it(`${c.name}: written as asked, and the second visit opens without asking`, async () => {
        const folder = `cookie-${c.name}`;
        Publish(path.join(root, folder), 'page.html', Page('Cookie', `Remembered: ${c.name}`), PASSWORD,
          ['--cookie-key', 'my key', ...c.options]);
        const visitor = await Visitor.Create(browser);
        if (c.answer !== null) visitor.answers.push(c.answer);
        const { page, popup } = await visitor.Open(server.Url(`/${folder}/page.html`));
        await PasswordPage(page);
        const before = Date.now();
        await SubmitPassword(page, PASSWORD);
        await page.locator('#text').waitFor();
        const afterward = Date.now();
        await Closed(await popup);

        const questions = visitor.dialogs.filter((d) => d.type === 'confirm').map((d) => d.message);
        assert.deepEqual(questions, c.answer === null ? [] : ['パスワードを保存しますか']);
        assert.equal(visitor.cookieWrites.length, 1);
        const m = /^my\+key=([A-P]{16})(?:;expires=(.*))?$/.exec(visitor.cookieWrites[0]);
        assert.ok(m, `cookie text "${visitor.cookieWrites[0]}"`);
        const [stored] = await visitor.context.cookies(server.Url(`/${folder}/decoder.htm`));
        assert.equal(stored.name, 'my+key');
        assert.equal(stored.value, m[1]);
        assert.equal(stored.path, `/${folder}`);
        if (c.days === 0) {
          assert.equal(m[2], undefined, 'no expiry attribute');
          assert.equal(stored.expires, -1, 'kept until the browser closes');
        } else {
          const expiry = ExpiryMoment(m[2]);
          const lifetime = LifetimeMs(c.days);
          assert.ok(expiry >= Math.floor(before / 1000) * 1000 + lifetime - 1000
            && expiry <= afterward + lifetime, `expiry ${m[2]} for ${c.days} days`);
          assert.ok(stored.expires > afterward / 1000 + Math.min(c.days, 399) * 86400 - 86400,
            `the browser keeps it (expires ${stored.expires})`);
        }

        const second = await visitor.Open(server.Url(`/${folder}/page.html`));
        assert.equal(await FirstOf(second.page, ['#text', 'input[name="Pass"]']), 0,
          'decoded without the password page');
        assert.equal(await second.page.locator('#text').innerText(), `Remembered: ${c.name}`);
        await Closed(await second.popup);
        visitor.AssertNoScriptErrors();
        await visitor.Close();
      });
    }

    it('a cookie made under another folder address is refused', async () => {
      for (const folder of ['home', 'copy']) {
        Publish(path.join(root, folder), 'page.html', Page('Moved', 'The same page twice.'), PASSWORD,
          ['--cookie-key', 'my key', '--cookie-days', '7']);
      }
      const visitor = await Visitor.Create(browser);
      const first = await visitor.Open(server.Url('/home/page.html'));
      await PasswordPage(first.page);
      await SubmitPassword(first.page, PASSWORD);
      await first.page.locator('#text').waitFor();
      const [made] = await visitor.context.cookies(server.Url('/home/decoder.htm'));
      await visitor.context.addCookies([{ ...made, path: '/copy' }]);

      const { page, popup } = await visitor.Open(server.Url('/copy/page.html'));
      assert.equal(await FirstOf(page, ['#text', 'input[name="Pass"]']), 1, 'asked for the password');
      const decoder = await WaitingDecoder(await popup);
      assert.ok((await decoder.evaluate(() => document.cookie)).includes(`my+key=${made.value}`),
        'the cookie reached the decoder');
      await SubmitPassword(page, PASSWORD);
      await page.locator('#text').waitFor();
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    });
  });

  it('cancel shows that the page could not be opened, and the decoder window closes', async () => {
    Publish(path.join(root, 'cancel'), 'page.html', Page('Cancel', 'Never shown.'), PASSWORD);
    const visitor = await Visitor.Create(browser);
    const { page, popup } = await visitor.Open(server.Url('/cancel/page.html'));
    await PasswordPage(page);
    await page.locator('input[type="reset"]').click();
    await page.getByText('このページは開くことができませんでした。').waitFor();
    assert.equal((await page.locator('body').innerText()).trim(), 'このページは開くことができませんでした。');
    assert.equal(await page.evaluate(() => document.scripts.length), 0, 'the loader page was replaced');
    await Closed(await popup);
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  it('a missing data file shows error 2 and closes the decoder window', async () => {
    Publish(path.join(root, 'missing'), 'page.html', Page('Missing', 'Never shown.'), PASSWORD);
    fs.rmSync(path.join(root, 'missing', 'page.zvk'));
    const visitor = await Visitor.Create(browser);
    const { page, popup } = await visitor.Open(server.Url('/missing/page.html'));
    assert.equal(await visitor.NextDialog(0), ERROR_MESSAGES[2]);
    await Closed(await popup);
    assert.deepEqual((await page.locator('body').innerText()).split('\n').filter((l) => l !== ''),
      WARNING_LINES);
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  describe('character codes', () => {
    // Passwords hold characters that code page 932 writes one way only (the
    // tool's conversion): the script decoder must make the same bytes.
    const cases = [
      { name: 'shift_jis', charset: 'CP932', text: '日本語のページです。①ｶﾀｶﾅ＆～', password: 'パスワード〜' },
      { name: 'iso-8859-1', charset: 'ISO-8859-1', text: 'Grüße aus Köln: ½ café, ¿sí?', password: 'Strasse ¥¬' },
      { name: 'iso-2022-jp', charset: 'ISO-2022-JP', text: '日本語のページ、漢字とかな。', password: '−—‖' },
      { name: 'cseucpkdfmtjapanese', charset: 'EUC-JP', text: '日本語のページ、表示と能力。', password: '¢£ﾊﾟｽ' },
      { name: 'UTF8', charset: 'UTF-8', text: '日本語のページ 🍣 中文 한국어', password: '秘密の合言葉' },
    ];
    for (const c of cases) {
      it(`a page in ${c.name} shows its text`, async () => {
        const folder = `code-${c.name}`;
        Publish(path.join(root, folder), 'page.html', Encode(Page('Code', c.text), c.charset), c.password,
          ['--encoding', c.name, '--no-cookie']);
        const visitor = await Visitor.Create(browser);
        const { page, popup } = await visitor.Open(server.Url(`/${folder}/page.html`));
        await PasswordPage(page);
        await SubmitPassword(page, c.password);
        await page.locator('#text').waitFor();
        assert.equal(await page.locator('#text').innerText(), c.text);
        await Closed(await popup);
        visitor.AssertNoScriptErrors();
        await visitor.Close();
      });
    }

    it('an encoding the browser does not know gives error 5 after the password', async () => {
      // nemora-cli refuses to name such an encoding: the applet's own cipher
      // writes the data file of a page that names one.
      const folder = Publish(path.join(root, 'code-unknown'), 'page.html', Page('Code', 'Never shown.'),
        PASSWORD, ['--no-cookie']);
      const applet = new Applet(path.join(folder, 'decoder.jar'), 'oracle-flow');
      fs.writeFileSync(path.join(folder, 'page.zvk'),
        applet.Encipher(PASSWORD, Stream(12, 'x-no-such-code', 'Never shown.    ')));
      const visitor = await Visitor.Create(browser);
      const { page, popup } = await visitor.Open(server.Url('/code-unknown/page.html'));
      await PasswordPage(page);
      const seen = visitor.dialogs.length;
      await SubmitPassword(page, PASSWORD);
      assert.equal(await visitor.NextDialog(seen), ERROR_MESSAGES[5]);
      await Closed(await popup);
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    });
  });

  describe('where the browser keeps the decoder from the visitor\'s page', () => {
    // A page opened from disk is an origin of its own: the decoder window
    // could neither read it nor fetch the data file, and would wait for ever.
    const fromDisk = [
      ['with the comment blocks', []],
      ['without them', ['--no-comment']],
    ];
    for (const [name, options] of fromDisk) {
      it(`opened from a folder on disk (${name}): the visitor's window says why, no decoder window`, async () => {
        const folder = `disk${options.join('')}`;
        Publish(path.join(root, folder), 'page.html', Page('Disk', 'Never shown.'), PASSWORD,
          ['--no-cookie', ...options]);
        const visitor = await Visitor.Create(browser);
        const { page } = await visitor.Open(pathToFileURL(path.join(root, folder, 'page.html')).href);
        const lines = [
          'このページはWebサーバーから開いてください。',
          'ファイルとして直接開くと、ブラウザーの制限によりページを展開できません。',
        ];
        await page.getByText(lines[0]).waitFor();
        assert.deepEqual((await page.locator('body').innerText()).split('\n').filter((l) => l !== ''), lines);
        await page.waitForFunction(() => document.readyState === 'complete');
        assert.equal(visitor.context.pages().length, 1, 'no decoder window');
        assert.deepEqual(visitor.dialogs, []);
        visitor.AssertNoScriptErrors();
        await visitor.Close();
      });
    }

    it('a decoder page on another site: the decoder says why and closes', async () => {
      const other = await StartServer(root);
      try {
        Publish(path.join(root, 'elsewhere'), 'page.html', Page('Elsewhere', 'Never shown.'), PASSWORD,
          ['--no-cookie']);
        const loaderFile = path.join(root, 'elsewhere', 'page.html');
        const loader = fs.readFileSync(loaderFile, 'latin1');
        const line = 'var urlDecoder = "decoder.htm";';
        assert.ok(loader.includes(line));
        fs.writeFileSync(loaderFile,
          loader.replace(line, `var urlDecoder = "${other.Url('/elsewhere/decoder.htm')}";`), 'latin1');
        const visitor = await Visitor.Create(browser);
        const { popup } = await visitor.Open(server.Url('/elsewhere/page.html'));
        assert.equal(await visitor.NextDialog(0), 'デコーダーからページを読むことができないため、展開できません。\n'
          + 'ページはWebサーバーから開き、decoder.htm はページと同じサイトに置いてください。');
        await Closed(await popup);
        visitor.AssertNoScriptErrors();
        await visitor.Close();
      } finally {
        await other.Close();
      }
    });
  });

  it('a page of about 5 MB decodes (time printed)', async () => {
    const words = ['<b>bold</b> ', 'the ', 'page ', 'locked ', 'ページ', '暗号', 'データ', '展開 ',
      '<a href="index.html">link</a> ', 'Nemora ', 'decoder ', '12345 ', 'é', '\n'];
    let state = 20240501;
    const random = (n) => {
      state = (state * 1103515245 + 12345) % 2147483648;
      return state % n;
    };
    const parts = ['<!DOCTYPE html>\n<html><head><title>Large</title></head><body>\n'];
    let size = parts[0].length;
    let paragraphs = 0;
    while (size < 5 * 1000 * 1000) {
      let p = `<p class="n">${paragraphs++} `;
      for (let i = 0; i < 40; i++) p += words[random(words.length)] + (random(30) === 0 ? random(1e9) : '');
      p += '</p>\n';
      parts.push(p);
      size += Buffer.byteLength(p);
    }
    parts.push('<p id="text">the end</p>\n</body></html>\n');
    const text = parts.join('');
    const bytes = Buffer.from(text, 'utf8');
    Publish(path.join(root, 'large'), 'page.html', bytes, PASSWORD, ['--encoding', 'UTF8', '--no-cookie']);

    const visitor = await Visitor.Create(browser);
    const { page, popup } = await visitor.Open(server.Url('/large/page.html'));
    await PasswordPage(page);
    const decoder = await WaitingDecoder(await popup);
    const direct = await decoder.evaluate((password) => {
      const start = performance.now();
      const checked = window.scriptDecoder.CheckPassword(password);
      const decoded = window.scriptDecoder.Decode();
      const source = window.scriptDecoder.GetSource();
      return { checked, decoded, source, ms: performance.now() - start };
    }, PASSWORD);
    assert.equal(direct.checked, -1);
    assert.equal(direct.decoded, -1);
    assert.ok(direct.source === text, 'the decoded text is the page');

    const start = Date.now();
    await SubmitPassword(page, PASSWORD);
    await page.locator('#text').waitFor({ timeout: 120000 });
    const shown = Date.now() - start;
    assert.equal(await page.locator('p.n').count(), paragraphs);
    const megabytes = (bytes.length / 1e6).toFixed(1);
    const dataMegabytes = (fs.statSync(path.join(root, 'large', 'page.zvk')).size / 1e6).toFixed(1);
    console.log(`# ${megabytes} MB page (${dataMegabytes} MB data file): script decoder check + decode + text `
      + `${direct.ms.toFixed(0)} ms; OK to page shown ${shown} ms`);
    await Closed(decoder);
    visitor.AssertNoScriptErrors();
    await visitor.Close();
  });

  it('a blocked decoder window: a clear line and a link that opens it, then the visit goes on', async () => {
    // Without the comment blocks too: the script decoder lies outside them.
    Publish(path.join(root, 'blocked'), 'page.html', Page('Blocked', 'Opened after the click.'), PASSWORD,
      ['--no-cookie', '--no-comment']);
    const blocking = await Launch({ popupBlocking: true });
    try {
      const visitor = await Visitor.Create(blocking);
      const { page, popup } = await visitor.Open(server.Url('/blocked/page.html'));
      const line = 'デコーダーのウィンドウがブラウザーに止められました。ここをクリックしてデコーダーを開いてください。';
      await page.waitForFunction(() => document.readyState === 'complete');
      assert.equal((await page.locator('body').innerText()).trim(), line);
      assert.equal(visitor.context.pages().length, 1, 'no decoder window yet');

      await page.getByText('ここ').click();
      const decoder = await popup;
      await PasswordPage(page);
      await SubmitPassword(page, PASSWORD);
      await page.locator('#text').waitFor();
      assert.equal(await page.locator('#text').innerText(), 'Opened after the click.');
      await Closed(decoder);
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    } finally {
      await blocking.close();
    }
  });
});
