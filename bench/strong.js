'use strict';
// The strong lock's figures (bench/strong.sh sets this up and runs it):
// the lock's cost as whole processes beside the classic form and one
// Argon2id derivation, the published sizes, and the visitor's unlock in
// headless Chromium, each beside the peer tool staticrypt. Every command it
// times must exit 0 and leave its outputs, and every page the browser shows
// must be the source page: the first failure stops the run with no figure.
//
//   node bench/strong.js --cli PATH --strong-bench PATH --chromium PATH
//     --playwright DIR --staticrypt PATH --work DIR [--runs N]

const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { Options: BenchOptions, Stopper } = require('./bench-options');
const { Browser, Median } = require('./strong-browser');

const PASSWORD = 'benchmark password';
const PAGES = [
  { name: 'page1', label: '1 MB' },
  { name: 'page10', label: '10 MB' },
];

const Stop = Stopper('strong.js');
const Options = () => BenchOptions('strong.js', ['cli', 'strong-bench', 'chromium', 'playwright', 'staticrypt', 'work']);

// One command the bench times: it must exit 0 and leave each of `outputs`
// (files, not empty). `fresh` folders are removed first, so that a stale
// file proves nothing.
function Run({ argv, outputs = [], fresh = [], input }) {
  for (const folder of fresh) fs.rmSync(folder, { recursive: true, force: true });
  const start = process.hrtime.bigint();
  const result = spawnSync(argv[0], argv.slice(1), { input, maxBuffer: 1 << 26 });
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  const shown = argv.join(' ');
  if (result.error) Stop(`"${shown}" could not start: ${result.error.message}`);
  if (result.status !== 0) {
    const how = result.status === null ? `was killed by ${result.signal}` : `exited with status ${result.status}`;
    Stop(`"${shown}" ${how}: ${String(result.stderr).slice(-2000)}${String(result.stdout).slice(-500)}`);
  }
  for (const file of outputs) {
    let size = 0;
    try {
      size = fs.statSync(file).size;
    } catch (error) {
      Stop(`"${shown}" exited 0 but left no ${file}`);
    }
    if (size === 0) Stop(`"${shown}" exited 0 but left ${file} empty`);
  }
  return { seconds, stdout: String(result.stdout) };
}

// The commands in turn, A B C A B C ..., after one warm-up round, so that
// a drift of the machine's speed falls on all of them alike: each one's
// seconds.
function Interleaved(commands, runs) {
  const times = commands.map(() => []);
  for (let round = 0; round <= runs; round++) {
    commands.forEach((command, i) => {
      const { seconds } = Run(command);
      if (round > 0) times[i].push(seconds);
    });
  }
  return times;
}

function Spread(values) {
  const list = [...values].sort((a, b) => a - b);
  return { median: Median(list), min: list[0], max: list[list.length - 1] };
}

function Size(file) {
  return fs.statSync(file).size;
}

function Machine() {
  const cpuinfo = fs.readFileSync('/proc/cpuinfo', 'utf8');
  const field = (name) => (cpuinfo.match(new RegExp(`^${name}\\s*: (.*)$`, 'm')) || [])[1] || '?';
  return {
    date: new Date().toISOString(),
    nproc: os.availableParallelism ? os.availableParallelism() : os.cpus().length,
    cpu: `${field('model name')} (family ${field('cpu family')}, model ${field('model')})`,
    memoryGiB: Math.round(os.totalmem() / 2 ** 30),
    node: process.version,
  };
}

function Load() {
  return os.loadavg().map((x) => x.toFixed(2)).join(' ');
}

const ms = (seconds) => (seconds * 1000).toFixed(0);
const fixed = (x, digits = 0) => x.toFixed(digits);

