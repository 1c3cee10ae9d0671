import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertTrue;

import java.io.ByteArrayOutputStream;
import java.io.FilterInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;
import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Random;
import org.junit.BeforeClass;
import org.junit.ClassRule;
import org.junit.Test;
import org.junit.rules.TemporaryFolder;

/** The decoder without a window, on data files that the engine wrote. */
public class PageDecoderTest {
    @ClassRule public static final TemporaryFolder folder = new TemporaryFolder();

    private static final Charset UTF8 = Charset.forName("UTF-8");
    private static final String PASSWORD = "pass word";
    private static final String PAGE =
            "<html><body><p>A page, a page, a locked page.</p>\n<p>日本語のページ</p></body></html>\n";
    private static final String CODE_BASE = "http://www.example.com/pages/";

    private static Path dir;
    private static Path sample;

    @BeforeClass
    public static void lockSample() throws Exception {
        dir = folder.getRoot().toPath();
        sample = DataFiles.Lock(dir, "sample", PAGE, PASSWORD);
    }

    private static PageDecoder Open(Path file) {
        PageDecoder decoder = new PageDecoder();
        decoder.SetCodeBase(CODE_BASE);
        decoder.OpenStream(null, DataFiles.Url(file));
        return decoder;
    }

    private static Path Write(String name, byte[] bytes) throws IOException {
        return Files.write(dir.resolve(name), bytes);
    }

    /** Counts the openings of the data file and the bytes read from it. */
    static class CountingDecoder extends PageDecoder {
        int opens;
        long bytesRead;

        @Override
        InputStream Open(URL url) throws IOException {
            opens++;
            return new FilterInputStream(url.openStream()) {
                @Override
                public int read(byte[] b, int off, int len) throws IOException {
                    int n = super.read(b, off, len);
                    bytesRead += Math.max(n, 0);
                    return n;
                }
            };
        }
    }

    @Test
    public void aPasswordOpensOnlyTheDataFileItLocked() throws Exception {
        // The fold into 8 bytes must agree with the tool's for long passwords and
        // for bytes above 127; the empty password still has a key.
        String[] passwords = {
                PASSWORD, "", "日本語パスワード", "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz", "Blue Fox"};
        for (int i = 0; i < passwords.length; i++) {
            String password = passwords[i];
            String page = PAGE + "<!-- " + i + " -->";
            PageDecoder decoder = Open(DataFiles.Lock(dir, "password" + i, page, password));
            assertEquals("wrong, for \"" + password + "\"", PageDecoder.ERROR_PASSWORD,
                    decoder.CheckPassword(password + "x"));
            assertEquals(
                    "right: \"" + password + "\"", PageDecoder.OK, decoder.CheckPassword(password));
            assertEquals(PageDecoder.OK, decoder.Decode());
            assertEquals(page, decoder.GetSource());
        }
    }

    @Test
    public void theCipherEnciphersAsTheEngineDoes() throws Exception {
        byte[] data = Files.readAllBytes(sample);
        byte[] header = {'K', 'Z', 'U', 'T', 0, 0, 0, 0};
        int length = PAGE.getBytes(UTF8).length;
        header[4] = (byte) length;
        header[5] = (byte) (length >> 8);
        assertArrayEquals(Arrays.copyOf(data, 8), DataFiles.Encipher(header, PASSWORD));
    }

    @Test
    public void repeatedWrongPasswordsReadTheHeaderOnlyOnce() throws Exception {
        CountingDecoder decoder = new CountingDecoder();
        decoder.OpenStream(null, DataFiles.Url(sample));
        assertEquals(PageDecoder.ERROR_PASSWORD, decoder.CheckPassword("wrong"));
        long afterFirst = decoder.bytesRead;
        for (int i = 0; i < 3; i++) {
            assertEquals(PageDecoder.ERROR_PASSWORD, decoder.CheckPassword("wrong" + i));
            assertEquals(PageDecoder.ERROR_PASSWORD, decoder.CheckCookie(null));
        }
        assertEquals(PageDecoder.OK, decoder.CheckPassword(PASSWORD));
        assertEquals(afterFirst, decoder.bytesRead);
        assertEquals(PageDecoder.OK, decoder.Decode());
        assertEquals(PAGE, decoder.GetSource());
        assertEquals(1, decoder.opens);
    }

