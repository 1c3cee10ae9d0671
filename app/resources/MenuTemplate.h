#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

class QAction;
class QMenuBar;
class QWidget;

namespace nemora::app {

// A menu template from res/menus: the menu bar's menus and their items, each
// item with its command id.
struct MenuTemplate {
    struct Item {
        int id = 0;
        QString text;  // "\t" separates the shortcut's text
        bool grayed = false;
        bool checkable = false;  // an option shown with a check mark
        bool separator = false;
    };
    struct Menu {
        QString text;
        std::vector<Item> items;
    };

    int id = 0;
    std::vector<Menu> menus;

    // A menu bar with these menus; each item's action carries its command id.
    QMenuBar* Build(QWidget* parent) const;

    // The command id of an item's action; 0 for anything else.
    static int CommandId(const QAction* action);

    static std::optional<MenuTemplate> Load(int id);
    static std::optional<MenuTemplate> Parse(const QByteArray& json);
};

}  // namespace nemora::app