function LockCost(options, pages) {
  const cli = options.cli;
  const work = options.work;
  const passwordFile = path.join(work, 'password.txt');
  const rows = [];
  for (const page of pages) {
    const source = path.join(work, `${page.name}.html`);
    const folders = {
      default: path.join(work, 'published', `default-${page.name}`),
      strong: path.join(work, 'published', `strong-${page.name}`),
      staticrypt: path.join(work, 'published', `staticrypt-${page.name}`),
    };
    const commands = [
      {
        argv: [cli, 'lock', '--classic', source, '-o', folders.default, '--password-file', passwordFile,
          '--encoding', 'utf-8'],
        fresh: [folders.default],
        outputs: ['.zvk', '.html'].map((ext) => path.join(folders.default, page.name + ext))
          .concat(['decoder.htm', 'decoder.jar'].map((file) => path.join(folders.default, file))),
      },
      {
        argv: [cli, 'lock', '--strong', source, '-o', folders.strong, '--password-file', passwordFile,
          '--encoding', 'utf-8'],
        fresh: [folders.strong],
        outputs: [path.join(folders.strong, `${page.name}.html`), path.join(folders.strong, 'nemora-strong.js')],
      },
      {
        argv: [process.execPath, options.staticrypt, source, '-p', PASSWORD, '-d', folders.staticrypt, '--short',
          '-c', 'false', '--remember', '7'],
        fresh: [folders.staticrypt],
        outputs: [path.join(folders.staticrypt, `${page.name}.html`)],
      },
    ];
    const [def, strong, peer] = Interleaved(commands, options.runs);
    rows.push({ page: page.label, default: Spread(def), strong: Spread(strong), staticrypt: Spread(peer) });
    page.folders = folders;
  }
  return rows;
}

// Debian's argon2 (the reference code) as a whole process, the password on
// its standard input; and libsodium's derivation inside strong_bench, the one
// nemora-cli runs, with the C++ decoding of each strong page.
function Derivations(options, pages) {
  const salt = 'nemora-bench-salt';
  const argon2 = { argv: ['argon2', salt, '-id', '-t', '3', '-m', '16', '-p', '1', '-l', '32'], input: `${PASSWORD}\n` };
  const times = [];
  for (let round = 0; round <= options.runs; round++) {
    const { seconds, stdout } = Run(argon2);
    if (!/Encoded:\s+\$argon2id\$v=19\$m=65536,t=3,p=1\$/.test(stdout)) Stop(`argon2 printed no Argon2id hash: ${stdout}`);
    if (round > 0) times.push(seconds);
  }
  const native = pages.map((page) => {
    const { stdout } = Run({
      argv: [options['strong-bench'], 'unlock', path.join(options.work, 'password.txt'),
        path.join(page.folders.strong, `${page.name}.html`), path.join(options.work, `${page.name}.html`)],
    });
    return { ...JSON.parse(stdout), page: page.label };
  });
  // The whole unlock command for scale: derivation, decoding, writing the page.
  const unlock = pages.map((page) => {
    const out = path.join(options.work, `unlocked-${page.name}.html`);
    const command = {
      argv: [options.cli, 'unlock', path.join(page.folders.strong, `${page.name}.html`), '-o', out, '--password-file',
        path.join(options.work, 'password.txt')],
      fresh: [out],
      outputs: [out],
    };
    const list = Interleaved([command], options.runs)[0];
    if (!fs.readFileSync(out).equals(fs.readFileSync(path.join(options.work, `${page.name}.html`)))) {
      Stop(`nemora-cli unlock gave another page than ${page.name}.html`);
    }
    return { page: page.label, ...Spread(list) };
  });
  return { argon2Cli: Spread(times), native, unlock };
}

function Sizes(pages, options) {
  return pages.map((page) => {
    const f = page.folders;
    const bytes = Size(path.join(options.work, `${page.name}.html`));
    return {
      page: page.label,
      bytes,
      strongPage: Size(path.join(f.strong, `${page.name}.html`)),
      strongScript: Size(path.join(f.strong, 'nemora-strong.js')),
      defaultData: Size(path.join(f.default, `${page.name}.zvk`)),
      defaultLoader: Size(path.join(f.default, `${page.name}.html`)),
      defaultShared: Size(path.join(f.default, 'decoder.htm')) + Size(path.join(f.default, 'decoder.jar')),
      staticrypt: Size(path.join(f.staticrypt, `${page.name}.html`)),
    };
  });
}

