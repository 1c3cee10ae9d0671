#pragma once

#include <memory>
#include <optional>

#include <QPointer>
#include <QStringList>

#include "app/help/HelpDisplay.h"
#include "app/help/HelpFile.h"
#include "app/help/HelpPopup.h"
#include "app/help/HelpWindow.h"

namespace nemora::app {

// The program's own help display: a topic opens the help window at that
// topic, a popup shows the topic's short text beside the pointer. The help
// file is read afresh for each request from the first of its candidate paths
// that exists; help that cannot be read, or a topic that it lacks, cannot be
// shown.
class HelpViewer : public HelpDisplay {
public:
    explicit HelpViewer(QStringList candidates);
    ~HelpViewer() override;

    // Beside the running executable, then the installed data folder.
    static QStringList DefaultCandidates();

    bool Show(std::uint32_t context, HelpKind kind, QWidget* owner) override;
    void Close() override;

    HelpWindow* Window() const { return window_.get(); }
    HelpPopup* Popup() const { return popup_; }

private:
    std::optional<HelpFile> Load() const;

    QStringList candidates_;
    std::unique_ptr<HelpWindow> window_;
    QPointer<HelpPopup> popup_;
};

}  // namespace nemora::app
