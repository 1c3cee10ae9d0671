'use strict';
// The window program's "Open in Browser": a published set opened from the
// program's own page server (preview_serve runs the same server), as the
// author tries the password right after a save. Skipped without the window
// program.

const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const path = require('node:path');
const readline = require('node:readline');
const { after, before, describe, it } = require('node:test');
const {
  WorkFolder, Publish, Launch, Visitor, PasswordPage, SubmitPassword, Closed,
} = require('./support');

const PREVIEW = process.env.NEMORA_PREVIEW;
const PASSWORD = 'try it at once';
const PAGE = '<!DOCTYPE html>\n<html><head><title>Tried</title></head><body>\n'
  + '<p id="text">Opened from the program\'s own server.</p>\n</body></html>\n';

// Serves `folder`: the address the server prints, and its end.
async function Serve(folder) {
  const server = spawn(PREVIEW, [folder], { stdio: ['pipe', 'pipe', 'inherit'] });
  const origin = await new Promise((resolve, reject) => {
    readline.createInterface({ input: server.stdout }).once('line', resolve);
    server.once('exit', (code) => reject(new Error(`preview_serve ended (${code})`)));
  });
  return {
    origin,
    Stop: () => new Promise((resolve) => {
      server.once('exit', resolve);
      server.stdin.end();
    }),
  };
}

describe('a published set from the window program\'s page server',
  { skip: PREVIEW ? false : 'built without the window program' }, () => {
    let browser;
    let served;

    before(async () => {
      browser = await Launch();
    });

    after(async () => {
      await served?.Stop();
      await browser?.close();
    });

    it('the loader page asks for the password and shows the page', async () => {
      const folder = Publish(path.join(WorkFolder('preview'), 'site'), 'page.html', PAGE, PASSWORD);
      served = await Serve(folder);
      assert.match(served.origin, /^http:\/\/127\.0\.0\.1:\d+\/$/);
      const visitor = await Visitor.Create(browser);
      const { page, popup } = await visitor.Open(new URL('page.html', served.origin).href);
      const decoder = await popup;
      await PasswordPage(page);
      await SubmitPassword(page, PASSWORD);
      await page.locator('#text').waitFor();
      assert.equal(await page.locator('#text').innerText(), 'Opened from the program\'s own server.');
      await Closed(decoder);
      visitor.AssertNoScriptErrors();
      await visitor.Close();
    });
  });
