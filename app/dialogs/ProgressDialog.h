#pragma once

#include <chrono>
#include <cstdint>

#include <QString>

#include "app/resources/TemplateDialog.h"
#include "engine/ProgressSink.h"
#include "engine/TextId.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace nemora::app {

// The small window that follows a load or a save (template 131): a status
// line, a bar, a Cancel button, the icon and the logo. It is the engine's
// progress sink. The job occupies the thread, so the window's input is
// dispatched only inside a report; a stop asked for there (Cancel, Enter or
// Esc) is answered by that same report. One dialog serves one job and never
// closes itself: the caller destroys it when the job is done.
class ProgressDialog : public TemplateDialog, public engine::ProgressSink {
    Q_OBJECT

public:
    static constexpr int kTemplate = 131;
    static constexpr int kBarControl = 1007;
    static constexpr int kTextControl = 1008;
    static constexpr int kCancelControl = 1009;
    static constexpr int kLogoControl = 1049;

    // Status text set once a stop has been asked for.
    static constexpr std::uint32_t kStoppingText = engine::StringId(engine::TextId::Stopping);
    // The bar's steps: the 32-bit range is mapped onto these.
    static constexpr int kBarSteps = 10000;
    // How often a run of plain advances pumps the window's input: often
    // enough for the window to follow at once, rarely enough that the pump
    // costs little beside the work (figures in docs/app.md).
    static constexpr std::chrono::microseconds kDefaultPumpInterval{5000};

    explicit ProgressDialog(QWidget* owner = nullptr);

    // Makes the window from its template and shows it; false (no window)
    // when the template cannot be had.
    bool Create();

    // Caption: string-table id (LoadCaption "ファイルの読込み" or SaveCaption "ファイルの保存").
    void SetTitle(std::uint32_t stringId);

    bool Report(std::uint32_t units, std::uint32_t textId) override;

    // Pumping the window's input at every report may be limited to once per
    // `interval` (0: every report). Phase starts and text switches always pump.
    void SetPumpInterval(std::chrono::microseconds interval);

    bool Continue() const { return continue_; }
    QString Text() const { return text_; }
    std::uint32_t Range() const { return range_; }
    std::uint32_t Position() const { return position_; }

public slots:
    // Enter and Esc (and a close request from the window manager) ask to
    // stop; they never close the window.
    void accept() override;
    void reject() override;

protected:
    void OnCommand(int id) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Follow(std::uint32_t units, std::uint32_t textId);
    bool PumpDue(std::uint32_t textId);
    void Pump();
    void RequestStop();
    void ShowBar();
    void ShowState();

    QString text_;
    bool continue_ = true;
    // The platform bar's initial range, until the first phase starts.
    std::uint32_t range_ = 100;
    std::uint32_t position_ = 0;

    std::chrono::microseconds pumpInterval_ = kDefaultPumpInterval;
    std::chrono::steady_clock::time_point lastPump_{};

    QProgressBar* bar_ = nullptr;
    QLabel* textField_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace nemora::app
