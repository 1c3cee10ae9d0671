#include "app/resources/TemplateLanguage.h"

namespace nemora::app {

namespace {
const QString kEnglish = QStringLiteral("en");
}

QJsonObject TemplateLanguage::Apply(const QJsonObject& object, res::Language language) {
    if (language != res::Language::English || !object.value(kEnglish).isObject()) return object;
    QJsonObject result = object;
    const QJsonObject english = object.value(kEnglish).toObject();
    for (auto it = english.begin(); it != english.end(); ++it) result.insert(it.key(), it.value());
    return result;
}

}  // namespace nemora::app
