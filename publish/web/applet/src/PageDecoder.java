import java.io.BufferedInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.UnsupportedEncodingException;
import java.net.MalformedURLException;
import java.net.URL;

/*
 * Everything the applet does with the data file and the cookie, with no
 * window: opening the file, checking a password or a cookie on the header
 * block, deciphering and decompressing the page, and writing the cookie.
 *
 * The data file: an 8-byte header ("KZUT" and the page length N, 32-bit
 * little-endian), the name of the page's character encoding (zero-ended,
 * in 8-byte blocks, at most 256 bytes), and the compressed body padded with
 * spaces; every 8-byte block enciphered on its own.
 *
 * Checks and decoding return -1 for success or the index (0 to 5) of the
 * message that the decoder page shows.
 */
class PageDecoder {
    static final int OK = -1;
    static final int ERROR_SOURCE = 0; // Source empty or not an address
    static final int ERROR_ACCESS = 1; // the browser refuses access to the file
    static final int ERROR_OPEN = 2; // the file cannot be opened or read
    static final int ERROR_CORRUPT = 3; // the body is corrupt or cut short
    static final int ERROR_PASSWORD = 4; // the key does not open the file
    static final int ERROR_ENCODING = 5; // unknown character encoding, or no complete name

    private static final int BLOCK = 8;
    private static final int GROUP = 8 * BLOCK; // body bytes deciphered at a time
    private static final int TOKEN = 4; // a copy: 0, distance (16-bit LE), length (8-bit)
    private static final int NAME_BLOCKS = 32;
    private static final int SMALLEST_PAGE = 8;
    private static final byte PADDING = 0x20;
    private static final byte[] MAGIC = {'K', 'Z', 'U', 'T'};

    InputStream m_fStream;
    /* -1 while the data file is open; otherwise the error of opening it. */
    int m_iNetResult = ERROR_SOURCE;
    /* The header block as read; null until read from the open stream. */
    int[] m_aHeader;
    /* The open stream has been read past its header by a decode. */
    boolean m_bBodyRead;
    /* The accepted key (DeriveKey's bytes), or null. */
    byte[] m_aKey;
    /* The page length N once a key has been accepted, else 0. */
    int m_nSize;
    String m_strEncode = "";
    /* The decoded page, once complete. */
    byte[] m_aStockText;
    /* The cookie keyword, URL-encoded; empty when no cookie is used. */
    String m_strCookieKey = "";
    float m_fCookieKeepDays;
    /* The address of the folder the archive came from, as the browser writes it. */
    String m_strCodeBase = "";

    private URL m_urlSource;
    private ProgressListener m_listener;

    void SetListener(ProgressListener listener) {
        m_listener = listener;
    }

    synchronized void SetCodeBase(String codeBase) {
        m_strCodeBase = codeBase == null ? "" : codeBase;
    }

    synchronized void SetCookieKey(String keyword) {
        m_strCookieKey = keyword == null ? "" : CookieText.URLEncode(keyword);
    }

    synchronized void SetCookieKeepDays(float days) {
        m_fCookieKeepDays = days;
    }

    /* Opens `source`, an address relative to `base` (which may be null). */
    synchronized void OpenStream(URL base, String source) {
        Close();
        m_urlSource = null;
        if (source == null || source.length() == 0) {
            return;
        }
        try {
            m_urlSource = new URL(base, source);
        } catch (MalformedURLException e) {
            return;
        }
        Connect();
    }

    /* Opens the data file again unless it is open. */
    synchronized void Reopen() {
        if (m_fStream == null && m_urlSource != null) {
            Connect();
        }
    }

    /* Closes the data file and forgets its header; a later Reopen starts afresh. */
    synchronized void Close() {
        if (m_fStream != null) {
            try {
                m_fStream.close();
            } catch (IOException e) {
                // nothing more to do with it
            }
        }
        m_fStream = null;
        m_aHeader = null;
        m_bBodyRead = false;
        m_iNetResult = ERROR_SOURCE;
    }

