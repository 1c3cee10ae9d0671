import java.io.BufferedReader;
import java.io.ByteArrayInputStream;
import java.io.InputStream;
import java.io.InputStreamReader;
import java.io.PrintStream;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import java.util.Base64;

/**
 * The applet's answers for the browser tests, from its own classes in the
 * published decoder.jar (compiled into the same unnamed package, so the
 * package-private PageDecoder, PageCipher and CookieText are reachable).
 *
 * Reads one request a line on standard input and writes one answer line;
 * every field is Base64 of UTF-8 text (or of bytes), fields separated by tabs.
 *
 *   run DATA CODEBASE KEYWORD NOW CALL...   the calls on a decoder that has
 *       the data file DATA open, as the applet after init; answers each
 *       call's result. A CALL is the method name and its arguments, separated
 *       by U+0001; U+0002 stands for null.
 *   encipher PASSWORD PLAIN                 PLAIN enciphered block by block
 *                                           under the password's key
 *   urlencode TEXT...                       the cookie keyword form of each TEXT
 */
public final class AppletOracle {
    private static final String NULL = "\u0002";

    private AppletOracle() {}

    public static void main(String[] args) throws Exception {
        BufferedReader in =
                new BufferedReader(new InputStreamReader(System.in, StandardCharsets.US_ASCII));
        PrintStream out = new PrintStream(System.out, false, "US-ASCII");
        for (String line = in.readLine(); line != null; line = in.readLine()) {
            String[] fields = line.split("\t", -1);
            String[] answers;
            switch (fields[0]) {
                case "run":
                    answers = Run(fields);
                    break;
                case "encipher":
                    answers = new String[] {Encode(Encipher(Text(fields[1]), Bytes(fields[2])))};
                    break;
                case "urlencode":
                    answers = new String[fields.length - 1];
                    for (int i = 1; i < fields.length; i++) {
                        answers[i - 1] = Encode(CookieText.URLEncode(Text(fields[i])));
                    }
                    break;
                default:
                    throw new IllegalArgumentException("unknown request " + fields[0]);
            }
            out.println(String.join("\t", answers));
            out.flush();
        }
    }

    private static String[] Run(String[] fields) {
        final byte[] data = Bytes(fields[1]);
        PageDecoder decoder = new PageDecoder() {
            @Override
            InputStream Open(URL url) {
                return new ByteArrayInputStream(data);
            }
        };
        // As the applet's init: code base, keyword, then the data file.
        decoder.SetCodeBase(Text(fields[2]));
        decoder.SetCookieKey(Nullable(Text(fields[3])));
        decoder.OpenStream(null, "http://oracle.invalid/page.zvk");
        long now = Long.parseLong(Text(fields[4]));

        String[] answers = new String[fields.length - 5];
        for (int i = 5; i < fields.length; i++) {
            String[] call = Text(fields[i]).split("\u0001", -1);
            answers[i - 5] = Encode(Call(decoder, now, call));
        }
        return answers;
    }

    /** One public method of the applet, as Decoder forwards it to its PageDecoder. */
    private static String Call(PageDecoder decoder, long now, String[] call) {
        int count = call.length - 1;
        String first = count >= 1 ? Nullable(call[1]) : null;
        switch (call[0] + "/" + count) {
            case "IsCookieEnabled/0":
                return String.valueOf(decoder.IsCookieEnabled());
            case "CheckCookie/1":
                return String.valueOf(decoder.CheckCookie(first));
            case "CheckCookie/2":
                return String.valueOf(decoder.CheckCookie(first, Nullable(call[2])));
            case "CheckPassword/1":
                return String.valueOf(decoder.CheckPassword(first));
            case "Decode/0":
                return String.valueOf(decoder.Decode());
            case "GetSource/0":
                return decoder.GetSource();
            case "Clear/0":
                decoder.Clear();
                return "";
            case "GetCookie/0":
                return decoder.GetCookie(null, decoder.m_fCookieKeepDays, now);
            case "GetCookie/1":
                return decoder.GetCookie(first, decoder.m_fCookieKeepDays, now);
            case "GetCookie/2":
                return decoder.GetCookie(first, Float.parseFloat(call[2]), now);
            default:
                throw new IllegalArgumentException("no applet method " + call[0] + " with " + count);
        }
    }

    private static byte[] Encipher(String password, byte[] plain) {
        PageCipher cipher = new PageCipher(PageCipher.DeriveKey(CodePage.Bytes(password)));
        byte[] out = plain.clone();
        for (int at = 0; at + 8 <= out.length; at += 8) {
            cipher.Encipher(out, at);
        }
        return out;
    }

    private static String Nullable(String text) {
        return NULL.equals(text) ? null : text;
    }

    private static byte[] Bytes(String field) {
        return Base64.getDecoder().decode(field);
    }

    private static String Text(String field) {
        return new String(Bytes(field), StandardCharsets.UTF_8);
    }

    private static String Encode(byte[] bytes) {
        return Base64.getEncoder().encodeToString(bytes);
    }

    private static String Encode(String text) {
        return Encode(text.getBytes(StandardCharsets.UTF_8));
    }
}
