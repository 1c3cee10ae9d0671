'use strict';
// Known answers for the three primitives of the strong lock, computed by the
// committed nemora-crypto.js: a wrong parameter order, a truncated output
// taken for a shorter one, a subarray read from its buffer's start or a tag
// that is not checked would each give other bytes than these.

const assert = require('node:assert/strict');
const { describe, it } = require('node:test');
const { LoadBundle, Hex, Bytes, Utf8, Counting } = require('./support');

const { NemoraCrypto } = LoadBundle();

describe('Argon2id', () => {
  // The first row is the reference implementation's own Argon2id test; the
  // others are Debian's argon2 command, e.g.
  //   printf '%s' 'Grüße, 鍵 🔑' | argon2 'NemoraSaltBytes!' -id -t 3 -k 19456 -p 1 -l 32 -r
  // RFC 9106's Argon2id vector cannot be a row: it hashes 12 bytes of
  // associated data, which hash-wasm has no input for, and a secret, which
  // the strong lock does not use.
  const ROWS = [
    {
      name: 'reference test, 64 MiB, 2 passes',
      password: Utf8('password'), salt: Utf8('somesalt'), memoryKiB: 65536, passes: 2, lanes: 1,
      key: '09316115d5cf24ed5a15a31a3ba326e5cf32edc24702987c02b6566f61913cf7',
    },
    {
      name: 'UTF-8 password, 16-byte salt, the least memory a reader takes, 3 passes',
      password: Utf8('Grüße, 鍵 🔑'), salt: Utf8('NemoraSaltBytes!'), memoryKiB: 19456, passes: 3, lanes: 1,
      key: '9de6471f2dffb21da88228aa8ed82ed73b4c50bba033b253cd5f1547b14dae26',
    },
    {
      name: 'two lanes, so the lane count reaches the derivation',
      password: Utf8('password'), salt: Utf8('somesalt'), memoryKiB: 65536, passes: 2, lanes: 2,
      key: '6f681ac1c3384a90119d2763a683f9ac79532d999abfab5644aa8aafd3d0d234',
    },
  ];
  for (const row of ROWS) {
    it(row.name, async () => {
      const key = await NemoraCrypto.argon2id(row.password, row.salt, row.memoryKiB, row.passes, row.lanes);
      assert.equal(Hex(key), row.key);
    });
  }

  // hash-wasm refuses these rather than deriving a key from them; the page
  // has to expect a rejection, not a key.
  it('rejects an empty password and a salt under 8 bytes', async () => {
    await assert.rejects(NemoraCrypto.argon2id(new Uint8Array(0), Utf8('somesalt'), 19456, 2, 1),
      /Password must be specified/);
    await assert.rejects(NemoraCrypto.argon2id(Utf8('password'), Utf8('7bytes!'), 19456, 2, 1),
      /Salt should be at least 8 bytes/);
  });
});

describe('keyed BLAKE2b', () => {
  const K = Bytes('09316115d5cf24ed5a15a31a3ba326e5cf32edc24702987c02b6566f61913cf7');
  // The first three are the BLAKE2 reference's keyed test file (key 00..3f);
  // the others are Python's hashlib.blake2b(data, key=K, digest_size=n).
  const ROWS = [
    {
      name: 'reference, empty input', data: new Uint8Array(0), outBytes: 64, key: Counting(0, 64),
      hash: '10ebb67700b1868efb4417987acf4690ae9d972fb7a590c2f02871799aaa4786'
        + 'b5e996e8f0f4eb981fc214b005f42d2ff4233499391653df7aefcbc13fc51568',
    },
    {
      name: 'reference, one byte', data: Counting(0, 1), outBytes: 64, key: Counting(0, 64),
      hash: '961f6dd1e4dd30f63901690c512e78e4b45e4742ed197c3c5e45c549fd25f2e4'
        + '187b0bc9fe30492b16b0d0bc4ef9b0f34c7003fac09a5ef1532e69430234cebd',
    },
    {
      name: 'reference, 255 bytes over two blocks', data: Counting(0, 255), outBytes: 64, key: Counting(0, 64),
      hash: '142709d62e28fcccd0af97fad0f8465b971e82201dc51070faa0372aa43e9248'
        + '4be1c1e73ba10906d5d1853db6a4106e0a7bf9800d373d6dee2d46d62ef2a461',
    },
    {
      name: 'the cipher key from a master key', data: Utf8('Nemora strong cipher key v1'), outBytes: 32, key: K,
      hash: '21a9c7e7ab55a79156c5e0d75241fff1648454a240230a05a6b457d979a79db4',
    },
    {
      name: 'the key check from a master key', data: Utf8('Nemora strong key check v1'), outBytes: 8, key: K,
      hash: '466607618b5dc40e',
    },
    {
      // The third row's bytes, as views that start inside their buffers.
      name: 'data and key as subarrays of larger buffers',
      data: Counting(0xf6, 300).subarray(10, 265), outBytes: 64, key: Counting(0xc0, 128).subarray(64),
      hash: '142709d62e28fcccd0af97fad0f8465b971e82201dc51070faa0372aa43e9248'
        + '4be1c1e73ba10906d5d1853db6a4106e0a7bf9800d373d6dee2d46d62ef2a461',
    },
  ];
  for (const row of ROWS) {
    it(row.name, async () => {
      const hash = await NemoraCrypto.blake2b(row.data, row.outBytes, row.key);
      assert.equal(Hex(hash), row.hash);
    });
  }
});

