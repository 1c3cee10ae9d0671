// Each case runs in a process of its own (see CMakeLists.txt): a quit ends
// every event loop of the process for good.

#include <sstream>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/Application.h"
#include "app/controls/LogoButton.h"
#include "app/dialogs/SplashDialog.h"
#include "app/mainwindow/MainDialogFactory.h"
#include "app/settings/SettingsStore.h"
#include "app/shell/MainWindowFactory.h"
#include "app/shell/RunningCopies.h"
#include "tests/app/RecordingHelp.h"
#include "tests/support/ConfigHome.h"

namespace nemora::app {
namespace {

// A main window for the application's runs: whatever `onRun` does once its
// modal run has started, and what it sees meanwhile.
class TestMainWindow : public QDialog {
public:
    std::function<void(TestMainWindow&)> onRun;
    std::function<void()> onDestroy;
    bool finishedNormally = false;

    TestMainWindow() {
        connect(this, &QDialog::finished, this, [this] { finishedNormally = true; });
        // However a case goes wrong, the run ends.
        QTimer::singleShot(60000, this, [this] { done(99); });
    }
    ~TestMainWindow() override {
        if (onDestroy) onDestroy();
    }

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (onRun) QTimer::singleShot(0, this, [this] { onRun(*this); });
    }
};

class TestFactory : public MainWindowFactory {
public:
    std::function<void(TestMainWindow&)> onRun;
    std::function<void()> onDestroy;
    int made = 0;
    std::optional<std::string> startupFile;
    QPointer<QDialog> window;

    std::unique_ptr<QDialog> Create(Application&, const std::optional<std::string>& file) override {
        ++made;
        startupFile = file;
        auto created = std::make_unique<TestMainWindow>();
        created->onRun = onRun;
        created->onDestroy = onDestroy;
        window = created.get();
        return created;
    }
};

// An application that notes its hooks.
class NotingApplication : public Application {
public:
    using Application::Application;
    QStringList hooks;
    bool failStart = false;

    bool InitApplication() override {
        hooks.append("InitApplication");
        return !failStart && Application::InitApplication();
    }
    bool InitInstance() override {
        hooks.append("InitInstance");
        return Application::InitInstance();
    }
    int ExitInstance() override {
        hooks.append("ExitInstance");
        return Application::ExitInstance();
    }
};

std::unique_ptr<test::RecordingHelpDisplay> Display() {
    return std::make_unique<test::RecordingHelpDisplay>();
}

// The section the main window writes when it closes.
void WriteSettings() {
    SettingsStore store;
    store.SetSection("Setting");
    store.WriteString("Path", "/home/a/site/index.html");
    store.WriteString("Prompt", "合言葉は?");
    const std::uint8_t off = 0;
    store.WriteBytes("CookieOn", {&off, 1});
    store.WriteNumber("CookieKeepDays", -1);
}

}  // namespace

class ApplicationRunTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void hooksRunInOrder();
    void failedStartSkipsTheOtherHooks();
    void splashClosesOnItsTimer();
    void escapeInSplashEndsWithZero();
    void cleanUpClosesRunningCopyAndDeletesItsSettings();
    void cleanUpWithoutCopiesDeletesOnlyOurKeys();
    void cleanUpGivesUpOnCopyThatStays();
    void helpFailureShowsMessage();
    void startupFileLoadsInsideTheRun();

private:
    std::unique_ptr<nemora::test::ConfigHome> home_;
    std::unique_ptr<QTemporaryDir> runtime_;
};

void ApplicationRunTest::init() {
    // The user's settings and running copies stay out of reach.
    home_ = std::make_unique<nemora::test::ConfigHome>();
    runtime_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_RUNTIME_DIR", runtime_->path().toLocal8Bit());
}

void ApplicationRunTest::hooksRunInOrder() {
    TestFactory factory;
    bool splashWhileRunning = true;
    factory.onRun = [&](TestMainWindow& window) {
        splashWhileRunning = Application::Instance()->Splash() != nullptr;
        window.reject();
    };
    NotingApplication app("/n \"/home/a/My Pages/page.html\" more", CommandLine::CodePage::Utf8,
                          factory, Display());
    QCOMPARE(app.Run(), 0);
    QCOMPARE(app.hooks, (QStringList{"InitApplication", "InitInstance", "ExitInstance"}));
    QCOMPARE(app.AppFlags(), CommandLine::kNoSplash);
    QCOMPARE(factory.made, 1);
    QCOMPARE(factory.startupFile, std::optional<std::string>("/home/a/My Pages/page.html"));
    // Switch N: no splash at any time; the main window is gone after its run.
    QVERIFY(!splashWhileRunning);
    QVERIFY(!factory.window);
    QVERIFY(!app.MainWindow());
    QVERIFY(RunningCopies::Find().isEmpty());
}

