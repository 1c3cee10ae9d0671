import java.io.IOException;
import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.Path;

/**
 * Data files for the tests, written by the engine: the test tool lock-page
 * locks a page through LockedDocument. The tests that need a stream the
 * engine never writes take a real one apart (decipher), change its plain
 * bytes and encipher it again.
 */
final class DataFiles {
    static final Charset MS932 = Charset.forName("MS932");
    private static final String TOOL = System.getProperty("nemora.lock");

    private DataFiles() {}

    /** Locks `page` under the code page 932 bytes of `password` and names `encoding` in it. */
    static Path Lock(Path dir, String name, byte[] page, String password, String encoding)
            throws IOException, InterruptedException {
        if (TOOL == null) {
            throw new IllegalStateException("-Dnemora.lock=PATH names the test tool lock-page");
        }
        Path pageFile = dir.resolve(name + ".html");
        Path data = dir.resolve(name + ".zvk");
        Files.write(pageFile, page);
        StringBuilder hex = new StringBuilder();
        for (byte b : password.getBytes(MS932)) {
            hex.append(String.format("%02x", b & 0xFF));
        }
        Process lock = new ProcessBuilder(
                TOOL, pageFile.toString(), data.toString(), hex.toString(), encoding)
                               .redirectErrorStream(true)
                               .start();
        String output = new String(lock.getInputStream().readAllBytes(), MS932);
        if (lock.waitFor() != 0) {
            throw new IOException("lock-page " + name + " failed: " + output);
        }
        return data;
    }

    static Path Lock(Path dir, String name, String page, String password)
            throws IOException, InterruptedException {
        return Lock(dir, name, page.getBytes(Charset.forName("UTF-8")), password, "UTF8");
    }

    /** The plain stream of a data file (or the reverse), block by block under `password`. */
    static byte[] Decipher(byte[] data, String password) {
        return Run(data, password, false);
    }

    static byte[] Encipher(byte[] plain, String password) {
        return Run(plain, password, true);
    }

    private static byte[] Run(byte[] in, String password, boolean encipher) {
        PageCipher cipher = new PageCipher(PageCipher.DeriveKey(password.getBytes(MS932)));
        byte[] out = in.clone();
        for (int at = 0; at + 8 <= out.length; at += 8) {
            if (encipher) {
                cipher.Encipher(out, at);
            } else {
                cipher.Decipher(out, at);
            }
        }
        return out;
    }

    static String Url(Path file) {
        return file.toUri().toString();
    }
}
