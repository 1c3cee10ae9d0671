'use strict';
// The committed nemora-crypto.js is what tools/bundle-crypto.sh wrote from
// the pinned libraries: its checksum, the versions it names, its licences,
// and a plain script that reaches for nothing outside the page. Rebuilding
// and comparing byte for byte needs the npm registry and is
// `tools/bundle-crypto.sh --check`, outside the test command.

const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');
const { describe, it } = require('node:test');
const { STRONG, BUNDLE, VENDOR, LoadBundle } = require('./support');

const script = fs.readFileSync(BUNDLE);
const text = script.toString('utf8');
const manifest = JSON.parse(fs.readFileSync(path.join(VENDOR, 'package.json'), 'utf8'));
const lock = JSON.parse(fs.readFileSync(path.join(VENDOR, 'package-lock.json'), 'utf8'));
const libraries = Object.keys(manifest.dependencies).sort();

describe('the committed bundle', () => {
  // A hand edit of the script that leaves the checksum alone fails here.
  it('matches nemora-crypto.sha256', () => {
    const line = fs.readFileSync(path.join(STRONG, 'nemora-crypto.sha256'), 'utf8');
    const digest = crypto.createHash('sha256').update(script).digest('hex');
    assert.equal(line, `${digest}  nemora-crypto.js\n`);
  });

  it('names the pinned libraries and offers exactly the page\'s functions', () => {
    const { NemoraCrypto } = LoadBundle();
    assert.equal(NemoraCrypto.version, libraries.map((name) => `${name} ${manifest.dependencies[name]}`).join(', '));
    assert.deepEqual(Object.keys(NemoraCrypto).sort(),
      ['argon2id', 'blake2b', 'version', 'xchachaOpen', 'xchachaSeal']);
    assert.ok(Object.isFrozen(NemoraCrypto));
  });

  // A classic script: a module, a fetch, code built from strings or a path
  // of the machine that built it would each break the page somewhere.
  it('is a plain script that loads nothing and builds no code', () => {
    assert.doesNotThrow(() => new vm.Script(text, { filename: 'nemora-crypto.js' }));
    const FORBIDDEN = [
      /\beval\s*\(/, /\bFunction\s*\(/, /\bfetch\s*\(/, /XMLHttpRequest/, /importScripts/,
      /\bimport\s*\(/, /\brequire\s*\(/, /\bsubtle\b/, /WebSocket/,
      /\/(?:tmp|home|root|work|Users)\//, /[A-Z]:\\\\/,
    ];
    for (const pattern of FORBIDDEN) {
      assert.doesNotMatch(text, pattern);
    }
  });
});

describe('the pins', () => {
  // An exact version in package.json and an sha512 for every package in the
  // lock file: npm ci then installs nothing that was not reviewed.
  it('are exact and every locked package carries an sha512', () => {
    const pins = { ...manifest.dependencies, ...manifest.devDependencies };
    assert.deepEqual(Object.keys(pins).sort(), ['@noble/ciphers', 'esbuild', 'hash-wasm']);
    for (const [name, version] of Object.entries(pins)) {
      assert.match(version, /^\d+\.\d+\.\d+$/, name);
      assert.equal(lock.packages[`node_modules/${name}`].version, version, name);
    }
    assert.equal(lock.lockfileVersion, 3);
    for (const [where, entry] of Object.entries(lock.packages)) {
      if (where === '') continue;
      assert.match(entry.integrity ?? '', /^sha512-[A-Za-z0-9+/]{86}==$/, where);
    }
  });

  it('give every bundled library its licence in full', () => {
    const licences = fs.readFileSync(path.join(STRONG, 'THIRD-PARTY-LICENSES.txt'), 'utf8');
    const headings = [...licences.matchAll(/^={78}\n(.+)\n={78}$/gm)].map((match) => match[1]);
    assert.deepEqual(headings, libraries.map((name) => `${name} ${manifest.dependencies[name]} (MIT)`));
    assert.match(licences, /Copyright \(c\) 2022 Paul Miller/);
    assert.match(licences, /Copyright \(c\) 2020 Dani Biró/);
    assert.match(licences, /Permission is hereby granted, free of charge/);
    // The C sources behind the two WebAssembly modules carry their own terms.
    assert.match(licences, /"argon2" is built from hash-wasm's src\/argon2\.c/);
    assert.match(licences, /"blake2b" is built from hash-wasm's src\/blake2b\.c/);
  });
});
