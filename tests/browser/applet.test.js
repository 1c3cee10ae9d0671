'use strict';
// The script decoder against the applet: the same calls on the same data
// file give the same results, the same cookies for the same address, keyword
// and password, and the same decoding of streams the tool never writes. The
// applet's answers come from its own classes in the published decoder.jar.

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, describe, it } = require('node:test');
const {
  TIMEOUT, ERROR_MESSAGES, WorkFolder, Publish, StartServer, Launch, Visitor, FirstOf, ScriptCalls,
  Applet, Stream,
} = require('./support');
const { MalformedStreams } = require('../fixtures/malformed-streams');

// Bytes above 0x7F make the applet's key (sums modulo 256) differ from the
// tool's (modulo 128) in its top bits, which the cookie carries.
const PASSWORD = 'パスワード';
const KEYWORD = 'my key';
const PAGE = '<!DOCTYPE html>\n<html><body><p id="text">比べるページ</p></body></html>\n';

// Moments for the cookie's expiry; the second puts whole days after midnight GMT.
const MOMENTS = [
  Date.UTC(2025, 0, 15, 9, 30, 12, 345),
  Date.UTC(2025, 5, 30, 0, 10, 0, 0),
  Date.UTC(2031, 11, 31, 23, 59, 59, 999),
];

// The applet writes the hour after midnight as 24 (on the same date), which
// browsers refuse, so the script decoder writes 00 there: the same moment.
function AssertSameCookie(script, applet, what) {
  assert.equal(script, applet.replace(/( \d\d-\w{3}-\d{4}) 24:/, '$1 00:'), what);
}

function AssertSameResults(script, applet, calls) {
  assert.equal(script.length, calls.length);
  for (let i = 0; i < calls.length; i++) {
    const what = `call ${i}: ${JSON.stringify(calls[i])}`;
    if (calls[i][0] === 'GetCookie') AssertSameCookie(script[i], applet[i], what);
    else assert.equal(script[i], applet[i], what);
  }
}

