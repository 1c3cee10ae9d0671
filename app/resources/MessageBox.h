#pragma once

#include <cstdint>
#include <initializer_list>

#include <QMessageBox>
#include <QStringList>

#include "engine/TextId.h"

class QWidget;

namespace nemora::app {

// The program's one kind of message: a modal box with the application's name
// as caption, an OK button and the text of a string-table entry.
class MessageBox {
public:
    // The caption of every message box.
    static constexpr std::uint32_t kApplicationName =
        engine::StringId(engine::TextId::ApplicationName);

    // Ids up to 3000 are failures (stop icon); above 3000, notices
    // (information icon).
    static QMessageBox::Icon IconFor(std::uint32_t id);

    static void Show(QWidget* parent, std::uint32_t id);
    // A message with an icon of its own (the framework's standard messages),
    // its %1, %2... replaced by `arguments`.
    static void Show(QWidget* parent, std::uint32_t id, QMessageBox::Icon icon,
                     const QStringList& arguments);

    // Message `id` by the icon rule, with `details` under it and buttons of
    // its own (their texts by string id) before OK: the index of the button
    // clicked, or -1 for OK, Esc and the close box.
    static int Offer(QWidget* parent, std::uint32_t id, const QString& details,
                     std::initializer_list<std::uint32_t> buttons);

    // String `id` with its %1, %2... replaced by `arguments` in one pass.
    static QString Text(std::uint32_t id, const QStringList& arguments);
};

}  // namespace nemora::app
