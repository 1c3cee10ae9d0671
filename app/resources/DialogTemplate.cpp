#include "app/resources/DialogTemplate.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/resources/TemplateLanguage.h"

namespace nemora::app {
namespace {

const QStringList kKinds = {"pushbutton",  "defpushbutton", "button",     "groupbox",
                            "edit",        "static",        "checkbox",   "combobox",
                            "progressbar", "icon",          "etchedframe"};

QStringList Strings(const QJsonValue& value) {
    QStringList list;
    for (const QJsonValue& item : value.toArray()) list.append(item.toString());
    return list;
}

// [x, y, width, height]; none unless there are exactly four non-negative
// whole numbers.
std::optional<QRect> Rect(const QJsonValue& value) {
    const QJsonArray numbers = value.toArray();
    if (numbers.size() != 4) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        if (!numbers[i].isDouble() || numbers[i].toInt(-1) < 0) return std::nullopt;
        v[i] = numbers[i].toInt();
    }
    return QRect(v[0], v[1], v[2], v[3]);
}

bool Fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

}  // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    for (const ControlTemplate& control : controls) {
        if (control.id == controlId) return &control;
    }
    return nullptr;
}

std::optional<DialogTemplate> DialogTemplate::Load(int id) {
    // Files are named "<id>-<what>.json" so that the folder reads well.
    const QDir folder(QStringLiteral(":/nemora/dialogs"));
    const QStringList names = folder.entryList({QStringLiteral("%1-*.json").arg(id)}, QDir::Files);
    if (names.size() != 1) return std::nullopt;
    QFile file(folder.filePath(names.front()));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    std::optional<DialogTemplate> result = Parse(file.readAll());
    if (result && result->id != id) return std::nullopt;
    return result;
}

std::optional<DialogTemplate> DialogTemplate::Parse(const QByteArray& json, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        Fail(error, parseError.errorString());
        return std::nullopt;
    }
    const QJsonObject root = TemplateLanguage::Apply(document.object());
    DialogTemplate result;
    result.id = root.value("id").toInt();
    result.caption = root.value("caption").toString();
    // The client size, [width, height], read as a rectangle at the origin.
    const QJsonArray extent = root.value("size").toArray();
    const std::optional<QRect> size =
        extent.size() == 2 ? Rect(QJsonArray{0, 0, extent.at(0), extent.at(1)}) : std::nullopt;
    if (result.id <= 0 || !size || size->isEmpty()) {
        Fail(error, QStringLiteral("a template needs an id and a size"));
        return std::nullopt;
    }
    result.size = size->size();
    const QJsonObject font = root.value("font").toObject();
    result.fontFamilies = Strings(font.value("families"));
    result.fontPoints = font.value("points").toInt(9);
    result.serifFont = font.value("serif").toBool(false);
    result.style = Strings(root.value("style"));
    result.menu = root.value("menu").toInt(0);

    for (const QJsonValue& value : root.value("controls").toArray()) {
        const QJsonObject object = TemplateLanguage::Apply(value.toObject());
        ControlTemplate control;
        control.id = object.value("id").toInt(ControlTemplate::kNoId);
        control.kind = object.value("kind").toString();
        control.text = object.value("text").toString();
        control.style = Strings(object.value("style"));
        control.items = Strings(object.value("items"));
        control.icon = object.value("icon").toInt(0);
        const std::optional<QRect> rect = Rect(object.value("rect"));
        if (!kKinds.contains(control.kind) || !rect) {
            Fail(error, QStringLiteral("control %1: unknown kind or bad rect").arg(control.id));
            return std::nullopt;
        }
        if (control.id != ControlTemplate::kNoId && result.Find(control.id)) {
            Fail(error, QStringLiteral("control %1 appears twice").arg(control.id));
            return std::nullopt;
        }
        control.rect = *rect;
        result.controls.push_back(control);
    }
    return result;
}

}  // namespace nemora::app
