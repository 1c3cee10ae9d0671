#include "app/resources/MessageBox.h"

#include <algorithm>
#include <vector>

#include <QAbstractButton>
#include <QPushButton>

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
    QMessageBox box(icon, ResourceText(kApplicationName), Text(id, arguments), QMessageBox::Ok,
                    parent);
    box.exec();
}

int MessageBox::Offer(QWidget* parent, std::uint32_t id, const QString& details,
                      std::initializer_list<std::uint32_t> buttons) {
    QMessageBox box(IconFor(id), ResourceText(kApplicationName), ResourceText(id),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(details);
    std::vector<QAbstractButton*> offered;
    for (const std::uint32_t text : buttons) {
        offered.push_back(box.addButton(ResourceText(text), QMessageBox::ActionRole));
    }
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    const auto chosen = std::find(offered.begin(), offered.end(), box.clickedButton());
    return chosen == offered.end() ? -1 : static_cast<int>(chosen - offered.begin());
}

QString MessageBox::Text(std::uint32_t id, const QStringList& arguments) {
    return Format(ResourceText(id), arguments);
}

}  // namespace nemora::app
