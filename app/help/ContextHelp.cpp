#include "app/help/ContextHelp.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWhatsThis>
#include <QWidget>

#include "app/resources/DialogBuilder.h"
#include "app/resources/MenuTemplate.h"

namespace nemora::app {

ContextHelp::ContextHelp(QWidget* window, const HelpTable& table, ShowHelpFunction showHelp)
    : QObject(window), window_(window), table_(table), showHelp_(std::move(showHelp)) {
    Watch(window);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!qobject_cast<QMenu*>(child)) Watch(child);
    }
}

void ContextHelp::Watch(QWidget* widget) {
    widget->installEventFilter(this);
}

void ContextHelp::WatchMenus(QMenuBar* menuBar) {
    if (!menuBar) return;
    for (QMenu* menu : menuBar->findChildren<QMenu*>()) menu->installEventFilter(this);
}

void ContextHelp::Request(HelpTarget target, std::uint32_t id) {
    const HelpRequest request = table_.Lookup(target, id);
    if (showHelp_) showHelp_(request.context, request.kind);
}

std::uint32_t ContextHelp::ControlIdOf(QObject* object) const {
    // A widget inside a control (a combo box's edit field) asks for the
    // control; the window and anything without an id ask for the window.
    for (auto* widget = qobject_cast<QWidget*>(object); widget && widget != window_;
         widget = widget->parentWidget()) {
        if (const std::optional<int> id = DialogBuilder::ControlId(widget)) {
            return static_cast<std::uint32_t>(*id);
        }
    }
    return 0;
}

bool ContextHelp::eventFilter(QObject* watched, QEvent* event) {
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            Request(HelpTarget::MenuItem,
                    static_cast<std::uint32_t>(MenuTemplate::CommandId(menu->activeAction())));
            return true;
        }
        return false;
    }
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_F1) return false;
            if (key->modifiers() == Qt::ShiftModifier) {
                QWhatsThis::enterWhatsThisMode();
                return true;
            }
            if (key->modifiers() != Qt::NoModifier) return false;
            Request(HelpTarget::Control, ControlIdOf(watched));
            return true;
        }
        case QEvent::QueryWhatsThis:
            event->accept();
            return true;
        case QEvent::WhatsThis:
            event->accept();
            // The click that asked ends the mode; not from inside the mode's
            // own event filter, which leaving it deletes.
            QMetaObject::invokeMethod(
                this, [] { QWhatsThis::leaveWhatsThisMode(); }, Qt::QueuedConnection);
            Request(HelpTarget::Control, ControlIdOf(watched));
            return true;
        default:
            return false;
    }
}

}  // namespace nemora::app
