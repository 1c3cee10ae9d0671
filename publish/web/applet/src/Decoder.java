import java.applet.Applet;
import java.awt.Canvas;
import java.awt.Color;
import java.awt.Font;
import java.awt.Graphics;
import java.awt.Image;
import java.awt.Label;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;

/*
 * The decoder applet that "decoder.htm" embeds. The page's scripts call its
 * public methods; the work itself is done by a PageDecoder, and the applet
 * adds the parameters, the labels, the progress bar and the pictures.
 *
 * Parameters: Source (the data file, relative to the page), CookieKey (the
 * cookie keyword; empty for no cookie), BkColor ("#rrggbb" or a number),
 * CookieKeepDays (the cookie lifetime in days) and Type ("plain": no labels,
 * bar or pictures).
 */
public class Decoder extends Applet {
    private static final int PROGRESS_WIDTH = 133;
    private static final int PROGRESS_HEIGHT = 16;
    private static final int FONT_SIZE = 13;

    private static final Color DARK_GREY = new Color(132, 132, 132);
    private static final Color LIGHT_GREY = new Color(222, 222, 222);
    private static final Color DOT_GREY = new Color(198, 198, 198);
    private static final Color BAR_BLUE = new Color(0, 0, 128);

    String m_strSource = "";
    /* The bar's length, 0 to 128. */
    int m_iProgress;
    Label m_lblHead;
    Label m_lblPercent;
    ProgressBar m_tfProgress;
    Image m_imgIcon;
    Image m_imgTag;
    Image m_imgVostel;
    final PageDecoder m_pdPage = new PageDecoder();

    /* The bar under the heading: a dotted sunken frame until decoding starts. */
    class ProgressBar extends Canvas {
        public void update(Graphics g) {
            paint(g); // paint covers every pixel; no clearing, no flicker
        }

        public void paint(Graphics g) {
            g.setColor(Color.white);
            g.fillRect(0, 0, PROGRESS_WIDTH, PROGRESS_HEIGHT);
            int right = PROGRESS_WIDTH - 1;
            int bottom = PROGRESS_HEIGHT - 1;
            if (m_iProgress == 0) {
                g.setColor(DOT_GREY);
                for (int y = 1; y < bottom; y++) {
                    for (int x = 1 + (y + 1) % 2; x < right; x += 2) {
                        g.drawLine(x, y, x, y);
                    }
                }
                g.setColor(DARK_GREY);
                g.drawLine(0, 0, right - 1, 0);
                g.drawLine(0, 0, 0, bottom - 1);
                g.setColor(LIGHT_GREY);
                g.drawLine(0, bottom, right, bottom);
                g.drawLine(right, 0, right, bottom);
            } else {
                g.setColor(DARK_GREY);
                g.drawRect(0, 0, right, bottom);
                g.setColor(Color.black);
                g.drawRect(1, 1, right - 2, bottom - 2);
                g.setColor(BAR_BLUE);
                g.fillRect(3, 3, m_iProgress, 11);
            }
        }
    }

    public void init() {
        setBackground(new Color(ReadColor(getParameter("BkColor"))));
        if (!"plain".equals(getParameter("Type"))) {
            setLayout(null);
            Font font = new Font(
                    getFont() == null ? "Dialog" : getFont().getName(), Font.PLAIN, FONT_SIZE);
            m_lblHead = new Label("", Label.LEFT);
            m_lblHead.setFont(font);
            m_lblHead.setBounds(46, 34, 96, 16);
            add(m_lblHead);
            m_lblPercent = new Label("", Label.RIGHT);
            m_lblPercent.setFont(font);
            m_lblPercent.setBounds(152, 34, 40, 16);
            add(m_lblPercent);
            m_tfProgress = new ProgressBar();
            m_tfProgress.setBackground(Color.white);
            m_tfProgress.setBounds(56, 54, PROGRESS_WIDTH, PROGRESS_HEIGHT);
            add(m_tfProgress);

            m_imgIcon = ReadImage("/Icon.gif");
            m_imgVostel = ReadImage("/vostel.gif");
            m_imgTag = ReadImage("/Tag.gif");
        }

        String source = getParameter("Source");
        m_strSource = source == null ? "" : source;
        m_pdPage.SetCookieKey(getParameter("CookieKey"));
        m_pdPage.SetCookieKeepDays(ReadDays(getParameter("CookieKeepDays")));
        URL codeBase = getCodeBase();
        m_pdPage.SetCodeBase(codeBase == null ? "" : codeBase.toString());
        m_pdPage.SetListener(new ProgressListener() {
            public void DecodingStarted() {
                ShowDecoding();
            }

            public void Progress(int percent, int bar) {
                ShowProgress(percent, bar);
            }
        });
        m_pdPage.OpenStream(getDocumentBase(), m_strSource);
    }

