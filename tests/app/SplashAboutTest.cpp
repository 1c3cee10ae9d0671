#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWhatsThis>

#include "app/Application.h"
#include "app/controls/IconButton.h"
#include "app/controls/LogoButton.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/SplashDialog.h"
#include "app/resources/Pictures.h"
#include "res/StringTable.h"
#include "tests/app/RecordingHelp.h"

Q_DECLARE_METATYPE(nemora::res::Language)

namespace nemora::app {

class SplashAboutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LogoButton::SetLogoBitmaps(Application::kLogoBitmaps); }

    void splashIsBuiltFromItsTemplate();
    void splashTimerAsksToCloseOnce();
    void splashEnterDoesNothingEscQuitsWithZero();
    void aboutBoxShowsIconAndLogo_data();
    void aboutBoxShowsIconAndLogo();
    void aboutBoxHelpOpensItsTopic();
    void aboutBoxClosesWithOkOrEsc();
};

void SplashAboutTest::splashIsBuiltFromItsTemplate() {
    const std::unique_ptr<SplashDialog> splash = SplashDialog::Create();
    QVERIFY(splash);
    QVERIFY(QTest::qWaitForWindowExposed(splash.get()));
    QVERIFY(splash->isVisible());
    const Qt::WindowFlags flags = splash->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);  // no task-bar entry
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::FramelessWindowHint);
    // Centred on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(splash->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(splash->frameGeometry().center().y() - screen.center().y()) <= 1);

    auto* icon = splash->ControlAs<IconButton>(SplashDialog::kIconControl);
    QVERIFY(icon);
    QCOMPARE(icon->Style(), 0);
    QCOMPARE(icon->IconId(), Pictures::kProgramIcon);
    QVERIFY(!icon->isEnabled());
    auto* logo = splash->ControlAs<LogoButton>(SplashDialog::kLogoControl);
    QVERIFY(logo);
    QVERIFY(!logo->isEnabled());
    QCOMPARE(logo->GetAlignment(), LogoButton::Alignment::Right);
    QCOMPARE(logo->DrawRect().right(), logo->width() - 1);
    QCOMPARE(logo->DrawRect().bottom(), logo->height() - 1);
    QStringList texts;
    for (const QLabel* label : splash->findChildren<QLabel*>()) texts.append(label->text());
    QCOMPARE(texts, (QStringList{"Vostel Nemora", "for", "Linux"}));

    splash->grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/splash.png"));
}

void SplashAboutTest::splashTimerAsksToCloseOnce() {
    const std::unique_ptr<SplashDialog> splash = SplashDialog::Create();
    QVERIFY(splash);
    QSignalSpy timeUp(splash.get(), &SplashDialog::TimeUp);
    QVERIFY(splash->StartTimer());
    QVERIFY(splash->TimerActive());
    QVERIFY(timeUp.wait(10000));
    // The timer stops with its first tick: the application closes the splash once.
    QVERIFY(!splash->TimerActive());
    QTest::qWait(1000);
    QCOMPARE(timeUp.count(), 1);
}

void SplashAboutTest::splashEnterDoesNothingEscQuitsWithZero() {
    const std::unique_ptr<SplashDialog> splash = SplashDialog::Create();
    QVERIFY(splash);
    splash->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(splash.get()));
    QSignalSpy quit(splash.get(), &SplashDialog::QuitRequested);
    QSignalSpy finished(splash.get(), &QDialog::finished);

    QTest::keyClick(splash.get(), Qt::Key_Return);
    QTest::keyClick(splash.get(), Qt::Key_Enter);
    QCOMPARE(quit.count(), 0);
    QVERIFY(splash->isVisible());

    QTest::keyClick(splash.get(), Qt::Key_Escape);
    QCOMPARE(quit.count(), 1);
    QCOMPARE(quit.at(0).at(0).toInt(), 0);
    // The splash itself stays: the program's end takes it down.
    QVERIFY(splash->isVisible());
    QCOMPARE(finished.count(), 0);
}

void SplashAboutTest::aboutBoxShowsIconAndLogo_data() {
    QTest::addColumn<res::Language>("language");
    QTest::newRow("Japanese") << res::Language::Japanese;
    QTest::newRow("English") << res::Language::English;
}

namespace {

// The program this build made, and the version it prints.
QString PrintedVersion() {
    QProcess program;
    program.start(QStringLiteral(NEMORA_APP_PATH), {QStringLiteral("--version")});
    if (!program.waitForFinished(10000)) return {};
    return QString::fromUtf8(program.readAllStandardOutput()).trimmed();
}

}  // namespace

// The platform's name and the version that "nemora --version" prints, in
// both languages.
void SplashAboutTest::aboutBoxShowsIconAndLogo() {
    QFETCH(res::Language, language);
    res::StringTable::SetLanguage(language);
    const auto japaneseAgain =
        qScopeGuard([] { res::StringTable::SetLanguage(res::Language::Japanese); });
    const QString printed = PrintedVersion();
    QVERIFY2(printed.startsWith(QStringLiteral("nemora ")), qPrintable(printed));
    test::RecordingHelp help;
    AboutDialog about(nullptr, help.Function());
    QVERIFY(about.IsBuilt());
    QCOMPARE(about.windowTitle(), QStringLiteral("About Vostel Nemora"));
    auto* icon = about.ControlAs<IconButton>(AboutDialog::kIconControl);
    QVERIFY(icon);
    QCOMPARE(icon->IconId(), Pictures::kProgramIcon);
    QCOMPARE(icon->Style(), 0);
    auto* logo = about.ControlAs<LogoButton>(AboutDialog::kLogoControl);
    QVERIFY(logo);
    QVERIFY(!logo->isEnabled());
    QCOMPARE(logo->GetAlignment(), LogoButton::Alignment::Right);
    QVERIFY(logo->BitmapId() != LogoButton::kNone);
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>()) texts.append(label->text());
    QCOMPARE(texts, (QStringList{"Vostel Nemora for Linux",
                                 "Version " + printed.mid(QStringLiteral("nemora ").size())}));

    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    about.grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/about%1.png")
                          .arg(language == res::Language::English ? "-en" : ""));
}

void SplashAboutTest::aboutBoxHelpOpensItsTopic() {
    test::RecordingHelp help;
    AboutDialog about(nullptr, help.Function());
    about.show();
    about.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    const HelpRequest topic{kHelpAbout, HelpKind::Topic};

    // F1 wherever the focus is.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QTest::keyClick(&about, Qt::Key_F1);
    // What's This on the icon, the logo, a label and the background.
    for (QWidget* target : std::initializer_list<QWidget*>{
             about.Control(AboutDialog::kIconControl), about.Control(AboutDialog::kLogoControl),
             about.findChild<QLabel*>(), about.Client()}) {
        QWhatsThis::enterWhatsThisMode();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(1, 1));
        QTRY_VERIFY(!QWhatsThis::inWhatsThisMode());
    }
    QCOMPARE(help.requests.size(), std::size_t{6});
    for (const HelpRequest& request : help.requests) QCOMPARE(request, topic);
    QVERIFY(about.isVisible());
}

void SplashAboutTest::aboutBoxClosesWithOkOrEsc() {
    test::RecordingHelp help;
    {
        AboutDialog about(nullptr, help.Function());
        about.show();
        QTest::mouseClick(about.Control(TemplateDialog::kOk), Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
    {
        AboutDialog about(nullptr, help.Function());
        about.show();
        about.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
    }
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::SplashAboutTest)
#include "SplashAboutTest.moc"