async function BrowserFigures(options, pages) {
  const playwright = require(options.playwright);
  const browser = await Browser.Launch(playwright, options.chromium, options.work);
  const runs = options.runs;
  const result = { typed: [], remembered: [], derivation: {}, plain: [] };
  try {
    result.version = browser.browser.version();
    // The source pages' titles, and the 1 MB page's own load for scale: its
    // parse waits for some two hundred parser-blocking scripts of its own
    // (the 10 MB page's two thousand take half a minute).
    for (const page of pages) {
      const plain = [];
      const counted = page.name === 'page1' ? runs : 0;
      for (let i = 0; i <= counted; i++) {
        const visit = await browser.Plain(`/${page.name}.html`);
        page.title = visit.title;
        if (i > 0) plain.push(visit.parsed);
      }
      if (counted > 0) result.plain.push({ page: page.label, parsed: Spread(plain) });
    }
    const url = (page, tool) => `/published/${tool}-${page.name}/${page.name}.html`;
    for (const page of pages) {
      // The written page's own parse waits for its parser-blocking scripts;
      // the 10 MB page has some two thousand, so it is timed to
      // document.close only.
      const parsed = page.name === 'page1';
      for (const tool of ['ours', 'staticrypt']) {
        const folder = tool === 'ours' ? 'strong' : 'staticrypt';
        const visits = [];
        for (let i = 0; i <= runs; i++) {
          const visit = await browser.Typed(tool, url(page, folder), PASSWORD, page.title, parsed);
          if (i > 0) visits.push(visit);
        }
        const spread = (key) => Spread(visits.map((v) => v[key]));
        const ours = tool === 'ours';
        for (const v of visits) {
          v.decoding = v.derived === null ? null : v.decoded - v.derived;
          if (!ours) continue;
          // The bytes are in hand at the first TextDecoder call on them or,
          // where the page is written as it is decoded, at document.open.
          const inHand = v.bytes === null ? v.decoded : Math.min(v.bytes, v.decoded);
          if (inHand < v.derived || inHand > v.closed) {
            Stop(`${url(page, folder)}: the page's bytes were not in hand between the derivation and the page`);
          }
          v.opening = inHand - v.derived;
          v.writing = v.closed - inHand;
        }
        result.typed.push({ page: page.label, tool, derived: ours ? spread('derived') : null,
          decoding: ours ? spread('decoding') : null, opening: ours ? spread('opening') : null,
          writing: ours ? spread('writing') : null, decoded: spread('decoded'), closed: spread('closed'),
          parsed: parsed ? spread('parsed') : null });

        const remembered = await browser.Remembered(tool, url(page, folder), PASSWORD, page.title, runs + 1,
          tool === 'ours' && page.name === 'page10');
        const counted = remembered.slice(1);
        result.remembered.push({
          page: page.label,
          tool,
          decoded: Spread(counted.map((v) => v.decoded)),
          fromNavigation: Spread(counted.map((v) => v.fromNavigation)),
          profile: remembered.profile,
        });
      }
    }
    const steps = [];
    for (let i = 0; i <= runs; i++) {
      const visit = await browser.Steps(url(pages[1], 'strong'), `/${pages[1].name}.html`, PASSWORD);
      if (i > 0) steps.push(visit);
    }
    result.steps = { page: pages[1].label };
    for (const key of Object.keys(steps[0])) {
      result.steps[key] = Spread(steps.map((v) => v[key]));
    }
    const ours = [];
    const peer = [];
    for (let i = 0; i <= runs; i++) {
      const a = await browser.Derivation(url(pages[0], 'strong'), PASSWORD);
      const b = await browser.PeerDerivation(url(pages[0], 'staticrypt'), PASSWORD);
      if (i > 0) {
        ours.push(a);
        peer.push(b);
      }
    }
    result.derivation = { ours: Spread(ours), staticrypt: Spread(peer) };
  } finally {
    await browser.Close();
  }
  return result;
}

