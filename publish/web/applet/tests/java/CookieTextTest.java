import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNull;

import org.junit.Test;

/** The cookie's text: the keyword's encoding, the key letters, finding a value, the expiry. */
public class CookieTextTest {
    @Test
    public void keywordsAreEncodedByteByByteInCodePage932() {
        String[][] cases = {
                {"", ""},
                {"abcXYZ019", "abcXYZ019"},
                {"my page", "my+page"},
                // Later URLEncoders keep these four; the first one did not.
                {"a-b_c.d*", "a%2db%5fc%2ed%2a"},
                {"%+=;~", "%25%2b%3d%3b%7e"},
                // Code page 932: a byte that happens to be a letter stays a letter.
                {"パス ワード", "%83p%83X+%83%8f%81%5b%83h"},
                {"日本", "%93%fa%96%7b"},
        };
        for (String[] c : cases) {
            assertEquals("keyword \"" + c[0] + "\"", c[1], CookieText.URLEncode(c[0]));
        }
    }

    @Test
    public void keyLettersCarryEachByteHighHalfFirst() {
        byte[] key = {0x00, (byte) 0xFF, 0x12, (byte) 0xA5, 0x7F, (byte) 0x80, 0x0F, (byte) 0xF0};
        String letters = "AAPPBCKFHPIAAPPA";
        assertEquals(letters, CookieText.KeyToLetters(key));
        assertArrayEquals(key, CookieText.LettersToKey(letters));
    }

    @Test
    public void onlySixteenLettersFromAToPGiveAKey() {
        String[] refused = {"", "AAPPBCKFHPIAAPP", "AAPPBCKFHPIAAPPAA", "AAPPBCKFHPIAAPPQ",
                "aappbckfhpiaappa", "AAPPBCKFHPIAAP@A", "AAPPBCKFHPIAAP A"};
        for (String letters : refused) {
            assertNull("\"" + letters + "\"", CookieText.LettersToKey(letters));
        }
    }

    @Test
    public void findsTheValueOfTheKeywordAmongOtherCookies() {
        String[][] cases = {
                // cookies, keyword, value (null: none)
                {"kw=VALUE", "kw", "VALUE"},
                {"a=1; kw=VALUE; b=2", "kw", "VALUE"},
                {"a=1; kw=VALUE", "kw", "VALUE"},
                {"kw=", "kw", ""},
                {"xkw=VALUE; b=2", "kw", null},
                {"a=kw=VALUE", "kw", null},
                {"a=1", "kw", null},
                {"", "kw", null},
                {null, "kw", null},
                {"=VALUE", "", null},
        };
        for (String[] c : cases) {
            assertEquals("cookies \"" + c[0] + "\"", c[2], CookieText.FindValue(c[0], c[1]));
        }
    }

    @Test
    public void expiryCountsSinglePrecisionDaysAndWritesHoursOneTo24() {
        Object[][] cases = {
                // now (ms), lifetime (days), attribute
                {0L, 0f, ""},
                {0L, 0.5f, ";expires=Thu, 01-Jan-1970 12:00:00 GMT"},
                {0L, 1f, ";expires=Fri, 02-Jan-1970 24:00:00 GMT"},
                {1700000000000L, 1.5f, ";expires=Thu, 16-Nov-2023 10:13:20 GMT"},
                // 0.0001 days is 8639.99... ms in single precision, cut to 8639.
                {999L, 0.0001f, ";expires=Thu, 01-Jan-1970 24:00:09 GMT"},
                // Unlimited: 99999 days, which single precision makes 318,464 ms longer.
                {0L, -1f, ";expires=Mon, 16-Oct-2243 24:05:18 GMT"},
                {0L, -0.5f, ";expires=Mon, 16-Oct-2243 24:05:18 GMT"},
        };
        for (Object[] c : cases) {
            assertEquals("now " + c[0] + ", days " + c[1], c[2],
                    CookieText.Expiry((Long) c[0], (Float) c[1]));
        }
    }
}
