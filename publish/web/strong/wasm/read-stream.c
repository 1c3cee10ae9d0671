// The body of the strong page's plain stream, rebuilt in WebAssembly under
// the same rules as ReadStream in strong-ui.js (which reads the header and
// the character-code blocks, and is the fallback where this module does not
// load): only what the compressor writes is accepted. tools/build-wasm.sh
// builds it; no C library, no imports.

typedef unsigned char u8;
typedef unsigned int u32;
typedef unsigned long long u64;

enum {
    kBlock = 8,
    kWindow = 32768,
    kShortestCopy = 5,
    kLongestCopy = 128,
    kToken = 4,
    kPadding = 0x20,
};

static const u64 kOnes = 0x0101010101010101ull;
static const u64 kHighs = 0x8080808080808080ull;

static u64 Load8(const u8* at) {
    u64 value;
    __builtin_memcpy(&value, at, 8);
    return value;
}

static void Store8(u8* at, u64 value) {
    __builtin_memcpy(at, &value, 8);
}

// Rebuilds `length` bytes into `page` from plain[at, end): 1 when the body
// is exactly what the compressor writes (literals, copies, then the padding
// to the block's end), 0 otherwise. `page` must have 8 bytes to spare after
// `length`: literals and copies move eight bytes at a time and may write up
// to seven past the current end, which later bytes overwrite.
__attribute__((export_name("read_body"))) int ReadBody(const u8* plain, u32 at, u32 end, u8* page,
                                                       u32 length) {
    u32 size = 0;
    while (size < length) {
        if (at >= end) return 0;
        if (plain[at] != 0) {
            // Eight literals at a time while none of them starts a copy.
            while (end - at >= 8 && length - size >= 8) {
                u64 word = Load8(plain + at);
                if ((word - kOnes) & ~word & kHighs) break;
                Store8(page + size, word);
                at += 8;
                size += 8;
            }
            while (size < length && at < end && plain[at] != 0) page[size++] = plain[at++];
            continue;
        }
        if (end - at < kToken) return 0;
        u32 distance = plain[at + 1] | ((u32)plain[at + 2] << 8);
        u32 count = plain[at + 3];
        at += kToken;
        if (distance == 0 || distance > kWindow || distance > size || count < kShortestCopy ||
            count > kLongestCopy || count > distance || count > length - size) {
            return 0;
        }
        // Eight bytes at a time: a copy is never longer than its distance, so
        // every byte it keeps was there before it; the bytes read past the
        // distance only fill the spare ones after it.
        const u8* from = page + size - distance;
        u8* to = page + size;
        for (u32 i = 0; i < count; i += 8) Store8(to + i, Load8(from + i));
        size += count;
    }
    u32 padded = (at + kBlock - 1) / kBlock * kBlock;
    if (padded != end) return 0;
    for (; at < end; at++) {
        if (plain[at] != kPadding) return 0;
    }
    return 1;
}
