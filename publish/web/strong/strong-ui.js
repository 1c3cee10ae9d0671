// The visitor's side of a strongly locked page: asks for the password (or
// takes the key this browser remembers), derives the key, opens the
// container, rebuilds the page and shows it as the page's own document, so
// its relative links and scripts work. Needs NemoraCrypto (bundled before
// this file in nemora-strong.js). docs/strong-format.md is the format.
(function () {
  'use strict';

  var HEADER = 72;
  var TAG = 16;
  var MAGIC = 'NEMORA-S';
  var LIMITS = { memoryLow: 19456, memoryHigh: 1048576, passesLow: 2, passesHigh: 16 };
  var CIPHER_KEY_TEXT = 'Nemora strong cipher key v1';
  var KEY_CHECK_TEXT = 'Nemora strong key check v1';
  var STORAGE_PREFIX = 'nemora-strong:';

  // The plain stream: the default form's data stream before encipherment.
  var BLOCK = 8;
  var NAME_BLOCKS = 32;
  var WINDOW = 32768;
  var SHORTEST_COPY = 5;
  var LONGEST_COPY = 128;
  var TOKEN = 4;
  var PADDING = 0x20;
  // Made-up data run through the reader and the cipher before the page.
  var WARM_UP_BYTES = 262144;
  // The module's memory made ready before the page is opened: room for a
  // page up to this many times its plain stream (HTML shrinks to a fifth or
  // so), up to this many bytes; a larger page grows it when it is read.
  var PAGE_ESTIMATE = 8;
  var RESERVE_LIMIT = 67108864;

  // The visitor's texts in each page language. One script serves every page
  // of a folder, whatever its language: the page's lang attribute chooses.
  var MESSAGES = {
    ja: {
      busy: '鍵を生成しています…',
      opening: 'ページを開いています…',
      empty: 'パスワードを入力してください。',
      wrong: 'パスワードが違います。もう一度入力してください。',
      damaged: 'データが壊れているため、このページを開けません。',
      encoding: 'このページの文字コードにブラウザーが対応していません。',
      memory: 'メモリーが足りないため、鍵を生成できません。ほかのタブを閉じてからもう一度お試しください。',
      unsupported: 'このブラウザーではページを開けません。新しいブラウザーでお試しください。',
      storage: 'このブラウザーではサイトのデータの保存が無効なため、ページを移るたびにパスワードを尋ねます。',
      damagedFile: 'データが壊れているため、このサイトのファイルを表示していません: ',
      missingFile: 'このサイトのファイルを読み込めません: ',
      show: '表示',
      hide: '隠す',
    },
    en: {
      busy: 'Generating the key…',
      opening: 'Opening the page…',
      empty: 'Please enter the password.',
      wrong: 'Wrong password. Please try again.',
      damaged: 'This page cannot be opened because its data is damaged.',
      encoding: 'Your browser does not support the character encoding of this page.',
      memory: 'There is not enough memory to generate the key. Close other tabs and try again.',
      unsupported: 'This page cannot be opened in this browser. Please try a newer browser.',
      storage: 'Site data is turned off in this browser, so the password is asked again on every page of this site.',
      damagedFile: 'This file of the site is damaged and is not shown: ',
      missingFile: 'This file of the site could not be loaded: ',
      show: 'Show',
      hide: 'Hide',
    },
  };

  // Japanese for a page without a known language: pages published before
  // there was a choice say "ja".
  function PageMessages() {
    var lang = (document.documentElement.getAttribute('lang') || '').toLowerCase().split('-')[0];
    return Object.prototype.hasOwnProperty.call(MESSAGES, lang) ? MESSAGES[lang] : MESSAGES.ja;
  }

  function Ascii(text) {
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
    return bytes;
  }

  function ToBase64(bytes) {
    var text = '';
    for (var i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
    return btoa(text);
  }

  function FromBase64(text) {
    // The browser's own decoder where it has one: several times faster than
    // atob and a loop, for the megabytes of a large page or a site's files.
    if (typeof Uint8Array.fromBase64 === 'function') return Uint8Array.fromBase64(text);
    var binary = atob(text.replace(/\s+/g, ''));
    var bytes = new Uint8Array(binary.length);
    for (var i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  function Equal(a, b) {
    if (a.length !== b.length) return false;
    var difference = 0;
    for (var i = 0; i < a.length; i++) difference |= a[i] ^ b[i];
    return difference === 0;
  }

  function Uint32(bytes, at) {
    return (bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (bytes[at + 3] << 24)) >>> 0;
  }

  // The header's fields, or null for anything a reader must refuse before it
  // derives a key (a crafted file must not make it allocate without bound).
  function ReadHeader(data) {
    if (data.length < HEADER + TAG) return null;
    for (var i = 0; i < MAGIC.length; i++) {
      if (data[i] !== MAGIC.charCodeAt(i)) return null;
    }
    if (data[8] !== 1 || data[9] !== 1 || data[10] !== 1 || data[11] !== 0) return null;
    var header = {
      memory: Uint32(data, 12),
      passes: Uint32(data, 16),
      lanes: Uint32(data, 20),
      salt: data.subarray(24, 40),
      nonce: data.subarray(40, 64),
      check: data.subarray(64, 72),
      aad: data.subarray(0, HEADER),
      sealed: data.subarray(HEADER),
    };
    if (header.memory < LIMITS.memoryLow || header.memory > LIMITS.memoryHigh) return null;
    if (header.passes < LIMITS.passesLow || header.passes > LIMITS.passesHigh) return null;
    if (header.lanes !== 1) return null;
    return header;
  }

  // The stream's header and character-code blocks: the page's length and
  // encoding, and where its body lies in `plain`, or null.
  function ReadStreamHead(plain) {
    if (plain.length < BLOCK) return null;
    if (plain[0] !== 0x4B || plain[1] !== 0x5A || plain[2] !== 0x55 || plain[3] !== 0x54) return null;
    var length = Uint32(plain, 4);
    if (length === 0) return null;
    var at = BLOCK;
    var name = '';
    for (var n = 0; n < NAME_BLOCKS; n++) {
      if (plain.length - at < BLOCK) return null;
      var ended = false;
      for (var i = 0; i < BLOCK && !ended; i++) {
        if (plain[at + i] === 0) ended = true;
        else name += String.fromCharCode(plain[at + i]);
      }
      at += BLOCK;
      if (ended) break;
    }
    var bodyEnd = at + Math.floor((plain.length - at) / BLOCK) * BLOCK;
    if (bodyEnd !== plain.length) return null;
    if (length > (LONGEST_COPY / TOKEN) * (bodyEnd - at)) return null;
    return { encoding: name, length: length, at: at, bodyEnd: bodyEnd };
  }

  // The page's bytes out of the stream's body, or null.
  function ReadBody(plain, head) {
    var length = head.length;
    var at = head.at;
    var bodyEnd = head.bodyEnd;
    var page = new Uint8Array(length);
    var size = 0;
    while (size < length) {
      if (at >= bodyEnd) return null;
      var b = plain[at];
      if (b !== 0) {
        page[size++] = b;
        at++;
        continue;
      }
      if (bodyEnd - at < TOKEN) return null;
      var distance = plain[at + 1] | (plain[at + 2] << 8);
      var count = plain[at + 3];
      at += TOKEN;
      if (distance === 0 || distance > WINDOW || distance > size || count < SHORTEST_COPY ||
          count > LONGEST_COPY || count > distance || count > length - size) {
        return null;
      }
      page.copyWithin(size, size - distance, size - distance + count);
      size += count;
    }
    var padded = Math.ceil(at / BLOCK) * BLOCK;
    if (padded !== bodyEnd) return null;
    for (; at < bodyEnd; at++) {
      if (plain[at] !== PADDING) return null;
    }
    return page;
  }

  // The same body read by the WebAssembly module (nemora-stream.js, built
  // from wasm/read-stream.c): the page as a view of the module's memory, null
  // for a body ReadBody refuses too, undefined when the memory cannot grow to
  // hold the stream and the page (ReadBody tries then).
  function ReadBodyInModule(module, plain, head) {
    var memory = module.memory;
    var from = (module.__heap_base.value + 7) & ~7;
    var to = from + ((plain.length + 7) & ~7);
    // Eight bytes to spare: the module moves eight bytes at a time.
    var needed = to + head.length + 8;
    try {
      var have = memory.buffer.byteLength;
      if (needed > have) memory.grow(Math.ceil((needed - have) / 65536));
    } catch (e) {
      return undefined;
    }
    var heap = new Uint8Array(memory.buffer);
    heap.set(plain, from);
    var read = module.read_body(from, head.at, head.bodyEnd, to, head.length);
    heap.fill(0, from, from + plain.length);
    return read === 1 ? heap.subarray(to, to + head.length) : null;
  }

  // Rebuilds the page from the plain stream under the same rules as the
  // program's reader: only what the compressor writes is accepted. With
  // `module`, its body is read in WebAssembly.
  function ReadStream(plain, module) {
    var head = ReadStreamHead(plain);
    if (!head) return null;
    var page = module ? ReadBodyInModule(module, plain, head) : undefined;
    if (page === undefined) page = ReadBody(plain, head);
    if (!page) return null;
    return { encoding: head.encoding, page: page };
  }

  // Runs the module once on a made-up stream of literals and copies: the
  // browser first runs WebAssembly through quickly compiled code, several
  // times slower than the optimised code it compiles once a function has run
  // a while, and a page is read in one call.
  function WarmUpStreamModule(module) {
    var from = (module.__heap_base.value + 7) & ~7;
    var to = from + WARM_UP_BYTES;
    var memory = module.memory;
    var needed = to + 2 * WARM_UP_BYTES + 8;
    if (needed > memory.buffer.byteLength) memory.grow(Math.ceil((needed - memory.buffer.byteLength) / 65536));
    var heap = new Uint8Array(memory.buffer);
    var at = 0;
    var size = 0;
    // Groups of 13 literals and a copy of 12 bytes from 16 back.
    while (at + 17 <= WARM_UP_BYTES) {
      for (var i = 0; i < 13; i++) heap[from + at++] = 0x61 + i;
      if (size + 13 >= 16) {
        heap.set([0, 16, 0, 12], from + at);
        at += TOKEN;
        size += 12;
      }
      size += 13;
    }
    for (; at < WARM_UP_BYTES; at++) heap[from + at] = PADDING;
    module.read_body(from, 0, WARM_UP_BYTES, to, size);
  }

  // Grows the module's memory to hold a plain stream of `plainLength` bytes
  // and a page of PAGE_ESTIMATE times that, and writes to all of it: the
  // system hands memory out page by page as it is first written, and on a
  // page of megabytes that costs as much as the reading itself.
  function ReserveStreamMemory(module, plainLength) {
    var from = (module.__heap_base.value + 7) & ~7;
    var page = Math.min(PAGE_ESTIMATE * plainLength, RESERVE_LIMIT);
    var needed = from + ((plainLength + 7) & ~7) + page + 8;
    var memory = module.memory;
    if (needed > memory.buffer.byteLength) memory.grow(Math.ceil((needed - memory.buffer.byteLength) / 65536));
    new Uint8Array(memory.buffer, from).fill(0);
  }

  // The WebAssembly stream reader's exports for a container of
  // `sealedLength` bytes, compiled, warmed up and given its memory while the
  // visitor types; null where it cannot be had (ReadStream reads in
  // JavaScript then).
  function LoadStreamModule(sealedLength) {
    if (typeof self.NemoraStream !== 'string') return Promise.resolve(null);
    try {
      return WebAssembly.instantiate(FromBase64(self.NemoraStream)).then(function (result) {
        var module = result.instance.exports;
        // Only a page larger than the warm-up gains from it (a sealed
        // site's page holds its path alone).
        if (sealedLength > WARM_UP_BYTES) WarmUpStreamModule(module);
        ReserveStreamMemory(module, sealedLength - TAG);
        return module;
      }).catch(function () {
        return null;
      });
    } catch (e) {
      return Promise.resolve(null);
    }
  }

  // While the visitor types: the key hash and the cipher run once on
  // made-up data, so that their code is compiled and optimised before the
  // page is opened (run first when the key is in hand, they take several
  // times longer on a page of megabytes).
  function WarmUpCrypto() {
    var crypto = self.NemoraCrypto;
    try {
      crypto.blake2b(new Uint8Array(1), 8, new Uint8Array(32)).catch(function () {});
      crypto.xchachaSeal(new Uint8Array(32), new Uint8Array(24), new Uint8Array(WARM_UP_BYTES), new Uint8Array(0));
    } catch (e) {
      // Only time is lost.
    }
  }

  function Options() {
    try {
      return JSON.parse(document.getElementById('nemora-options').textContent) || {};
    } catch (e) {
      return {};
    }
  }

  // The remembered key's place: one entry per keyword and folder (the folder
  // the publishing run wrote, which `scope` leads to from this page), in
  // sessionStorage for a session lifetime, in localStorage otherwise (or in
  // `store` under `prefix`, when given). Web storage stays in the browser; a
  // cookie would travel to the server.
  function Remembering(remember, header, store, prefix) {
    if (!remember || typeof remember.keyword !== 'string') return null;
    var folder;
    try {
      folder = new URL(typeof remember.scope === 'string' ? remember.scope : './', location.href).pathname;
    } catch (e) {
      return null;
    }
    var name = (prefix || STORAGE_PREFIX) + remember.keyword + ':' + folder;
    var salt = ToBase64(header.salt);
    try {
      store = store || (remember.days === 0 ? window.sessionStorage : window.localStorage);
    } catch (e) {
      return null;
    }
    if (!store) return null;
    return {
      Read: function () {
        try {
          var entry = JSON.parse(store.getItem(name));
          if (!entry || typeof entry.key !== 'string') return null;
          // Another run's key (the folder was published again, with another
          // salt and perhaps another password), or an expired one.
          if (entry.salt !== salt || (entry.expires !== null && !(entry.expires > Date.now()))) {
            store.removeItem(name);
            return null;
          }
          var key = FromBase64(entry.key);
          return key.length === 32 ? key : null;
        } catch (e) {
          return null;
        }
      },
      Write: function (key) {
        var days = remember.days;
        var expires = days > 0 ? Date.now() + days * 86400000 : null;
        try {
          store.setItem(name, JSON.stringify({ salt: salt, key: ToBase64(key), expires: expires }));
        } catch (e) {
          // Storage full or refused: the page opens all the same.
        }
      },
      Forget: function () {
        try {
          store.removeItem(name);
        } catch (e) {
          // Nothing to forget.
        }
      },
    };
  }

  // Opens the container with the master key: 'wrong', 'damaged', 'encoding'
  // or the page's text. `streamModule`: LoadStreamModule's promise.
  function Open(header, master, streamModule) {
    var crypto = self.NemoraCrypto;
    return crypto.blake2b(Ascii(KEY_CHECK_TEXT), 8, master).then(function (check) {
      if (!Equal(check, header.check)) return { outcome: 'wrong' };
      return Promise.all([crypto.blake2b(Ascii(CIPHER_KEY_TEXT), 32, master), streamModule]).then(function (got) {
        var cipherKey = got[0];
        var plain = crypto.xchachaOpen(cipherKey, header.nonce, header.sealed, header.aad);
        cipherKey.fill(0);
        if (!plain) return { outcome: 'damaged' };
        var stream = ReadStream(plain, got[1]);
        plain.fill(0);
        if (!stream) return { outcome: 'damaged' };
        var decoder;
        try {
          decoder = new TextDecoder(stream.encoding || 'utf-8');
        } catch (e) {
          return { outcome: 'encoding' };
        }
        return { outcome: 'open', page: stream.page, decoder: decoder };
      });
    });
  }

  // The opened page's whole text, for a page that is rewritten first.
  function TextOf(opened) {
    return opened.decoder.decode(opened.page);
  }

  function Show(text) {
    document.open('text/html', 'replace');
    document.write(text);
    document.close();
  }

  // A page's text written as it is decoded, a slice at a time: one string
  // of a large page costs more to make than the parser takes to read it in
  // slices (the parser keeps nothing of a slice it has read).
  var WRITTEN_SLICE = 64 * 1024;
  function ShowOpened(opened) {
    var page = opened.page;
    document.open('text/html', 'replace');
    for (var at = 0; at < page.length; at += WRITTEN_SLICE) {
      document.write(opened.decoder.decode(page.subarray(at, at + WRITTEN_SLICE), { stream: true }));
    }
    document.write(opened.decoder.decode());
    document.close();
  }

  // ---- Sealed sites ------------------------------------------------------
  // A page whose options hold "site" belongs to a sealed site
  // (docs/strong-format.md, "Sealed sites"): every other file of the site
  // travels sealed under nemora-sealed/, listed by an enciphered manifest.
  // The page text is rewritten before it is shown, so that its elements
  // point at blob: URLs of the opened files, and what the page's scripts
  // load later (fetch, XMLHttpRequest, elements and their src or href) is
  // opened the same way. A path the manifest does not list is left to the
  // browser, so a missing file stays missing.

  var CONTENT_KEY_TEXT = 'Nemora sealed content key v1';
  var NAME_KEY_TEXT = 'Nemora sealed name key v1';
  var SEALED_FOLDER = 'nemora-sealed/';
  var MANIFEST_NAME = 'manifest';
  var MANIFEST_AAD = 'nemora-sealed/manifest';
  var SEALED_MAGIC = 'NEMORA-F';
  var SEALED_NONCE_AT = 9;
  var SEALED_HEADER = 33;
  var SESSION_PREFIX = 'nemora-strong-site';
  var BASE32 = 'abcdefghijklmnopqrstuvwxyz234567';
  var NOTE_ID = 'nemora-sealed-note';

  // Elements whose attribute names a file the element loads.
  var LOADED_BY = {
    src: { script: 1, img: 1, iframe: 1, frame: 1, embed: 1, source: 1, video: 1, audio: 1, track: 1, input: 1 },
    srcset: { img: 1, source: 1 },
    poster: { video: 1 },
    data: { object: 1 },
  };
  // The link relations that load their href (others, as next or canonical,
  // name pages and stay).
  var LOADING_RELATIONS = /(^|\s)(stylesheet|icon|shortcut|apple-touch-icon|apple-touch-icon-precomposed|mask-icon|preload|modulepreload|prefetch|manifest)(\s|$)/i;
  // The element properties that scripts set to load a file later.
  var LOADING_PROPERTIES = [
    ['HTMLScriptElement', 'src'], ['HTMLImageElement', 'src'], ['HTMLImageElement', 'srcset'],
    ['HTMLLinkElement', 'href'], ['HTMLIFrameElement', 'src'], ['HTMLSourceElement', 'src'],
    ['HTMLSourceElement', 'srcset'], ['HTMLMediaElement', 'src'], ['HTMLVideoElement', 'poster'],
    ['HTMLObjectElement', 'data'], ['HTMLEmbedElement', 'src'], ['HTMLTrackElement', 'src'],
    ['HTMLInputElement', 'src'],
  ];
  // url(…) in any form, or @import with a bare string.
  var CSS_REFERENCE = /(@import\s*)(["'])(.*?)\2|url\(\s*(["']?)(.*?)\4\s*\)/gi;

  function SiteSupported() {
    if (typeof DecompressionStream !== 'function' || typeof DOMParser !== 'function' ||
        typeof URL !== 'function' || typeof URL.createObjectURL !== 'function' ||
        typeof Blob !== 'function' || typeof Response !== 'function' || typeof WeakMap !== 'function') {
      return false;
    }
    try {
      new DecompressionStream('deflate-raw');
      return true;
    } catch (e) {
      return false;
    }
  }

  function Utf8(text) {
    return new TextEncoder().encode(text);
  }

  function Base32(bytes) {
    var text = '';
    var buffer = 0;
    var bits = 0;
    for (var i = 0; i < bytes.length; i++) {
      buffer = ((buffer << 8) | bytes[i]) & 0xFFF;
      bits += 8;
      while (bits >= 5) {
        bits -= 5;
        text += BASE32[(buffer >> bits) & 31];
      }
    }
    if (bits > 0) text += BASE32[(buffer << (5 - bits)) & 31];
    return text;
  }

  function Own(object, name) {
    return object && Object.prototype.hasOwnProperty.call(object, name) ? object[name] : undefined;
  }

  // The site's top folder as an absolute URL ending in '/'.
  function SiteTop(site) {
    try {
      return new URL(typeof site.top === 'string' && site.top !== '' ? site.top : './', location.href);
    } catch (e) {
      return null;
    }
  }

  // The key kept for this tab while the visitor moves between the site's
  // pages, whatever the author chose for remembering it longer: the site asks
  // once per tab. Null when the browser keeps no web storage.
  function SiteSession(site, header) {
    var top = SiteTop(site);
    var store = null;
    try {
      store = window.sessionStorage;
      store.getItem(SESSION_PREFIX);
    } catch (e) {
      store = null;
    }
    if (!top || !store) return null;
    return Remembering({ keyword: '', days: 0, scope: top.href }, header, store, SESSION_PREFIX);
  }

  // A failed file is never shown: the console and a note on the page say
  // which. Notes wait for the page's body.
  function Notes(messages) {
    var lines = [];
    var said = Object.create(null);
    function Place() {
      if (!document.body || lines.length === 0) return;
      var note = document.getElementById(NOTE_ID);
      if (!note) {
        note = document.createElement('div');
        note.id = NOTE_ID;
        note.setAttribute('role', 'alert');
        note.style.cssText = 'position:fixed;left:0;right:0;bottom:0;z-index:2147483647;margin:0;padding:8px 12px;' +
          'background:#c62828;color:#fff;font:14px/1.5 system-ui,sans-serif;white-space:pre-wrap;';
        document.body.appendChild(note);
      }
      note.textContent = lines.join('\n');
    }
    return {
      Add: function (path, damaged) {
        if (said[path]) return;
        said[path] = true;
        var text = (damaged ? messages.damagedFile : messages.missingFile) + path;
        console.error('Nemora: ' + text);
        lines.push(text);
        Place();
      },
      Place: Place,
    };
  }

  function SealedFailure(path, damaged) {
    var error = new Error(path);
    error.sealedPath = path;
    error.damaged = damaged;
    return error;
  }

  // A deflate stream of stored blocks only, which is what the writer makes
  // of a file that does not compress (images, fonts, archives): their bytes
  // copied out, several times faster than a DecompressionStream. Null for
  // any other stream.
  function StoredBlocks(bytes) {
    var parts = [];
    var total = 0;
    for (var at = 0; at < bytes.length;) {
      // A stored block's header is byte aligned after a stored block: the
      // last-block bit, type 00, padding, then LEN and its complement.
      var head = bytes[at];
      if ((head & 6) !== 0 || at + 5 > bytes.length) return null;
      var length = bytes[at + 1] | (bytes[at + 2] << 8);
      if ((length ^ 0xffff) !== (bytes[at + 3] | (bytes[at + 4] << 8)) || at + 5 + length > bytes.length) return null;
      parts.push(bytes.subarray(at + 5, at + 5 + length));
      total += length;
      at += 5 + length;
      if (head & 1) {
        if (at !== bytes.length) return null;
        var plain = new Uint8Array(total);
        for (var i = 0, to = 0; i < parts.length; to += parts[i].length, i++) plain.set(parts[i], to);
        return plain;
      }
    }
    return null;
  }

  function Inflate(bytes) {
    var stored = StoredBlocks(bytes);
    if (stored) return Promise.resolve(stored);
    var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
    return new Response(stream).arrayBuffer().then(function (buffer) {
      return new Uint8Array(buffer);
    });
  }

  // The plain bytes of a sealed file, or a rejection (damaged) for one that
  // fails its checks: the tag covers the compressed payload and the path.
  function OpenSealedFile(contentKey, bytes, aad, path) {
    var fits = bytes.length >= SEALED_HEADER + TAG && bytes[SEALED_NONCE_AT - 1] === 1;
    for (var i = 0; fits && i < SEALED_MAGIC.length; i++) fits = bytes[i] === SEALED_MAGIC.charCodeAt(i);
    var compressed = fits
      ? self.NemoraCrypto.xchachaOpen(contentKey, bytes.subarray(SEALED_NONCE_AT, SEALED_HEADER),
        bytes.subarray(SEALED_HEADER), aad)
      : null;
    if (!compressed) return Promise.reject(SealedFailure(path, true));
    return Inflate(compressed).catch(function () {
      throw SealedFailure(path, true);
    });
  }

  // Loads a sealed script: its nemoraSealed call hands over the base64 text
  // for the name asked for; any other name is ignored.
  var sealedWaiting = Object.create(null);
  function SealedScript(url, name, path) {
    if (typeof window.nemoraSealed !== 'function' || !window.nemoraSealed.nemora) {
      var handOver = function (handed, base64) {
        if (typeof handed === 'string' && Own(sealedWaiting, handed) === null) sealedWaiting[handed] = String(base64);
      };
      handOver.nemora = true;
      window.nemoraSealed = handOver;
    }
    return new Promise(function (resolve, reject) {
      sealedWaiting[name] = null;
      var script = document.createElement('script');
      function Done(loaded) {
        script.remove();
        var base64 = sealedWaiting[name];
        delete sealedWaiting[name];
        if (!loaded) {
          reject(SealedFailure(path, false));
          return;
        }
        var bytes = null;
        try {
          bytes = typeof base64 === 'string' ? FromBase64(base64) : null;
        } catch (e) {
          bytes = null;
        }
        if (bytes) resolve(bytes);
        else reject(SealedFailure(path, true));
      }
      script.onload = function () { Done(true); };
      script.onerror = function () { Done(false); };
      script.src = url;
      (document.head || document.documentElement).appendChild(script);
    });
  }

  // The opened bytes of the site's file at `path`, from its sealed script:
  // its name needs only the name key, not the manifest.
  function LoadSealedFile(top, keys, path) {
    return self.NemoraCrypto.blake2b(Utf8(path), 16, keys.name).then(function (hash) {
      var name = Base32(hash);
      var url = new URL(SEALED_FOLDER + name.slice(0, 2) + '/' + name + '.js', top).href;
      return SealedScript(url, name, path);
    }).then(function (sealed) {
      return OpenSealedFile(keys.content, sealed, Utf8(path), path);
    });
  }

  // What the site's files need: keys, manifest, and the opened files,
  // cached by site path for the page's life; `early` holds files already
  // asked for by path (the page's own, loaded beside the manifest).
  function SiteFiles(top, keys, manifest, notes, early) {
    // Keyed by site path, which may be any text: no inherited names.
    var files = manifest.files;
    var bytesOf = Object.assign(Object.create(null), early);
    var urlOf = Object.create(null);
    var resourceOf = Object.create(null);
    var ready = Object.create(null);
    var noted = Object.create(null);

    function Entry(path) {
      return Own(files, path);
    }

    function Type(path) {
      var type = Entry(path).type;
      return typeof type === 'string' ? type : 'application/octet-stream';
    }

    function FileUrl(path) {
      return new URL(path.split('/').map(encodeURIComponent).join('/'), top).href;
    }

    // The site path a URL names, when the loader serves it: sealed, listed.
    function PathOf(text, base) {
      var url;
      try {
        url = new URL(text, base);
      } catch (e) {
        return null;
      }
      if (url.protocol !== top.protocol || url.host !== top.host) return null;
      if (url.pathname.indexOf(top.pathname) !== 0) return null;
      var path;
      try {
        path = decodeURIComponent(url.pathname.slice(top.pathname.length));
      } catch (e) {
        return null;
      }
      if (path === '' || path.charAt(path.length - 1) === '/') path += 'index.html';
      var entry = Entry(path);
      if (!entry || typeof entry !== 'object' || entry.public) return null;
      return path;
    }

    function Bytes(path) {
      if (!bytesOf[path]) bytesOf[path] = LoadSealedFile(top, keys, path);
      if (!(path in noted)) {
        noted[path] = true;
        bytesOf[path].catch(function (error) {
          notes.Add(path, !!(error && error.damaged));
        });
      }
      return bytesOf[path];
    }

    function BlobOf(path) {
      return Bytes(path).then(function (bytes) {
        return new Blob([bytes], { type: Type(path) });
      });
    }

    // A blob: URL of the file's own bytes (downloads, fetch, XMLHttpRequest).
    function RawUrl(path) {
      if (!urlOf[path]) {
        urlOf[path] = BlobOf(path).then(function (blob) {
          var url = URL.createObjectURL(blob);
          ready[path] = ready[path] || url;
          return url;
        });
      }
      return urlOf[path];
    }

    // A blob: URL for an element to load: a stylesheet's own references
    // rewritten first. `chain` holds the stylesheets that import this one.
    function ResourceUrl(path, chain) {
      if (!/^text\/css\b/i.test(Type(path))) return RawUrl(path);
      if (chain.indexOf(path) >= 0) return Promise.resolve('');
      if (!resourceOf[path]) {
        resourceOf[path] = Bytes(path).then(function (bytes) {
          var charset = /;\s*charset=([^;\s]+)/i.exec(Type(path));
          var text;
          try {
            text = new TextDecoder(charset ? charset[1] : 'utf-8').decode(bytes);
          } catch (e) {
            text = new TextDecoder('utf-8').decode(bytes);
          }
          return Css(text, FileUrl(path), chain.concat([path])) || text;
        }).then(function (text) {
          var url = URL.createObjectURL(new Blob([text], { type: 'text/css' }));
          ready[path] = url;
          return url;
        });
      }
      return resourceOf[path];
    }

    // What an element's reference becomes: null to leave it (not a file the
    // loader serves, or a page: links and frames of pages stay), a URL
    // when the file is open already, else a promise of one ('' for a file
    // that could not be opened).
    function Reference(text, base, chain) {
      var path = PathOf(text, base);
      if (path === null || Entry(path).page) return null;
      var hash = '';
      try {
        hash = new URL(text, base).hash;
      } catch (e) {
        hash = '';
      }
      if (Own(ready, path) && !/^text\/css\b/i.test(Type(path))) return ready[path] + hash;
      return ResourceUrl(path, chain || []).then(function (url) {
        return url ? url + hash : '';
      }, function () {
        return '';
      });
    }

    // A stylesheet's text with its url() and @import references opened, or
    // null when it names no file the loader serves.
    function Css(text, base, chain) {
      var found = [];
      text.replace(CSS_REFERENCE, function (match, importWord, importQuote, importUrl, quote, url, at) {
        var isImport = importWord !== undefined;
        var reference = Reference(isImport ? importUrl : url, base, chain);
        if (reference !== null) found.push({ at: at, length: match.length, isImport: isImport, reference: reference });
        return match;
      });
      if (found.length === 0) return null;
      return Promise.all(found.map(function (one) {
        return one.reference;
      })).then(function (urls) {
        var out = '';
        var from = 0;
        for (var i = 0; i < found.length; i++) {
          out += text.slice(from, found[i].at) + (found[i].isImport ? '@import ' : '') + 'url("' + urls[i] + '")';
          from = found[i].at + found[i].length;
        }
        return out + text.slice(from);
      });
    }

    // A srcset with each candidate's URL opened; a candidate that could not
    // be opened is dropped.
    function Srcset(text, base) {
      var candidates = [];
      var at = 0;
      while (at < text.length) {
        while (at < text.length && /[\s,]/.test(text[at])) at++;
        if (at >= text.length) break;
        var start = at;
        while (at < text.length && !/\s/.test(text[at])) at++;
        var url = text.slice(start, at);
        var descriptor = '';
        if (/,$/.test(url)) {
          url = url.replace(/,+$/, '');
        } else {
          var open = 0;
          start = at;
          while (at < text.length && (text[at] !== ',' || open > 0)) {
            if (text[at] === '(') open++;
            else if (text[at] === ')') open--;
            at++;
          }
          descriptor = text.slice(start, at).trim();
        }
        candidates.push({ url: url, descriptor: descriptor, reference: Reference(url, base) });
      }
      if (!candidates.some(function (one) { return one.reference !== null; })) return null;
      return Promise.all(candidates.map(function (one) {
        return one.reference === null ? one.url : one.reference;
      })).then(function (urls) {
        return candidates.map(function (one, i) {
          return urls[i] ? urls[i] + (one.descriptor ? ' ' + one.descriptor : '') : '';
        }).filter(Boolean).join(', ');
      });
    }

    // What one attribute of an element becomes, as Reference says.
    function Attribute(element, name, value, base) {
      var tag = element.localName;
      if (name === 'style') return Css(value, base, []);
      if (name === 'srcset') return Own(LOADED_BY.srcset, tag) ? Srcset(value, base) : null;
      if (name === 'href') {
        if (tag !== 'link' || !LOADING_RELATIONS.test(element.getAttribute('rel') || '')) return null;
        return Reference(value, base);
      }
      return Own(Own(LOADED_BY, name), tag) ? Reference(value, base) : null;
    }

    // A link to a file of the site that is not a page saves the file under
    // its own name; it is opened when followed.
    function MarkDownload(element, base) {
      if ((element.localName !== 'a' && element.localName !== 'area') || !element.hasAttribute('href')) return;
      var path = PathOf(element.getAttribute('href'), base);
      if (path === null || Entry(path).page) return;
      if (!element.hasAttribute('download')) element.setAttribute('download', path.slice(path.lastIndexOf('/') + 1));
    }

    return {
      PathOf: PathOf,
      IsPage: function (path) { return !!Entry(path).page; },
      Bytes: Bytes,
      Type: Type,
      BlobOf: BlobOf,
      RawUrl: RawUrl,
      Ready: function (path) { return Own(ready, path) && !/^text\/css\b/i.test(Type(path)) ? ready[path] : null; },
      Attribute: Attribute,
      Css: Css,
      MarkDownload: MarkDownload,
    };
  }

  var LOADING_ATTRIBUTES = ['src', 'srcset', 'poster', 'data', 'href', 'style'];

  // Rewrites one element's attributes (and a style element's text); the
  // promise settles once every new value is set. `set` sets an attribute
  // without passing through the loader's own hooks.
  function RewriteElement(files, element, base, set) {
    var jobs = [];
    LOADING_ATTRIBUTES.forEach(function (name) {
      if (!element.hasAttribute(name)) return;
      var value = files.Attribute(element, name, element.getAttribute(name), base);
      if (value === null) return;
      jobs.push(Promise.resolve(value).then(function (text) {
        if (text === '' && name !== 'style' && name !== 'srcset') element.removeAttribute(name);
        else set(element, name, text);
      }));
    });
    files.MarkDownload(element, base);
    var css = element.localName === 'style' ? files.Css(element.textContent, base, []) : null;
    if (css) {
      jobs.push(css.then(function (text) {
        element.textContent = text;
      }));
    }
    return jobs;
  }

  function PageBase(doc) {
    var base = doc.querySelector('base[href]');
    try {
      return base ? new URL(base.getAttribute('href'), location.href).href : location.href;
    } catch (e) {
      return location.href;
    }
  }

  // The page text with every file it loads opened; scripts stay where they
  // are, so they run in their order.
  function RewritePage(files, text) {
    var doc = new DOMParser().parseFromString(text, 'text/html');
    var base = PageBase(doc);
    var jobs = [];
    var elements = doc.querySelectorAll('*');
    for (var i = 0; i < elements.length; i++) {
      if (elements[i].closest('noscript')) continue;
      jobs = jobs.concat(RewriteElement(files, elements[i], base, function (element, name, value) {
        element.setAttribute(name, value);
      }));
    }
    return Promise.all(jobs).then(function () {
      var doctype = doc.doctype ? new XMLSerializer().serializeToString(doc.doctype) + '\n' : '';
      return doctype + doc.documentElement.outerHTML;
    });
  }

  // Hooks for what the page's scripts load after it is shown: fetch and
  // XMLHttpRequest of a listed path answer with its bytes (a page's own
  // text for a page), and element properties and attributes that load a
  // file are given its blob: URL. Set before the page is written, so its
  // scripts find them from the start. Returns the browser's own
  // setAttribute, for the loader's own changes.
  function HookLoading(files) {
    var nativeSetAttribute = Element.prototype.setAttribute;
    function Set(element, name, value) {
      nativeSetAttribute.call(element, name, value);
    }
    function Assign(element, name, value, setter) {
      var result = files.Attribute(element, name, String(value), document.baseURI);
      if (result === null) return false;
      if (typeof result === 'string') {
        setter(result);
        return true;
      }
      result.then(function (text) {
        if (text !== '') setter(text);
      });
      return true;
    }

    LOADING_PROPERTIES.forEach(function (pair) {
      var type = window[pair[0]];
      var descriptor = type && Object.getOwnPropertyDescriptor(type.prototype, pair[1]);
      if (!descriptor || !descriptor.set || !descriptor.configurable) return;
      var attribute = pair[1];
      Object.defineProperty(type.prototype, pair[1], {
        configurable: true,
        enumerable: descriptor.enumerable,
        get: descriptor.get,
        set: function (value) {
          var element = this;
          if (!Assign(element, attribute, value, function (text) { descriptor.set.call(element, text); })) {
            descriptor.set.call(element, value);
          }
        },
      });
    });
    Element.prototype.setAttribute = function (name, value) {
      var element = this;
      var lower = String(name).toLowerCase();
      if (LOADING_ATTRIBUTES.indexOf(lower) >= 0 && lower !== 'style' &&
          Assign(element, lower, value, function (text) { Set(element, lower, text); })) {
        return undefined;
      }
      return nativeSetAttribute.apply(this, arguments);
    };

    // Markup set by a script is parsed inert first (in a template), so no
    // element asks the server for a sealed file before its blob: URL is
    // known; then it is moved into place.
    function Inert(html) {
      var template = document.createElement('template');
      nativeInnerHtml.set.call(template, html);
      var elements = template.content.querySelectorAll('*');
      for (var i = 0; i < elements.length; i++) {
        var element = elements[i];
        LOADING_ATTRIBUTES.forEach(function (name) {
          if (!element.hasAttribute(name)) return;
          var result = files.Attribute(element, name, element.getAttribute(name), document.baseURI);
          if (result === null) return;
          if (typeof result === 'string') {
            Set(element, name, result);
            return;
          }
          if (name !== 'style') element.removeAttribute(name);
          result.then(SetLater(element, name));
        });
        files.MarkDownload(element, document.baseURI);
      }
      return template.content;
    }
    function SetLater(element, name) {
      return function (text) {
        if (text !== '') Set(element, name, text);
      };
    }
    function Markup(html) {
      return /\b(src|srcset|poster|data|href|style)\s*=/i.test(html);
    }
    var nativeInnerHtml = Object.getOwnPropertyDescriptor(Element.prototype, 'innerHTML');
    var nativeInsertHtml = Element.prototype.insertAdjacentHTML;
    if (nativeInnerHtml && nativeInnerHtml.set && nativeInnerHtml.configurable && nativeInsertHtml) {
      Object.defineProperty(Element.prototype, 'innerHTML', {
        configurable: true,
        enumerable: nativeInnerHtml.enumerable,
        get: nativeInnerHtml.get,
        set: function (html) {
          html = String(html);
          var raw = /^(script|style|textarea|title|template|xmp|iframe|noembed|noframes|noscript|plaintext)$/;
          if (!Markup(html) || raw.test(this.localName) || this.namespaceURI !== 'http://www.w3.org/1999/xhtml') {
            nativeInnerHtml.set.call(this, html);
            return;
          }
          var content = Inert(html);
          this.textContent = '';
          this.appendChild(content);
        },
      });
      Element.prototype.insertAdjacentHTML = function (position, html) {
        html = String(html);
        var where = String(position).toLowerCase();
        var parent = this.parentNode;
        var places = {
          beforebegin: parent && function (element, content) { parent.insertBefore(content, element); },
          afterbegin: function (element, content) { element.insertBefore(content, element.firstChild); },
          beforeend: function (element, content) { element.appendChild(content); },
          afterend: parent && function (element, content) { parent.insertBefore(content, element.nextSibling); },
        };
        var place = Own(places, where);
        if (!Markup(html) || !place || this.namespaceURI !== 'http://www.w3.org/1999/xhtml') {
          return nativeInsertHtml.apply(this, arguments);
        }
        place(this, Inert(html));
        return undefined;
      };
      var nativeOuterHtml = Object.getOwnPropertyDescriptor(Element.prototype, 'outerHTML');
      if (nativeOuterHtml && nativeOuterHtml.set && nativeOuterHtml.configurable) {
        Object.defineProperty(Element.prototype, 'outerHTML', {
          configurable: true,
          enumerable: nativeOuterHtml.enumerable,
          get: nativeOuterHtml.get,
          set: function (html) {
            html = String(html);
            var parent = this.parentNode;
            if (!Markup(html) || !parent || parent.nodeType !== 1 ||
                parent.namespaceURI !== 'http://www.w3.org/1999/xhtml') {
              nativeOuterHtml.set.call(this, html);
              return;
            }
            parent.replaceChild(Inert(html), this);
          },
        });
      }
      var nativeFragment = window.Range && Range.prototype.createContextualFragment;
      if (nativeFragment) {
        Range.prototype.createContextualFragment = function (html) {
          html = String(html);
          // Scripts in the markup must stay runnable, as the browser's own
          // fragment leaves them; a template would mark them as run.
          if (!Markup(html) || /<script/i.test(html)) return nativeFragment.apply(this, arguments);
          return Inert(html);
        };
      }
    }

    var nativeFetch = window.fetch;
    if (typeof nativeFetch === 'function') {
      window.fetch = function (input, init) {
        var request = typeof Request === 'function' && input instanceof Request ? input : null;
        var method = String((init && init.method) || (request ? request.method : 'GET')).toUpperCase();
        var path = method === 'GET' || method === 'HEAD'
          ? files.PathOf(request ? request.url : String(input), document.baseURI) : null;
        if (path === null) return nativeFetch.apply(this, arguments);
        return files.BlobOf(path).then(function (blob) {
          return new Response(method === 'HEAD' ? null : blob, {
            status: 200,
            statusText: 'OK',
            headers: { 'Content-Type': blob.type, 'Content-Length': String(blob.size) },
          });
        }, function () {
          throw new TypeError('Failed to fetch');
        });
      };
    }

    var xhr = window.XMLHttpRequest && XMLHttpRequest.prototype;
    if (xhr) {
      var open = xhr.open;
      var send = xhr.send;
      var setHeader = xhr.setRequestHeader;
      var abort = xhr.abort;
      var waiting = new WeakMap();
      xhr.open = function (method, url) {
        var args = Array.prototype.slice.call(arguments);
        waiting.delete(this);
        var path = /^(get|head)$/i.test(String(method)) ? files.PathOf(String(url), document.baseURI) : null;
        if (path !== null) {
          var ready = files.Ready(path);
          if (ready) args[1] = ready;
          else if (args.length < 3 || args[2]) waiting.set(this, { path: path, args: args, headers: [] });
        }
        return open.apply(this, args);
      };
      xhr.setRequestHeader = function (name, value) {
        var pending = waiting.get(this);
        if (pending) pending.headers.push([name, value]);
        return setHeader.apply(this, arguments);
      };
      xhr.abort = function () {
        var pending = waiting.get(this);
        if (pending) pending.aborted = true;
        return abort.apply(this, arguments);
      };
      // Sent once the file is open: opened again on its blob: URL, with the
      // same headers. A file that cannot be opened is asked for as it was.
      xhr.send = function (body) {
        var pending = waiting.get(this);
        if (!pending) return send.apply(this, arguments);
        waiting.delete(this);
        var request = this;
        files.RawUrl(pending.path).then(function (url) {
          return url;
        }, function () {
          return null;
        }).then(function (url) {
          if (pending.aborted) return;
          var args = pending.args.slice();
          if (url) args[1] = url;
          open.apply(request, args);
          pending.headers.forEach(function (header) {
            setHeader.call(request, header[0], header[1]);
          });
          send.call(request, body);
        });
        return undefined;
      };
    }
    return Set;
  }

  // After the page is written: elements added later (by markup, not through
  // the hooked properties) are rewritten, and links to files are opened
  // when followed.
  function WatchPage(files, notes, Set) {
    function Visit(element) {
      RewriteElement(files, element, document.baseURI, Set);
    }
    if (typeof MutationObserver === 'function') {
      new MutationObserver(function (records) {
        records.forEach(function (record) {
          if (record.type === 'attributes') {
            Visit(record.target);
            return;
          }
          record.addedNodes.forEach(function (node) {
            if (node.nodeType !== 1) return;
            Visit(node);
            var inner = node.querySelectorAll('[src],[srcset],[poster],[data],[href],[style],style');
            for (var i = 0; i < inner.length; i++) Visit(inner[i]);
          });
        });
      }).observe(document, {
        childList: true,
        subtree: true,
        attributes: true,
        attributeFilter: ['src', 'srcset', 'poster', 'data', 'href', 'style', 'rel'],
      });
    }
    document.addEventListener('click', function (event) {
      var link = event.target && event.target.closest ? event.target.closest('a[href], area[href]') : null;
      if (!link || !link.hasAttribute('download')) return;
      var path = files.PathOf(link.getAttribute('href'), document.baseURI);
      if (path === null || files.IsPage(path)) return;
      event.preventDefault();
      files.RawUrl(path).then(function (url) {
        Set(link, 'href', url);
        link.click();
      }, function () {});
    }, true);
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', notes.Place);
    else notes.Place();
  }

  // The page's own text: its container names the page by its site path
  // and the text is in the page's sealed file, in the encoding the
  // manifest gives. A container that holds the text itself is taken as it is.
  // The page is not shown when that file fails: the form says which.
  function PageText(files, site, text, messages) {
    if (text !== site.path) return Promise.resolve(text);
    return files.Bytes(site.path).then(function (bytes) {
      var charset = /;\s*charset=([^;\s]+)/i.exec(files.Type(site.path) || '');
      try {
        return new TextDecoder(charset ? charset[1] : 'utf-8').decode(bytes);
      } catch (e) {
        return new TextDecoder('utf-8').decode(bytes);
      }
    }, function (error) {
      var said = (error && error.damaged ? messages.damagedFile : messages.missingFile) + site.path;
      console.error('Nemora: ' + said);
      throw new Error(said);
    });
  }

  // Opens the site's files with the master key and shows the page. Rejects
  // with a text for the visitor when the manifest cannot be opened; the
  // page is not shown then.
  function ShowSite(site, master, text, messages) {
    var crypto = self.NemoraCrypto;
    var top = SiteTop(site);
    var notes = Notes(messages);
    var keys = {};
    var early = Object.create(null);
    return Promise.all([
      crypto.blake2b(Ascii(CONTENT_KEY_TEXT), 32, master),
      crypto.blake2b(Ascii(NAME_KEY_TEXT), 32, master),
    ]).then(function (derived) {
      master.fill(0);
      keys.content = derived[0];
      keys.name = derived[1];
      if (!top) throw SealedFailure(SEALED_FOLDER + MANIFEST_NAME + '.js', true);
      var manifestPath = SEALED_FOLDER + MANIFEST_NAME + '.js';
      // The page's own file, when its container holds only its path, is
      // loaded beside the manifest rather than after it.
      if (text === site.path) {
        early[site.path] = LoadSealedFile(top, keys, site.path);
        early[site.path].catch(function () {});
      }
      return SealedScript(new URL(manifestPath, top).href, MANIFEST_NAME, manifestPath).then(function (sealed) {
        return OpenSealedFile(keys.content, sealed, Ascii(MANIFEST_AAD), manifestPath);
      }).then(function (plain) {
        var manifest = null;
        try {
          manifest = JSON.parse(new TextDecoder('utf-8', { fatal: true }).decode(plain));
        } catch (e) {
          manifest = null;
        }
        if (!manifest || manifest.version !== 1 || !manifest.files || typeof manifest.files !== 'object') {
          throw SealedFailure(manifestPath, true);
        }
        return manifest;
      });
    }).then(function (manifest) {
      var files = SiteFiles(top, keys, manifest, notes, early);
      return PageText(files, site, text, messages).then(function (pageText) {
        return RewritePage(files, pageText);
      }).then(function (page) {
        var set = HookLoading(files);
        Show(page);
        WatchPage(files, notes, set);
      });
    }, function (error) {
      master.fill(0);
      var path = error && error.sealedPath ? error.sealedPath : SEALED_FOLDER + MANIFEST_NAME + '.js';
      var said = (error && error.damaged ? messages.damagedFile : messages.missingFile) + path;
      console.error('Nemora: ' + said);
      throw new Error(said);
    });
  }

  function Start() {
    var messages = PageMessages();
    var form = document.getElementById('nemora-form');
    var field = document.getElementById('nemora-field');
    var password = document.getElementById('nemora-password');
    var showButton = document.getElementById('nemora-show');
    var submit = document.getElementById('nemora-submit');
    var submitText = document.getElementById('nemora-submit-text');
    var status = document.getElementById('nemora-status');
    var rememberRow = document.getElementById('nemora-remember-row');
    var rememberBox = document.getElementById('nemora-remember');
    var busy = false;

    function Say(text, bad) {
      status.textContent = text;
      status.className = bad ? 'bad' : '';
      field.className = bad ? 'field bad' : 'field';
    }

    function SetBusy(on, text) {
      busy = on;
      submit.disabled = on;
      password.readOnly = on;
      submit.className = on ? 'busy' : '';
      form.setAttribute('aria-busy', on ? 'true' : 'false');
      if (on) Say(text, false);
    }

    if (!self.NemoraCrypto || typeof WebAssembly !== 'object' || typeof TextDecoder !== 'function') {
      Say(messages.unsupported, true);
      return;
    }
    var data;
    try {
      data = FromBase64(document.getElementById('nemora-data').textContent);
    } catch (e) {
      data = new Uint8Array(0);
    }
    var header = ReadHeader(data);
    if (!header) {
      Say(messages.damaged, true);
      return;
    }
    var streamModule = LoadStreamModule(header.sealed.length);
    var options = Options();
    var site = options.site && typeof options.site === 'object' ? options.site : null;
    if (site && !SiteSupported()) {
      Say(messages.unsupported, true);
      return;
    }
    // Every page of a site remembers the key for the site's top folder.
    var remember = options.remember;
    if (site && remember && typeof remember === 'object') {
      remember = Object.assign({}, remember, { scope: site.top });
    }
    var memory = Remembering(remember, header);
    if (memory && options.remember.ask) rememberRow.hidden = false;
    var session = site ? SiteSession(site, header) : null;
    if (site && !session) Say(messages.storage, false);

    function Ready() {
      password.disabled = false;
      submit.disabled = false;
      password.focus();
    }

    function Opened(result, master, typed) {
      if (result.outcome === 'open') {
        if (typed && memory && (!options.remember.ask || rememberBox.checked)) memory.Write(master);
        if (site) {
          if (session) session.Write(master);
          ShowSite(site, master, TextOf(result), messages).catch(function (error) {
            SetBusy(false);
            Say(error.message, true);
          });
          return;
        }
        master.fill(0);
        ShowOpened(result);
        return;
      }
      master.fill(0);
      SetBusy(false);
      Say(messages[result.outcome], true);
      if (result.outcome === 'wrong') {
        password.select();
        password.focus();
      }
    }

    showButton.addEventListener('click', function () {
      var shown = password.type === 'password';
      password.type = shown ? 'text' : 'password';
      showButton.textContent = shown ? messages.hide : messages.show;
      showButton.setAttribute('aria-pressed', shown ? 'true' : 'false');
      password.focus();
    });

    form.addEventListener('submit', function (event) {
      event.preventDefault();
      if (busy) return;
      if (password.value === '') {
        Say(messages.empty, true);
        password.focus();
        return;
      }
      SetBusy(true, messages.busy);
      var typed = new TextEncoder().encode(password.value);
      // Two frames, so the busy state is painted before the derivation
      // holds the page's thread.
      requestAnimationFrame(function () {
        setTimeout(function () {
          self.NemoraCrypto.argon2id(typed, header.salt, header.memory, header.passes, header.lanes)
            .then(function (master) {
              typed.fill(0);
              Say(messages.opening, false);
              return Open(header, master, streamModule).then(function (result) {
                Opened(result, master, true);
              });
            })
            .catch(function () {
              typed.fill(0);
              SetBusy(false);
              Say(messages.memory, true);
            });
        }, 0);
      });
    });

    var remembered = (memory ? memory.Read() : null) || (session ? session.Read() : null);
    if (!remembered) {
      Ready();
      setTimeout(WarmUpCrypto, 0);
      return;
    }
    SetBusy(true, messages.opening);
    Open(header, remembered, streamModule).then(function (result) {
      if (result.outcome === 'open') {
        Opened(result, remembered, false);
        return;
      }
      if (result.outcome === 'wrong') {
        // The author changed the password: the remembered key is no use.
        remembered.fill(0);
        if (memory) memory.Forget();
        if (session) session.Forget();
        SetBusy(false);
        Say('', false);
      } else {
        Opened(result, remembered, false);
      }
      Ready();
    });
  }

  if (document.readyState === 'loading') {
    document.addEventListener('DOMContentLoaded', Start);
  } else {
    Start();
  }
})();
