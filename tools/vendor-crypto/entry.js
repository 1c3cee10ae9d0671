// The one global that the strong lock's page script uses: Argon2id and keyed
// BLAKE2b from hash-wasm, XChaCha20-Poly1305 from @noble/ciphers. Nothing is
// fetched and no WebCrypto is used, so the page opens from file:// and from a
// plain http:// origin alike. tools/bundle-crypto.sh builds it.
import { argon2id as hashWasmArgon2id, createBLAKE2b } from 'hash-wasm';
import { xchacha20poly1305 } from '@noble/ciphers/chacha.js';

// Copies the view into a Uint8Array of this script's realm: noble rejects a
// Node Buffer or a typed array that is not a Uint8Array, and the caller may
// hand over a subarray of a larger buffer.
function bytes(value, name) {
  if (!ArrayBuffer.isView(value)) {
    throw new TypeError(`NemoraCrypto: ${name} must be a Uint8Array`);
  }
  return new Uint8Array(value.buffer, value.byteOffset, value.byteLength).slice();
}

function exactLength(value, length, name) {
  const result = bytes(value, name);
  if (result.length !== length) {
    throw new TypeError(`NemoraCrypto: ${name} must be ${length} bytes`);
  }
  return result;
}

// The master key: 32 bytes, version 0x13, no secret, no associated data.
// Rejects (as hash-wasm does) an empty password or a salt under 8 bytes.
function argon2id(password, salt, memoryKiB, passes, lanes) {
  return hashWasmArgon2id({
    password: bytes(password, 'password'),
    salt: bytes(salt, 'salt'),
    // As bytes: hash-wasm's default, an empty string, needs a TextEncoder.
    secret: new Uint8Array(0),
    memorySize: memoryKiB,
    iterations: passes,
    parallelism: lanes,
    hashLength: 32,
    outputType: 'binary',
  });
}

// A fresh instance per call: hash-wasm's one-shot blake2b shares one instance
// between calls and returns hex only.
async function blake2b(data, outBytes, key) {
  const hasher = await createBLAKE2b(outBytes * 8, key == null ? null : bytes(key, 'key'));
  hasher.update(bytes(data, 'data'));
  return hasher.digest('binary');
}

// null when the tag does not verify: a wrong key or damaged data is an
// outcome the reader reports, not an exception. Lengths are checked first, so
// the only thing decrypt can still throw for is the tag.
function xchachaOpen(key, nonce, sealedWithTag, aad) {
  const cipher = xchacha20poly1305(
    exactLength(key, 32, 'key'),
    exactLength(nonce, 24, 'nonce'),
    aad == null ? undefined : bytes(aad, 'aad'),
  );
  const sealed = bytes(sealedWithTag, 'sealed data');
  if (sealed.length < 16) {
    return null;
  }
  try {
    return cipher.decrypt(sealed);
  } catch (error) {
    return null;
  }
}

function xchachaSeal(key, nonce, plain, aad) {
  return xchacha20poly1305(
    exactLength(key, 32, 'key'),
    exactLength(nonce, 24, 'nonce'),
    aad == null ? undefined : bytes(aad, 'aad'),
  ).encrypt(bytes(plain, 'plain'));
}

// globalThis is the window on a page and the context's global in Node's vm.
globalThis.NemoraCrypto = Object.freeze({
  argon2id,
  blake2b,
  xchachaOpen,
  xchachaSeal,
  // Filled in by tools/bundle-crypto.sh from the installed packages.
  version: NEMORA_CRYPTO_VERSIONS,
});
