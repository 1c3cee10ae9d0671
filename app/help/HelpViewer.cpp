#include "app/help/HelpViewer.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>

#include "app/help/HelpPopup.h"
#include "app/help/HelpWindow.h"

namespace nemora::app {

HelpViewer::HelpViewer(QStringList candidates) : candidates_(std::move(candidates)) {}

HelpViewer::~HelpViewer() {
    Close();
}

QStringList HelpViewer::DefaultCandidates() {
    // Beside the program, then the data folder of wherever the program was
    // installed (a package unpacked elsewhere too), then the configured one.
    const QString executable = QCoreApplication::applicationFilePath();
    const QString relative = QDir(QFileInfo(executable).absolutePath())
                                 .filePath(QStringLiteral(NEMORA_RELATIVE_DATA_DIR));
    return HelpFile::ForLanguage(
        HelpFile::Candidates(executable, {relative, QStringLiteral(NEMORA_DATA_DIR)}),
        res::StringTable::CurrentLanguage());
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
