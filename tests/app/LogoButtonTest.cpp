#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app/Application.h"
#include "app/controls/LogoButton.h"
#include "app/resources/Pictures.h"

namespace nemora::app {
namespace {

using Alignment = LogoButton::Alignment;

// Colours for the roles the map uses, none of them a key colour, so that
// every mapped pixel tells which role it came from.
const QRgb kFace = qRgb(10, 20, 30);
const QRgb kLight = qRgb(40, 50, 60);
const QRgb kDark = qRgb(70, 80, 90);
const QRgb kShadow = qRgb(100, 110, 120);

QPalette TestPalette() {
    QPalette palette;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Button, kFace);
        palette.setColor(group, QPalette::Light, kLight);
        palette.setColor(group, QPalette::Dark, kDark);
        palette.setColor(group, QPalette::Shadow, kShadow);
    }
    return palette;
}

// The colour map, written out for each key colour and state.
QRgb Expected(QRgb key, int state) {
    const bool pushed = state & PressableControl::kPushed;
    const bool focus = state & PressableControl::kFocus;
    const QRgb white = qRgb(255, 255, 255);
    switch (key & 0xffffff) {
        case 0xc0c0c0:
            return kFace;
        case 0xffffff:
            return pushed ? kDark : kLight;
        case 0x808080:
            return pushed ? kLight : (focus ? kShadow : kDark);
        case 0xff00ff:
            return pushed ? qRgb(128, 0, 0) : white;
        case 0x800000:
            return pushed ? white : qRgb(128, 0, 0);
        case 0x00ffff:
            return pushed ? qRgb(0, 128, 0) : white;
        case 0x008000:
            return pushed ? white : qRgb(0, 128, 0);
        default:
            return key | 0xff000000u;
    }
}

// A shown, active window holding an edit field, which has the focus, and
// one logo control.
struct Window {
    QWidget widget;
    QLineEdit* edit;
    LogoButton* logo;
    QSignalSpy clicks;

    explicit Window(QSize size = {100, 40}, Alignment alignment = Alignment::Right)
        : edit(new QLineEdit(&widget)),
          logo(new LogoButton(&widget, alignment)),
          clicks(logo, &LogoButton::clicked) {
        widget.resize(200, 100);
        edit->setGeometry(0, 60, 100, 30);
        logo->setGeometry(QRect(QPoint(10, 10), size));
        widget.show();
        widget.activateWindow();
    }
    bool Ready() { return QTest::qWaitForWindowActive(&widget); }
    QPoint OnBitmap() const { return logo->DrawRect().center(); }
    bool Pushed() const { return logo->State() & PressableControl::kPushed; }
};

}  // namespace

class LogoButtonTest : public QObject {
    Q_OBJECT

private slots:
    void init() { LogoButton::SetLogoBitmaps(Application::kLogoBitmaps); }

    void layout_data();
    void layout();
    void noBitmapDrawsNothingAndIgnoresClicks();
    void alignedEdgeStaysWhenControlGrows();
    void pressAndReleaseOnBitmapSendsOneCommand();
    void releaseOutsideSendsNothingMovingBackDoes();
    void pressBesideBitmapDoesNothing();
    void captureLossClearsPushedWithoutCommand();
    void spaceSendsExactlyOneCommand();
    void disabledLogoTakesNoMouse();
    void colourMapOnRenderedPixels_data();
    void colourMapOnRenderedPixels();
};

void LogoButtonTest::layout_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("bitmap");
    QTest::addColumn<QRect>("drawn");

    const int right = static_cast<int>(Alignment::Right);
    const int left = static_cast<int>(Alignment::Left);
    const int centre = static_cast<int>(Alignment::Centre);
    // 42 x 16 is 2 pixels too wide: the 32 x 12 bitmap, unscaled, on the bottom edge.
    QTest::newRow("40x18 right") << QSize(40, 18) << right << 137 << QRect(8, 6, 32, 12);
    QTest::newRow("86x32 exactly") << QSize(86, 32) << right << 133 << QRect(0, 0, 86, 32);
    QTest::newRow("larger than every bitmap")
        << QSize(120, 50) << left << 133 << QRect(0, 18, 86, 32);
    // Slot 4 has no bitmap: the 66 x 24 one.
    QTest::newRow("80x30 skips the empty slot")
        << QSize(80, 30) << right << 136 << QRect(14, 6, 66, 24);
    QTest::newRow("centred") << QSize(70, 30) << centre << 136 << QRect(2, 6, 66, 24);
    QTest::newRow("centred odd space") << QSize(69, 30) << centre << 136 << QRect(1, 6, 66, 24);
    // Nothing fits: the smallest, scaled down keeping its proportions.
    QTest::newRow("16x12 scaled to 16x6") << QSize(16, 12) << right << 137 << QRect(0, 6, 16, 6);
    QTest::newRow("narrow and tall") << QSize(20, 40) << left << 137 << QRect(0, 33, 20, 7);
    QTest::newRow("wide and flat") << QSize(30, 5) << right << 137 << QRect(17, 0, 13, 5);
    QTest::newRow("tall enough, wide enough for the first")
        << QSize(41, 60) << left << 137 << QRect(0, 48, 32, 12);
}

