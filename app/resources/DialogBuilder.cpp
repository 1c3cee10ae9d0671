#include "app/resources/DialogBuilder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/resources/MenuTemplate.h"
#include "app/resources/Pictures.h"

namespace nemora::app {
namespace {

constexpr const char* kControlId = "controlId";
// The platform's icon size: an icon control shows its icon at this size,
// whatever the template's size.
constexpr int kIconSize = 32;

Qt::WindowFlags FlagsFor(const DialogTemplate& dialogTemplate) {
    Qt::WindowFlags flags = dialogTemplate.Has("toolwindow") ? Qt::Tool : Qt::Dialog;
    if (!dialogTemplate.Has("caption")) return flags | Qt::FramelessWindowHint;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dialogTemplate.Has("sysmenu"))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate.Has("minimizebox")) flags |= Qt::WindowMinimizeButtonHint;
    if (dialogTemplate.Has("contexthelp")) flags |= Qt::WindowContextHelpButtonHint;
    return flags;
}

Qt::Alignment LabelAlignment(const ControlTemplate& control) {
    Qt::Alignment alignment = Qt::AlignLeft;
    if (control.Has("center")) alignment = Qt::AlignHCenter;
    if (control.Has("right")) alignment = Qt::AlignRight;
    // Static text sits at the top of its box unless it is centred vertically.
    return alignment | (control.Has("vcenter") ? Qt::AlignVCenter : Qt::AlignTop);
}

}  // namespace

QFont DialogBuilder::ChooseFont(const QStringList& families, int points, bool serif) {
    const QStringList installed = QFontDatabase::families();
    QFont font;
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    font.setFamily(families.value(0));
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPointSize(points);
    return font;
}

std::optional<int> DialogBuilder::ControlId(const QWidget* widget) {
    const QVariant id = widget ? widget->property(kControlId) : QVariant();
    if (!id.isValid()) return std::nullopt;
    return id.toInt();
}

void DialogBuilder::SetControlId(QWidget* widget, int id) {
    widget->setProperty(kControlId, id);
    widget->setObjectName(QStringLiteral("control%1").arg(id));
}

QWidget* DialogBuilder::MakeControl(QWidget* parent, const ControlTemplate& control) {
    const QString& kind = control.kind;
    if (kind == "pushbutton" || kind == "defpushbutton" || kind == "button") {
        auto* button = new QPushButton(control.text, parent);
        button->setDefault(kind == "defpushbutton");
        return button;
    }
    if (kind == "groupbox") return new QGroupBox(control.text, parent);
    if (kind == "checkbox") return new QCheckBox(control.text, parent);
    if (kind == "edit") {
        auto* edit = new QLineEdit(parent);
        edit->setReadOnly(control.Has("readonly"));
        if (edit->isReadOnly()) {
            // A field that cannot be typed into shows on the dialog's face.
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Window));
            edit->setPalette(palette);
        }
        edit->setFrame(!control.Has("noborder"));
        if (control.Has("password")) edit->setEchoMode(QLineEdit::Password);
        edit->setAlignment((control.Has("right") ? Qt::AlignRight : Qt::AlignLeft) |
                           Qt::AlignVCenter);
        return edit;
    }
    if (kind == "combobox") {
        auto* combo = new QComboBox(parent);
        combo->setEditable(control.Has("dropdown"));
        if (combo->isEditable()) {
            // A typed text stays as typed: Enter must not add it to the list,
            // and completion must not turn it into an entry's text.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
        }
        combo->addItems(control.items);
        combo->setCurrentIndex(-1);
        return combo;
    }
    if (kind == "progressbar") {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    if (kind == "icon") {
        auto* label = new QLabel(parent);
        label->setPixmap(QPixmap::fromImage(
            Pictures::Icon(control.icon, kIconSize, parent->devicePixelRatioF())));
        return label;
    }
    if (kind == "etchedframe") {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        // A decoration: it must not take the clicks meant for what it surrounds.
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        return frame;
    }
    auto* label = new QLabel(control.text, parent);
    label->setTextFormat(Qt::PlainText);
    // Text wraps at word ends only where the template leaves room for more
    // than one line of the dialog font (8 units).
    label->setWordWrap(control.rect.height() >= 16);
    label->setAlignment(LabelAlignment(control));
    return label;
}

