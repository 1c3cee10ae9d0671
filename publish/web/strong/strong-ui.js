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
        WarmUpStreamModule(module);
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
  // sessionStorage for a session lifetime, in localStorage otherwise. Web
  // storage stays in the browser; a cookie would travel to the server.
  function Remembering(remember, header) {
    if (!remember || typeof remember.keyword !== 'string') return null;
    var folder;
    try {
      folder = new URL(typeof remember.scope === 'string' ? remember.scope : './', location.href).pathname;
    } catch (e) {
      return null;
    }
    var name = STORAGE_PREFIX + remember.keyword + ':' + folder;
    var salt = ToBase64(header.salt);
    var store = null;
    try {
      store = remember.days === 0 ? window.sessionStorage : window.localStorage;
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
        var text;
        try {
          text = new TextDecoder(stream.encoding || 'utf-8').decode(stream.page);
        } catch (e) {
          return { outcome: 'encoding' };
        }
        return { outcome: 'open', text: text };
      });
    });
  }

  function Show(text) {
    document.open('text/html', 'replace');
    document.write(text);
    document.close();
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
    var memory = Remembering(options.remember, header);
    if (memory && options.remember.ask) rememberRow.hidden = false;

    function Ready() {
      password.disabled = false;
      submit.disabled = false;
      password.focus();
    }

    function Opened(result, master, typed) {
      if (result.outcome === 'open') {
        if (typed && memory && (!options.remember.ask || rememberBox.checked)) memory.Write(master);
        master.fill(0);
        Show(result.text);
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

    var remembered = memory ? memory.Read() : null;
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
        memory.Forget();
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
