import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNotNull;
import static org.junit.Assert.assertTrue;

import java.io.FileInputStream;
import java.nio.charset.StandardCharsets;
import java.time.LocalDateTime;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.jar.JarEntry;
import java.util.jar.JarInputStream;
import org.junit.Test;

/** The built decoder.jar as a browser reads it. */
public class ArchiveTest {
    private static final String JAR = System.getProperty("nemora.jar");

    @Test
    public void theArchiveHasAManifestAndAnIndexOfItsFiles() throws Exception {
        List<String> files = new ArrayList<>();
        String index = null;
        // JarInputStream finds the manifest only as the first entry.
        try (JarInputStream jar = new JarInputStream(new FileInputStream(JAR))) {
            assertNotNull("manifest", jar.getManifest());
            assertEquals("1.0", jar.getManifest().getMainAttributes().getValue("Manifest-Version"));
            for (JarEntry entry = jar.getNextJarEntry(); entry != null;
                    entry = jar.getNextJarEntry()) {
                assertEquals(
                        entry.getName(), LocalDateTime.of(2000, 1, 1, 0, 0), entry.getTimeLocal());
                if (entry.getName().equals("META-INF/INDEX.LIST")) {
                    index = new String(jar.readAllBytes(), StandardCharsets.US_ASCII);
                } else {
                    files.add(entry.getName());
                }
            }
        }
        assertTrue(files.containsAll(Arrays.asList("Decoder.class", "Decoder$ProgressBar.class",
                "Tag.gif", "Icon.gif", "vostel.gif")));
        assertEquals("JarIndex-Version: 1.0\n\ndecoder.jar\n" + String.join("\n", files) + "\n\n",
                index);
    }
}
