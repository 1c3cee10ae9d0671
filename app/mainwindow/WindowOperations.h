#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/mainwindow/PageForm.h"
#include "app/mainwindow/PublishedChoice.h"
#include "engine/ProgressSink.h"

namespace nemora::app {

// What the main window's logic needs of its window: the controls by id, the
// menu, the default push button, message boxes, the file dialogs, the
// progress dialog, the Details dialog, the About box, help, and the desktop's
// file manager and browser. Texts are
// UTF-8; paths are the file system's bytes. The real window implements it
// with widgets; tests implement it with a recording fake.
class WindowOperations {
public:
    virtual ~WindowOperations() = default;

    virtual void EnableControl(int id, bool enable) = 0;
    virtual void SetFocus(int id) = 0;
    // Edit fields, and the edit part of the combo box.
    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string Text(int id) const = 0;
    // Characters the user can type into an edit field; 0 for no limit.
    virtual void SetTextLimit(int id, int characters) = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool Checked(int id) const = 0;
    // The combo box's selected list item, -1 for none (the field holds a
    // typed text).
    virtual void SetSelection(int id, int item) = 0;
    virtual int Selection(int id) const = 0;
    virtual void SetDefaultButton(int id) = 0;
    virtual void EnableMenuItem(int id, bool enable) = 0;
    // The check mark of a menu item that is an option.
    virtual void CheckMenuItem(int id, bool checked) = 0;
    virtual void AppendSystemMenuItem(int id, const std::string& text) = 0;
    // Redraws the whole window.
    virtual void Repaint() = 0;

    // A modal message box with the text of string `id`: the stop icon up to
    // 3000, the information icon above.
    virtual void ShowMessage(std::uint32_t id) = 0;
    // The same with its %1 replaced by `path`.
    virtual void ShowMessage(std::uint32_t id, const std::string& path) = 0;
    // The standard file-error message `id` (61869 for a full disk...) naming
    // `file`, with the exclamation icon.
    virtual void ShowFileError(std::uint32_t id, const std::string& file) = 0;
    // The information `id` after a save, naming `folder`, the folder written,
    // and offering to open it in the file manager or the published page in
    // the browser.
    virtual PublishedChoice ShowPublished(std::uint32_t id, const std::string& folder) = 0;
    // Opens `folder` in the desktop's file manager; false when it cannot.
    virtual bool OpenFolder(const std::string& folder) = 0;
    // Serves `folder` read-only on 127.0.0.1 and opens `page`, a file in it,
    // in the browser from there, as a visitor meets it. The server lasts
    // until the window goes or another folder is served. 0, or the id of the
    // failure message (its %1: the page's path).
    virtual std::uint32_t OpenInBrowser(const std::string& folder, const std::string& page) = 0;
    // The open-file dialog for a page, starting at `initialFile`.
    virtual std::optional<std::string> ChoosePage(const std::string& initialFile) = 0;
    // The save-form dialog that names the output folder.
    virtual std::optional<std::string> ChooseOutputFolder(const std::string& proposed) = 0;
    // Opens the progress dialog with caption string `captionId`; the sink
    // lives until CloseProgress.
    virtual engine::ProgressSink* OpenProgress(std::uint32_t captionId) = 0;
    virtual void CloseProgress() = 0;
    // The Details dialog, which also shows the form a save would write: the
    // chosen encoding name after OK.
    virtual std::optional<std::string> RunDetails(std::uint32_t pageSize, std::uint32_t dataSize,
                                                  const std::string& encodeType, PageForm form) = 0;
    virtual void RunAbout() = 0;
    virtual void ShowHelpContents() = 0;
    virtual void CloseHelp() = 0;
    // Ends the window's modal run with `result`.
    virtual void EndDialog(int result) = 0;

    // `path` shortened to the path field's width, keeping its last component.
    virtual std::string ShortenPath(const std::string& path) = 0;
    virtual bool PathExists(const std::string& path) const = 0;
};

}  // namespace nemora::app
