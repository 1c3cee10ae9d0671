/* What the decoder tells the window while it decodes a page. */
interface ProgressListener {
    /* The key was accepted and decoding begins. */
    void DecodingStarted();

    /* Called whenever the percentage (0 to 100) or the bar's length (0 to 128) changes. */
    void Progress(int percent, int bar);
}
