#include "app/dialogs/CFileDialogWithHelp.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPushButton>

#include "app/help/HelpTable.h"
#include "app/resources/ResourceText.h"
#include "engine/TextId.h"

namespace nemora::app {
namespace {

constexpr std::uint32_t kPageTitle = engine::StringId(engine::TextId::OpenPageTitle);
constexpr std::uint32_t kFolderTitle = engine::StringId(engine::TextId::OutputFolderTitle);
constexpr std::uint32_t kPageFilter = engine::StringId(engine::TextId::PageFilter);
constexpr std::uint32_t kFolderFilter = engine::StringId(engine::TextId::AllFilesFilter);
constexpr std::uint32_t kHelpButtonText = engine::StringId(engine::TextId::HelpButton);
constexpr std::uint32_t kCallerOptions =
    CFileDialogWithHelp::kHideReadOnly | CFileDialogWithHelp::kShareAware |
    CFileDialogWithHelp::kNoNetworkButton | CFileDialogWithHelp::kExplorer;

}  // namespace

CFileDialogWithHelp::CFileDialogWithHelp(Form form, std::uint32_t helpContext,
                                         const std::optional<QString>& defaultExtension,
                                         const QString& initialFile, std::uint32_t options,
                                         const QString& filter, QWidget* owner,
                                         ShowHelpFunction showHelp)
    : QFileDialog(owner),
      helpContext_(helpContext),
      options_(options | kShowHelp),
      showHelp_(std::move(showHelp)) {
    setOption(QFileDialog::DontUseNativeDialog);
    // The display texts already show their patterns.
    setOption(QFileDialog::HideNameFilterDetails);
    setAcceptMode(form == Form::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    setFileMode(form == Form::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    setOption(QFileDialog::DontConfirmOverwrite, (options_ & kOverwritePrompt) == 0);
    if (defaultExtension) setDefaultSuffix(*defaultExtension);
    setNameFilters(NameFilters(filter));
    if (!initialFile.isEmpty()) selectFile(initialFile);

    if (auto* buttons = findChild<QDialogButtonBox*>()) {
        helpButton_ = buttons->addButton(ResourceText(kHelpButtonText), QDialogButtonBox::HelpRole);
        // The help role's button would not close the dialog, and the click
        // must not reach the dialog's accept or reject either.
        connect(helpButton_, &QPushButton::clicked, this, [this] {
            if (showHelp_) showHelp_(helpContext_, HelpKind::Topic);
        });
    }
}

std::unique_ptr<CFileDialogWithHelp> CFileDialogWithHelp::ForPage(const QString& initialFile,
                                                                  QWidget* owner,
                                                                  ShowHelpFunction showHelp) {
    auto dialog = std::make_unique<CFileDialogWithHelp>(
        Form::Open, kHelpOpenFileDialog, std::nullopt, initialFile, kCallerOptions,
        ResourceText(kPageFilter), owner, std::move(showHelp));
    dialog->SelectFilter(1);
    dialog->setWindowTitle(ResourceText(kPageTitle));
    return dialog;
}

std::unique_ptr<CFileDialogWithHelp> CFileDialogWithHelp::ForOutputFolder(
    const QString& initialFile, QWidget* owner, ShowHelpFunction showHelp) {
    auto dialog = std::make_unique<CFileDialogWithHelp>(
        Form::Save, kHelpOutputFolderDialog, std::nullopt, initialFile,
        kCallerOptions | kOverwritePrompt, ResourceText(kFolderFilter), owner, std::move(showHelp));
    dialog->SelectFilter(1);
    dialog->setWindowTitle(ResourceText(kFolderTitle));
    return dialog;
}

QStringList CFileDialogWithHelp::NameFilters(const QString& filter) {
    QStringList parts = filter.split('|');
    // The string ends with "||": the pairs stop at the first empty text.
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
        }
        result.append(QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(' ')));
    }
    return result;
}

void CFileDialogWithHelp::SelectFilter(int index) {
    const QStringList filters = nameFilters();
    if (index >= 1 && index <= filters.size()) selectNameFilter(filters[index - 1]);
}

void CFileDialogWithHelp::accept() {
    const QStringList files = selectedFiles();
    if (acceptMode() == QFileDialog::AcceptSave && !files.isEmpty() &&
        QFileInfo(files.front()).isDir()) {
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
}

QString CFileDialogWithHelp::ChosenPath() const {
    if (result() != QDialog::Accepted) return {};
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : QFileInfo(files.front()).absoluteFilePath();
}

}  // namespace nemora::app
