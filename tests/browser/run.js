'use strict';
// Runs one browser test file (ctest's browser_<name>, one entry per
// *.test.js) under node's test runner, with the paths it needs. playwright-core
// is installed from the lockfile when node_modules is missing: ctest's
// browser_install does that once, before the test files, which may run side
// by side.
//
//   node run.js --install --npm PATH
//   node run.js --cli PATH --chromium PATH --npm PATH --java PATH --javac PATH --out FOLDER
//               --file FILE [--preview PATH]
//
// --preview names the window program's page server (preview_serve), built
// with the window program; without it the tests of that server are skipped.

const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');

const names = { cli: 'NEMORA_CLI', chromium: 'NEMORA_CHROMIUM', java: 'NEMORA_JAVA',
  javac: 'NEMORA_JAVAC', out: 'NEMORA_TEST_OUT', npm: null, preview: 'NEMORA_PREVIEW', file: null };
const optional = new Set(['preview']);
const options = {};
const args = process.argv.slice(2);
const installOnly = args[0] === '--install';
for (let i = installOnly ? 1 : 0; i < args.length; i += 2) {
  const name = args[i].replace(/^--/, '');
  if (!(name in names) || i + 1 >= args.length) {
    console.error(`run.js: unknown or incomplete option ${args[i]}`);
    process.exit(2);
  }
  options[name] = args[i + 1];
}
for (const name of installOnly ? ['npm'] : Object.keys(names)) {
  if (!options[name] && !optional.has(name)) {
    console.error(`run.js: --${name} is missing`);
    process.exit(2);
  }
}

if (!fs.existsSync(path.join(__dirname, 'node_modules', 'playwright-core'))) {
  const install = spawnSync(options.npm, ['ci', '--no-audit', '--no-fund'], { cwd: __dirname, stdio: 'inherit' });
  if (install.status !== 0) {
    console.error('run.js: npm ci failed');
    process.exit(1);
  }
}
if (installOnly) process.exit(0);

const env = { ...process.env };
for (const [name, variable] of Object.entries(names)) {
  if (variable && options[name]) env[variable] = path.resolve(options[name]);
}
fs.mkdirSync(env.NEMORA_TEST_OUT, { recursive: true });
const run = spawnSync(process.execPath, ['--test', '--test-reporter=dot', path.resolve(options.file)],
  { env, stdio: 'inherit' });
process.exit(run.status === null ? 1 : run.status);