namespace {

// The platform's list widens to its longest entry; Qt's list of an editable
// box keeps the box's width and cuts entries short.
void FitListToEntries(QComboBox& combo) {
    QAbstractItemView* list = combo.view();
    list->setFont(combo.font());
    const int widest = list->sizeHintForColumn(0);
    if (widest <= 0) return;
    int frame = 2 * list->frameWidth();
    if (combo.count() > combo.maxVisibleItems()) {
        frame += list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    }
    list->setMinimumWidth(widest + frame);
}

}  // namespace

DialogBuilder::Result DialogBuilder::Build(QDialog& dialog, const DialogTemplate& dialogTemplate,
                                           const Attachments& attachments) {
    Result result;
    const QFont font = ChooseFont(dialogTemplate.fontFamilies, dialogTemplate.fontPoints,
                                  dialogTemplate.serifFont);
    dialog.setFont(font);
    result.units = DialogUnits::ForFont(font);
    dialog.setWindowFlags(FlagsFor(dialogTemplate));
    dialog.setWindowTitle(dialogTemplate.caption);

    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (dialogTemplate.menu != 0) {
        if (const std::optional<MenuTemplate> menu = MenuTemplate::Load(dialogTemplate.menu)) {
            result.menuBar = menu->Build(&dialog);
            layout->setMenuBar(result.menuBar);
        }
    }

    result.client = new QWidget(&dialog);
    result.client->setFixedSize(result.units.Size(dialogTemplate.size));
    if (!dialogTemplate.Has("caption") && dialogTemplate.Has("modalframe")) {
        // Without a caption the window manager draws no frame: draw the
        // dialog frame round the client area ourselves.
        auto* frame = new QFrame(&dialog);
        frame->setFrameStyle(QFrame::WinPanel | QFrame::Raised);
        auto* inner = new QVBoxLayout(frame);
        const int border = frame->frameWidth() + 1;
        inner->setContentsMargins(border, border, border, border);
        inner->addWidget(result.client);
        layout->addWidget(frame);
    } else {
        layout->addWidget(result.client);
    }

    std::vector<QWidget*> frames;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        const auto attach = attachments.find(control.id);
        QWidget* widget = attach != attachments.end() && attach->second
                              ? attach->second(result.client, control)
                              : MakeControl(result.client, control);
        QRect rect = result.units.Rect(control.rect);
        if (control.kind == "combobox") {
            // The template's height is that of the dropped-down list.
            rect.setHeight(widget->sizeHint().height());
            if (auto* combo = qobject_cast<QComboBox*>(widget)) FitListToEntries(*combo);
        } else if (control.kind == "icon") {
            rect.setSize({kIconSize, kIconSize});
        }
        widget->setGeometry(rect);
        widget->setEnabled(!control.Has("disabled"));
        // A plain button control (an owner-drawn logo...) is a tab stop only
        // where its template says so; other controls are unless it says not.
        const bool plainButton = control.kind == "button";
        if (control.Has("notabstop") || (plainButton && !control.Has("tabstop"))) {
            widget->setFocusPolicy(
                static_cast<Qt::FocusPolicy>(widget->focusPolicy() & ~Qt::TabFocus));
        } else if (plainButton) {
            widget->setFocusPolicy(
                static_cast<Qt::FocusPolicy>(widget->focusPolicy() | Qt::TabFocus));
        }
        if (control.id != ControlTemplate::kNoId) {
            SetControlId(widget, control.id);
            result.controls[control.id] = widget;
        }
        if (control.kind == "etchedframe") frames.push_back(widget);
    }
    // Frames go to the back, behind the controls they surround.
    for (QWidget* frame : frames) frame->lower();
    return result;
}

}  // namespace nemora::app