    public void start() {
        m_pdPage.Reopen();
    }

    public void stop() {
        m_pdPage.Close();
    }

    public void paint(Graphics g) {
        if (m_imgTag != null) {
            g.drawImage(m_imgTag, 22, 4, this);
        }
        if (m_imgIcon != null) {
            g.drawImage(m_imgIcon, 8, 38, this);
        }
        if (m_imgVostel != null) {
            g.drawImage(m_imgVostel, 166, 68, this);
        }
    }

    public boolean IsCookieEnabled() {
        return m_pdPage.IsCookieEnabled();
    }

    public int CheckCookie(String strCookie) {
        return m_pdPage.CheckCookie(strCookie);
    }

    public int CheckCookie(String strCookie, String strKeyword) {
        return m_pdPage.CheckCookie(strCookie, strKeyword);
    }

    public int CheckPassword(String strPassword) {
        return m_pdPage.CheckPassword(strPassword);
    }

    public int Decode() {
        return m_pdPage.Decode();
    }

    public String GetSource() {
        return m_pdPage.GetSource();
    }

    public void Clear() {
        m_pdPage.Clear();
        SetProgress(0);
    }

    public String GetCookie(String strKeyword, float fDays) {
        return m_pdPage.GetCookie(strKeyword, fDays);
    }

    public String GetCookie(String strKeyword) {
        return m_pdPage.GetCookie(strKeyword);
    }

    public String GetCookie() {
        return GetCookie(null);
    }

    void ShowDecoding() {
        if (m_lblHead != null) {
            m_lblHead.setText("Decoding...");
        }
    }

    void ShowProgress(int percent, int bar) {
        if (m_lblPercent != null) {
            m_lblPercent.setText(percent + "%");
        }
        SetProgress(bar);
    }

    void SetProgress(int bar) {
        m_iProgress = bar;
        if (m_tfProgress != null) {
            m_tfProgress.repaint();
        }
    }

    /* A picture of the archive, read whole; null when it is missing. */
    private Image ReadImage(String name) {
        InputStream in = getClass().getResourceAsStream(name);
        if (in == null) {
            return null;
        }
        try {
            ByteArrayOutputStream bytes = new ByteArrayOutputStream();
            byte[] buffer = new byte[1024];
            for (int n = in.read(buffer); n >= 0; n = in.read(buffer)) {
                bytes.write(buffer, 0, n);
            }
            return getToolkit().createImage(bytes.toByteArray());
        } catch (IOException e) {
            return null;
        } finally {
            try {
                in.close();
            } catch (IOException e) {
                // the picture is read already
            }
        }
    }

    /* Integer.decode rules ("#" and "0x" allowed); white when missing or unreadable. */
    private static int ReadColor(String text) {
        if (text != null) {
            try {
                return Integer.decode(text).intValue();
            } catch (NumberFormatException e) {
                // white, as below
            }
        }
        return 0xFFFFFF;
    }

    private static float ReadDays(String text) {
        if (text != null) {
            try {
                return Float.valueOf(text).floatValue();
            } catch (NumberFormatException e) {
                // none, as below
            }
        }
        return 0;
    }
}