void ApplicationRunTest::failedStartSkipsTheOtherHooks() {
    TestFactory factory;
    NotingApplication app("", CommandLine::CodePage::Utf8, factory, Display());
    app.failStart = true;
    QCOMPARE(app.Run(), -1);
    QCOMPARE(app.hooks, QStringList{"InitApplication"});
    QCOMPARE(factory.made, 0);
}

void ApplicationRunTest::splashClosesOnItsTimer() {
    TestFactory factory;
    QPointer<SplashDialog> splash;
    bool shownWithTimer = false;
    bool goneWhileRunning = false;
    factory.onRun = [&](TestMainWindow& window) {
        Application* app = Application::Instance();
        splash = app->Splash();
        shownWithTimer = splash && splash->isVisible() && splash->TimerActive();
        auto* poll = new QTimer(&window);
        connect(poll, &QTimer::timeout, &window, [&window, &goneWhileRunning, app] {
            if (app->Splash()) return;
            goneWhileRunning = true;
            window.accept();
        });
        poll->start(50);
    };
    Application app("", CommandLine::CodePage::Utf8, factory, Display());
    QCOMPARE(app.Run(), 0);
    QVERIFY(shownWithTimer);
    QVERIFY(goneWhileRunning);
    QVERIFY(!splash);
}

void ApplicationRunTest::escapeInSplashEndsWithZero() {
    TestFactory factory;
    bool destroyed = false;
    factory.onDestroy = [&] { destroyed = true; };
    factory.onRun = [&](TestMainWindow&) {
        SplashDialog* splash = Application::Instance()->Splash();
        QVERIFY(splash);
        // The splash is the active window when the user presses Esc in it.
        splash->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(splash));
        QTest::keyClick(splash, Qt::Key_Escape);
    };
    Application app("", CommandLine::CodePage::Utf8, factory, Display());
    const int exitCode = app.Run();
    QCOMPARE(exitCode, 0);
    // The quit ended the modal run: the window was neither accepted nor rejected.
    QVERIFY(destroyed);
    QVERIFY(!factory.window);
    QVERIFY(!app.Splash());
}

// The hard case: the running copy writes its settings as it closes;
// the clean-up must wait for that, so that nothing is left afterwards.
void ApplicationRunTest::cleanUpClosesRunningCopyAndDeletesItsSettings() {
    TestFactory factory;
    bool wroteOnClosing = false;
    QProcess cleanUp;
    factory.onDestroy = [&] {
        WriteSettings();
        wroteOnClosing = true;
    };
    factory.onRun = [&](TestMainWindow&) {
        QCOMPARE(RunningCopies::Find().size(), 1);
        cleanUp.start(QStringLiteral(NEMORA_APP_PATH), {"/R"});
    };
    Application app("/N", CommandLine::CodePage::Utf8, factory, Display());
    QCOMPARE(app.Run(), 0);
    QVERIFY(wroteOnClosing);
    QVERIFY(!factory.window);

    QVERIFY(cleanUp.waitForFinished(30000));
    QCOMPARE(cleanUp.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cleanUp.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(cleanUp.readAllStandardError()), QString());
    QVERIFY2(home_->ReadRegistry().find("Nemora") == std::string::npos,
             home_->ReadRegistry().c_str());
    QVERIFY(RunningCopies::Find().isEmpty());
}

void ApplicationRunTest::cleanUpWithoutCopiesDeletesOnlyOurKeys() {
    home_->WriteRegistry(R"(REGEDIT4

[HKEY_CURRENT_USER\Software\Kelvane]

[HKEY_CURRENT_USER\Software\Kelvane\Nemora]

[HKEY_CURRENT_USER\Software\Kelvane\Nemora\Setting]
"Path"="/home/a/page.html"

[HKEY_CURRENT_USER\Software\Kelvane\Other]
"Keep"="yes"

)");
    TestFactory factory;
    Application app("/r", CommandLine::CodePage::Utf8, factory, Display());
    QCOMPARE(app.Run(), 0);
    // No window of this run at all.
    QCOMPARE(factory.made, 0);
    QVERIFY(!app.Splash());
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    const std::string registry = home_->ReadRegistry();
    QVERIFY2(registry.find("Nemora") == std::string::npos, registry.c_str());
    QVERIFY(registry.find("[HKEY_CURRENT_USER\\Software\\Kelvane\\Other]") != std::string::npos);

    // Nothing ever stored: opening the keys makes them, deleting takes them
    // away again, and nothing is left behind.
    const nemora::test::ConfigHome fresh;
    Application again("/R /N", CommandLine::CodePage::Utf8, factory, Display());
    QCOMPARE(again.Run(), 0);
    QCOMPARE(fresh.ReadRegistry(), std::string());
}

