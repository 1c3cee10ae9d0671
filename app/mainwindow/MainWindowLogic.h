#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/mainwindow/MainWindowMembers.h"
#include "engine/LockedDocument.h"
#include "engine/ResultCode.h"
#include "publish/Publication.h"
#include "publish/PublicationWriter.h"

namespace nemora::app {

class SettingsStore;
class WindowOperations;

// The main window's logic: its members, the enabling rules of its two states
// (no page, page ready), the cookie lifetime field, the order of the engine's
// calls and the messages. It reaches the window only through
// WindowOperations, so it runs the same against widgets and against a
// recording fake.
//
// The window owns the one LockedDocument; a save reads the controls into the
// members, then hands the publication its options.
class MainWindowLogic {
public:
    // `files` is what the document reads pages through.
    MainWindowLogic(WindowOperations& window, publish::PublicationWriter& writer,
                    engine::FileLayer& files = engine::posix::DurableFileLayer::Instance());
    // Wipes the password.
    ~MainWindowLogic();
    MainWindowLogic(const MainWindowLogic&) = delete;
    MainWindowLogic& operator=(const MainWindowLogic&) = delete;

    // The window is made, not yet shown: reads the settings, shows them and
    // loads `startupFile` when there is one.
    void Initialise(const std::optional<std::string>& startupFile);

    // Loads and compresses a page and brings the window into the matching
    // state; nothing for an empty path.
    engine::Result LoadPage(const std::string& path);

    // A menu command or button click (ids of MainWindowIds.h). False for
    // commands the window does not handle.
    bool OnCommand(int id);
    // A system-menu command; false when the platform handles it.
    bool OnSystemCommand(int id);
    void OnPasswordEdited();
    void OnCookieOnClicked();
    void OnLifetimeSelected();
    void OnLifetimeEdited();
    void OnLifetimeFocusLost();
    // The window goes: reads the controls, writes the settings, closes help.
    // The settings live in section "Setting" of the program's key; a store
    // is made for each reading and writing.
    void OnDestroy();

    const MainWindowMembers& State() const { return state_; }
    const std::string& DisplayPath() const { return displayPath_; }
    const engine::LockedDocument& Document() const { return document_; }

private:
    // What the last successful save wrote: its folder, and the page's name
    // in it.
    struct LastSave {
        std::string folder;
        std::string page;
    };

    void Load();
    void Save();
    // The page published into the prepared `folder` with the progress
    // dialog up.
    publish::PublicationOutcome Publish(publish::Publication& publication,
                                        const std::string& folder);
    // A save's message, but for a publication's own (OfferPublication).
    void ShowOutcome(const publish::PublicationOutcome& outcome);
    // The message after a save, and what the author chooses in it.
    void OfferPublication(const std::string& folder);
    void OpenFolder();
    void OpenInBrowser();
    void Details();
    void TogglePageLanguage();
    void Exit();

    void ReadControls();
    publish::PublicationOptions Options() const;
    void ShowMembers();
    void ReadSettings();
    void WriteSettings();
    SettingsStore OpenStore() const;

    void TakePageEncoding(const std::optional<std::string>& own);
    void EnterPageReady(const std::string& path);
    void EnterNoPage();
    void EnableCookieControls(bool withComment);
    void EnableConfirm();
    void SetCharCodeName();

    WindowOperations& window_;
    publish::PublicationWriter& writer_;
    engine::LockedDocument document_;
    MainWindowMembers state_;
    // The encoding name a page whose bytes tell nothing gets: the one read
    // from the settings, or later the one chosen in Details. Taken at the
    // first load, since the members are read from the settings at start.
    std::optional<std::string> encodeTypeSetting_;
    std::string displayPath_;
    std::optional<LastSave> published_;
};

}  // namespace nemora::app