    /* How the data file is fetched; tests put their own streams here. */
    InputStream Open(URL url) throws IOException {
        return url.openStream();
    }

    synchronized boolean IsCookieEnabled() {
        return m_strCookieKey.length() != 0;
    }

    synchronized int CheckPassword(String password) {
        return CheckPassword(password == null ? "" : password, null);
    }

    synchronized int CheckCookie(String cookies) {
        return CheckPassword(null, cookies);
    }

    synchronized int CheckCookie(String cookies, String keyword) {
        if (keyword != null) {
            SetCookieKey(keyword);
        }
        return CheckPassword(null, cookies);
    }

    /* Decodes the page with the accepted key. */
    synchronized int Decode() {
        if (m_iNetResult != OK) {
            return m_iNetResult;
        }
        if (m_nSize < SMALLEST_PAGE) {
            return ERROR_PASSWORD;
        }
        int result = SeekBody();
        if (result != OK) {
            return result;
        }
        m_aStockText = null;
        if (m_listener != null) {
            m_listener.DecodingStarted();
        }
        try {
            PageCipher cipher = new PageCipher(m_aKey);
            result = ReadEncoding(cipher);
            if (result != OK) {
                return result;
            }
            byte[] page;
            try {
                page = new byte[m_nSize];
            } catch (OutOfMemoryError e) {
                return ERROR_CORRUPT;
            }
            result = DecodeBody(cipher, page);
            if (result == OK) {
                m_aStockText = page;
            }
            return result;
        } catch (IOException e) {
            return Fail(ERROR_OPEN);
        }
    }

    /* The decoded page as text, or an empty text. */
    synchronized String GetSource() {
        if (m_aStockText == null) {
            return "";
        }
        try {
            return new String(m_aStockText, m_strEncode);
        } catch (UnsupportedEncodingException e) {
            return "";
        }
    }

    /* Forgets the page, the key, the cookie keyword and the page length. */
    synchronized void Clear() {
        m_aStockText = null;
        m_aKey = null;
        m_strCookieKey = "";
        m_nSize = 0;
    }

    /* With the lifetime held (the CookieKeepDays parameter, or the last one given). */
    synchronized String GetCookie(String keyword) {
        return GetCookie(keyword, m_fCookieKeepDays);
    }

    synchronized String GetCookie(String keyword, float days) {
        return GetCookie(keyword, days, System.currentTimeMillis());
    }

    /*
     * The text to assign to document.cookie, with the lifetime counted from
     * `now`: empty without a keyword, and empty while no key is accepted,
     * since there is nothing to remember then. A keyword other than null
     * replaces the current one.
     */
    synchronized String GetCookie(String keyword, float days, long now) {
        if (keyword != null) {
            SetCookieKey(keyword);
        }
        m_fCookieKeepDays = days;
        if (m_strCookieKey.length() == 0 || m_aKey == null) {
            return "";
        }
        return m_strCookieKey + "=" + CookieText.KeyToLetters(ConvertKey(m_aKey, true))
                + CookieText.Expiry(now, days);
    }

    /* The common body of both checks: a password, or else the cookie text. */
    private int CheckPassword(String password, String cookies) {
        if (m_iNetResult != OK) {
            return m_iNetResult;
        }
        int result = ReadHeader();
        if (result != OK) {
            return result;
        }
        byte[] key = password != null ? PageCipher.DeriveKey(CodePage.Bytes(password))
                                      : KeyFromCookie(cookies);
        return CheckKey(key);
    }

    /* Accepts `key` when it deciphers the header to a page of 8 bytes or more. */
    private int CheckKey(byte[] key) {
        m_aKey = null;
        m_nSize = 0;
        if (key == null) {
            return ERROR_PASSWORD;
        }
        int size = PageLength(key);
        if (size < SMALLEST_PAGE) {
            return ERROR_PASSWORD;
        }
        m_aKey = key;
        m_nSize = size;
        return OK;
    }