    @Test
    public void aDataFileThatCannotBeOpenedOrReadGivesItsErrorToEveryCall() throws Exception {
        Path tooShort = Write("short.zvk", Arrays.copyOf(Files.readAllBytes(sample), 5));
        Object[][] cases = {
                // source, how it is opened, result
                {"", "plain", PageDecoder.ERROR_SOURCE},
                {null, "plain", PageDecoder.ERROR_SOURCE},
                {"nemora-no-such-scheme://host/data.zvk", "plain", PageDecoder.ERROR_SOURCE},
                {DataFiles.Url(dir.resolve("missing.zvk")), "plain", PageDecoder.ERROR_OPEN},
                {DataFiles.Url(sample), "refused", PageDecoder.ERROR_ACCESS},
                {DataFiles.Url(sample), "read error", PageDecoder.ERROR_OPEN},
                {DataFiles.Url(tooShort), "plain", PageDecoder.ERROR_OPEN},
        };
        for (Object[] c : cases) {
            final String how = (String) c[1];
            CountingDecoder decoder = new CountingDecoder() {
                @Override
                InputStream Open(URL url) throws IOException {
                    if (how.equals("refused")) {
                        throw new SecurityException("no access");
                    }
                    InputStream in = super.Open(url);
                    if (!how.equals("read error")) {
                        return in;
                    }
                    return new FilterInputStream(in) {
                        @Override
                        public int read(byte[] b, int off, int len) throws IOException {
                            throw new IOException("connection reset");
                        }
                    };
                }
            };
            decoder.OpenStream(null, (String) c[0]);
            String what = c[0] + " (" + how + ")";
            assertEquals(what, c[2], decoder.CheckPassword(PASSWORD));
            assertEquals(what, c[2], decoder.CheckCookie("kw=AAAAAAAAAAAAAAAA", "kw"));
            assertEquals(what, c[2], decoder.Decode());
            assertEquals(what, "", decoder.GetSource());
            assertTrue(what, decoder.opens <= 1);
        }
    }

    @Test
    public void aStoredPageLengthBelow8IsRefusedLikeAWrongPassword() throws Exception {
        String[][] cases = {{"1234567", "4"}, {"12345678", "-1"}};
        for (String[] c : cases) {
            PageDecoder decoder =
                    Open(DataFiles.Lock(dir, "length" + c[0].length(), c[0], PASSWORD));
            int expected = Integer.parseInt(c[1]);
            assertEquals(c[0], expected, decoder.CheckPassword(PASSWORD));
            assertEquals(c[0], expected == PageDecoder.OK ? 8 : 0, decoder.m_nSize);
            assertEquals(c[0], expected, decoder.Decode());
        }
    }

    @Test
    public void eachOfferedEncodingNameDecodesItsText() throws Exception {
        String japanese =
                "<html><body><h1>保護されたページ</h1><p>日本語のテキスト、カタカナ・ひらがな。"
                + "全角ＡＢＣ</p><p>保護されたページ</p></body></html>";
        String latin =
                "<html><body><p>Ça déjà l'été: naïve façade, Ørsted, Zoë ÿ ±½</p></body></html>";
        String[][] cases = {
                {"shift_jis", japanese},
                {"iso-2022-jp", japanese},
                {"cseucpkdfmtjapanese", japanese},
                {"UTF8", japanese + latin},
                {"iso-8859-1", latin},
        };
        for (String[] c : cases) {
            byte[] page = c[1].getBytes(c[0]);
            PageDecoder decoder =
                    Open(DataFiles.Lock(dir, "encoding-" + c[0], page, PASSWORD, c[0]));
            assertEquals(c[0], PageDecoder.OK, decoder.CheckPassword(PASSWORD));
            assertEquals(c[0], PageDecoder.OK, decoder.Decode());
            assertEquals(c[0], c[0], decoder.m_strEncode);
            assertEquals(c[0], c[1], decoder.GetSource());
        }
    }

    @Test
    public void anEncodingNameTheLibraryDoesNotKnowGives5() throws Exception {
        PageDecoder decoder = Open(DataFiles.Lock(
                dir, "unknown-encoding", PAGE.getBytes(UTF8), PASSWORD, "x-nemora-no-such-code"));
        assertEquals(PageDecoder.OK, decoder.CheckPassword(PASSWORD));
        assertEquals(PageDecoder.ERROR_ENCODING, decoder.Decode());
        assertEquals("", decoder.GetSource());
    }

