#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/Application.h"
#include "app/controls/LogoButton.h"
#include "app/dialogs/ProgressDialog.h"
#include "app/resources/ResourceText.h"
#include "engine/LockedDocument.h"
#include "tests/support/PublishInto.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

using Reports = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // units, text id
Q_DECLARE_METATYPE(Reports)

namespace nemora::app {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kLoading = 3011;
constexpr std::uint32_t kWriting = 3012;
constexpr std::uint32_t kEncrypting = 3014;
constexpr std::uint32_t kNoSuchText = 2999;

// Input the user gives while the job runs: queued, not yet dispatched, as
// it waits for the next report's pump.
enum Input { Cancel, Enter, KeypadEnter, Esc, CloseRequest };

void Post(QWidget* target, QEvent* event) {
    QCoreApplication::postEvent(target, event);
}

// A created, shown and active dialog.
struct Shown {
    ProgressDialog dialog;
    bool created = dialog.Create();

    Shown() {
        if (!created) return;
        dialog.SetPumpInterval(0us);
        dialog.activateWindow();
    }

    bool Ready() { return created && QTest::qWaitForWindowActive(&dialog); }

    QPushButton* Cancel() { return dialog.ControlAs<QPushButton>(ProgressDialog::kCancelControl); }
    QProgressBar* Bar() { return dialog.ControlAs<QProgressBar>(ProgressDialog::kBarControl); }
    QLabel* TextField() { return dialog.ControlAs<QLabel>(ProgressDialog::kTextControl); }

    void Queue(Input input) {
        if (input == Input::Cancel) {
            QPushButton* button = Cancel();
            const QPointF centre = QRectF(button->rect()).center();
            const QPointF global = button->mapToGlobal(centre);
            Post(button, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                         Qt::LeftButton, Qt::NoModifier));
            Post(button, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                         Qt::NoButton, Qt::NoModifier));
            return;
        }
        if (input == Input::CloseRequest) {
            // As the window manager asks, Alt+F4 say.
            QMetaObject::invokeMethod(&dialog, &QWidget::close, Qt::QueuedConnection);
            return;
        }
        const int key = input == Input::Esc     ? Qt::Key_Escape
                        : input == Input::Enter ? Qt::Key_Return
                                                : Qt::Key_Enter;
        const Qt::KeyboardModifiers modifiers =
            input == Input::KeypadEnter ? Qt::KeypadModifier : Qt::NoModifier;
        // Keys go where the platform sends them: the focus, or the window.
        QWidget* focus = QApplication::focusWidget();
        QWidget* target = focus && focus->window() == &dialog ? focus : &dialog;
        Post(target, new QKeyEvent(QEvent::KeyPress, key, modifiers));
        Post(target, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
    }

    // What the window shows, with the state behind it.
    QString Seen() {
        return QStringLiteral("text=%1 field=%2 range=%3 pos=%4 bar=%5 continue=%6 cancel=%7")
            .arg(dialog.Text(), TextField()->text())
            .arg(dialog.Range())
            .arg(dialog.Position())
            .arg(Bar()->value())
            .arg(dialog.Continue())
            .arg(Cancel()->isEnabled());
    }
};

// Sends the engine's reports on to the dialog, queueing a Cancel click at
// one of them (1-based) to be dispatched by the next report's pump.
class ClickingSink : public engine::ProgressSink {
public:
    ClickingSink(Shown& shown, std::size_t clickAt) : shown_(shown), clickAt_(clickAt) {}

    bool Report(std::uint32_t units, std::uint32_t textId) override {
        const bool answer = shown_.dialog.Report(units, textId);
        answers.push_back(answer);
        if (answers.size() == clickAt_) shown_.Queue(Input::Cancel);
        return answer;
    }

    std::vector<bool> answers;

private:
    Shown& shown_;
    std::size_t clickAt_;
};

// Sends the reports on to the dialog and notes what it shows after each.
class SeeingSink : public engine::ProgressSink {
public:
    explicit SeeingSink(Shown& shown) : shown_(shown) {}

    bool Report(std::uint32_t units, std::uint32_t textId) override {
        const bool answer = shown_.dialog.Report(units, textId);
        seen.append(shown_.Seen());
        return answer;
    }

    QStringList seen;

private:
    Shown& shown_;
};

}  // namespace

class ProgressDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LogoButton::SetLogoBitmaps(Application::kLogoBitmaps); }

    void builtFromItsTemplate();
    void reportsMoveTextAndBar_data();
    void reportsMoveTextAndBar();
    void stopIsAnsweredInTheSameReport_data();
    void stopIsAnsweredInTheSameReport();
    void stoppedDialogChangesNothing();
    void throttledPumpAnswersClickAtNextPumpingReport();
    void engineLoadStoppedFromDialog();
    void clickAfterTheLastReportLeavesTheJobDone();
    void strongSaveShowsTheKeyDerivation();
};

void ProgressDialogTest::builtFromItsTemplate() {
    Shown shown;
    QVERIFY(shown.Ready());
    ProgressDialog& dialog = shown.dialog;
    dialog.SetTitle(3001);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ファイルの読込み"));
    QVERIFY(dialog.isVisible());
    // No task-bar entry and no close box; no other window takes input.
    QCOMPARE(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    QCOMPARE(shown.Cancel()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    auto* logo = dialog.ControlAs<LogoButton>(ProgressDialog::kLogoControl);
    QVERIFY(logo);
    QVERIFY(!logo->isEnabled());
    QCOMPARE(logo->GetAlignment(), LogoButton::Alignment::Right);
    QCOMPARE(shown.Seen(),
             QStringLiteral("text= field= range=100 pos=0 bar=0 continue=1 cancel=1"));

    QVERIFY(dialog.Report(4096, kLoading));
    QVERIFY(dialog.Report(1536, 0));
    dialog.grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/progress.png"));
}

void ProgressDialogTest::reportsMoveTextAndBar_data() {
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("range");
    QTest::addColumn<uint>("position");
    QTest::addColumn<int>("bar");
    const QString loading = ResourceText(kLoading);
    const QString encrypting = ResourceText(kEncrypting);

    QTest::newRow("phase start") << Reports{{5120, kLoading}} << loading << 5120u << 0u << 0;
    QTest::newRow("advances add up")
        << Reports{{4000, kLoading}, {1000, 0}, {1000, 0}} << loading << 4000u << 2000u << 5000;
    QTest::newRow("text switch keeps the bar")
        << Reports{{4000, kEncrypting}, {1000, 0}, {0, kWriting}} << ResourceText(kWriting) << 4000u
        << 1000u << 2500;
    QTest::newRow("new phase starts the bar again")
        << Reports{{4000, kLoading}, {3000, 0}, {8000, kEncrypting}} << encrypting << 8000u << 0u
        << 0;
    QTest::newRow("0-unit phase start on a new bar")
        << Reports{{0, kLoading}} << loading << 100u << 0u << 0;
    QTest::newRow("0-unit phase start keeps range and position")
        << Reports{{4000, kLoading}, {400, 0}, {0, kEncrypting}} << encrypting << 4000u << 400u
        << 1000;
    QTest::newRow("empty report") << Reports{{4000, kLoading}, {400, 0}, {0, 0}} << loading << 4000u
                                  << 400u << 1000;
    QTest::newRow("past the range stays full")
        << Reports{{10, kLoading}, {8, 0}, {8, 0}} << loading << 10u << 10u << 10000;
    QTest::newRow("full 32-bit range") << Reports{{4294967295u, kLoading}, {2147483648u, 0}}
                                       << loading << 4294967295u << 2147483648u << 5000;
    // 3e9 + 3e9 wraps in 32 bits to a nearly empty bar.
    QTest::newRow("no wrap at 32 bits")
        << Reports{{4294967295u, kLoading}, {3000000000u, 0}, {3000000000u, 0}} << loading
        << 4294967295u << 4294967295u << 10000;
    QTest::newRow("unknown text id: empty line")
        << Reports{{4000, kLoading}, {100, 0}, {0, kNoSuchText}} << QString() << 4000u << 100u
        << 250;
    QTest::newRow("unknown text id starts a phase")
        << Reports{{500, kNoSuchText}} << QString() << 500u << 0u << 0;
}

void ProgressDialogTest::reportsMoveTextAndBar() {
    QFETCH(Reports, reports);
    QFETCH(QString, text);
    QFETCH(uint, range);
    QFETCH(uint, position);
    QFETCH(int, bar);
    QVERIFY(ResourceText(kNoSuchText).isEmpty());
    Shown shown;
    QVERIFY(shown.Ready());
    for (const auto& [units, textId] : reports) QVERIFY(shown.dialog.Report(units, textId));
    QCOMPARE(shown.Seen(), QStringLiteral("text=%1 field=%1 range=%2 pos=%3 bar=%4 continue=1 "
                                          "cancel=1")
                               .arg(text)
                               .arg(range)
                               .arg(position)
                               .arg(bar));
}

void ProgressDialogTest::stopIsAnsweredInTheSameReport_data() {
    QTest::addColumn<QList<int>>("inputs");
    QTest::newRow("Cancel") << QList<int>{Input::Cancel};
    QTest::newRow("Enter") << QList<int>{Input::Enter};
    QTest::newRow("keypad Enter") << QList<int>{Input::KeypadEnter};
    QTest::newRow("Esc") << QList<int>{Input::Esc};
    QTest::newRow("Cancel twice") << QList<int>{Input::Cancel, Input::Cancel};
    QTest::newRow("Cancel then Esc") << QList<int>{Input::Cancel, Input::Esc};
    QTest::newRow("Esc then Enter") << QList<int>{Input::Esc, Input::Enter};
    QTest::newRow("close request") << QList<int>{Input::CloseRequest};
}

// Whatever asks to stop, and however often before the next report, that
// report answers stop, shows the stopping text, disables Cancel, and the
// window stays.
void ProgressDialogTest::stopIsAnsweredInTheSameReport() {
    QFETCH(QList<int>, inputs);
    Shown shown;
    QVERIFY(shown.Ready());
    QVERIFY(shown.dialog.Report(8000, kLoading));
    QVERIFY(shown.dialog.Report(2000, 0));
    QSignalSpy finished(&shown.dialog, &QDialog::finished);
    for (int input : inputs) shown.Queue(Input(input));

    QVERIFY(!shown.dialog.Report(2000, 0));
    // The step that came with the stop request still counts.
    QCOMPARE(shown.Seen(),
             QStringLiteral("text=中断処理をしています... field=中断処理をしています... "
                            "range=8000 pos=4000 bar=5000 continue=0 cancel=0"));
    QVERIFY(shown.dialog.isVisible());
    QCOMPARE(finished.count(), 0);
}

// Once stopped, reports of every kind change nothing and answer stop, and
// no input brings the job back.
void ProgressDialogTest::stoppedDialogChangesNothing() {
    Shown shown;
    QVERIFY(shown.Ready());
    QVERIFY(shown.dialog.Report(8000, kEncrypting));
    QVERIFY(shown.dialog.Report(800, 0));
    shown.Queue(Input::Cancel);
    QVERIFY(!shown.dialog.Report(0, 0));
    const QString stopped = shown.Seen();
    QVERIFY(stopped.contains("continue=0 cancel=0"));

    const Reports later = {{800, 0}, {0, kWriting}, {16000, kEncrypting}, {0, 0}};
    for (const auto& [units, textId] : later) {
        shown.Queue(Input::Cancel);
        shown.Queue(Input::Esc);
        shown.Queue(Input::Enter);
        QVERIFY(!shown.dialog.Report(units, textId));
        QCOMPARE(shown.Seen(), stopped);
    }
    QVERIFY(shown.dialog.isVisible());
}

void ProgressDialogTest::throttledPumpAnswersClickAtNextPumpingReport() {
    {
        // Advances within the interval leave the click queued; the next
        // text report pumps and answers it.
        Shown shown;
        QVERIFY(shown.Ready());
        shown.dialog.SetPumpInterval(1h);
        QVERIFY(shown.dialog.Report(8000, kEncrypting));
        shown.Queue(Input::Cancel);
        for (int i = 0; i < 4; ++i) QVERIFY(shown.dialog.Report(4, 0));
        QVERIFY(shown.dialog.Continue());
        QCOMPARE(shown.dialog.Position(), 16u);
        QVERIFY(!shown.dialog.Report(0, kWriting));
        QCOMPARE(shown.dialog.Text(), ResourceText(ProgressDialog::kStoppingText));
        QVERIFY(!shown.Cancel()->isEnabled());
    }
    {
        // Once the interval has passed, the next advance pumps.
        Shown shown;
        QVERIFY(shown.Ready());
        shown.dialog.SetPumpInterval(30ms);
        QVERIFY(shown.dialog.Report(8000, kEncrypting));
        shown.Queue(Input::Cancel);
        std::this_thread::sleep_for(40ms);
        QVERIFY(!shown.dialog.Report(4, 0));
        QCOMPARE(shown.dialog.Text(), ResourceText(ProgressDialog::kStoppingText));
        QVERIFY(!shown.Cancel()->isEnabled());
    }
}

// A Cancel click while a page loads stops the engine at the next report,
// with the load's stop result.
void ProgressDialogTest::engineLoadStoppedFromDialog() {
    test::TempDir folder;
    const std::string page = folder.Write("page.html", test::HtmlPage(256 * 1024, 7));
    struct Case {
        const char* stage;
        std::size_t clickAt;  // reading: reports 2..257; compressing: after those
    };
    for (const Case& stop : {Case{"reading", 100}, Case{"compressing", 300}}) {
        Shown shown;
        QVERIFY(shown.Ready());
        shown.dialog.SetTitle(3001);
        ClickingSink sink(shown, stop.clickAt);
        engine::LockedDocument document(engine::FileLayer::System());
        engine::Result result = document.Load(&sink, page);
        if (result == engine::Result::Ok) result = document.Compress(&sink);
        QCOMPARE(static_cast<int>(result), 3003);
        QCOMPARE(static_cast<int>(engine::Result::LoadStopped), 3003);
        // Answered by the report right after the click, and the last one.
        QCOMPARE(sink.answers.size(), stop.clickAt + 1);
        QVERIFY(!sink.answers.back());
        QCOMPARE(shown.dialog.Text(), ResourceText(ProgressDialog::kStoppingText));
        QVERIFY(!shown.Cancel()->isEnabled());
        QVERIFY(shown.dialog.isVisible());
    }
}

// The click comes too late for the job: it completes, and the dialog, which
// never closes itself, waits for its caller.
void ProgressDialogTest::clickAfterTheLastReportLeavesTheJobDone() {
    test::TempDir folder;
    const std::string page = folder.Write("page.html", test::HtmlPage(64 * 1024, 3));
    Shown shown;
    QVERIFY(shown.Ready());
    shown.dialog.SetPumpInterval(ProgressDialog::kDefaultPumpInterval);
    engine::LockedDocument document(engine::FileLayer::System());
    QCOMPARE(document.Load(&shown.dialog, page), engine::Result::Ok);
    QCOMPARE(document.Compress(&shown.dialog), engine::Result::Ok);
    shown.Queue(Input::Cancel);
    QCoreApplication::processEvents();
    QCOMPARE(document.State(), engine::DocumentState::Compressed);
    QCOMPARE(shown.dialog.Text(), ResourceText(kLoading));
    QVERIFY(shown.dialog.isVisible());
}

// A strong save's reports, each as the dialog shows it: deriving the key is
// a phase with its own text and bar, before the writing.
void ProgressDialogTest::strongSaveShowsTheKeyDerivation() {
    test::TempDir folder;
    const std::string page = folder.Write("page.html", test::HtmlPage(8 * 1024, 3));
    engine::LockedDocument document(engine::FileLayer::System());
    QCOMPARE(document.Load(nullptr, page), engine::Result::Ok);
    QCOMPARE(document.Compress(nullptr), engine::Result::Ok);
    Shown shown;
    QVERIFY(shown.Ready());
    shown.dialog.SetTitle(3002);
    SeeingSink sink(shown);
    publish::PublicationOptions options;
    options.password = engine::SecretString("pw");
    options.strong = true;
    const publish::PublicationOutcome outcome =
        test::PublishInto({document, page, true}, options, folder.File("out"), &sink);
    QCOMPARE(outcome.result, engine::Result::Published);

    const QString shows =
        QStringLiteral("text=%1 field=%1 range=1 pos=%2 bar=%3 continue=1 cancel=1");
    const QString deriving = QStringLiteral("パスワードから鍵を生成しています...");
    const QString writing = ResourceText(kWriting);
    QCOMPARE(sink.seen,
             (QStringList{shows.arg(deriving).arg(0).arg(0), shows.arg(deriving).arg(1).arg(10000),
                          shows.arg(writing).arg(0).arg(0), shows.arg(writing).arg(1).arg(10000)}));
    QVERIFY(shown.Bar()->isVisible());
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::ProgressDialogTest)
#include "ProgressDialogTest.moc"
