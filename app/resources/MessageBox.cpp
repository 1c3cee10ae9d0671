#include "app/resources/MessageBox.h"

#include "app/resources/ResourceText.h"

namespace nemora::app {

QMessageBox::Icon MessageBox::IconFor(std::uint32_t id) {
    return id <= 3000 ? QMessageBox::Critical : QMessageBox::Information;
}

void MessageBox::Show(QWidget* parent, std::uint32_t id) {
    QMessageBox box(IconFor(id), ResourceText(kApplicationName), ResourceText(id), QMessageBox::Ok,
                    parent);
    box.exec();
}

}  // namespace nemora::app