    /**
     * Streams that the engine never writes, made from a real one: the page
     * "ABCDEFGHIJ" is 10 literals and 6 spaces, after the header and the
     * name block "UTF8". Each case gives another body and page length.
     */
    @Test
    public void onlyAWellFormedBodyDecodes() throws Exception {
        byte[] plain = DataFiles.Decipher(
                Files.readAllBytes(DataFiles.Lock(dir, "ten", "ABCDEFGHIJ", PASSWORD)), PASSWORD);
        assertEquals("KZUT\n\0\0\0UTF8\0\0\0\0ABCDEFGHIJ      ", new String(plain, "ISO-8859-1"));

        Object[][] cases = {
                // body (\0 starts a copy: distance low, high, length), page length, result, page
                {"ABCDEFGHIJ      ", 10, -1, "ABCDEFGHIJ"},
                {"ABCDE\0\5\0\5       ", 10, -1, "ABCDEABCDE"},
                {"AB\0\2\0\10          ", 10, -1, "ABABABABAB"}, // overlapping copies repeat
                {"ABCDEFGHIJ\0\1\0\0  ", 10, 3, ""}, // a token after the page's end
                {"ABCDEFGHIJ     X", 10, 3, ""}, // padding that is not spaces
                {"ABCDEFGHIJX     ", 10, 3, ""}, // the first byte past the end too
                {"ABCDE\0\6\0\5       ", 10, 3, ""}, // a copy from before the start
                {"ABCDE\0\0\0\5       ", 10, 3, ""}, // distance 0
                {"ABCDE\0\5\0\6       ", 10, 3, ""}, // a copy past the page's end
                {"ABCDEFGHIJ      ", 20, 3, ""}, // data ends before the page is complete
                {"ABCDEFGH", 10, 3, ""},
        };
        for (int i = 0; i < cases.length; i++) {
            byte[] body = ((String) cases[i][0]).getBytes("ISO-8859-1");
            assertEquals("whole blocks in case " + i, 0, body.length % 8);
            int length = (Integer) cases[i][1];
            byte[] stream = Arrays.copyOf(plain, 16 + body.length);
            stream[4] = (byte) length;
            System.arraycopy(body, 0, stream, 16, body.length);
            PageDecoder decoder =
                    Open(Write("body" + i + ".zvk", DataFiles.Encipher(stream, PASSWORD)));
            String what = "case " + i + ": " + cases[i][0];
            assertEquals(what, PageDecoder.OK, decoder.CheckPassword(PASSWORD));
            assertEquals(what, cases[i][2], decoder.Decode());
            assertEquals(what, cases[i][3], decoder.GetSource());
        }
    }

    /**
     * The malformed streams every reader's tests share
     * (tests/fixtures/malformed-streams.txt), enciphered as data files: each
     * gives the classic decoders' result of its row, from the check or, once
     * that passes, from the decoding.
     */
    @Test
    public void theSharedMalformedStreamsGiveTheirResults() throws Exception {
        String table = System.getProperty("nemora.streams");
        if (table == null) {
            throw new IllegalStateException("-Dnemora.streams=PATH names the table of streams");
        }
        int rows = 0;
        for (String line : Files.readAllLines(Path.of(table), UTF8)) {
            if (line.isEmpty() || line.startsWith("#")) {
                continue;
            }
            String[] f = line.split("\t", -1);
            assertEquals(line, 9, f.length);
            byte[] stream = MalformedStream(f[1], Long.parseLong(f[2]), Unescape(f[3]), Unescape(f[4]));
            if (!f[5].equals("-")) {
                stream = Arrays.copyOf(stream, Integer.parseInt(f[5]));
            }
            PageDecoder decoder = Open(
                    Write("table" + rows + ".zvk", DataFiles.Encipher(stream, PASSWORD)));
            int result = decoder.CheckPassword(PASSWORD);
            if (result == PageDecoder.OK) {
                result = decoder.Decode();
            }
            assertEquals(f[0], Integer.parseInt(f[6]), result);
            assertEquals(f[0], result == PageDecoder.OK, decoder.GetSource().length() > 0);
            rows++;
        }
        assertTrue(rows > 0);
    }

