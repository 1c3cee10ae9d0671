import java.text.SimpleDateFormat;
import java.util.Date;
import java.util.Locale;
import java.util.TimeZone;

/*
 * The text of the cookie that remembers a key: the URL-encoded keyword, "=",
 * 16 letters "A" to "P" for the 8 key bytes (high half first), and an
 * optional ";expires=" attribute. A later script decoder reads and writes
 * the same text, so every rule here is exact and depends on nothing of the
 * visitor's machine but the clock.
 */
final class CookieText {
    static final int KEY_LETTERS = 16;

    private static final char[] HEX = {
            '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

    /* A negative lifetime stands for "unlimited". */
    private static final float UNLIMITED_DAYS = 99999f;

    private CookieText() {}

    /*
     * The rules of the first URLEncoder, applied to the bytes of code page
     * 932: ASCII letters and digits stay, a blank becomes "+", every other
     * byte "%" and two lower-case hex digits.
     */
    static String URLEncode(String text) {
        byte[] bytes = CodePage.Bytes(text);
        StringBuffer out = new StringBuffer(bytes.length * 3);
        for (int i = 0; i < bytes.length; i++) {
            int b = bytes[i] & 0xFF;
            if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) {
                out.append((char) b);
            } else if (b == ' ') {
                out.append('+');
            } else {
                out.append('%');
                out.append(HEX[b >> 4]);
                out.append(HEX[b & 0xF]);
            }
        }
        return out.toString();
    }

    static String KeyToLetters(byte[] key) {
        StringBuffer out = new StringBuffer(KEY_LETTERS);
        for (int i = 0; i < key.length; i++) {
            out.append((char) ('A' + ((key[i] >> 4) & 0xF)));
            out.append((char) ('A' + (key[i] & 0xF)));
        }
        return out.toString();
    }

    /* The 8 bytes of 16 letters "A" to "P"; null for any other text. */
    static byte[] LettersToKey(String letters) {
        if (letters.length() != KEY_LETTERS) {
            return null;
        }
        byte[] key = new byte[KEY_LETTERS / 2];
        for (int i = 0; i < KEY_LETTERS; i++) {
            int half = letters.charAt(i) - 'A';
            if (half < 0 || half > 15) {
                return null;
            }
            key[i / 2] = (byte) ((key[i / 2] << 4) | half);
        }
        return key;
    }

    /*
     * The value of the cookie named `keyword` in the text of document.cookie
     * ("name=value; name=value"), or null when there is none.
     */
    static String FindValue(String cookies, String keyword) {
        if (cookies == null || keyword.length() == 0) {
            return null;
        }
        String all = "; " + cookies + ";";
        String name = "; " + keyword + "=";
        int start = all.indexOf(name);
        if (start < 0) {
            return null;
        }
        start += name.length();
        return all.substring(start, all.indexOf(';', start));
    }

    /*
     * The expiry attribute for a lifetime in days counted from `now`
     * (milliseconds): none for 0. The lifetime in milliseconds is computed
     * in single precision, left to right, as days x 24 x 60 x 60 x 1000; the
     * hour is written 1 to 24.
     */
    static String Expiry(long now, float days) {
        if (days == 0) {
            return "";
        }
        if (days < 0) {
            days = UNLIMITED_DAYS;
        }
        float lifetime = days * 24 * 60 * 60 * 1000;
        SimpleDateFormat format =
                new SimpleDateFormat("EEE, dd-MMM-yyyy kk:mm:ss 'GMT'", Locale.US);
        format.setTimeZone(TimeZone.getTimeZone("GMT"));
        return ";expires=" + format.format(new Date(now + (long) lifetime));
    }
}
