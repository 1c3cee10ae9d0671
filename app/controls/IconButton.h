#pragma once

#include <QPushButton>

namespace nemora::app {

// A push button that draws an icon of the program fitted into it, with
// optional frames. Its disabled state is not shown: the icon keeps its
// colours (both uses in the program are disabled buttons).
class IconButton : public QPushButton {
    Q_OBJECT

public:
    // Style bits.
    static constexpr int kHorizontalMask = 0x03;  // wider than tall: 1 left, 2 right, else centred
    static constexpr int kAlignLeft = 0x01;
    static constexpr int kAlignRight = 0x02;
    static constexpr int kVerticalMask = 0x0c;  // taller than wide: 4 top, 8 bottom, else centred
    static constexpr int kAlignTop = 0x04;
    static constexpr int kAlignBottom = 0x08;
    static constexpr int kSoftEdge = 0x10;     // soft 3-D edge, sunken while pressed
    static constexpr int kDoubleFrame = 0x20;  // square raised-and-sunken frame, no focus mark

    explicit IconButton(QWidget* parent = nullptr);

    int Style() const { return style_; }
    void SetStyle(int style);
    int IconId() const { return iconId_; }
    void SetIconId(int iconId);  // 0: no icon

    // The square that the icon fills for an item rectangle, a style and the
    // pressed state.
    static QRect IconRect(const QRect& item, int style, bool pressed);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int style_ = 0;
    int iconId_ = 0;
};

}  // namespace nemora::app