    /** The bytes of a table field: \xHH is one byte, every other character one ASCII byte. */
    private static byte[] Unescape(String text) {
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        for (int i = 0; i < text.length(); i++) {
            if (text.charAt(i) == '\\' && i + 3 < text.length() && text.charAt(i + 1) == 'x') {
                bytes.write(Integer.parseInt(text.substring(i + 2, i + 4), 16));
                i += 3;
            } else {
                bytes.write(text.charAt(i));
            }
        }
        return bytes.toByteArray();
    }

    /** Header, character-code block (cut at 256 bytes, else zero-terminated) and body. */
    private static byte[] MalformedStream(String magic, long length, byte[] name, byte[] body)
            throws IOException {
        int block = name.length >= 256 ? 256 : 8 * (name.length / 8 + 1);
        byte[] stream = new byte[8 + block + body.length];
        System.arraycopy(magic.getBytes("ISO-8859-1"), 0, stream, 0, 4);
        for (int i = 0; i < 4; i++) {
            stream[4 + i] = (byte) (length >> (8 * i));
        }
        System.arraycopy(name, 0, stream, 8, Math.min(name.length, block));
        System.arraycopy(body, 0, stream, 8 + block, body.length);
        return stream;
    }

    @Test
    public void aCopyTokenMayStraddleTheGroupsOfEightBlocks() throws Exception {
        byte[] plain = DataFiles.Decipher(Files.readAllBytes(sample), PASSWORD);
        // Groups of 64 body bytes: tokens starting at 60 to 64 lie wholly in
        // the first group, straddle it, or start the second one.
        for (int start = 58; start <= 66; start++) {
            StringBuilder body = new StringBuilder();
            for (int i = 0; i < start; i++) {
                body.append((char) ('a' + i % 26));
            }
            body.append("\0\u0007\0\u0006");
            String page = body.substring(0, start) + body.substring(start - 7, start - 1);
            while (body.length() % 8 != 0) {
                body.append(' ');
            }
            byte[] stream = Arrays.copyOf(plain, 16 + body.length());
            stream[4] = (byte) page.length();
            stream[5] = 0;
            System.arraycopy("UTF8\0\0\0\0".getBytes("ISO-8859-1"), 0, stream, 8, 8);
            System.arraycopy(body.toString().getBytes("ISO-8859-1"), 0, stream, 16, body.length());
            PageDecoder decoder =
                    Open(Write("straddle" + start + ".zvk", DataFiles.Encipher(stream, PASSWORD)));
            assertEquals("start " + start, PageDecoder.OK, decoder.CheckPassword(PASSWORD));
            assertEquals("start " + start, PageDecoder.OK, decoder.Decode());
            assertEquals("start " + start, page, decoder.GetSource());
        }
    }

    @Test
    public void aStreamCutShortFailsWhereItEnds() throws Exception {
        byte[] data = Files.readAllBytes(sample); // header, name block "UTF8", body
        int[][] cases = {
                // bytes kept, result of the check, result of the decode
                {4, PageDecoder.ERROR_OPEN, PageDecoder.ERROR_OPEN},
                {8, PageDecoder.OK, PageDecoder.ERROR_ENCODING},
                {12, PageDecoder.OK, PageDecoder.ERROR_ENCODING},
                {16, PageDecoder.OK, PageDecoder.ERROR_CORRUPT},
                {data.length - 8, PageDecoder.OK, PageDecoder.ERROR_CORRUPT},
                {data.length - 3, PageDecoder.OK, PageDecoder.ERROR_CORRUPT},
                {data.length, PageDecoder.OK, PageDecoder.OK},
        };
        for (int[] c : cases) {
            PageDecoder decoder = Open(Write("cut" + c[0] + ".zvk", Arrays.copyOf(data, c[0])));
            assertEquals(c[0] + " bytes", c[1], decoder.CheckPassword(PASSWORD));
            assertEquals(c[0] + " bytes", c[2], decoder.Decode());
        }
    }

