#pragma once

#include <chrono>
#include <memory>

#include <QBasicTimer>

#include "app/resources/TemplateDialog.h"

namespace nemora::app {

// The splash window shown at start (template 140): the program's icon, its
// name and the logo, on top of every window and with no task-bar entry.
// When timer 110 fires, it asks the application to close it; Esc in it ends
// the program; Enter does nothing.
class SplashDialog : public TemplateDialog {
    Q_OBJECT

public:
    static constexpr int kTemplate = 140;
    static constexpr int kTimerId = 110;
    static constexpr std::chrono::milliseconds kTimerInterval{800};
    static constexpr int kIconControl = 1023;
    static constexpr int kLogoControl = 1049;

    // The splash, made without an owner and shown; none when its window
    // cannot be made.
    static std::unique_ptr<SplashDialog> Create();
    ~SplashDialog() override;

    // Arms timer 110; false when it cannot be armed.
    bool StartTimer(std::chrono::milliseconds interval = kTimerInterval);
    bool TimerActive() const { return timer_.isActive(); }

signals:
    // Timer 110 fired: the application closes the splash.
    void TimeUp();
    // Esc: the program ends with this exit code.
    void QuitRequested(int exitCode);

public slots:
    void accept() override;
    void reject() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    SplashDialog();

    QBasicTimer timer_;
};

}  // namespace nemora::app
