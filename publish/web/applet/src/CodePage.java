import java.io.UnsupportedEncodingException;

/*
 * Texts that take part in a key (the password, the cookie keyword and the
 * code base address) become bytes in code page 932, the tool's character
 * set, whatever the visitor's default encoding: a password outside ASCII
 * then opens the page on every system, not only on Japanese ones.
 */
final class CodePage {
    /* Older virtual machines know code page 932 only under its JIS name. */
    private static final String[] NAMES = {"MS932", "SJIS"};

    private CodePage() {}

    static byte[] Bytes(String text) {
        for (int i = 0; i < NAMES.length; i++) {
            try {
                return text.getBytes(NAMES[i]);
            } catch (UnsupportedEncodingException e) {
                // try the next name
            }
        }
        return text.getBytes();
    }
}
