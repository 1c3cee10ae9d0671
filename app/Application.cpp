#include "app/Application.h"

#include <iostream>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include "app/controls/LogoButton.h"
#include "app/controls/PressableControl.h"
#include "app/dialogs/SplashDialog.h"
#include "app/help/HelpViewer.h"
#include "app/resources/MessageBox.h"
#include "app/resources/ResourceText.h"
#include "app/settings/SettingsStore.h"
#include "app/shell/MainWindowFactory.h"
#include "app/shell/RunningCopies.h"
#include "app/shell/RunningCopyServer.h"
#include "engine/TextId.h"

namespace nemora::app {
namespace {

Application* gInstance = nullptr;
// String 41011: this copy cannot be asked to quit by another copy's clean-up.
constexpr std::uint32_t kNoCopySocket = engine::StringId(engine::TextId::NoCopySocket);

}  // namespace

Application::Application(std::string commandLine, CommandLine::CodePage codePage,
                         MainWindowFactory& mainWindows, std::unique_ptr<HelpDisplay> help)
    : commandLine_(std::move(commandLine)),
      codePage_(codePage),
      mainWindows_(mainWindows),
      help_(help ? std::move(help)
                 : std::make_unique<HelpViewer>(HelpViewer::DefaultCandidates())) {
    gInstance = this;
}

Application::~Application() {
    DestroySplash();
    mainWindow_.reset();
    server_.reset();
    help_.reset();
    if (gInstance == this) gInstance = nullptr;
}

Application* Application::Instance() {
    return gInstance;
}

int Application::Run() {
    if (!InitApplication()) return -1;
    if (!InitInstance()) return ExitInstance();
    QCoreApplication::exec();
    return ExitInstance();
}

bool Application::InitApplication() {
    LogoButton::SetLogoBitmaps(kLogoBitmaps);

    const CommandLine parsed = CommandLine::Parse(commandLine_, codePage_);
    appFlags_ = parsed.flags;
    startupFile_ = parsed.startupFile;

    if (appFlags_ & CommandLine::kCleanUp) {
        RunningCopies::CloseAll(cleanUpWait_, std::cerr);
        return true;
    }
    if (!(appFlags_ & CommandLine::kNoSplash) && !splash_) {
        splash_ = SplashDialog::Create();
        if (splash_) {
            // Queued: the splash must not be destroyed inside its own timer.
            connect(splash_.get(), &SplashDialog::TimeUp, this, &Application::DestroySplash,
                    Qt::QueuedConnection);
            connect(splash_.get(), &SplashDialog::QuitRequested, this, &Application::Quit);
        }
    }
    return true;
}

bool Application::InitInstance() {
    if (appFlags_ & CommandLine::kCleanUp) {
        // Both results are ignored: what cannot be deleted stays.
        SettingsStore store;
        store.SetSection({});
        store.DeleteKey(true);
        store.SetApplication({});
        store.DeleteKey(false);
        return false;
    }

    mainWindow_ = mainWindows_.Create(*this, startupFile_);
    if (!mainWindow_) return false;
    // From now until the main window is gone, the clean-up of another copy
    // finds this one.
    server_ = std::make_unique<RunningCopyServer>();
    connect(server_.get(), &RunningCopyServer::QuitRequested, this, [this] { Quit(0); });
    if (!server_->Listen()) {
        std::cerr << ResourceText(kNoCopySocket).arg(server_->ErrorString()).toStdString() << '\n';
    }

    if (splash_ && !splash_->StartTimer()) DestroySplash();
    if (splash_) {
        // Top-most is a request to the window manager; where none honours
        // it, the splash still goes over the main window once that shows.
        SplashDialog* splash = splash_.get();
        QTimer::singleShot(0, splash, [splash] { splash->raise(); });
    }

    mainWindow_->exec();

    mainWindow_.reset();
    CloseHelp();
    server_.reset();
    return false;
}

int Application::ExitInstance() {
    DestroySplash();
    return exitCode_;
}

void Application::ShowHelp(std::uint32_t context, HelpKind kind) {
    // An open menu or popup, or a held mouse press, ends before the help shows.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        if (QApplication::activePopupWidget() == popup) break;
    }
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* pressable = qobject_cast<PressableControl*>(widget)) pressable->CancelMode();
    }

    if (help_->Show(context, kind, mainWindow_.get())) return;
    QWidget* parent = QApplication::activeWindow();
    MessageBox::Show(parent ? parent : mainWindow_.get(), kHelpFailed);
}

ShowHelpFunction Application::HelpFunction() {
    return [this](std::uint32_t context, HelpKind kind) { ShowHelp(context, kind); };
}

void Application::CloseHelp() {
    help_->Close();
}

void Application::DestroySplash() {
    splash_.reset();
}

void Application::Quit(int exitCode) {
    exitCode_ = exitCode;
    QCoreApplication::exit(exitCode);
}

}  // namespace nemora::app
