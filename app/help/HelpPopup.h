#pragma once

#include <QLabel>

namespace nemora::app {

// A topic's short text in a small window beside the pointer; any click or
// key closes it.
class HelpPopup : public QLabel {
    Q_OBJECT

public:
    explicit HelpPopup(QWidget* owner = nullptr);

    // Shows `title` over `markdown` next to `point` (screen coordinates),
    // kept within the screen.
    void ShowAt(const QString& title, const QString& markdown, const QPoint& point);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace nemora::app