    /* The page length that `key` reads from the header; 0 unless it reads "KZUT". */
    private int PageLength(byte[] key) {
        byte[] block = new byte[BLOCK];
        for (int i = 0; i < BLOCK; i++) {
            block[i] = (byte) m_aHeader[i];
        }
        new PageCipher(key).Decipher(block, 0);
        for (int i = 0; i < MAGIC.length; i++) {
            if (block[i] != MAGIC[i]) {
                return 0;
            }
        }
        return (block[4] & 0xFF) | (block[5] & 0xFF) << 8 | (block[6] & 0xFF) << 16
                | (block[7] & 0xFF) << 24;
    }

    private byte[] KeyFromCookie(String cookies) {
        String value = CookieText.FindValue(cookies, m_strCookieKey);
        if (value == null) {
            return null;
        }
        byte[] stored = CookieText.LettersToKey(value);
        return stored == null ? null : ConvertKey(stored, false);
    }

    /*
     * A key enciphered (for the cookie) or deciphered (from it) under the key
     * of the code base address and the keyword, so that a cookie opens the
     * data file only from the folder that wrote it.
     */
    private byte[] ConvertKey(byte[] key, boolean encipher) {
        PageCipher cipher = new PageCipher(
                PageCipher.DeriveKey(CodePage.Bytes(m_strCodeBase + m_strCookieKey)));
        byte[] converted = new byte[BLOCK];
        System.arraycopy(key, 0, converted, 0, BLOCK);
        if (encipher) {
            cipher.Encipher(converted, 0);
        } else {
            cipher.Decipher(converted, 0);
        }
        return converted;
    }

    private void Connect() {
        m_aHeader = null;
        m_bBodyRead = false;
        try {
            m_fStream = new BufferedInputStream(Open(m_urlSource));
            m_iNetResult = OK;
        } catch (SecurityException e) {
            m_iNetResult = ERROR_ACCESS;
        } catch (IOException e) {
            m_iNetResult = ERROR_OPEN;
        }
    }

    /* Closes the stream after a read failure; the error stays until the next Reopen. */
    private int Fail(int error) {
        Close();
        m_iNetResult = error;
        return error;
    }

    /* Reads the header block once per opening; the checks reuse it. */
    private int ReadHeader() {
        if (m_aHeader != null) {
            return OK;
        }
        byte[] block = new byte[BLOCK];
        try {
            if (ReadFully(block, 0, BLOCK) < BLOCK) {
                return Fail(ERROR_OPEN);
            }
        } catch (IOException e) {
            return Fail(ERROR_OPEN);
        }
        m_aHeader = new int[BLOCK];
        for (int i = 0; i < BLOCK; i++) {
            m_aHeader[i] = block[i] & 0xFF;
        }
        return OK;
    }

    /*
     * Brings the stream to the block after the header. A stream that a
     * decode has already read is opened again, and one opened again since
     * the key was accepted (after stop and start) must give the same header.
     */
    private int SeekBody() {
        if (m_bBodyRead) {
            Close();
            Connect();
            if (m_iNetResult != OK) {
                return m_iNetResult;
            }
        }
        if (m_aHeader == null) {
            int result = ReadHeader();
            if (result != OK) {
                return result;
            }
            if (PageLength(m_aKey) != m_nSize) {
                m_aKey = null;
                m_nSize = 0;
                return ERROR_PASSWORD;
            }
        }
        m_bBodyRead = true;
        return OK;
    }

    /* Reads the name of the page's character encoding; 5 unless it is complete and known. */
    private int ReadEncoding(PageCipher cipher) throws IOException {
        StringBuffer name = new StringBuffer();
        byte[] block = new byte[BLOCK];
        boolean ended = false;
        for (int n = 0; n < NAME_BLOCKS && !ended; n++) {
            if (ReadFully(block, 0, BLOCK) < BLOCK) {
                return ERROR_ENCODING;
            }
            cipher.Decipher(block, 0);
            for (int i = 0; i < BLOCK && !ended; i++) {
                if (block[i] == 0) {
                    ended = true;
                } else {
                    name.append((char) (block[i] & 0xFF));
                }
            }
        }
        m_strEncode = name.toString();
        return IsKnownEncoding(m_strEncode) ? OK : ERROR_ENCODING;
    }

