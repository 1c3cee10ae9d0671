import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertNotNull;
import static org.junit.Assert.assertNull;
import static org.junit.Assert.assertTrue;

import java.applet.AppletContext;
import java.applet.AppletStub;
import java.awt.Color;
import java.awt.Font;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.Label;
import java.awt.MediaTracker;
import java.awt.Rectangle;
import java.awt.image.BufferedImage;
import java.net.MalformedURLException;
import java.net.URL;
import java.nio.file.Path;
import java.util.HashMap;
import java.util.Map;
import org.junit.BeforeClass;
import org.junit.ClassRule;
import org.junit.Test;
import org.junit.rules.TemporaryFolder;

/** The applet itself, as a browser drives it: needs a display (Xvfb). */
@SuppressWarnings("removal") // the applet classes, deprecated since Java 9
public class DecoderAppletTest {
    @ClassRule public static final TemporaryFolder folder = new TemporaryFolder();

    private static final String PASSWORD = "pass word";
    private static final String PAGE =
            "<html><body><p>The applet's page, the applet's page.</p></body></html>";
    private static final String CODE_BASE = "http://www.example.com/pages/";
    private static final int WIDTH = 240; // the decoder page's APPLET element
    private static final int HEIGHT = 102;

    private static Path dir;

    @BeforeClass
    public static void lockPage() throws Exception {
        dir = folder.getRoot().toPath();
        DataFiles.Lock(dir, "page", PAGE, PASSWORD);
    }

    /** The browser's side: parameters, the decoder page's address and the code base. */
    static class Stub implements AppletStub {
        private final Map<String, String> parameters;
        private final String codeBase;

        Stub(Map<String, String> parameters, String codeBase) {
            this.parameters = parameters;
            this.codeBase = codeBase;
        }

        @Override
        public boolean isActive() {
            return true;
        }

        @Override
        public URL getDocumentBase() {
            return Url(DataFiles.Url(dir.resolve("decoder.htm")));
        }

        @Override
        public URL getCodeBase() {
            return Url(codeBase);
        }

        @Override
        public String getParameter(String name) {
            return parameters.get(name);
        }

        @Override
        public AppletContext getAppletContext() {
            return null;
        }

        @Override
        public void appletResize(int width, int height) {}

        private static URL Url(String text) {
            try {
                return new URL(text);
            } catch (MalformedURLException e) {
                throw new AssertionError(e);
            }
        }
    }

    /** An applet after init and start, with the parameters given as name, value, name, value... */
    private static Decoder Start(String codeBase, String... parameters) {
        Map<String, String> map = new HashMap<>();
        for (int i = 0; i < parameters.length; i += 2) {
            map.put(parameters[i], parameters[i + 1]);
        }
        Decoder applet = new Decoder();
        applet.setStub(new Stub(map, codeBase));
        applet.setSize(WIDTH, HEIGHT);
        applet.init();
        applet.start();
        return applet;
    }

    private static void AssertLabel(Label label, Rectangle bounds, int alignment) {
        assertEquals(bounds, label.getBounds());
        assertEquals(alignment, label.getAlignment());
        assertEquals(13, label.getFont().getSize());
        assertEquals(Font.PLAIN, label.getFont().getStyle());
    }

    private static void AssertPlaced(String name, Image image, int x, int y) throws Exception {
        assertNotNull(name, image);
        assertTrue(name, image.getWidth(null) > 0 && x + image.getWidth(null) <= WIDTH);
        assertTrue(name, image.getHeight(null) > 0 && y + image.getHeight(null) <= HEIGHT);
    }

    private static void WaitForPictures(Decoder applet) throws InterruptedException {
        MediaTracker tracker = new MediaTracker(applet);
        tracker.addImage(applet.m_imgTag, 0);
        tracker.addImage(applet.m_imgIcon, 0);
        tracker.addImage(applet.m_imgVostel, 0);
        tracker.waitForAll();
        assertTrue("the pictures decode", !tracker.isErrorAny());
    }

