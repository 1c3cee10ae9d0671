'use strict';
// The committed nemora-stream.js is what tools/build-wasm.sh builds from
// publish/web/strong/wasm/read-stream.c: the module it carries matches
// nemora-stream.sha256, needs nothing from the page, and, where Debian's
// clang-14 and wasm-ld-14 are installed, a rebuild gives the same bytes.

const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const { describe, it } = require('node:test');
const { STRONG } = require('./support');

const ROOT = path.join(STRONG, '..', '..', '..');
const SCRIPT = fs.readFileSync(path.join(STRONG, 'nemora-stream.js'), 'utf8');

function ModuleBytes() {
  const match = /^globalThis\.NemoraStream = '([A-Za-z0-9+/=]+)';$/m.exec(SCRIPT);
  assert.ok(match, 'nemora-stream.js holds no module');
  return Buffer.from(match[1], 'base64');
}

function Installed(program) {
  return spawnSync(program, ['--version'], { stdio: 'ignore' }).status === 0;
}

describe('the committed stream module', () => {
  // A hand edit of the script that leaves the checksum alone fails here.
  it('matches nemora-stream.sha256', () => {
    const line = fs.readFileSync(path.join(STRONG, 'nemora-stream.sha256'), 'utf8');
    const digest = crypto.createHash('sha256').update(ModuleBytes()).digest('hex');
    assert.equal(line, `${digest}  read-stream.wasm\n`);
  });

  // No imports: the page's script instantiates it with nothing.
  it('imports nothing and offers its memory and the one reader', () => {
    const module = new WebAssembly.Module(ModuleBytes());
    assert.deepEqual(WebAssembly.Module.imports(module), []);
    assert.deepEqual(WebAssembly.Module.exports(module).map((e) => `${e.kind} ${e.name}`).sort(),
      ['function read_body', 'global __heap_base', 'memory memory']);
  });

  it('is what tools/build-wasm.sh builds from its source', (t) => {
    if (!Installed('clang-14') || !Installed('wasm-ld-14')) {
      t.skip('clang-14 or wasm-ld-14 is not installed');
      return;
    }
    execFileSync(path.join(ROOT, 'tools', 'build-wasm.sh'), ['--check'], { stdio: 'pipe' });
  });
});
