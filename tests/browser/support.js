'use strict';
// What the browser tests share: sets published by the real nemora-cli, a
// static HTTP server on 127.0.0.1 that the test starts and stops, Chromium
// driven by playwright-core, the visitor's side of the page flow, and the
// applet's own answers (AppletOracle on the JVM, over the published decoder.jar).

const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { chromium } = require('playwright-core');
const { CHROMIUM_FLAGS, StartServer } = require('./server');

const settings = {
  cli: Required('NEMORA_CLI'),
  chromium: Required('NEMORA_CHROMIUM'),
  java: Required('NEMORA_JAVA'),
  javac: Required('NEMORA_JAVAC'),
  out: Required('NEMORA_TEST_OUT'),
};

function Required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set; run the tests through run.js (ctest)`);
  return value;
}


const TIMEOUT = 15000;

const WARNING_LINES = [
  '左上に出るデコーダーのウィンドウは閉じないよう注意してください。',
  'デコーダーを閉じてしまうと暗号化されているページを展開することが出来ません。',
  '閉じてしまった場合はここをクリックしてください。',
];

const ERROR_MESSAGES = [
  'データファイルのURLの指定が間違っています。',
  'データファイルにアクセスできません。',
  'データファイルを開けません。',
  'データファイルの読込に失敗しました。',
  'パスワードが違います',
  '使用されている文字コードに対応していません。',
];

// A fresh folder under the build folder for one test file's sets.
function WorkFolder(name) {
  const dir = path.join(settings.out, name);
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir, { recursive: true });
  return dir;
}

// The classic form, which most cases visit, unless the options name the
// strong one.
function FormOf(options) {
  return options.includes('--strong') ? [] : ['--classic'];
}

// Publishes `page` (bytes or UTF-8 text) as FOLDER/NAME with nemora-cli.
function Publish(folder, name, page, password, options = []) {
  const sources = path.join(path.dirname(folder), '.pages', path.basename(folder));
  fs.mkdirSync(sources, { recursive: true });
  const pageFile = path.join(sources, name);
  fs.writeFileSync(pageFile, page);
  const result = spawnSync(
    settings.cli,
    ['lock', pageFile, '-o', folder, '--password-stdin', ...options, ...FormOf(options)],
    { input: `${password}\n`, encoding: 'utf8' });
  assert.equal(result.status, 0,
    `nemora-cli lock ${name} failed (${result.status}): ${result.stderr}${result.stdout}`);
  return folder;
}

// Page bytes in an encoding that iconv knows.
function Encode(text, charset) {
  return charset === 'UTF-8' ? Buffer.from(text, 'utf8')
    : execFileSync('iconv', ['-f', 'UTF-8', '-t', charset], { input: text });
}


// Chromium as the tests' browser; popup blocking stays on only when asked,
// since playwright turns it off by default.
function Launch({ popupBlocking = false, args = [] } = {}) {
  return chromium.launch({
    executablePath: settings.chromium,
    args: [...CHROMIUM_FLAGS, ...args],
    ignoreDefaultArgs: popupBlocking ? ['--disable-popup-blocking'] : [],
  });
}

// A visitor: a browser context that answers dialogs (alerts accepted,
// confirmations from `answers`, else yes), records them, every text assigned
// to document.cookie and every script error of every window.
class Visitor {
  static async Create(browser) {
    const visitor = new Visitor(await browser.newContext());
    await visitor.context.exposeBinding('nemoraCookieWritten', (source, text) => {
      visitor.cookieWrites.push(text);
    });
    await visitor.context.addInitScript(() => {
      const cookie = Object.getOwnPropertyDescriptor(Document.prototype, 'cookie');
      Object.defineProperty(Document.prototype, 'cookie', {
        configurable: true,
        get() { return cookie.get.call(this); },
        set(text) {
          window.nemoraCookieWritten(String(text));
          cookie.set.call(this, text);
        },
      });
    });
    return visitor;
  }

  constructor(context) {
    this.context = context;
    this.context.setDefaultTimeout(TIMEOUT);
    this.dialogs = [];
    this.answers = [];
    this.cookieWrites = [];
    this.errors = [];
    context.on('dialog', (dialog) => {
      this.dialogs.push({ type: dialog.type(), message: dialog.message() });
      const answer = dialog.type() === 'confirm' && this.answers.length > 0 ? this.answers.shift() : true;
      (answer ? dialog.accept() : dialog.dismiss()).catch(() => {});
    });
    context.on('weberror', (error) => this.errors.push(String(error.error())));
  }

  // The message of the first dialog after the first `seen` ones.
  async NextDialog(seen) {
    const until = Date.now() + TIMEOUT;
    while (this.dialogs.length <= seen) {
      if (Date.now() > until) throw new Error('no dialog appeared');
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
    return this.dialogs[seen].message;
  }

  // Opens the loader page in a new tab; `popup` is the decoder window once
  // the page opens it (never, while the browser blocks it).
  async Open(url) {
    const page = await this.context.newPage();
    const popup = page.waitForEvent('popup', { timeout: 0 });
    popup.catch(() => {});
    await page.goto(url);
    return { page, popup };
  }

  AssertNoScriptErrors() {
    assert.deepEqual(this.errors, [], 'script errors in the pages');
  }

  Close() {
    return this.context.close();
  }
}

// The password page: the form InputPass written into the visitor window.
async function PasswordPage(page) {
  await page.locator('form[name="InputPass"] input[name="Pass"]').waitFor();
}

async function SubmitPassword(page, password) {
  await page.locator('input[name="Pass"]').fill(password);
  await page.locator('input[type="submit"]').click();
}

// Waits for the first of the selectors and returns its index.
async function FirstOf(page, selectors) {
  const found = await page.locator(selectors.join(', ')).first().elementHandle();
  for (let i = 0; i < selectors.length; i++) {
    if (await found.evaluate((element, selector) => element.matches(selector), selectors[i])) return i;
  }
  throw new Error('none of the selectors matched');
}

async function Closed(popup) {
  if (!popup.isClosed()) await popup.waitForEvent('close', { timeout: TIMEOUT });
}

// The decoder window once its decoder is waiting for the password.
async function WaitingDecoder(popup) {
  await popup.waitForFunction(() => window.nState === 1 && window.scriptDecoder != null);
  return popup;
}

// Calls the script decoder's methods in the decoder window, at `now`, and
// returns each result as text ("" for none), as AppletOracle answers.
async function ScriptCalls(visitor, decoderWindow, calls, now) {
  await visitor.context.clock.setFixedTime(now);
  return decoderWindow.evaluate((calls) => calls.map(([method, ...args]) => {
    const result = window.scriptDecoder[method](...args);
    return result === undefined ? '' : String(result);
  }), calls);
}

// A plain stream: header, character-code block and body (Latin-1 text).
function Stream(length, name, body) {
  const header = Buffer.alloc(8);
  header.write('KZUT', 0, 'latin1');
  header.writeUInt32LE(length >>> 0, 4);
  const nameBytes = Buffer.from(name, 'latin1');
  let block = nameBytes.subarray(0, 256);
  if (nameBytes.length < 256) {
    block = Buffer.alloc(8 * (Math.floor(nameBytes.length / 8) + 1));
    nameBytes.copy(block);
  }
  return Buffer.concat([header, block, Buffer.from(body, 'latin1')]);
}

// The applet's classes from a published decoder.jar, asked through AppletOracle.
class Applet {
  // `folder` keeps the compiled classes of test files that run side by side apart.
  constructor(jar, folder = 'oracle-classes') {
    this.jar = jar;
    this.classes = path.join(settings.out, folder);
    fs.rmSync(this.classes, { recursive: true, force: true });
    execFileSync(settings.javac, ['-encoding', 'UTF-8', '-nowarn', '-cp', jar, '-d', this.classes,
      path.join(__dirname, 'AppletOracle.java')], { stdio: 'inherit' });
  }

  // Answers requests (arrays of fields: text, or Buffer for bytes), one array each.
  Ask(requests) {
    const input = requests.map(([command, ...fields]) => [command, ...fields.map((field) =>
      (Buffer.isBuffer(field) ? field : Buffer.from(field, 'utf8')).toString('base64'))].join('\t'))
      .join('\n') + '\n';
    const output = execFileSync(settings.java,
      ['-Xmx512m', '-cp', `${this.jar}${path.delimiter}${this.classes}`, 'AppletOracle'],
      { input, maxBuffer: 1 << 28 }).toString('ascii');
    return output.split('\n').slice(0, requests.length).map((line) =>
      line.split('\t').map((field) => Buffer.from(field, 'base64')));
  }

  // The applet's results for the same calls as ScriptCalls, on `data`.
  Calls(data, codeBase, keyword, now, calls) {
    return this.Runs([{ data, codeBase, keyword, now, calls }])[0];
  }

  // Several such runs in one start of the JVM.
  Runs(runs) {
    const requests = runs.map(({ data, codeBase, keyword, now, calls }) => ['run', data, codeBase,
      keyword === null ? '\u0002' : keyword, String(now),
      ...calls.map((call) => call.map((part) => (part === null ? '\u0002' : String(part))).join('\u0001'))]);
    return this.Ask(requests).map((answers) => answers.map((answer) => answer.toString('utf8')));
  }

  Encipher(password, plain) {
    return this.Ask([['encipher', password, plain]])[0][0];
  }
}

module.exports = {
  settings,
  TIMEOUT,
  WARNING_LINES,
  ERROR_MESSAGES,
  WorkFolder,
  FormOf,
  Publish,
  Encode,
  StartServer,
  Launch,
  Visitor,
  PasswordPage,
  SubmitPassword,
  FirstOf,
  Closed,
  WaitingDecoder,
  ScriptCalls,
  Applet,
  Stream,
};