    @Test
    public void aPageOfSeveralMegabytesDecodesWithSteadyProgress() throws Exception {
        String[] words = {"<p>", "</p>\n", "the ", "page ", "locked ", "ページ", "暗号", "データ",
                "<a href=\"index.html\">", "</a>", "Nemora ", "decoder ", "12345 ", "é"};
        Random random = new Random(20240501);
        StringBuilder text = new StringBuilder("<html><body>\n");
        while (text.length() < 4_000_000) {
            text.append(words[random.nextInt(words.length)]);
            if (random.nextInt(50) == 0) {
                text.append(random.nextInt()); // some bytes that repeat less
            }
        }
        byte[] page = text.append("</body></html>\n").toString().getBytes(UTF8);
        assertTrue(page.length > 4_000_000);

        PageDecoder decoder = Open(DataFiles.Lock(dir, "large", page, PASSWORD, "UTF8"));
        ProgressRecorder progress = new ProgressRecorder();
        decoder.SetListener(progress);
        assertEquals(PageDecoder.OK, decoder.CheckPassword(PASSWORD));
        assertEquals(PageDecoder.OK, decoder.Decode());
        assertArrayEquals(page, decoder.m_aStockText);
        progress.AssertSteady();
    }

    @Test
    public void progressStaysRightForPagesAbove16Megabytes() throws Exception {
        // "A" and copies of 255 bytes from 1 byte back: a 20 MB page from a
        // small body (the engine would write copies of 128 bytes at most).
        int copies = 82_000;
        int length = 1 + 255 * copies;
        byte[] stream = new byte[16 + (1 + 4 * copies + 7) / 8 * 8];
        Arrays.fill(stream, (byte) ' ');
        System.arraycopy("KZUT".getBytes("ISO-8859-1"), 0, stream, 0, 4);
        for (int i = 0; i < 4; i++) {
            stream[4 + i] = (byte) (length >> (8 * i));
        }
        System.arraycopy("UTF8\0\0\0\0".getBytes("ISO-8859-1"), 0, stream, 8, 8);
        stream[16] = 'A';
        for (int i = 0, at = 17; i < copies; i++, at += 4) {
            stream[at] = 0;
            stream[at + 1] = 1;
            stream[at + 2] = 0;
            stream[at + 3] = (byte) 255;
        }
        PageDecoder decoder = Open(Write("20mb.zvk", DataFiles.Encipher(stream, PASSWORD)));
        ProgressRecorder progress = new ProgressRecorder();
        decoder.SetListener(progress);
        assertEquals(PageDecoder.OK, decoder.CheckPassword(PASSWORD));
        assertEquals(PageDecoder.OK, decoder.Decode());
        assertEquals(length, decoder.m_aStockText.length);
        assertEquals('A', decoder.m_aStockText[length - 1]);
        progress.AssertSteady();
    }

    /** Takes the decoder's progress reports. */
    static class ProgressRecorder implements ProgressListener {
        int started;
        final List<int[]> reports = new ArrayList<>();

        @Override
        public void DecodingStarted() {
            started++;
        }

        @Override
        public void Progress(int percent, int bar) {
            reports.add(new int[] {percent, bar});
        }

        /** Started once, then percent and bar rising a step at most at a time to 100 and 128. */
        void AssertSteady() {
            assertEquals(1, started);
            assertArrayEquals(new int[] {100, 128}, reports.get(reports.size() - 1));
            int[] before = {0, 0};
            for (int i = 0; i < reports.size(); i++) {
                int[] now = reports.get(i);
                assertTrue("report " + i, now[0] >= before[0] && now[1] >= before[1]);
                assertTrue("report " + i, now[0] <= before[0] + 1 && now[1] <= before[1] + 1);
                before = now;
            }
        }
    }

    @Test
    public void decodingStartsAfreshAfterTheStreamWasClosedOrUsed() throws Exception {
        PageDecoder decoder = Open(sample);
        assertEquals(PageDecoder.OK, decoder.CheckPassword(PASSWORD));
        decoder.Close(); // the applet's stop
        assertEquals(PageDecoder.ERROR_SOURCE, decoder.Decode());
        decoder.Reopen(); // and start
        assertEquals(PageDecoder.OK, decoder.Decode());
        assertEquals(PAGE, decoder.GetSource());
        assertEquals(PageDecoder.OK, decoder.Decode());
        assertEquals(PAGE, decoder.GetSource());

        // A data file replaced on the server between stop and start is read
        // with the key accepted before, which does not open it.
        Path moving = Files.copy(sample, dir.resolve("moving.zvk"));
        decoder = Open(moving);
        assertEquals(PageDecoder.OK, decoder.CheckPassword(PASSWORD));
        decoder.Close();
        Files.copy(DataFiles.Lock(dir, "other", PAGE, "other password"), moving,
                java.nio.file.StandardCopyOption.REPLACE_EXISTING);
        decoder.Reopen();
        assertEquals(PageDecoder.ERROR_PASSWORD, decoder.Decode());
    }