void LogoButtonTest::layout() {
    QFETCH(QSize, size);
    QFETCH(int, alignment);
    QFETCH(int, bitmap);
    QFETCH(QRect, drawn);
    QWidget window;
    window.resize(200, 100);
    window.show();
    LogoButton logo(&window, static_cast<Alignment>(alignment));
    logo.show();
    logo.resize(size);
    QCOMPARE(logo.BitmapId(), bitmap);
    QCOMPARE(logo.DrawRect(), drawn);
}

void LogoButtonTest::noBitmapDrawsNothingAndIgnoresClicks() {
    LogoButton::SetLogoBitmaps({-1, -1, -1, -1, -1, -1});
    Window window({60, 30});
    QVERIFY(window.Ready());
    QCOMPARE(window.logo->BitmapId(), -1);
    QCOMPARE(window.logo->DrawRect(), QRect(-1, -1, 0, 0));
    QTest::mouseClick(window.logo, Qt::LeftButton, {}, QPoint(30, 15));
    QCOMPARE(window.clicks.count(), 0);
    window.logo->setPalette(TestPalette());
    const QImage image = window.logo->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) QCOMPARE(image.pixel(x, y), kFace);
    }
}

void LogoButtonTest::alignedEdgeStaysWhenControlGrows() {
    QWidget window;
    window.resize(200, 100);
    window.show();
    for (const Alignment alignment : {Alignment::Right, Alignment::Left}) {
        LogoButton logo(&window, alignment);
        logo.show();
        logo.resize(90, 40);
        const QRect before = logo.DrawRect();
        logo.resize(150, 40);
        const QRect after = logo.DrawRect();
        if (alignment == Alignment::Right) {
            QCOMPARE(before.right(), 89);
            QCOMPARE(after.right(), 149);
        } else {
            QCOMPARE(after.left(), before.left());
        }
        QCOMPARE(after.size(), before.size());
    }
}

