#include "app/dialogs/ProgressDialog.h"

#include <algorithm>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/dialogs/Attachments.h"
#include "app/resources/ResourceText.h"

namespace nemora::app {

ProgressDialog::ProgressDialog(QWidget* owner) : TemplateDialog(owner) {}

bool ProgressDialog::Create() {
    if (!Build(kTemplate, {{kLogoControl, LogoButtonAttachment()}})) return false;
    bar_ = ControlAs<QProgressBar>(kBarControl);
    textField_ = ControlAs<QLabel>(kTextControl);
    cancel_ = ControlAs<QPushButton>(kCancelControl);
    if (bar_) {
        bar_->setRange(0, kBarSteps);
        bar_->setValue(0);
    }
    // Qt's pump cannot be limited to one window's input: instead, while a
    // job runs no other window of the program takes any.
    setWindowModality(Qt::ApplicationModal);
    ShowState();
    if (Template().Has("visible")) show();
    return true;
}

void ProgressDialog::SetTitle(std::uint32_t stringId) {
    setWindowTitle(ResourceText(stringId));
}

void ProgressDialog::SetPumpInterval(std::chrono::microseconds interval) {
    pumpInterval_ = interval;
}

bool ProgressDialog::Report(std::uint32_t units, std::uint32_t textId) {
    if (continue_) Follow(units, textId);
    if (PumpDue(textId)) {
        // The bar repaints at once whenever its value moves a pixel; moved
        // only when the window is pumped, it costs one paint per pump.
        ShowBar();
        Pump();
    }
    // A stop asked for during the pump is answered now; disabling Cancel
    // makes this happen once.
    if (!continue_ && cancel_ && cancel_->isEnabled()) {
        text_ = ResourceText(kStoppingText);
        cancel_->setEnabled(false);
    }
    ShowState();
    return continue_;
}

void ProgressDialog::Follow(std::uint32_t units, std::uint32_t textId) {
    if (textId != 0) {
        text_ = ResourceText(textId);
        if (units == 0) return;
        range_ = units;
        position_ = 0;
    } else if (units > 0) {
        // The bar stops at its end, as the platform's does; the sum cannot wrap.
        position_ = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{position_} + units, range_));
    }
}

bool ProgressDialog::PumpDue(std::uint32_t textId) {
    // Phase starts and text switches are rare, and their text shows at once.
    if (textId != 0 || pumpInterval_.count() <= 0) return true;
    return std::chrono::steady_clock::now() - lastPump_ >= pumpInterval_;
}

void ProgressDialog::Pump() {
    lastPump_ = std::chrono::steady_clock::now();
    // Socket notifiers wait for the job's end: a running-copy request must
    // not close the main window under a job.
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}

void ProgressDialog::ShowBar() {
    if (bar_) bar_->setValue(static_cast<int>(std::uint64_t{position_} * kBarSteps / range_));
}

void ProgressDialog::ShowState() {
    if (textField_) textField_->setText(text_);
}

void ProgressDialog::RequestStop() {
    if (cancel_ && cancel_->isEnabled()) continue_ = false;
}

void ProgressDialog::OnCommand(int id) {
    if (id == kCancelControl) RequestStop();
}

void ProgressDialog::accept() {
    RequestStop();
}

void ProgressDialog::reject() {
    RequestStop();
}

void ProgressDialog::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    switch (plain ? event->key() : 0) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            // Whether or not a button has the focus, Enter and Esc ask to stop.
            RequestStop();
            event->accept();
            return;
        default:
            TemplateDialog::keyPressEvent(event);
    }
}

}  // namespace nemora::app