function Report(all) {
  const out = [];
  const say = (line = '') => out.push(line);
  const m = all.machine;
  say(`Machine: ${m.nproc} cores, ${m.cpu}, ${m.memoryGiB} GiB; ${m.node}; Chromium ${all.browser.version}; ` +
    `staticrypt ${all.staticryptVersion}`);
  say(`Date: ${m.date}; load average at start ${all.loadStart}, after the processes ${all.loadMiddle}, ` +
    `at the end ${all.loadEnd}; ${all.runs} counted runs of each figure (median, min-max)`);
  const s = (x) => `${ms(x.median)} (${ms(x.min)}-${ms(x.max)})`;
  const b = (x) => `${fixed(x.median)} (${fixed(x.min)}-${fixed(x.max)})`;

  say();
  say('1. Lock cost, whole process, ms');
  say('| page | nemora-cli lock --classic | lock --strong | strong - classic | staticrypt |');
  say('|---|---|---|---|---|');
  for (const r of all.lock) {
    say(`| ${r.page} | ${s(r.default)} | ${s(r.strong)} | ${ms(r.strong.median - r.default.median)} | ${s(r.staticrypt)} |`);
  }
  const d = all.derivations;
  say(`One Argon2id derivation at the defaults (64 MiB, 3 passes, 1 lane): libsodium in process ` +
    `${ms(d.native[0].deriveSeconds)} ms (as nemora-cli derives); Debian's argon2 command ` +
    `(-id -t 3 -m 16 -p 1), whole process, ${s(d.argon2Cli)} ms`);

  say();
  say('2. Browser unlock, headless Chromium, ms');
  say('Password typed, from the submit event: to the end of the key derivation (ours: the status line\'s ' +
    'change), to the decoded text (document.write called), to document.close returned (the page is in the ' +
    'document), to the written page\'s DOMContentLoaded (1 MB only); decoding = decoded - derivation');
  say('| page | tool | derivation | decoding | decoded | closed | DOMContentLoaded |');
  say('|---|---|---|---|---|---|---|');
  const dash = (x) => (x ? b(x) : '-');
  for (const r of all.browser.typed) {
    say(`| ${r.page} | ${r.tool} | ${dash(r.derived)} | ${dash(r.decoding)} | ${b(r.decoded)} | ${b(r.closed)} | ` +
      `${dash(r.parsed)} |`);
  }
  for (const r of all.browser.plain) {
    say(`The source page itself, unlocked, from navigation to DOMContentLoaded (${r.page}): ${b(r.parsed)} ms`);
  }
  say(`Key derivation alone in a fresh tab: ours (Argon2id, 64 MiB, 3 passes, WebAssembly) ` +
    `${b(all.browser.derivation.ours)}; staticrypt (PBKDF2: 1,000 SHA-1 + 599,000 SHA-256, WebCrypto) ` +
    `${b(all.browser.derivation.staticrypt)}`);
  say('Key remembered (no derivation): from the script\'s start (ours: DOMContentLoaded; staticrypt: load) ' +
    'to the decoded text, and from the navigation\'s start');
  say('| page | tool | decoding | from navigation |');
  say('|---|---|---|---|');
  for (const r of all.browser.remembered) {
    say(`| ${r.page} | ${r.tool} | ${b(r.decoded)} | ${b(r.fromNavigation)} |`);
  }
  say('Decoding, browser against C++ (strong_bench: the same page, the key given), ms; the browser\'s figure ' +
    'after typing leaves its base64 out (done when the page loads), the remembered one has it');
  say('| page | C++ base64 | C++ open + decompress | C++ whole | browser after typing | / C++ open + decompress | ' +
    '/ C++ whole | browser remembered | / C++ whole |');
  say('|---|---|---|---|---|---|---|---|---|');
  for (const n of d.native) {
    const typed = all.browser.typed.find((r) => r.page === n.page && r.tool === 'ours');
    const remembered = all.browser.remembered.find((r) => r.page === n.page && r.tool === 'ours');
    const read = n.readSeconds * 1000;
    const whole = n.decodeSeconds * 1000;
    say(`| ${n.page} | ${fixed(n.base64Seconds * 1000, 1)} | ${fixed(read, 1)} | ${fixed(whole, 1)} | ` +
      `${b(typed.decoding)} | ${fixed(typed.decoding.median / read, 1)} | ${fixed(typed.decoding.median / whole, 1)} | ` +
      `${b(remembered.decoded)} | ${fixed(remembered.decoded.median / whole, 1)} |`);
  }
  say('Deciphering and decompressing alone, browser against C++, ms: after typing, from the end of the ' +
    'derivation to the page\'s bytes in hand (the first TextDecoder call on them); then from there to ' +
    'document.close returned (text decoding and the parse, which the C++ reader has no counterpart for)');
  say('| page | browser: bytes in hand | / C++ open + decompress | / C++ whole | browser: bytes to document.close |');
  say('|---|---|---|---|---|');
  for (const n of d.native) {
    const typed = all.browser.typed.find((r) => r.page === n.page && r.tool === 'ours');
    const read = n.readSeconds * 1000;
    const whole = n.decodeSeconds * 1000;
    say(`| ${n.page} | ${b(typed.opening)} | ${fixed(typed.opening.median / read, 1)} | ` +
      `${fixed(typed.opening.median / whole, 1)} | ${b(typed.writing)} |`);
  }
  for (const u of d.unlock) say(`Whole nemora-cli unlock -o FILE (${u.page}, derivation included): ${s(u)} ms`);
  const st = all.browser.steps;
  say(`The decoding's parts (${st.page}), each once and cold in a tab of its own (they need not add up to the ` +
    `decoding): base64 ${b(st.base64)}; BLAKE2b twice ${fixed(st.blake2b.median, 1)}; XChaCha20-Poly1305 ` +
    `${b(st.cipher)}; TextDecoder ${b(st.textDecoder)}; the decompressor is in the profile below`);
  const profiled = all.browser.remembered.find((r) => r.profile);
  if (profiled) {
    say(`Where a remembered ${profiled.page} visit's time goes (sampled self time, ms, whole visit, the ` +
      'profiler\'s own slowing included):');
    for (const p of profiled.profile) say(`  ${fixed(p.ms, 1).padStart(8)}  ${p.name}`);
  }

  say();
  say('3. Published size, bytes');
  say('| page | page bytes | strong page | / page | nemora-strong.js (once a folder) | classic: data + loader | ' +
    'decoder.htm + decoder.jar (once a folder) | staticrypt page | / page |');
  say('|---|---|---|---|---|---|---|---|---|');
  for (const r of all.sizes) {
    say(`| ${r.page} | ${r.bytes} | ${r.strongPage} | ${fixed(r.strongPage / r.bytes, 3)} | ${r.strongScript} | ` +
      `${r.defaultData} + ${r.defaultLoader} | ${r.defaultShared} | ${r.staticrypt} | ` +
      `${fixed(r.staticrypt / r.bytes, 3)} |`);
  }
  return out.join('\n');
}

