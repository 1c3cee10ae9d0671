'use strict';
// Bundles entry.js with the packages npm ci installed next to it and writes
// nemora-crypto.js, THIRD-PARTY-LICENSES.txt and nemora-crypto.sha256 to the
// folder given. Run by tools/bundle-crypto.sh from a scratch copy of this
// folder; nothing it writes depends on that folder's path or on the time.
//
//   node build.js OUT_FOLDER

const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

const outDir = process.argv[2];
if (!outDir) {
  console.error('build.js: the output folder is missing');
  process.exit(2);
}

function readJson(file) {
  return JSON.parse(fs.readFileSync(file, 'utf8'));
}

function fail(message) {
  console.error(`build.js: ${message}`);
  process.exit(1);
}

// A range in package.json would let the lock file and the pins drift apart;
// a package npm resolved differently would bundle code nobody reviewed.
const manifest = readJson(path.join(__dirname, 'package.json'));
const pins = { ...manifest.dependencies, ...manifest.devDependencies };
for (const [name, version] of Object.entries(pins)) {
  if (!/^\d+\.\d+\.\d+$/.test(version)) {
    fail(`${name} is not pinned to one version: ${version}`);
  }
  const installed = readJson(path.join(__dirname, 'node_modules', name, 'package.json')).version;
  if (installed !== version) {
    fail(`${name} ${installed} is installed, package.json pins ${version}`);
  }
}

const libraries = Object.keys(manifest.dependencies).sort();
const versions = libraries.map((name) => `${name} ${pins[name]}`).join(', ');

const esbuild = require('esbuild');
const result = esbuild.buildSync({
  absWorkingDir: __dirname,
  entryPoints: ['entry.js'],
  bundle: true,
  format: 'iife',
  platform: 'browser',
  // Async functions stay native: every browser with WebAssembly has them.
  target: 'es2017',
  minify: true,
  charset: 'utf8',
  // The libraries' own copyright lines travel with the script; the full
  // texts are in THIRD-PARTY-LICENSES.txt next to it.
  legalComments: 'eof',
  define: { NEMORA_CRYPTO_VERSIONS: JSON.stringify(versions) },
  banner: {
    js: `/*! NemoraCrypto: ${versions}; bundled with esbuild ${pins.esbuild} by ` +
      'tools/bundle-crypto.sh. Licences: THIRD-PARTY-LICENSES.txt */',
  },
  metafile: true,
  write: false,
  logLevel: 'warning',
});
if (result.errors.length || result.warnings.length) {
  fail('esbuild reported problems');
}
const script = result.outputFiles[0].contents;

// The licences follow what was bundled, not what package.json lists, so a
// library that one of ours starts to import cannot ship without its licence.
const bundled = new Map();
for (const input of Object.keys(result.metafile.inputs)) {
  const match = /^node_modules\/((?:@[^/]+\/)?[^/]+)\//.exec(input);
  if (match) {
    bundled.set(match[1], readJson(path.join(__dirname, 'node_modules', match[1], 'package.json')));
  } else if (input !== 'entry.js') {
    fail(`unexpected input ${input}`);
  }
}

function readText(file) {
  return fs.readFileSync(file, 'utf8').replace(/\r\n/g, '\n');
}

// hash-wasm's licence sends the reader to the opening comments of its C
// sources, some of which carry their own terms: those of each WebAssembly
// module that made it into the bundle follow its licence.
function hashWasmSources(folder) {
  const lines = [];
  const dist = readText(path.join(folder, 'dist', 'index.esm.js'));
  const modules = /var name\$\w+ = "([\w-]+)";\s*var data\$\w+ = "([A-Za-z0-9+/=]+)";/g;
  const scriptText = Buffer.from(script).toString('utf8');
  for (const [, module, data] of dist.matchAll(modules)) {
    if (!scriptText.includes(data)) continue;
    const source = path.join(folder, 'src', `${module}.c`);
    const opening = /^\/\*[\s\S]*?\*\//.exec(fs.existsSync(source) ? readText(source) : '');
    if (!opening) {
      fail(`hash-wasm's ${module} module has no source with an opening comment`);
    }
    lines.push(`The WebAssembly module "${module}" is built from hash-wasm's src/${module}.c, which opens with:`,
      '', opening[0], '');
  }
  if (lines.length === 0) {
    fail('no hash-wasm WebAssembly module found in the bundle');
  }
  return lines;
}

const licenceText = [
  'Third-party software in nemora-crypto.js',
  '',
  'nemora-crypto.js is built by tools/bundle-crypto.sh from the packages below,',
  'installed by npm from tools/vendor-crypto/package-lock.json. Each package\'s',
  'licence follows in full, as the package ships it.',
  '',
];
const names = [...bundled.keys()].sort();
for (const name of names) {
  const folder = path.join(__dirname, 'node_modules', name);
  const info = bundled.get(name);
  const files = fs.readdirSync(folder)
    .filter((file) => /^(licen[cs]e|copying)(\.[a-z]+)?$/i.test(file))
    .sort();
  if (files.length === 0) {
    fail(`${name} ships no licence file`);
  }
  licenceText.push('='.repeat(78), `${name} ${info.version} (${info.license})`, '='.repeat(78), '');
  for (const file of files) {
    licenceText.push(readText(path.join(folder, file)).trimEnd(), '');
  }
  if (name === 'hash-wasm') {
    licenceText.push(...hashWasmSources(folder));
  }
}

const digest = crypto.createHash('sha256').update(script).digest('hex');
fs.mkdirSync(outDir, { recursive: true });
fs.writeFileSync(path.join(outDir, 'nemora-crypto.js'), script);
fs.writeFileSync(path.join(outDir, 'THIRD-PARTY-LICENSES.txt'), licenceText.join('\n'));
// The layout of sha256sum, so `sha256sum -c nemora-crypto.sha256` works too.
fs.writeFileSync(path.join(outDir, 'nemora-crypto.sha256'), `${digest}  nemora-crypto.js\n`);
console.log(`nemora-crypto.js: ${script.length} bytes, sha256 ${digest}`);
console.log(`bundled: ${names.map((name) => `${name} ${bundled.get(name).version}`).join(', ')}`);
