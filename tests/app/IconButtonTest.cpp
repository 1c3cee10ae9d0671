#include <QPainter>
#include <QTest>

#include "app/controls/IconButton.h"
#include "app/resources/Pictures.h"

namespace nemora::app {

class IconButtonTest : public QObject {
    Q_OBJECT

private slots:
    void iconSquare_data();
    void iconSquare();
    void drawsIconInItsSquareEvenWhenDisabled();
};

void IconButtonTest::iconSquare_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<QRect>("square");

    // 44 x 38, inset to 39 x 33 at (2, 2), the square centred across.
    QTest::newRow("style 0") << QSize(44, 38) << 0 << false << QRect(5, 2, 33, 33);
    QTest::newRow("left") << QSize(44, 38) << 0x01 << false << QRect(2, 2, 33, 33);
    QTest::newRow("right") << QSize(44, 38) << 0x02 << false << QRect(8, 2, 33, 33);
    QTest::newRow("both bits centre") << QSize(44, 38) << 0x03 << false << QRect(5, 2, 33, 33);
    // Pressed: the 3-D rectangle takes 2 pixels, the picture moves down right.
    QTest::newRow("pressed") << QSize(44, 38) << 0 << true << QRect(8, 5, 29, 29);
    QTest::newRow("soft edge") << QSize(44, 38) << 0x10 << false << QRect(8, 5, 27, 27);
    QTest::newRow("soft edge pressed") << QSize(44, 38) << 0x10 << true << QRect(9, 6, 27, 27);
    QTest::newRow("double frame") << QSize(44, 38) << 0x20 << false << QRect(7, 4, 30, 30);
    QTest::newRow("double frame pressed is the same")
        << QSize(44, 38) << 0x20 << true << QRect(7, 4, 30, 30);
    QTest::newRow("tall centred") << QSize(30, 50) << 0 << false << QRect(2, 12, 25, 25);
    QTest::newRow("tall top") << QSize(30, 50) << 0x04 << false << QRect(2, 2, 25, 25);
    QTest::newRow("tall bottom") << QSize(30, 50) << 0x08 << false << QRect(2, 22, 25, 25);
    QTest::newRow("tall ignores horizontal bits")
        << QSize(30, 50) << 0x02 << false << QRect(2, 12, 25, 25);
}

void IconButtonTest::iconSquare() {
    QFETCH(QSize, size);
    QFETCH(int, style);
    QFETCH(bool, pressed);
    QFETCH(QRect, square);
    QCOMPARE(IconButton::IconRect(QRect(QPoint(0, 0), size), style, pressed), square);
}

// The splash's and the About box's icon buttons are disabled: the icon
// still shows in full colour, filling its square, on the button face.
void IconButtonTest::drawsIconInItsSquareEvenWhenDisabled() {
    IconButton button;
    button.resize(44, 38);
    button.SetIconId(Pictures::kProgramIcon);
    button.setEnabled(false);
    QPalette palette = button.palette();
    const QColor face(10, 20, 30);
    palette.setColor(QPalette::Button, face);
    button.setPalette(palette);

    // A screen that scales by 2 (the test's run with QT_SCALE_FACTOR=2) gets
    // the icon drawn at its pixel size, not the 33-pixel one enlarged.
    const auto ratio = static_cast<int>(button.devicePixelRatioF());
    const QImage icon = Pictures::Icon(Pictures::kProgramIcon, 33, ratio);
    QCOMPARE(icon.size(), QSize(33, 33) * ratio);
    const QImage drawn = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage expected(QSize(44, 38) * ratio, QImage::Format_RGB32);
    expected.fill(face);
    QImage iconPixels = icon;
    iconPixels.setDevicePixelRatio(1);
    QPainter painter(&expected);
    painter.drawImage(QPoint(5, 2) * ratio, iconPixels);
    painter.end();
    expected.setDevicePixelRatio(ratio);
    QCOMPARE(drawn, expected);
    // The icon is there at all: its square is not plain face.
    int painted = 0;
    for (int y = 2 * ratio; y < 35 * ratio; ++y) {
        for (int x = 5 * ratio; x < 38 * ratio; ++x) painted += drawn.pixel(x, y) != face.rgb();
    }
    QVERIFY(painted > 33 * 33 * ratio * ratio / 4);
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::IconButtonTest)
#include "IconButtonTest.moc"