async function Main() {
  const options = Options();
  for (const file of [options.cli, options['strong-bench'], options.chromium, options.staticrypt]) {
    if (!fs.existsSync(file)) Stop(`${file} is missing`);
  }
  const pages = PAGES.map((page) => ({ ...page }));
  for (const page of pages) {
    if (!fs.existsSync(path.join(options.work, `${page.name}.html`))) Stop(`${page.name}.html is missing in ${options.work}`);
  }
  fs.writeFileSync(path.join(options.work, 'password.txt'), `${PASSWORD}\n`);
  const all = { machine: Machine(), runs: options.runs, loadStart: Load() };
  all.staticryptVersion = JSON.parse(fs.readFileSync(
    path.join(path.dirname(options.staticrypt), '..', 'package.json'), 'utf8')).version;

  console.error('strong.js: lock cost');
  all.lock = LockCost(options, pages);
  console.error('strong.js: derivation and C++ decoding');
  all.derivations = Derivations(options, pages);
  all.sizes = Sizes(pages, options);
  all.loadMiddle = Load();
  console.error('strong.js: browser');
  all.browser = await BrowserFigures(options, pages);
  all.loadEnd = Load();
  fs.writeFileSync(path.join(options.work, 'strong-results.json'), JSON.stringify(all, null, 2));
  console.log(Report(all));
}

Main().catch((error) => Stop(error && error.stack ? error.stack : String(error)));