describe('XChaCha20-Poly1305', () => {
  // draft-irtf-cfrg-xchacha-03, appendix A.3.1; libsodium's
  // crypto_aead_xchacha20poly1305_ietf_encrypt gives the same bytes.
  const key = Counting(0x80, 32);
  const nonce = Counting(0x40, 24);
  const aad = Bytes('50515253c0c1c2c3c4c5c6c7');
  const plain = Utf8('Ladies and Gentlemen of the class of \'99: If I could offer you only one tip for the '
    + 'future, sunscreen would be it.');
  const sealed = Bytes('bd6d179d3e83d43b9576579493c0e939572a1700252bfaccbed2902c21396cbb'
    + '731c7f1b0b4aa6440bf3a82f4eda7e39ae64c6708c54c216cb96b72e1213b452'
    + '2f8c9ba40db5d945b11b69b982c1bb9e3f3fac2bc369488f76b2383565d3fff9'
    + '21f9664c97637da9768812f615c68b13b52e'
    + 'c0875924c1c7987947deafd8780acf49');

  it('seals the published vector to its ciphertext and tag', () => {
    assert.equal(Hex(NemoraCrypto.xchachaSeal(key, nonce, plain, aad)), Hex(sealed));
  });

  it('opens the published vector', () => {
    assert.equal(Hex(NemoraCrypto.xchachaOpen(key, nonce, sealed, aad)), Hex(plain));
  });

  // Each change is one the tag must catch; the answer is null, not an
  // exception, so the page can say "damaged".
  function Flipped(bytes, index) {
    const copy = bytes.slice();
    copy[(index + copy.length) % copy.length] ^= 0x01;
    return copy;
  }
  const CHANGES = [
    { name: 'the last tag byte', args: [key, nonce, Flipped(sealed, -1), aad] },
    { name: 'the first tag byte', args: [key, nonce, Flipped(sealed, -16), aad] },
    { name: 'a ciphertext byte', args: [key, nonce, Flipped(sealed, 0), aad] },
    { name: 'an associated data byte', args: [key, nonce, sealed, Flipped(aad, 11)] },
    { name: 'no associated data', args: [key, nonce, sealed, undefined] },
    { name: 'another key', args: [Flipped(key, 31), nonce, sealed, aad] },
    { name: 'another nonce, in its last byte', args: [key, Flipped(nonce, 23), sealed, aad] },
    { name: 'the ciphertext cut short', args: [key, nonce, sealed.subarray(0, sealed.length - 1), aad] },
    { name: 'shorter than a tag', args: [key, nonce, sealed.subarray(0, 15), aad] },
  ];
  for (const change of CHANGES) {
    it(`gives null for ${change.name}`, () => {
      assert.equal(NemoraCrypto.xchachaOpen(...change.args), null);
    });
  }

  // The page reads header, nonce and ciphertext as views into one decoded
  // container; each must be read from its own offset.
  it('opens from views into one container', () => {
    const container = new Uint8Array(72 + sealed.length);
    container.set(Counting(0xa0, 40), 0);
    container.set(nonce, 40);
    container.set(sealed, 72);
    const header = container.subarray(0, 72);
    const sealedHere = NemoraCrypto.xchachaSeal(key, container.subarray(40, 64), plain, header);
    container.set(sealedHere, 72);
    const opened = NemoraCrypto.xchachaOpen(key, container.subarray(40, 64), container.subarray(72), header);
    assert.equal(Hex(opened), Hex(plain));
    assert.equal(NemoraCrypto.xchachaOpen(key, container.subarray(41, 65), container.subarray(72), header), null);
  });

  it('seals and opens an empty text without associated data', () => {
    const tagOnly = NemoraCrypto.xchachaSeal(key, nonce, new Uint8Array(0));
    assert.equal(tagOnly.length, 16);
    assert.equal(Hex(NemoraCrypto.xchachaOpen(key, nonce, tagOnly)), '');
  });

  // A key or nonce of the wrong size is the caller's mistake, not a wrong
  // password, and must not pass as one.
  it('throws for a key or nonce of the wrong size', () => {
    assert.throws(() => NemoraCrypto.xchachaOpen(key.subarray(1), nonce, sealed, aad), /key must be 32 bytes/);
    assert.throws(() => NemoraCrypto.xchachaOpen(key, nonce.subarray(1), sealed, aad), /nonce must be 24 bytes/);
    assert.throws(() => NemoraCrypto.xchachaSeal(key, nonce, 'text', aad), /plain must be a Uint8Array/);
  });
});
