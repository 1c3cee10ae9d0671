#include "app/resources/MessageBox.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractButton>
#include <QPushButton>

#include "app/resources/ResourceText.h"
#include "res/StringTable.h"
#include "res/TextFormat.h"

namespace nemora::app {

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
    std::vector<std::string> utf8;
    for (const QString& argument : arguments) utf8.push_back(argument.toStdString());
    const std::vector<std::string_view> views(utf8.begin(), utf8.end());
    return QString::fromStdString(res::FormatText(res::StringTable::Get(id), views));
}

}  // namespace nemora::app
