#pragma once

#include <functional>
#include <map>
#include <optional>

#include <QFont>
#include <QStringList>

#include "app/resources/DialogTemplate.h"
#include "app/resources/DialogUnits.h"

class QDialog;
class QMenuBar;
class QWidget;

namespace nemora::app {

// Makes a dialog's window and controls from its template: the font, the
// window's frame and caption, the menu bar, and every control at its template
// position converted from dialog units with the font's base units. Controls
// are made in template order, so that the tab order follows the template,
// and each keeps its control id (see ControlId).
class DialogBuilder {
public:
    // Makes the widget for a control that the dialog draws or handles itself
    // (an owner-drawn button, say) in place of the builder's own; the builder
    // then places it like any other control.
    using Attach = std::function<QWidget*(QWidget* parent, const ControlTemplate& control)>;
    using Attachments = std::map<int, Attach>;

    struct Result {
        QWidget* client = nullptr;  // the area the template positions refer to
        QMenuBar* menuBar = nullptr;
        std::map<int, QWidget*> controls;  // by control id
        DialogUnits units{0, 0};
    };

    static Result Build(QDialog& dialog, const DialogTemplate& dialogTemplate,
                        const Attachments& attachments = {});

    // The first installed family of `families` at `points`; when none is
    // installed, what the font configuration substitutes for the first one.
    static QFont ChooseFont(const QStringList& families, int points, bool serif);

    // The control id a widget was made with; none for widgets without one.
    // A widget inside a control (a combo box's edit field) has none of its own.
    static std::optional<int> ControlId(const QWidget* widget);
    // Gives a widget made outside the builder a control id.
    static void SetControlId(QWidget* widget, int id);

private:
    static QWidget* MakeControl(QWidget* parent, const ControlTemplate& control);
};

}  // namespace nemora::app