    @Test
    public void initBuildsTheWindowAndDecodingFillsIt() throws Exception {
        Decoder applet = Start(CODE_BASE, "Source", "page.zvk", "BkColor", "#fff8e0");
        assertEquals(new Color(0xfff8e0), applet.getBackground());
        AssertLabel(applet.m_lblHead, new Rectangle(46, 34, 96, 16), Label.LEFT);
        AssertLabel(applet.m_lblPercent, new Rectangle(152, 34, 40, 16), Label.RIGHT);
        assertEquals(new Rectangle(56, 54, 133, 16), applet.m_tfProgress.getBounds());
        WaitForPictures(applet);
        AssertPlaced("Tag.gif", applet.m_imgTag, 22, 4);
        AssertPlaced("Icon.gif", applet.m_imgIcon, 8, 38);
        AssertPlaced("vostel.gif", applet.m_imgVostel, 166, 68);

        assertEquals(PageDecoder.ERROR_PASSWORD, applet.CheckPassword("wrong"));
        assertEquals(PageDecoder.OK, applet.CheckPassword(PASSWORD));
        assertEquals(PageDecoder.OK, applet.Decode());
        assertEquals("Decoding...", applet.m_lblHead.getText());
        assertEquals("100%", applet.m_lblPercent.getText());
        assertEquals(128, applet.m_iProgress);
        assertEquals(PAGE, applet.GetSource());

        applet.Clear();
        assertEquals(0, applet.m_iProgress);
        assertEquals("", applet.GetSource());
    }

    @Test
    public void parametersChooseTheLookAndPlainLeavesTheWindowEmpty() throws Exception {
        Object[][] cases = {
                // Type, BkColor, background, with labels
                {null, null, Color.white, true},
                {null, "0x102030", new Color(0x102030), true},
                {"", "#FFF8E0", new Color(0xfff8e0), true},
                {"plain", "nonsense", Color.white, false},
        };
        for (Object[] c : cases) {
            Decoder applet = Start(CODE_BASE, "Source", "page.zvk", "Type", (String) c[0],
                    "BkColor", (String) c[1]);
            String what = c[0] + ", " + c[1];
            assertEquals(what, c[2], applet.getBackground());
            assertEquals(what, c[3], applet.m_lblHead != null);
            assertEquals(what, c[3], applet.m_tfProgress != null);
            assertEquals(what, c[3], applet.m_imgTag != null);
            assertEquals(what, (Boolean) c[3] ? 3 : 0, applet.getComponentCount());
            assertEquals(what, PageDecoder.OK, applet.CheckPassword(PASSWORD));
            assertEquals(what, PageDecoder.OK, applet.Decode());
            assertEquals(what, PAGE, applet.GetSource());
        }
    }

    @Test
    public void theBarIsADottedFrameWhenIdleAndFillsWithProgress() {
        Decoder applet = Start(CODE_BASE, "Source", "page.zvk");
        int grey = 0x848484;
        int light = 0xdedede;
        int dot = 0xc6c6c6;
        int white = 0xffffff;
        int blue = 0x000080;
        int black = 0x000000;
        int[][] cases = {
                // progress, then x, y, colour as often as needed
                {0, 0, 0, grey, 0, 14, grey, 132, 0, light, 0, 15, light, 1, 1, dot, 2, 1, white, 2,
                        2, dot, 67, 8, white},
                {1, 0, 0, grey, 1, 1, black, 2, 2, white, 3, 3, blue, 3, 13, blue, 4, 3, white},
                {64, 66, 8, blue, 67, 8, white, 66, 2, white, 66, 14, black, 132, 15, grey},
                {128, 130, 13, blue, 131, 8, black, 3, 14, black},
        };
        for (int[] c : cases) {
            applet.m_iProgress = c[0];
            BufferedImage image = new BufferedImage(133, 16, BufferedImage.TYPE_INT_RGB);
            Graphics g = image.getGraphics();
            applet.m_tfProgress.paint(g);
            g.dispose();
            for (int i = 1; i < c.length; i += 3) {
                assertEquals("progress " + c[0] + " at (" + c[i] + ", " + c[i + 1] + ")",
                        Integer.toHexString(c[i + 2]),
                        Integer.toHexString(image.getRGB(c[i], c[i + 1]) & 0xFFFFFF));
            }
        }
    }

