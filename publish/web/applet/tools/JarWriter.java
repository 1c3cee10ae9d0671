import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.time.LocalDateTime;
import java.util.Map;
import java.util.TreeMap;
import java.util.zip.CRC32;
import java.util.zip.ZipEntry;
import java.util.zip.ZipOutputStream;

/**
 * Writes the decoder archive so that the same files always give the same
 * bytes: a fixed manifest, a JAR index, the entries in name order, a fixed
 * entry time, and every entry stored, not compressed, so that no
 * compressor's version can change a byte.
 *
 * Usage: java JarWriter.java OUTPUT.jar FILE...   (each FILE goes to the archive's root)
 */
public class JarWriter {
    private static final String MANIFEST = "Manifest-Version: 1.0\r\n\r\n";
    /* A local date and time: written as they are, whatever the build machine's time zone. */
    private static final LocalDateTime ENTRY_TIME = LocalDateTime.of(2000, 1, 1, 0, 0, 0);

    public static void main(String[] args) throws IOException {
        if (args.length < 2) {
            System.err.println("usage: JarWriter OUTPUT.jar FILE...");
            System.exit(2);
        }
        Path output = Path.of(args[0]);
        Map<String, byte[]> files = new TreeMap<>();
        for (int i = 1; i < args.length; i++) {
            Path file = Path.of(args[i]);
            files.put(file.getFileName().toString(), Files.readAllBytes(file));
        }

        // The index lists, after this archive's name, every file at its root.
        StringBuilder index = new StringBuilder("JarIndex-Version: 1.0\n\n");
        index.append(output.getFileName()).append('\n');
        files.keySet().forEach(name -> index.append(name).append('\n'));
        index.append('\n');

        ByteArrayOutputStream archive = new ByteArrayOutputStream();
        try (ZipOutputStream zip = new ZipOutputStream(archive)) {
            Put(zip, "META-INF/MANIFEST.MF", MANIFEST.getBytes(StandardCharsets.US_ASCII));
            Put(zip, "META-INF/INDEX.LIST", index.toString().getBytes(StandardCharsets.US_ASCII));
            for (Map.Entry<String, byte[]> file : files.entrySet()) {
                Put(zip, file.getKey(), file.getValue());
            }
        }
        Path temporary = output.resolveSibling(output.getFileName() + ".part");
        try (OutputStream out = Files.newOutputStream(temporary)) {
            archive.writeTo(out);
        }
        Files.move(temporary, output, StandardCopyOption.REPLACE_EXISTING);
    }

    private static void Put(ZipOutputStream zip, String name, byte[] bytes) throws IOException {
        ZipEntry entry = new ZipEntry(name);
        CRC32 crc = new CRC32();
        crc.update(bytes);
        entry.setMethod(ZipEntry.STORED);
        entry.setSize(bytes.length);
        entry.setCompressedSize(bytes.length);
        entry.setCrc(crc.getValue());
        entry.setTimeLocal(ENTRY_TIME);
        zip.putNextEntry(entry);
        zip.write(bytes);
        zip.closeEntry();
    }
}
