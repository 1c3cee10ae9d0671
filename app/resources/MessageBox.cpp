#include "app/resources/MessageBox.h"

#include "app/resources/ResourceText.h"

namespace nemora::app {
namespace {

// `text` with %1 to %9 replaced by `arguments` in one pass, so that an
// argument holding a percent sign is taken as it stands.
QString Format(const QString& text, const QStringList& arguments) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        const int number = next.digitValue();
        if (text[i] == u'%' && number >= 1 && number <= arguments.size()) {
            result += arguments[number - 1];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

}  // namespace

QMessageBox::Icon MessageBox::IconFor(std::uint32_t id) {
    return id <= 3000 ? QMessageBox::Critical : QMessageBox::Information;
}

void MessageBox::Show(QWidget* parent, std::uint32_t id) {
    Show(parent, id, IconFor(id), {});
}

void MessageBox::Show(QWidget* parent, std::uint32_t id, QMessageBox::Icon icon,
                      const QStringList& arguments) {
    QMessageBox box(icon, ResourceText(kApplicationName), Format(ResourceText(id), arguments),
                    QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace nemora::app