void ApplicationRunTest::cleanUpGivesUpOnCopyThatStays() {
    // A copy that takes the request and never closes; beside it, a name left
    // behind by a copy that ended without closing.
    QLocalServer stuck;
    QVERIFY(stuck.listen(RunningCopies::SocketFor(999999)));
    {
        QLocalServer crashed;
        crashed.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(crashed.listen(RunningCopies::SocketFor(888888)));
        // Closing removes the name: put a stale one back in its place.
        crashed.close();
        QFile stale(RunningCopies::SocketFor(888888));
        QVERIFY(stale.open(QIODevice::WriteOnly));
    }
    QCOMPARE(RunningCopies::Find().size(), 2);

    std::ostringstream errors;
    QCOMPARE(RunningCopies::CloseAll(std::chrono::milliseconds(500), errors), 1);
    const QString message = QString::fromStdString(errors.str());
    QVERIFY2(message.contains("999999") && !message.contains("888888"), qPrintable(message));
    QCOMPARE(RunningCopies::Find(), QStringList{RunningCopies::SocketFor(999999)});
    QVERIFY(stuck.waitForNewConnection(0));
    QLocalSocket* asked = stuck.nextPendingConnection();
    QTRY_VERIFY(asked->bytesAvailable() || asked->waitForReadyRead(100));
    QCOMPARE(asked->readAll(), QByteArray("quit\n"));
}

// The real main window: a start-up file that cannot be opened is reported
// from inside the modal run, after the splash timer was armed and while
// other copies' clean-up can find this one; the splash goes while the
// message is still up.
void ApplicationRunTest::startupFileLoadsInsideTheRun() {
    MainDialogFactory factory;
    const QString missing = runtime_->filePath(QStringLiteral("missing.html"));
    bool seen = false, timerArmed = false, listening = false, mainRunning = false;
    bool splashGoneUnderMessage = false;
    QString text;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    connect(&poll, &QTimer::timeout, [&] {
        Application* app = Application::Instance();
        if (clock.elapsed() > 20000) {
            // However it goes, the run ends.
            if (QWidget* modal = QApplication::activeModalWidget(); modal != app->MainWindow()) {
                modal->close();
            } else if (app->MainWindow()) {
                app->MainWindow()->reject();
            }
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (!seen) {
            seen = true;
            text = box->text();
            timerArmed = app->Splash() && app->Splash()->TimerActive();
            listening = !RunningCopies::Find().isEmpty();
            mainRunning = app->MainWindow() && app->MainWindow()->isVisible();
        }
        if (app->Splash()) return;
        splashGoneUnderMessage = true;
        box->accept();
        QTimer::singleShot(0, [] {
            if (QDialog* main = Application::Instance()->MainWindow()) main->reject();
        });
    });
    poll.start(20);
    Application app(("\"" + missing + "\"").toStdString(), CommandLine::CodePage::Utf8, factory,
                    Display());
    QCOMPARE(app.Run(), 0);
    QVERIFY(seen);
    QCOMPARE(text, QStringLiteral("ファイルを開けません"));
    QVERIFY(timerArmed);
    QVERIFY(listening);
    QVERIFY(mainRunning);
    QVERIFY(splashGoneUnderMessage);
}

void ApplicationRunTest::helpFailureShowsMessage() {
    TestFactory factory;
    auto failing = std::make_unique<test::RecordingHelpDisplay>(false);
    test::RecordingHelpDisplay* display = failing.get();
    Application app("/N", CommandLine::CodePage::Utf8, factory, std::move(failing));

    // A press held on a logo ends without a click, and an open menu closes,
    // before the help shows.
    LogoButton::SetLogoBitmaps(Application::kLogoBitmaps);
    QWidget window;
    auto* logo = new LogoButton(&window);
    QSignalSpy clicks(logo, &LogoButton::clicked);
    logo->setGeometry(0, 0, 100, 40);
    window.show();
    QTest::mousePress(logo, Qt::LeftButton, {}, logo->DrawRect().center());
    QVERIFY(logo->State() & PressableControl::kPushed);
    QMenu menu;
    menu.addAction("x");
    menu.popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QVERIFY(logo->State() & PressableControl::kPushed);

    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    app.ShowHelp(520, HelpKind::Popup);
    QVERIFY(!menu.isVisible());
    QVERIFY(!(logo->State() & PressableControl::kPushed));
    QTest::mouseRelease(logo, Qt::LeftButton, {}, logo->DrawRect().center());
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(display->shown, (std::vector<HelpRequest>{{520, HelpKind::Popup}}));
    QCOMPARE(text, QStringLiteral("ﾍﾙﾌﾟの起動に失敗しました。"));
    QCOMPARE(caption, QStringLiteral("Nemora"));
    QCOMPARE(icon, QMessageBox::Information);
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::ApplicationRunTest)
#include "ApplicationRunTest.moc"