describe('the script decoder and the applet', () => {
  let root;
  let server;
  let browser;
  let applet;
  let data;
  let codeBase;
  const visitors = [];

  before(async () => {
    root = WorkFolder('sites-applet');
    Publish(path.join(root, 'cmp'), 'page.html', Buffer.from(PAGE, 'utf8'), PASSWORD,
      ['--cookie-key', KEYWORD, '--cookie-days', '7', '--encoding', 'UTF8']);
    data = fs.readFileSync(path.join(root, 'cmp', 'page.zvk'));
    applet = new Applet(path.join(root, 'cmp', 'decoder.jar'));
    server = await StartServer(root);
    codeBase = server.Url('/cmp/');
    browser = await Launch();
  });

  after(async () => {
    for (const visitor of visitors) await visitor.Close();
    await browser?.close();
    await server?.Close();
  });

  // A new visit to `folder`: the decoder window waiting for the password
  // (a fresh script decoder), or the message its check showed instead.
  async function Visit(folder) {
    const visitor = await Visitor.Create(browser);
    visitors.push(visitor);
    const { page, popup } = await visitor.Open(server.Url(`/${folder}/page.html`));
    const decoder = await popup;
    for (const until = Date.now() + TIMEOUT; Date.now() < until;) {
      if (visitor.dialogs.length > 0) return { visitor, page, message: visitor.dialogs[0].message };
      const waiting = await decoder.evaluate(() => window.nState === 1 && window.scriptDecoder != null)
        .catch(() => false);
      if (waiting) return { visitor, page, decoder };
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
    throw new Error(`the decoder of ${folder} neither waits for the password nor shows an error`);
  }

  it('the public methods give the applet\'s results, call for call', async () => {
    const calls = [
      ['IsCookieEnabled'],
      ['CheckCookie', null],
      ['CheckCookie', 'my+key=AAAAAAAAAAAAAAAA'],
      ['CheckCookie', 'a=1; my+key=ABCD; b=2'],
      ['Decode'],
      ['GetSource'],
      ['GetCookie', null, 1],
      ['CheckPassword', 'wrong'],
      ['CheckPassword', null],
      ['CheckPassword', PASSWORD],
      ['GetCookie'],
      ['GetCookie', null, 1.5],
      ['GetCookie'],
      ['GetCookie', null],
      ['Decode'],
      ['GetSource'],
      ['Decode'],
      ['GetSource'],
      ['GetCookie', 'other key', -1],
      ['CheckCookie', null, KEYWORD],
      ['Decode'],
      ['CheckPassword', PASSWORD],
      ['Clear'],
      ['IsCookieEnabled'],
      ['GetSource'],
      ['Decode'],
      ['GetCookie', 'kw', 1],
      ['GetCookie', '', 1],
    ];
    const { visitor, decoder } = await Visit('cmp');
    const script = await ScriptCalls(visitor, decoder, calls, MOMENTS[0]);
    const reference = applet.Calls(data, codeBase, KEYWORD, MOMENTS[0], calls);
    AssertSameResults(script, reference, calls);
    assert.equal(script[15], PAGE);
    visitor.AssertNoScriptErrors();
  });

  it('the same cookie from both for the same address, keyword and password', async () => {
    const keywords = [KEYWORD, 'Key', 'a-b_c.d*', '%+=;~', 'パス ワード', '日本', '«»·¯', '𠮷野家', ''];
    const lifetimes = [0, 1.5, 7, 0.0001, -1, 36500];
    const calls = [['CheckPassword', PASSWORD]];
    for (const keyword of keywords) {
      for (const days of lifetimes) calls.push(['GetCookie', keyword, days]);
    }
    const { visitor, decoder } = await Visit('cmp');
    for (const now of MOMENTS) {
      const script = await ScriptCalls(visitor, decoder, calls, now);
      const reference = applet.Calls(data, codeBase, KEYWORD, now, calls);
      AssertSameResults(script, reference, calls);
      assert.match(script[1], /^my\+key=[A-P]{16}$/);
    }
    visitor.AssertNoScriptErrors();
  });

  it('each accepts the other\'s cookie, and the applet\'s cookie opens the page', async () => {
    const keyword = 'パス ワード';
    const make = [['CheckPassword', PASSWORD], ['GetCookie', keyword, 0]];
    const { visitor, decoder } = await Visit('cmp');
    const [, fromScript] = await ScriptCalls(visitor, decoder, make, MOMENTS[0]);
    const [, fromApplet] = applet.Calls(data, codeBase, KEYWORD, MOMENTS[0], make);
    const check = (cookie) => [['CheckCookie', `x=1; ${cookie}; y=2`, keyword], ['Decode']];
    assert.deepEqual(applet.Calls(data, codeBase, KEYWORD, MOMENTS[0], check(fromScript)), ['-1', '-1']);
    assert.deepEqual(await ScriptCalls(visitor, decoder, check(fromApplet), MOMENTS[0]), ['-1', '-1']);
    // Not under another address.
    assert.deepEqual(applet.Calls(data, server.Url('/copy/'), KEYWORD, MOMENTS[0], check(fromScript)),
      ['4', '4']);

    const [, cookie] = applet.Calls(data, codeBase, KEYWORD, Date.now(), [['CheckPassword', PASSWORD],
      ['GetCookie', null, 7]]);
    const [name, value] = cookie.split(';')[0].split('=');
    const reader = await Visitor.Create(browser);
    visitors.push(reader);
    await reader.context.addCookies([{ name, value, domain: '127.0.0.1', path: '/cmp' }]);
    const { page, popup } = await reader.Open(server.Url('/cmp/page.html'));
    assert.equal(await FirstOf(page, ['#text', 'input[name="Pass"]']), 0, 'opened without the password');
    assert.equal(await page.locator('#text').innerText(), '比べるページ');
    await popup;
    reader.AssertNoScriptErrors();
  });

  it('keywords become the same bytes, character by character, over the whole BMP', async () => {
    const characters = [];
    for (let c = 0x21; c < 0x10000; c++) {
      if (c < 0xD800 || c > 0xDFFF) characters.push(String.fromCharCode(c));
    }
    const calls = [['CheckPassword', PASSWORD], ['GetCookie', characters.join(' '), 0]];
    const { visitor, decoder } = await Visit('cmp');
    const [, script] = await ScriptCalls(visitor, decoder, calls, MOMENTS[0]);
    const [, reference] = applet.Calls(data, codeBase, KEYWORD, MOMENTS[0], calls);
    const scriptBytes = script.slice(0, script.lastIndexOf('=')).split('+');
    const appletBytes = reference.slice(0, reference.lastIndexOf('=')).split('+');
    assert.equal(scriptBytes.length, characters.length);
    assert.equal(appletBytes.length, characters.length);

    // Characters the tool writes one way that the applet's library leaves
    // out: the script decoder follows the tool, so such passwords open.
    const toolOnly = { '\u2014': '%81%5c', '\u2016': '%81a', '\u2212': '%81%7c', '\u301C': '%81%60' };
    const differing = [];
    for (let i = 0; i < characters.length; i++) {
      const expected = toolOnly[characters[i]];
      if (expected) {
        assert.equal(scriptBytes[i], expected, `U+${characters[i].charCodeAt(0).toString(16)}`);
        assert.ok(appletBytes[i] === expected || appletBytes[i] === '%3f');
      } else if (scriptBytes[i] !== appletBytes[i]) {
        differing.push(`U+${characters[i].charCodeAt(0).toString(16)}: ${scriptBytes[i]} ${appletBytes[i]}`);
      }
    }
    assert.deepEqual(differing, []);
    visitor.AssertNoScriptErrors();
  });

  it('streams the tool never writes decode alike: the shared malformed streams, copies on the groups\' edges', async () => {
    const password = 'pw';
    // name, plain stream, expected result of the check or of Decode: the
    // table every reader's tests share, then copies on the groups' edges.
    const cases = MalformedStreams().map((row) => [row.name, row.stream, row.classic]);
    // A copy token starting at body offsets 58 to 66 lies in the first group
    // of 64 bytes, straddles it or starts the second.
    for (let start = 58; start <= 66; start++) {
      let body = '';
      for (let i = 0; i < start; i++) body += String.fromCharCode(97 + (i % 26));
      body += '\0\x07\0\x06';
      while (body.length % 8 !== 0) body += ' ';
      cases.push([`a copy at ${start}`, Stream(start + 6, 'UTF8', body), -1]);
    }
    const enciphered = applet.Ask(cases.map(([, plain]) => ['encipher', password, plain]))
      .map(([bytes]) => bytes);

    const loader = fs.readFileSync(path.join(root, 'cmp', 'page.html'));
    const decoderPage = fs.readFileSync(path.join(root, 'cmp', 'decoder.htm'));
    const calls = [['CheckPassword', password], ['Decode'], ['GetSource'], ['Decode'], ['GetSource']];
    const references = applet.Runs(enciphered.map((bytes, i) => ({
      data: bytes, codeBase: server.Url(`/crafted/${i}/`), keyword: KEYWORD, now: MOMENTS[0], calls })));
    for (let i = 0; i < cases.length; i++) {
      const [name, , expected] = cases[i];
      const reference = references[i];
      assert.equal(Number(reference[0]) < 0 ? Number(reference[1]) : Number(reference[0]), expected, name);
      const folder = path.join(root, 'crafted', String(i));
      fs.mkdirSync(folder, { recursive: true });
      fs.writeFileSync(path.join(folder, 'page.html'), loader);
      fs.writeFileSync(path.join(folder, 'decoder.htm'), decoderPage);
      fs.writeFileSync(path.join(folder, 'page.zvk'), enciphered[i]);
      const visit = await Visit(`crafted/${i}`);
      if (visit.message !== undefined) {
        // The check that the page runs first failed already: its message.
        assert.equal(visit.message, ERROR_MESSAGES[Number(reference[0])], name);
      } else {
        const script = await ScriptCalls(visit.visitor, visit.decoder, calls, MOMENTS[0]);
        assert.deepEqual(script, reference, name);
        visit.visitor.AssertNoScriptErrors();
      }
      await visit.visitor.Close();
      visitors.splice(visitors.indexOf(visit.visitor), 1);
    }
  });
});
