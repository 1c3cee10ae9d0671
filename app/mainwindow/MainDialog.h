#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/help/HelpKind.h"
#include "app/mainwindow/MainWindowLogic.h"
#include "app/mainwindow/WindowOperations.h"
#include "app/resources/TemplateDialog.h"
#include "engine/posix/DurableFileLayer.h"
#include "publish/PublicationWriter.h"

class QComboBox;
class QLineEdit;

namespace nemora::app {

class PreviewServer;
class ProgressDialog;

// The program's main window (template 102, menu 130): the widgets of the
// main window's logic. It turns the widgets' signals into the logic's
// handlers and carries out the logic's window operations on the widgets,
// the menu and the program's dialogs. It never closes by itself: Exit, Esc
// or the close box end its modal run, and destroying it stores the settings.
class MainDialog : public TemplateDialog, private WindowOperations {
    Q_OBJECT

public:
    static constexpr int kTemplate = 102;

    struct Services {
        ShowHelpFunction showHelp;
        std::function<void()> closeHelp;
        // Where pages are read from (the system's files unless a test says).
        engine::FileLayer* files = nullptr;
    };

    explicit MainDialog(Services services);
    ~MainDialog() override;

    // Reads the settings, shows them and loads `startupFile` when there is
    // one; before the window is first shown.
    void Initialise(const std::optional<std::string>& startupFile);

    MainWindowLogic& Logic() { return *logic_; }
    // The progress dialog of the job under way, if any.
    ProgressDialog* Progress() const { return progress_.get(); }

public slots:
    // Enter without another default button: a save, never a close.
    void accept() override;
    // Esc and the close box.
    void reject() override;

protected:
    void OnCommand(int id) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A page file dropped on the window loads as the Load command's choice
    // would; a folder, or several files, are answered with a message.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ConnectSignals();
    // The button beside the password field shows or hides its characters.
    void SetUpReveal();
    void ShowPassword(bool shown);
    QLineEdit* Edit(int id) const;
    QComboBox* Combo() const;

    // WindowOperations
    void EnableControl(int id, bool enable) override;
    void SetFocus(int id) override;
    void SetText(int id, const std::string& text) override;
    std::string Text(int id) const override;
    void SetTextLimit(int id, int characters) override;
    void SetCheck(int id, bool checked) override;
    bool Checked(int id) const override;
    void SetSelection(int id, int item) override;
    int Selection(int id) const override;
    void SetDefaultButton(int id) override;
    void EnableMenuItem(int id, bool enable) override;
    void CheckMenuItem(int id, bool checked) override;
    void AppendSystemMenuItem(int id, const std::string& text) override;
    void Repaint() override;
    void ShowMessage(std::uint32_t id) override;
    void ShowMessage(std::uint32_t id, const std::string& path) override;
    void ShowFileError(std::uint32_t id, const std::string& file) override;
    PublishedChoice ShowPublished(std::uint32_t id, const std::string& folder) override;
    bool OpenFolder(const std::string& folder) override;
    std::uint32_t OpenInBrowser(const std::string& folder, const std::string& page) override;
    std::optional<std::string> ChoosePage(const std::string& initialFile) override;
    std::optional<std::string> ChooseOutputFolder(const std::string& proposed) override;
    engine::ProgressSink* OpenProgress(std::uint32_t captionId) override;
    void CloseProgress() override;
    std::optional<std::string> RunDetails(std::uint32_t pageSize, std::uint32_t dataSize,
                                          const std::string& encodeType, PageForm form) override;
    void RunAbout() override;
    void ShowHelpContents() override;
    void CloseHelp() override;
    void EndDialog(int result) override;
    std::string ShortenPath(const std::string& path) override;
    bool PathExists(const std::string& path) const override;

    Services services_;
    publish::PublicationWriter writer_{engine::posix::DurableFileLayer::Instance()};
    std::unique_ptr<MainWindowLogic> logic_;
    std::unique_ptr<ProgressDialog> progress_;
    // Serves the folder whose page was opened in the browser last.
    std::unique_ptr<PreviewServer> preview_;
    // The lifetime list's selected item: Qt keeps the current index while
    // the user types over it, the logic needs to know it no longer holds.
    int lifetimeSelection_ = -1;
};

}  // namespace nemora::app