    @Test
    public void paintDrawsThePicturesInTheirPlaces() throws Exception {
        Decoder applet = Start(CODE_BASE, "Source", "page.zvk");
        WaitForPictures(applet);
        int magenta = 0xff00ff;
        BufferedImage image = new BufferedImage(WIDTH, HEIGHT, BufferedImage.TYPE_INT_RGB);
        Graphics g = image.getGraphics();
        g.setColor(new Color(magenta));
        g.fillRect(0, 0, WIDTH, HEIGHT);
        applet.paint(g);
        g.dispose();

        Object[][] pictures = {
                {"Tag.gif", applet.m_imgTag, 22, 4},
                {"Icon.gif", applet.m_imgIcon, 8, 38},
                {"vostel.gif", applet.m_imgVostel, 166, 68},
        };
        int outside = WIDTH * HEIGHT;
        for (Object[] p : pictures) {
            Image picture = (Image) p[1];
            int x0 = (Integer) p[2];
            int y0 = (Integer) p[3];
            int drawn = 0;
            for (int y = y0; y < y0 + picture.getHeight(null); y++) {
                for (int x = x0; x < x0 + picture.getWidth(null); x++) {
                    drawn += (image.getRGB(x, y) & 0xFFFFFF) != magenta ? 1 : 0;
                }
            }
            assertTrue(p[0] + " drawn at (" + x0 + ", " + y0 + ")", drawn > 50);
            outside -= picture.getWidth(null) * picture.getHeight(null);
        }
        int untouched = 0;
        for (int y = 0; y < HEIGHT; y++) {
            for (int x = 0; x < WIDTH; x++) {
                untouched += (image.getRGB(x, y) & 0xFFFFFF) == magenta ? 1 : 0;
            }
        }
        assertTrue("nothing drawn outside the pictures", untouched >= outside);
    }

    @Test
    public void aCookieFromOneCodeBaseOpensThePageThereOnly() {
        Decoder maker =
                Start(CODE_BASE, "Source", "page.zvk", "CookieKey", "kw", "CookieKeepDays", "1.5");
        assertTrue(maker.IsCookieEnabled());
        assertEquals(PageDecoder.OK, maker.CheckPassword(PASSWORD));
        String withExpiry = maker.GetCookie();
        assertTrue(withExpiry, withExpiry.matches("kw=[A-P]{16};expires=\\w{3}, .* GMT"));
        String cookie = maker.GetCookie(null, 0f);
        assertTrue(cookie, cookie.matches("kw=[A-P]{16}"));
        assertTrue(withExpiry.startsWith(cookie));

        Decoder here = Start(CODE_BASE, "Source", "page.zvk", "CookieKey", "kw");
        assertEquals(PageDecoder.OK, here.CheckCookie("x=1; " + cookie));
        assertEquals(PageDecoder.OK, here.Decode());
        assertEquals(PAGE, here.GetSource());

        Decoder elsewhere =
                Start("http://www.example.com/copy/", "Source", "page.zvk", "CookieKey", "kw");
        assertEquals(PageDecoder.ERROR_PASSWORD, elsewhere.CheckCookie("x=1; " + cookie));

        Decoder noCookie = Start(CODE_BASE, "Source", "page.zvk");
        assertTrue(!noCookie.IsCookieEnabled());
        assertEquals("", noCookie.GetCookie());
    }

    @Test
    public void stopClosesTheDataFileAndStartOpensItAfresh() {
        Decoder applet = Start(CODE_BASE, "Source", "page.zvk");
        assertEquals(PageDecoder.OK, applet.CheckPassword(PASSWORD));
        applet.stop();
        assertEquals(PageDecoder.ERROR_SOURCE, applet.CheckPassword(PASSWORD));
        applet.start();
        assertEquals(PageDecoder.OK, applet.CheckPassword(PASSWORD));
        assertEquals(PageDecoder.OK, applet.Decode());
        assertEquals(PAGE, applet.GetSource());

        Decoder missing = Start(CODE_BASE, "Source", "missing.zvk");
        assertEquals(PageDecoder.ERROR_OPEN, missing.CheckPassword(PASSWORD));
        Decoder none = Start(CODE_BASE);
        assertEquals(PageDecoder.ERROR_SOURCE, none.CheckPassword(PASSWORD));
        assertEquals(PageDecoder.ERROR_SOURCE, none.Decode());
    }
}
