#pragma once

#include <cstdint>

#include <QMessageBox>
#include <QStringList>

class QWidget;

namespace nemora::app {

// The program's one kind of message: a modal box with the application's name
// as caption, an OK button and the text of a string-table entry.
class MessageBox {
public:
    // String 57344, the caption of every message box.
    static constexpr std::uint32_t kApplicationName = 57344;

    // Ids up to 3000 are failures (stop icon); above 3000, notices
    // (information icon).
    static QMessageBox::Icon IconFor(std::uint32_t id);

    static void Show(QWidget* parent, std::uint32_t id);
    // A message with an icon of its own (the framework's standard messages),
    // its %1, %2... replaced by `arguments`.
    static void Show(QWidget* parent, std::uint32_t id, QMessageBox::Icon icon,
                     const QStringList& arguments);
};

}  // namespace nemora::app
