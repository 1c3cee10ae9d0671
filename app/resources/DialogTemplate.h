#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace nemora::app {

// One control of a dialog template. Positions are dialog units.
struct ControlTemplate {
    static constexpr int kNoId = -1;  // a control the program never addresses

    int id = kNoId;
    QString kind;  // pushbutton, defpushbutton, button, groupbox, edit, static,
                   // checkbox, combobox, progressbar, icon, etchedframe
    QString text;
    QRect rect;
    QStringList style;  // notes such as disabled, tabstop, right, readonly
    QStringList items;  // a combo box's list
    int icon = 0;       // the icon resource of an icon control

    bool Has(const QString& note) const { return style.contains(note); }
};

// A dialog template from res/dialogs: the window's caption, client size in
// dialog units, font and style notes, and its controls in template order,
// which is also the tab order.
struct DialogTemplate {
    int id = 0;
    QString caption;
    QSize size;
    QStringList fontFamilies;  // the first one installed is used
    int fontPoints = 9;
    bool serifFont = false;  // what to fall back on when none is installed
    QStringList style;
    int menu = 0;  // menu template, 0 for none
    std::vector<ControlTemplate> controls;

    bool Has(const QString& note) const { return style.contains(note); }
    const ControlTemplate* Find(int controlId) const;

    // Template `id` from the program's resources; none when it is missing or
    // does not parse.
    static std::optional<DialogTemplate> Load(int id);
    static std::optional<DialogTemplate> Parse(const QByteArray& json, QString* error = nullptr);
};

}  // namespace nemora::app