    private static boolean IsKnownEncoding(String name) {
        try {
            new String(new byte[] {PADDING}, name);
            return true;
        } catch (UnsupportedEncodingException e) {
            return false;
        } catch (RuntimeException e) {
            return false; // some libraries refuse a malformed name this way
        }
    }

    /*
     * Decodes the body into `page`, deciphering it a group of 8 blocks at a
     * time into a work area after the up to 3 bytes of a copy token that the
     * previous group ended in. A non-zero byte is a literal; a zero starts a
     * copy of `length` bytes from `distance` bytes before the end of the
     * output (byte by byte, so an overlapping copy repeats its pattern).
     *
     * Only what the tool writes is accepted: a copy must start inside the
     * output and end inside the page, and once the page is complete the rest
     * of the work area must be the spaces that pad the body.
     */
    private int DecodeBody(PageCipher cipher, byte[] page) throws IOException {
        byte[] work = new byte[TOKEN - 1 + GROUP];
        int carried = 0;
        int size = 0;
        int pageLength = page.length;
        int percent = 0;
        int bar = 0;
        while (size < pageLength) {
            int read = ReadBlocks(cipher, work, carried);
            if (read == 0) {
                return ERROR_CORRUPT; // the data ends before the page is complete
            }
            int end = carried + read;
            int at = 0;
            while (at < end && size < pageLength) {
                if (work[at] != 0) {
                    page[size++] = work[at++];
                    continue;
                }
                if (end - at < TOKEN) {
                    break; // the token goes on in the next group
                }
                int distance = (work[at + 1] & 0xFF) | (work[at + 2] & 0xFF) << 8;
                int length = work[at + 3] & 0xFF;
                if (distance == 0 || distance > size || length > pageLength - size) {
                    return ERROR_CORRUPT;
                }
                if (length <= distance) {
                    System.arraycopy(page, size - distance, page, size, length);
                    size += length;
                } else {
                    for (int i = 0; i < length; i++, size++) {
                        page[size] = page[size - distance];
                    }
                }
                at += TOKEN;
            }
            if (size == pageLength) {
                for (; at < end; at++) {
                    if (work[at] != PADDING) {
                        return ERROR_CORRUPT;
                    }
                }
            }
            carried = end - at;
            System.arraycopy(work, at, work, 0, carried);

            // In long arithmetic: a page of over 16 MB overflows int here.
            int nowPercent = (int) ((long) size * 100 / pageLength);
            int nowBar = (int) ((long) size * 128 / pageLength);
            if ((nowPercent != percent || nowBar != bar) && m_listener != null) {
                m_listener.Progress(nowPercent, nowBar);
            }
            percent = nowPercent;
            bar = nowBar;
        }
        return OK;
    }

    /*
     * Reads up to one group of whole blocks into work[offset...] and deciphers
     * them; returns the bytes read, 0 at the end of the data. A part of a
     * block at the end of the data is no block.
     */
    private int ReadBlocks(PageCipher cipher, byte[] work, int offset) throws IOException {
        int read = ReadFully(work, offset, GROUP);
        read -= read % BLOCK;
        for (int i = 0; i < read; i += BLOCK) {
            cipher.Decipher(work, offset + i);
        }
        return read;
    }

    /* Reads `length` bytes unless the data ends first; returns the count read. */
    private int ReadFully(byte[] buffer, int offset, int length) throws IOException {
        int total = 0;
        while (total < length) {
            int n = m_fStream.read(buffer, offset + total, length - total);
            if (n < 0) {
                break;
            }
            total += n;
        }
        return total;
    }
}
