#include "app/resources/MenuTemplate.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>

#include "app/resources/TemplateLanguage.h"

namespace nemora::app {
namespace {

constexpr const char* kCommandId = "commandId";

}  // namespace

QMenuBar* MenuTemplate::Build(QWidget* parent) const {
    auto* bar = new QMenuBar(parent);
    for (const Menu& menu : menus) {
        QMenu* popup = bar->addMenu(menu.text);
        for (const Item& item : menu.items) {
            if (item.separator) {
                popup->addSeparator();
                continue;
            }
            QAction* action = popup->addAction(item.text);
            action->setProperty(kCommandId, item.id);
            action->setEnabled(!item.grayed);
            action->setCheckable(item.checkable);
        }
    }
    return bar;
}

int MenuTemplate::CommandId(const QAction* action) {
    return action ? action->property(kCommandId).toInt() : 0;
}

std::optional<MenuTemplate> MenuTemplate::Load(int id) {
    const QDir folder(QStringLiteral(":/nemora/menus"));
    const QStringList names = folder.entryList({QStringLiteral("%1-*.json").arg(id)}, QDir::Files);
    if (names.size() != 1) return std::nullopt;
    QFile file(folder.filePath(names.front()));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    std::optional<MenuTemplate> result = Parse(file.readAll());
    if (result && result->id != id) return std::nullopt;
    return result;
}

std::optional<MenuTemplate> MenuTemplate::Parse(const QByteArray& json) {
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject()) return std::nullopt;
    MenuTemplate result;
    result.id = document.object().value("id").toInt();
    for (const QJsonValue& menuValue : document.object().value("menus").toArray()) {
        const QJsonObject menuObject = TemplateLanguage::Apply(menuValue.toObject());
        Menu menu;
        menu.text = menuObject.value("text").toString();
        for (const QJsonValue& itemValue : menuObject.value("items").toArray()) {
            const QJsonObject itemObject = TemplateLanguage::Apply(itemValue.toObject());
            Item item;
            item.separator = itemObject.value("separator").toBool(false);
            item.id = itemObject.value("id").toInt(0);
            item.text = itemObject.value("text").toString();
            item.grayed = itemObject.value("grayed").toBool(false);
            item.checkable = itemObject.value("checkable").toBool(false);
            if (!item.separator && item.id <= 0) return std::nullopt;
            menu.items.push_back(item);
        }
        result.menus.push_back(menu);
    }
    if (result.id <= 0) return std::nullopt;
    return result;
}

}  // namespace nemora::app
