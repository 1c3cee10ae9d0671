#include "app/resources/TemplateDialog.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>

namespace nemora::app {

TemplateDialog::TemplateDialog(QWidget* parent) : QDialog(parent) {}

bool TemplateDialog::Build(int templateId, const DialogBuilder::Attachments& attachments) {
    std::optional<DialogTemplate> loaded = DialogTemplate::Load(templateId);
    if (!loaded) return false;
    template_ = std::move(*loaded);
    built_ = DialogBuilder::Build(*this, template_, attachments);
    for (const auto& [id, widget] : built_.controls) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            const int commandId = id;
            connect(button, &QAbstractButton::clicked, this, [this, commandId] {
                emit Command(commandId);
                OnCommand(commandId);
            });
        }
    }
    return true;
}

QWidget* TemplateDialog::Control(int id) const {
    const auto found = built_.controls.find(id);
    return found == built_.controls.end() ? nullptr : found->second;
}

void TemplateDialog::OnCommand(int id) {
    if (id == kOk) accept();
    if (id == kCancel) reject();
}

void TemplateDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (placed_ || !template_.Has("center")) return;
    placed_ = true;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

}  // namespace nemora::app
