#pragma once

#include <QJsonObject>

#include "res/StringTable.h"

namespace nemora::app {

// Dialog and menu templates carry their English texts beside the Japanese
// ones: an object's "en" member holds the members that differ in English
// (its text, and a wider rect where the English text needs one).
class TemplateLanguage {
public:
    // `object` as it reads in `language`: for English, its "en" members
    // over its own.
    static QJsonObject Apply(const QJsonObject& object, res::Language language);
    static QJsonObject Apply(const QJsonObject& object) {
        return Apply(object, res::StringTable::CurrentLanguage());
    }
};

}  // namespace nemora::app
