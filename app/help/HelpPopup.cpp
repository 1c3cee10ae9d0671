#include "app/help/HelpPopup.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>

namespace nemora::app {
namespace {

constexpr int kMaximumWidth = 320;
// The popup starts a little right of and below the pointer, clear of it.
constexpr QPoint kOffset(8, 16);

}  // namespace

HelpPopup::HelpPopup(QWidget* owner) : QLabel(owner, Qt::Popup) {
    setAttribute(Qt::WA_DeleteOnClose);
    setTextFormat(Qt::MarkdownText);
    setWordWrap(true);
    setMargin(6);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setMaximumWidth(kMaximumWidth);
}

void HelpPopup::ShowAt(const QString& title, const QString& markdown, const QPoint& point) {
    setText(QStringLiteral("**%1**\n\n%2").arg(title, markdown));
    adjustSize();
    QRect frame(point + kOffset, size());
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (frame.right() > area.right()) frame.moveRight(std::max(area.left(), point.x() - 2));
        if (frame.bottom() > area.bottom()) frame.moveBottom(std::max(area.top(), point.y() - 2));
    }
    move(frame.topLeft());
    show();
}

void HelpPopup::mousePressEvent(QMouseEvent*) {
    close();
}

void HelpPopup::keyPressEvent(QKeyEvent*) {
    close();
}

}  // namespace nemora::app
