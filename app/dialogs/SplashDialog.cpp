#include "app/dialogs/SplashDialog.h"

#include <QTimerEvent>

#include "app/controls/IconButton.h"
#include "app/dialogs/Attachments.h"
#include "app/resources/Pictures.h"

namespace nemora::app {

SplashDialog::SplashDialog() = default;

std::unique_ptr<SplashDialog> SplashDialog::Create() {
    std::unique_ptr<SplashDialog> splash(new SplashDialog);
    if (!splash->Build(kTemplate, {{kIconControl, IconButtonAttachment(0, Pictures::kProgramIcon)},
                                   {kLogoControl, LogoButtonAttachment()}})) {
        return nullptr;
    }
    // Top-most, and a tool window: no task-bar entry.
    splash->setWindowFlags((splash->windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool |
                           Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash->setWindowIcon(Pictures::WindowIcon(Pictures::kProgramIcon));
    if (splash->Template().Has("visible")) splash->show();
    return splash;
}

SplashDialog::~SplashDialog() {
    timer_.stop();
}

bool SplashDialog::StartTimer(std::chrono::milliseconds interval) {
    timer_.start(static_cast<int>(interval.count()), this);
    return timer_.isActive();
}

void SplashDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        TemplateDialog::timerEvent(event);
        return;
    }
    timer_.stop();
    emit TimeUp();
}

void SplashDialog::accept() {}

void SplashDialog::reject() {
    emit QuitRequested(0);
}

}  // namespace nemora::app
