#include "app/help/HelpViewer.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>

#include "app/help/HelpPopup.h"
#include "app/help/HelpWindow.h"

namespace nemora::app {

HelpViewer::HelpViewer(QStringList candidates) : candidates_(std::move(candidates)) {}

HelpViewer::~HelpViewer() {
    Close();
}

QStringList HelpViewer::DefaultCandidates() {
    return HelpFile::Candidates(QCoreApplication::applicationFilePath(),
                                QStringLiteral(NEMORA_DATA_DIR));
}

std::optional<HelpFile> HelpViewer::Load() const {
    for (const QString& path : candidates_) {
        if (QFileInfo::exists(path)) return HelpFile::Load(path);
    }
    return std::nullopt;
}

bool HelpViewer::Show(std::uint32_t context, HelpKind kind, QWidget* owner) {
    const std::optional<HelpFile> file = Load();
    const HelpFile::Topic* topic = file ? file->Find(context) : nullptr;
    if (!topic) return false;
    if (kind == HelpKind::Popup) {
        if (popup_) popup_->close();
        popup_ = new HelpPopup(owner);
        popup_->ShowAt(topic->title, topic->shortText, QCursor::pos());
        return true;
    }
    if (!window_) window_ = std::make_unique<HelpWindow>();
    window_->SetFile(*file);
    window_->ShowTopic(context);
    window_->show();
    window_->raise();
    window_->activateWindow();
    return true;
}

void HelpViewer::Close() {
    if (popup_) popup_->close();
    window_.reset();
}

}  // namespace nemora::app