void LogoButtonTest::pressAndReleaseOnBitmapSendsOneCommand() {
    Window window;
    QVERIFY(window.Ready());
    QTest::mousePress(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    QVERIFY(window.Pushed());
    QVERIFY(window.logo->HasCapture());
    QCOMPARE(window.clicks.count(), 0);
    QTest::mouseRelease(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    QVERIFY(!window.Pushed());
    QCOMPARE(window.clicks.count(), 1);
    // A click takes no focus.
    QVERIFY(window.edit->hasFocus());
}

void LogoButtonTest::releaseOutsideSendsNothingMovingBackDoes() {
    Window window;
    QVERIFY(window.Ready());
    const QPoint outside(-20, 5);
    QTest::mousePress(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    QTest::mouseMove(window.logo, outside);
    QVERIFY(!window.Pushed());
    QTest::mouseRelease(window.logo, Qt::LeftButton, {}, outside);
    QCOMPARE(window.clicks.count(), 0);
    QVERIFY(!window.logo->HasCapture());

    QTest::mousePress(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    QTest::mouseMove(window.logo, outside);
    QVERIFY(!window.Pushed());
    QTest::mouseMove(window.logo, window.OnBitmap());
    QVERIFY(window.Pushed());
    QTest::mouseRelease(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    QCOMPARE(window.clicks.count(), 1);
}

void LogoButtonTest::pressBesideBitmapDoesNothing() {
    Window window({100, 40}, Alignment::Right);
    QVERIFY(window.Ready());
    // Inside the control, left of and above the right-aligned bitmap.
    for (const QPoint beside : {QPoint(3, 20), QPoint(50, 2)}) {
        QVERIFY(!window.logo->DrawRect().contains(beside));
        QTest::mousePress(window.logo, Qt::LeftButton, {}, beside);
        QVERIFY(!window.Pushed());
        QTest::mouseMove(window.logo, window.OnBitmap());
        QVERIFY(!window.Pushed());
        QTest::mouseRelease(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    }
    QCOMPARE(window.clicks.count(), 0);
}

void LogoButtonTest::captureLossClearsPushedWithoutCommand() {
    Window window;
    QVERIFY(window.Ready());
    QTest::mousePress(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    QVERIFY(window.Pushed());

    // Another window takes the input while the button is held.
    QWidget other;
    other.resize(50, 50);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!window.Pushed());
    QVERIFY(!window.logo->HasCapture());

    QTest::mouseMove(window.logo, window.OnBitmap());
    QVERIFY(!window.Pushed());
    QTest::mouseRelease(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    QCOMPARE(window.clicks.count(), 0);
}

void LogoButtonTest::spaceSendsExactlyOneCommand() {
    Window window;
    QVERIFY(window.Ready());
    window.logo->setFocus(Qt::TabFocusReason);
    QVERIFY(window.logo->hasFocus());
    QVERIFY(window.logo->State() & PressableControl::kFocus);

    QTest::keyPress(window.logo, Qt::Key_Space);
    QVERIFY(window.Pushed());
    QCOMPARE(window.clicks.count(), 0);
    QTest::keyRelease(window.logo, Qt::Key_Space);
    QVERIFY(!window.Pushed());
    QCOMPARE(window.clicks.count(), 1);

    // Held down: the key repeats its press and release; only the last
    // release, when the key comes up, sends the command.
    QTest::keyPress(window.logo, Qt::Key_Space);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
        QApplication::sendEvent(window.logo, &release);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
        QApplication::sendEvent(window.logo, &press);
        QVERIFY(window.Pushed());
    }
    QTest::keyRelease(window.logo, Qt::Key_Space);
    QCOMPARE(window.clicks.count(), 2);

    // A release without its press (the press went to another control) sends nothing.
    QTest::keyRelease(window.logo, Qt::Key_Space);
    QCOMPARE(window.clicks.count(), 2);
    window.logo->clearFocus();
    QVERIFY(!(window.logo->State() & PressableControl::kFocus));
}

void LogoButtonTest::disabledLogoTakesNoMouse() {
    Window window;
    QVERIFY(window.Ready());
    window.logo->setEnabled(false);
    QTest::mouseClick(window.logo, Qt::LeftButton, {}, window.OnBitmap());
    QCOMPARE(window.clicks.count(), 0);
    QVERIFY(!window.Pushed());
    QVERIFY(!(window.logo->focusPolicy() & Qt::ClickFocus));
}

void LogoButtonTest::colourMapOnRenderedPixels_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("plain") << 0 << true;
    QTest::newRow("focus") << int(PressableControl::kFocus) << true;
    QTest::newRow("pushed") << int(PressableControl::kPushed) << true;
    QTest::newRow("pushed with focus")
        << int(PressableControl::kPushed | PressableControl::kFocus) << true;
    QTest::newRow("disabled draws normally") << 0 << false;
}

void LogoButtonTest::colourMapOnRenderedPixels() {
    QFETCH(int, state);
    QFETCH(bool, enabled);
    LogoButton logo(nullptr, Alignment::Right);
    logo.resize(100, 40);
    logo.setPalette(TestPalette());
    logo.setEnabled(enabled);
    logo.SetState(state, PressableControl::kPushed | PressableControl::kFocus);
    QCOMPARE(logo.BitmapId(), 133);

    // A screen that scales by 2 (the test's run with QT_SCALE_FACTOR=2) shows
    // the 2x picture pixel for pixel, not the 86 x 32 one enlarged.
    const auto ratio = static_cast<int>(logo.devicePixelRatioF());
    const QImage bitmap = Pictures::Bitmap(133, ratio).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(bitmap.size(), QSize(86, 32) * ratio);
    // The picture has every key colour, and pure red and green, which stay.
    QSet<QRgb> colours;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) colours.insert(bitmap.pixel(x, y) & 0xffffff);
    }
    for (const QRgb wanted : {0xc0c0c0u, 0xffffffu, 0x808080u, 0xff00ffu, 0x800000u, 0x00ffffu,
                              0x008000u, 0xff0000u, 0x00ff00u}) {
        QVERIFY2(colours.contains(wanted), qPrintable(QString::number(wanted, 16)));
    }

    const QImage drawn = logo.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(logo.DrawRect(), QRect(14, 8, 86, 32));
    const QRect place(logo.DrawRect().topLeft() * ratio, logo.DrawRect().size() * ratio);
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb expected = place.contains(x, y)
                                      ? Expected(bitmap.pixel(x - place.x(), y - place.y()), state)
                                      : kFace;
            if (drawn.pixel(x, y) != expected) {
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(drawn.pixel(x, y), 0, 16)
                                     .arg(expected, 0, 16)));
            }
        }
    }
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::LogoButtonTest)
#include "LogoButtonTest.moc"
