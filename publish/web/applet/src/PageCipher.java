/*
 * The page cipher: DES with the data file's own bit numbering, key-bit
 * selection and PC-2 table. Every data file depends on these differences,
 * so they are reproduced bit for bit:
 *  - a block's 8 bytes are read as one big-endian 64-bit number whose least
 *    significant bit is the standard's bit 1 (and its most significant bit 64);
 *  - each key byte gives its seven low bits where the standard reads the
 *    seven high ones;
 *  - PC-2 is the standard table with C and D exchanged, except its
 *    seventeenth entry, 55 (so position 54 is never selected, 55 twice).
 *
 * Tables are given with the standard's 1-based bit numbers. The rounds work
 * on two ints whose most significant bit is the standard's bit 1.
 */
final class PageCipher {
    /* S1 to S8, by box, row and column. */
    static final byte[][][] m_aBoxS = {
            {{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
                    {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
                    {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
                    {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}},
            {{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
                    {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
                    {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
                    {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}},
            {{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
                    {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
                    {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
                    {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}},
            {{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
                    {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
                    {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
                    {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}},
            {{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
                    {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
                    {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
                    {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}},
            {{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
                    {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
                    {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
                    {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}},
            {{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
                    {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
                    {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
                    {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}},
            {{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
                    {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
                    {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
                    {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}}};

    private static final byte[] IP = {58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
            62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8, 57, 49, 41, 33, 25, 17, 9,
            1, 59, 51, 43, 35, 27, 19, 11, 3, 61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23,
            15, 7};

    private static final byte[] P = {16, 7, 20, 21, 29, 12, 28, 17, 1, 15, 23, 26, 5, 18, 31, 10, 2,
            8, 24, 14, 32, 27, 3, 9, 19, 13, 30, 6, 22, 11, 4, 25};

    private static final byte[] PC1 = {57, 49, 41, 33, 25, 17, 9, 1, 58, 50, 42, 34, 26, 18, 10, 2,
            59, 51, 43, 35, 27, 19, 11, 3, 60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7, 62, 54,
            46, 38, 30, 22, 14, 6, 61, 53, 45, 37, 29, 21, 13, 5, 28, 20, 12, 4};

    private static final byte[] PC2 = {42, 45, 39, 52, 29, 33, 31, 56, 43, 34, 49, 38, 51, 47, 40,
            32, 55, 36, 44, 35, 55, 48, 41, 30, 13, 24, 3, 9, 19, 27, 2, 12, 23, 17, 5, 20, 16, 21,
            11, 28, 6, 25, 18, 14, 22, 8, 1, 4};

    private static final byte[] ROTATIONS = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

    private static final byte[] KEY_SUFFIX = {'B', 'l', 'u', 'e', ' ', 'F', 'o', 'x'};

    /*
     * IP and IP^-1 are linear in the bits, so each is the OR of one lookup
     * per byte; the block's bit numbering is folded into these tables.
     * s_aInitial[i][v]: IP of block byte i holding v (standard bit 1 = bit 63).
     * s_aFinal[i][v]: IP^-1 of preoutput byte i holding v, as the block's
     * big-endian value.
     */
    private static final long[][] s_aInitial = new long[8][256];
    private static final long[][] s_aFinal = new long[8][256];
    /* The S-box j followed by P, for each 6-bit input (standard bit 1 = bit 31). */
    private static final int[][] s_aFunction = new int[8][64];

    static {
        SubstituteIP();
        for (int j = 0; j < 8; j++) {
            for (int x = 0; x < 64; x++) {
                s_aFunction[j][x] = SubstituteP(j, BoxS(j, x));
            }
        }
    }

    /* The subkeys of 16 rounds, 8 six-bit groups each, in enciphering order. */
    private final int[][] m_aSubkeys = new int[16][8];

    PageCipher(byte[] key) {
        SetKey(key);
    }

    /*
     * The key of a password or any other text: the text's bytes followed by
     * "Blue Fox", added byte by byte into positions 0 to 7 in turn. The sums
     * are kept modulo 256; the cipher reads only their low seven bits, which
     * are those of the tool's sums modulo 128.
     */
    static byte[] DeriveKey(byte[] text) {
        byte[] key = new byte[8];
        int i = 0;
        for (int n = 0; n < text.length; n++, i++) {
            key[i % 8] = (byte) (key[i % 8] + text[n]);
        }
        for (int n = 0; n < KEY_SUFFIX.length; n++, i++) {
            key[i % 8] = (byte) (key[i % 8] + KEY_SUFFIX[n]);
        }
        return key;
    }

    void Encipher(byte[] data, int offset) {
        DES(data, offset, false);
    }

    void Decipher(byte[] data, int offset) {
        DES(data, offset, true);
    }

    /* Prepares the subkeys of every round from the 8 key bytes. */
    private void SetKey(byte[] key) {
        int[] cd = SubstitutePC1(key);
        int c = cd[0];
        int d = cd[1];
        for (int round = 0; round < 16; round++) {
            c = Shift(c, ROTATIONS[round]);
            d = Shift(d, ROTATIONS[round]);
            SubstitutePC2(c, d, m_aSubkeys[round]);
        }
    }

    /* Enciphers or deciphers the 8 bytes at data[offset] in place. */
    private void DES(byte[] data, int offset, boolean decipher) {
        long permuted = 0;
        for (int i = 0; i < 8; i++) {
            permuted |= s_aInitial[i][data[offset + i] & 0xFF];
        }
        int left = (int) (permuted >>> 32);
        int right = (int) permuted;
        for (int round = 0; round < 16; round++) {
            int[] subkey = m_aSubkeys[decipher ? 15 - round : round];
            int next = left ^ MakeFunction(right, subkey);
            left = right;
            right = next;
        }
        // The preoutput is R16 L16.
        long preoutput = ((long) right << 32) | (left & 0xFFFFFFFFL);
        long out = 0;
        for (int i = 0; i < 8; i++) {
            out |= s_aFinal[i][(int) (preoutput >>> (56 - 8 * i)) & 0xFF];
        }
        for (int i = 0; i < 8; i++) {
            data[offset + i] = (byte) (out >>> (56 - 8 * i));
        }
    }

    /* f(R, K): E, the subkey, the S-boxes and P. */
    private static int MakeFunction(int right, int[] subkey) {
        int f = 0;
        for (int j = 0; j < 8; j++) {
            f |= s_aFunction[j][SubstituteE(right, j) ^ subkey[j]];
        }
        return f;
    }

    /*
     * Group j of E(R): the standard's bits 4j to 4j+5 of R (bit 0 meaning bit
     * 32, bit 33 meaning bit 1), which a left rotation by 4j+5 brings into
     * the low six bits.
     */
    private static int SubstituteE(int right, int j) {
        int shift = (4 * j + 5) % 32;
        return ((right << shift) | (right >>> (32 - shift))) & 0x3F;
    }

    /* S-box j of a 6-bit input: the outer bits pick the row, the inner four the column. */
    private static int BoxS(int j, int x) {
        int row = ((x >> 4) & 2) | (x & 1);
        int column = (x >> 1) & 0xF;
        return m_aBoxS[j][row][column];
    }

    /* P of the 4 output bits of S-box j alone. */
    private static int SubstituteP(int j, int s) {
        int out = 0;
        for (int n = 1; n <= 32; n++) {
            int from = P[n - 1] - 4 * j; // 1 to 4 for the bits of this box
            if (from >= 1 && from <= 4 && ((s >> (4 - from)) & 1) != 0) {
                out |= 1 << (32 - n);
            }
        }
        return out;
    }

    private static void SubstituteIP() {
        int[] outputOf = new int[65]; // input bit k -> the IP output bit that takes it
        for (int m = 1; m <= 64; m++) {
            outputOf[IP[m - 1]] = m;
        }
        for (int i = 0; i < 8; i++) {
            for (int bit = 0; bit < 8; bit++) {
                // Block byte i, bit `bit`, is the standard's bit 8 * (7 - i) + bit + 1.
                long in = 1L << (64 - outputOf[8 * (7 - i) + bit + 1]);
                // Preoutput bit q (MSB of byte i first) becomes output bit IP[q].
                int q = 8 * i + 8 - bit;
                long out = 1L << (IP[q - 1] - 1);
                for (int v = 0; v < 256; v++) {
                    if (((v >> bit) & 1) != 0) {
                        s_aInitial[i][v] |= in;
                        s_aFinal[i][v] |= out;
                    }
                }
            }
        }
    }

    /*
     * PC-1 into the halves C and D (28 bits each, C1 as bit 27). Key bit k
     * is bit 7 - (k - 1) % 8 of byte (k - 1) / 8 after that byte is shifted
     * left by one, which makes each byte give its seven low bits.
     */
    private static int[] SubstitutePC1(byte[] key) {
        int c = 0;
        int d = 0;
        for (int i = 0; i < 28; i++) {
            c = (c << 1) | KeyBit(key, PC1[i]);
            d = (d << 1) | KeyBit(key, PC1[28 + i]);
        }
        return new int[] {c, d};
    }

    private static int KeyBit(byte[] key, int k) {
        int shifted = (key[(k - 1) / 8] << 1) & 0xFF;
        return (shifted >> (7 - (k - 1) % 8)) & 1;
    }

    /* Rotates a 28-bit half left. */
    private static int Shift(int half, int count) {
        return ((half << count) | (half >>> (28 - count))) & 0x0FFFFFFF;
    }

    /* PC-2 from C1..C28 D1..D28 into the eight 6-bit groups of a subkey. */
    private static void SubstitutePC2(int c, int d, int[] subkey) {
        for (int j = 0; j < 8; j++) {
            int group = 0;
            for (int i = 0; i < 6; i++) {
                int e = PC2[6 * j + i];
                int bit = e <= 28 ? (c >> (28 - e)) & 1 : (d >> (56 - e)) & 1;
                group = (group << 1) | bit;
            }
            subkey[j] = group;
        }
    }
}
