#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QFileDialog>
#include <QStringList>

#include "app/help/HelpKind.h"

class QPushButton;

namespace nemora::app {

// The file dialog with a Help button: Qt's own (not the desktop's) file
// dialog in its open or save form. The Help button opens the dialog's help
// topic and leaves the dialog open.
class CFileDialogWithHelp : public QFileDialog {
    Q_OBJECT

public:
    enum class Form { Open, Save };

    // The option flags of the platform's file dialogs that the callers give.
    static constexpr std::uint32_t kOverwritePrompt = 0x2;
    static constexpr std::uint32_t kHideReadOnly = 0x4;
    static constexpr std::uint32_t kShowHelp = 0x10;
    static constexpr std::uint32_t kShareAware = 0x4000;
    static constexpr std::uint32_t kNoNetworkButton = 0x20000;
    static constexpr std::uint32_t kExplorer = 0x80000;

    // `filter` is a filter string: pairs of display text and patterns
    // separated by "|", ended by "||"; patterns separated by ";".
    CFileDialogWithHelp(Form form, std::uint32_t helpContext,
                        const std::optional<QString>& defaultExtension, const QString& initialFile,
                        std::uint32_t options, const QString& filter, QWidget* owner,
                        ShowHelpFunction showHelp);

    // The page to load (open form, help 529, title string 1001, filter 1010).
    static std::unique_ptr<CFileDialogWithHelp> ForPage(const QString& initialFile, QWidget* owner,
                                                        ShowHelpFunction showHelp);
    // The output folder (save form, help 530, title string 1002, filter
    // 1011, asks before overwriting).
    static std::unique_ptr<CFileDialogWithHelp> ForOutputFolder(const QString& initialFile,
                                                                QWidget* owner,
                                                                ShowHelpFunction showHelp);

    // Qt's name filters for a filter string: "text (patterns)" with the
    // patterns separated by blanks. "*.*", which matches every file on the
    // platform the strings were written for, becomes "*": in Qt it would
    // leave out names without a dot.
    static QStringList NameFilters(const QString& filter);

    // Selects filter `index`, counted from 1 as the platform counts.
    void SelectFilter(int index);

    std::uint32_t HelpContext() const { return helpContext_; }
    std::uint32_t Options() const { return options_; }
    QPushButton* HelpButton() const { return helpButton_; }
    // The chosen full path after OK; empty otherwise.
    QString ChosenPath() const;

public slots:
    // In the save form the answer names a folder to write into: an existing
    // folder is taken as the answer, where the toolkit would only open it
    // (and leave no way to choose it).
    void accept() override;

private:
    std::uint32_t helpContext_;
    std::uint32_t options_;
    ShowHelpFunction showHelp_;
    QPushButton* helpButton_ = nullptr;
};

}  // namespace nemora::app
