#pragma once

#include <cstdint>

#include <QObject>
#include <QPointer>

#include "app/help/HelpKind.h"
#include "app/help/HelpTable.h"

class QMenu;
class QMenuBar;
class QWidget;

namespace nemora::app {

// The context help of one window: F1 asks for the control that has the
// focus (or for the window itself); F1 while a menu item is highlighted asks
// for that item; in the What's This mode (the caption's "?" button where the
// window manager offers one, or Shift+F1) a click asks for the control under
// the pointer, disabled controls and labels included. Each request is looked
// up in the window's table and sent to the application's help.
class ContextHelp : public QObject {
    Q_OBJECT

public:
    // Watches `window` and every widget in it at the time of the call.
    ContextHelp(QWidget* window, const HelpTable& table, ShowHelpFunction showHelp);

    // Watches the menus of `menuBar` for F1 on a highlighted item.
    void WatchMenus(QMenuBar* menuBar);

    // A request for control or command `id` (0: the window itself).
    void Request(HelpTarget target, std::uint32_t id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QWidget* widget);
    std::uint32_t ControlIdOf(QObject* object) const;

    QPointer<QWidget> window_;
    const HelpTable& table_;
    ShowHelpFunction showHelp_;
};

}  // namespace nemora::app