    @Test
    public void aCookieOpensTheDataFileOnlyUnderTheCodeBaseThatMadeIt() throws Exception {
        PageDecoder maker = Open(sample);
        maker.SetCookieKey("my page");
        assertEquals(PageDecoder.OK, maker.CheckPassword(PASSWORD));
        String cookie = maker.GetCookie(null, 0f);
        assertTrue(cookie, cookie.matches("my\\+page=[A-P]{16}"));
        String value = cookie.substring(cookie.indexOf('=') + 1);
        // The cookie carries the key as the 8 sums modulo 256 (not 128) of
        // the password and "Blue Fox", enciphered under the key of the code
        // base address and the keyword.
        byte[] sums = new byte[8];
        byte[] text = (PASSWORD + "Blue Fox").getBytes(DataFiles.MS932);
        for (int i = 0; i < text.length; i++) {
            sums[i % 8] += text[i];
        }
        PageCipher cookieCipher = new PageCipher(
                PageCipher.DeriveKey((CODE_BASE + "my+page").getBytes(DataFiles.MS932)));
        cookieCipher.Encipher(sums, 0);
        assertEquals(CookieText.KeyToLetters(sums), value);
        assertEquals(PageDecoder.OK, maker.Decode()); // making the cookie kept the key

        Object[][] cases = {
                // code base, cookies, result
                {CODE_BASE, cookie, PageDecoder.OK},
                {CODE_BASE, "a=1; " + cookie + "; b=2", PageDecoder.OK},
                {"http://www.example.com/other/", cookie, PageDecoder.ERROR_PASSWORD},
                {CODE_BASE, "my+page=" + value.substring(1), PageDecoder.ERROR_PASSWORD},
                {CODE_BASE, "my+page=" + value + "A", PageDecoder.ERROR_PASSWORD},
                {CODE_BASE, "my+page=" + value.toLowerCase(), PageDecoder.ERROR_PASSWORD},
                {CODE_BASE, "other=" + value, PageDecoder.ERROR_PASSWORD},
                {CODE_BASE, null, PageDecoder.ERROR_PASSWORD},
        };
        for (Object[] c : cases) {
            PageDecoder visitor = new PageDecoder();
            visitor.SetCodeBase((String) c[0]);
            visitor.SetCookieKey("my page");
            visitor.OpenStream(null, DataFiles.Url(sample));
            assertEquals(c[0] + " " + c[1], c[2], visitor.CheckCookie((String) c[1]));
            if (c[2].equals(PageDecoder.OK)) {
                assertEquals(PageDecoder.OK, visitor.Decode());
                assertEquals(PAGE, visitor.GetSource());
            }
        }

        // The keyword may also come with the check.
        PageDecoder visitor = Open(sample);
        assertEquals(PageDecoder.OK, visitor.CheckCookie(cookie, "my page"));
    }

    @Test
    public void aCookieNeedsAKeywordAndAnAcceptedKey() throws Exception {
        PageDecoder decoder = Open(sample);
        assertEquals(false, decoder.IsCookieEnabled());
        assertEquals(PageDecoder.ERROR_PASSWORD, decoder.CheckCookie("=AAAAAAAAAAAAAAAA"));
        assertEquals("", decoder.GetCookie("kw", 1f)); // no key accepted yet
        assertEquals(true, decoder.IsCookieEnabled());
        assertEquals(PageDecoder.OK, decoder.CheckPassword(PASSWORD));
        assertTrue(decoder.GetCookie(null, -1f).matches("kw=[A-P]{16};expires=.* GMT"));
        assertEquals("", decoder.GetCookie("", 1f));
        assertEquals(false, decoder.IsCookieEnabled());
    }

    @Test
    public void clearForgetsThePageTheKeyAndTheKeyword() throws Exception {
        PageDecoder decoder = Open(sample);
        decoder.SetCookieKey("kw");
        assertEquals(PageDecoder.OK, decoder.CheckPassword(PASSWORD));
        assertEquals(PageDecoder.OK, decoder.Decode());
        decoder.Clear();
        assertEquals("", decoder.GetSource());
        assertEquals(false, decoder.IsCookieEnabled());
        assertEquals(0, decoder.m_nSize);
        assertEquals(PageDecoder.ERROR_PASSWORD, decoder.Decode());
        assertEquals("", decoder.GetCookie("kw", 0f));
    }
}
