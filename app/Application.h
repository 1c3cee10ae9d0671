#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QObject>

#include "app/help/HelpDisplay.h"
#include "app/help/HelpKind.h"
#include "app/shell/CommandLine.h"
#include "engine/TextId.h"

class QDialog;

namespace nemora::app {

class MainWindowFactory;
class RunningCopyServer;
class SplashDialog;

// The application object: reads the command line, either closes the running
// copies and deletes the settings (switch R) or shows the splash (unless
// switch N) and runs the main window modally, and ends the program when the
// main window's run returns. It has no event loop of its own: everything
// happens inside the main window's modal run. Every window's help requests
// go through its ShowHelp.
class Application : public QObject {
    Q_OBJECT

public:
    // The logo bitmap of each slot, registered first thing at start.
    static constexpr std::array<int, 6> kLogoBitmaps = {137, 134, 135, 136, -1, 133};
    // How long the clean-up waits for a running copy to close.
    static constexpr std::chrono::seconds kCleanUpWait{10};
    // The message that the help cannot be shown.
    static constexpr std::uint32_t kHelpFailed = engine::StringId(engine::TextId::HelpFailed);

    // `commandLine` is the text after the program's name; `help` shows the
    // help topics (the help viewer when none is given).
    Application(std::string commandLine, CommandLine::CodePage codePage,
                MainWindowFactory& mainWindows, std::unique_ptr<HelpDisplay> help = nullptr);
    ~Application() override;

    // The one application object, while it exists.
    static Application* Instance();

    // The platform's start: the application-initialisation hook, then, when
    // it succeeded, the instance-initialisation hook and, when that returns
    // false, the exit hook. The program's exit code.
    int Run();

    virtual bool InitApplication();
    virtual bool InitInstance();
    virtual int ExitInstance();

    // Shows help topic `context`: closes open menus and popups, ends a held
    // mouse press, and asks the help display, with the main window as owner;
    // message kHelpFailed when the help cannot be shown.
    void ShowHelp(std::uint32_t context, HelpKind kind);
    ShowHelpFunction HelpFunction();
    // Closes whatever the help display shows.
    void CloseHelp();

    // Destroys the splash window, if it is up.
    void DestroySplash();
    // Ends every modal run and, with it, the program with `exitCode`.
    void Quit(int exitCode);

    std::uint32_t AppFlags() const { return appFlags_; }
    const std::optional<std::string>& StartupFile() const { return startupFile_; }
    SplashDialog* Splash() const { return splash_.get(); }
    QDialog* MainWindow() const { return mainWindow_.get(); }

    void SetCleanUpWait(std::chrono::milliseconds wait) { cleanUpWait_ = wait; }

private:
    std::string commandLine_;
    CommandLine::CodePage codePage_;
    MainWindowFactory& mainWindows_;
    std::unique_ptr<HelpDisplay> help_;
    std::chrono::milliseconds cleanUpWait_ = kCleanUpWait;

    std::uint32_t appFlags_ = 0;
    std::optional<std::string> startupFile_;
    std::unique_ptr<SplashDialog> splash_;
    std::unique_ptr<QDialog> mainWindow_;
    std::unique_ptr<RunningCopyServer> server_;
    int exitCode_ = 0;
};

}  // namespace nemora::app
