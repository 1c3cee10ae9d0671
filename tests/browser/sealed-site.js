'use strict';
// Sealed sites for the browser tests: a whole site locked by nemora-cli
// lock -r, and what the tests need to look inside the output: the run's
// master key from the password and the sealed name of a site path, as the
// visitor's browser computes them (docs/strong-format.md, "Sealed sites").

const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');
const zlib = require('node:zlib');
const crypto = require('node:crypto');

const BUNDLE = path.join(__dirname, '..', '..', 'publish', 'web', 'strong', 'nemora-crypto.js');

function Crypto() {
  const context = vm.createContext({});
  vm.runInContext(fs.readFileSync(BUNDLE, 'utf8'), context, { filename: 'nemora-crypto.js' });
  return context.NemoraCrypto;
}

const NemoraCrypto = Crypto();

function Ascii(text) {
  return Uint8Array.from(Buffer.from(text, 'latin1'));
}

function Base32(bytes) {
  const digits = 'abcdefghijklmnopqrstuvwxyz234567';
  let text = '';
  let buffer = 0;
  let bits = 0;
  for (const byte of bytes) {
    buffer = ((buffer << 8) | byte) & 0xfff;
    bits += 8;
    while (bits >= 5) {
      bits -= 5;
      text += digits[(buffer >> bits) & 31];
    }
  }
  if (bits > 0) text += digits[(buffer << (5 - bits)) & 31];
  return text;
}

// Every file under `top`, as site paths ('/' between folders).
function SitePaths(top, under = '') {
  const paths = [];
  for (const entry of fs.readdirSync(path.join(top, under), { withFileTypes: true })) {
    const relative = under ? `${under}/${entry.name}` : entry.name;
    if (entry.isDirectory()) paths.push(...SitePaths(top, relative));
    else paths.push(relative);
  }
  return paths.sort();
}

// The container of a strong page written by nemora-cli.
function Container(pageFile) {
  const html = fs.readFileSync(pageFile, 'utf8');
  const data = /<script id="nemora-data"[^>]*>([^<]*)<\/script>/.exec(html);
  return data ? Buffer.from(data[1], 'base64') : null;
}

// The run's keys, from the password and a page's container header.
async function SiteKeys(pageFile, password) {
  const header = Container(pageFile);
  const master = await NemoraCrypto.argon2id(Uint8Array.from(Buffer.from(password, 'utf8')),
    header.subarray(24, 40), header.readUInt32LE(12), header.readUInt32LE(16), header.readUInt32LE(20));
  const content = await NemoraCrypto.blake2b(Ascii('Nemora sealed content key v1'), 32, master);
  const name = await NemoraCrypto.blake2b(Ascii('Nemora sealed name key v1'), 32, master);
  return {
    content,
    // The published file of a sealed site path.
    async ScriptOf(sitePath) {
      const hash = await NemoraCrypto.blake2b(Uint8Array.from(Buffer.from(sitePath, 'utf8')), 16, name);
      const sealed = Base32(hash);
      return `nemora-sealed/${sealed.slice(0, 2)}/${sealed}.js`;
    },
  };
}

// A sealed file in its script, for `bytes` at `aad`.
function SealedScript(content, name, bytes, aad) {
  const nonce = crypto.randomBytes(24);
  const sealed = NemoraCrypto.xchachaSeal(content, Uint8Array.from(nonce),
    Uint8Array.from(zlib.deflateRawSync(bytes)), aad);
  const file = Buffer.concat([Buffer.from('NEMORA-F', 'latin1'), Buffer.from([1]), nonce, Buffer.from(sealed)]);
  return `nemoraSealed("${name}","${file.toString('base64')}");\n`;
}

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.css': 'text/css; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.json': 'application/json', '.png': 'image/png', '.svg': 'image/svg+xml', '.ttf': 'font/ttf',
  '.pdf': 'application/pdf', '.txt': 'text/plain; charset=utf-8',
};

function GlobPattern(glob) {
  const source = glob.replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*\*|\*/g,
    (star) => (star === '**' ? '.*' : '[^/]*'));
  return new RegExp(`^${source}$`);
}

// Seals a site that lock -r published in the strong form into OUT: every
// file that no glob of `publics` matches is sealed under nemora-sealed/
// (pages as well, for a script that fetches them) and its clear copy
// removed, pages learn their "site" member, public pages are copied in
// clear, and the manifest lists them all.
async function SealLockedSite(site, out, password, publics = []) {
  const paths = SitePaths(site);
  const isPage = (sitePath) => /\.html?$/i.test(sitePath) && Container(path.join(out, sitePath)) !== null;
  const keys = await SiteKeys(path.join(out, paths.find(isPage)), password);
  const patterns = publics.map(GlobPattern);
  const files = {};
  for (const sitePath of paths) {
    const bytes = fs.readFileSync(path.join(site, sitePath));
    const page = isPage(sitePath);
    const entry = { type: TYPES[path.extname(sitePath).toLowerCase()] || 'application/octet-stream', size: bytes.length };
    if (page) entry.page = true;
    files[sitePath] = entry;
    if (patterns.some((pattern) => pattern.test(sitePath))) {
      entry.public = true;
      fs.writeFileSync(path.join(out, sitePath), bytes);
      continue;
    }
    const script = await keys.ScriptOf(sitePath);
    fs.mkdirSync(path.dirname(path.join(out, script)), { recursive: true });
    fs.writeFileSync(path.join(out, script), SealedScript(keys.content, path.basename(script, '.js'), bytes,
      Uint8Array.from(Buffer.from(sitePath, 'utf8'))));
    if (!page) {
      fs.rmSync(path.join(out, sitePath));
      continue;
    }
    const file = path.join(out, sitePath);
    const html = fs.readFileSync(file, 'utf8').replace(/(<script id="nemora-options"[^>]*>)([^<]*)(<\/script>)/,
      (match, open, json, close) => {
        const options = JSON.parse(json);
        options.site = { top: '../'.repeat(sitePath.split('/').length - 1), path: sitePath };
        return open + JSON.stringify(options) + close;
      });
    fs.writeFileSync(file, html);
  }
  const manifest = Buffer.from(JSON.stringify({ version: 1, files }), 'utf8');
  fs.writeFileSync(path.join(out, 'nemora-sealed', 'manifest.js'),
    SealedScript(keys.content, 'manifest', manifest, Ascii('nemora-sealed/manifest')));
  return keys;
}

module.exports = { NemoraCrypto, SitePaths, SiteKeys, SealedScript, SealLockedSite };
