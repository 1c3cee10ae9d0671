// The main window with its real widgets and dialogs: the wiring of buttons,
// menu, fields and the lifetime box to the window's logic, and whole runs
// from start to settings file. The logic's rules themselves are tested
// against a recording fake (tests/main).
#include <clocale>
#include <deque>
#include <filesystem>
#include <optional>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/Application.h"
#include "app/controls/LogoButton.h"
#include "app/dialogs/CFileDialogWithHelp.h"
#include "app/dialogs/DetailsDialog.h"
#include "app/dialogs/ProgressDialog.h"
#include "app/mainwindow/MainDialog.h"
#include "app/mainwindow/MainWindowIds.h"
#include "app/resources/MenuTemplate.h"
#include "engine/Key.h"
#include "engine/StreamReader.h"
#include "engine/strong/StrongReader.h"
#include "publish/StrongPage.h"
#include "res/StringTable.h"
#include "tests/app/RecordingHelp.h"
#include "tests/support/ConfigHome.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

Q_DECLARE_METATYPE(nemora::res::Language)

namespace nemora::app {
namespace {

using namespace mainwindow;

struct Message {
    QString text;
    QMessageBox::Icon icon;
    QString details;
};

// Stands in for the desktop's file manager and browser: records the
// addresses the program asks it to open.
class Desktop : public QObject {
    Q_OBJECT

public:
    Desktop() {
        for (const QString& scheme : {QStringLiteral("http"), QStringLiteral("file")}) {
            QDesktopServices::setUrlHandler(scheme, this, "Open");
        }
    }
    ~Desktop() override {
        for (const QString& scheme : {QStringLiteral("http"), QStringLiteral("file")}) {
            QDesktopServices::unsetUrlHandler(scheme);
        }
    }

    std::vector<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

// What the address answers: status, type and body.
struct Fetched {
    int status = 0;
    QByteArray type;
    QByteArray body;
};

Fetched Fetch(const QUrl& url) {
    QNetworkAccessManager network;
    std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(url)));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!finished.wait(10000)) return {};
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
            reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), reply->readAll()};
}

// Answers the modal windows that a command opens, as a user would: file
// dialogs from a list of answers (none: cancel), message boxes with OK
// (recording them), the Details dialog with a chosen list entry (recording
// the form it names), and the progress dialog with a click on Cancel when
// asked to.
class ModalAnswerer : public QObject {
public:
    ModalAnswerer() {
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
        timer_.start();
    }

    std::deque<std::optional<QString>> files;
    std::vector<QString> initialFiles;
    std::vector<Message> messages;
    // The buttons to click in the next message boxes, by text (none: OK).
    std::deque<QString> buttons;
    std::optional<int> detailsEntry;
    std::vector<QString> detailsForms;
    bool cancelProgress = false;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages.push_back({box->text(), box->icon(), box->informativeText()});
            QAbstractButton* chosen = nullptr;
            if (!buttons.empty()) {
                for (QAbstractButton* button : box->buttons()) {
                    if (button->text() == buttons.front()) chosen = button;
                }
                buttons.pop_front();
            }
            if (chosen) {
                chosen->click();
            } else {
                box->accept();
            }
        } else if (auto* dialog = qobject_cast<CFileDialogWithHelp*>(modal)) {
            AnswerFileDialog(*dialog);
        } else if (auto* details = qobject_cast<DetailsDialog*>(modal)) {
            detailsForms.push_back(details->ControlAs<QLabel>(DetailsDialog::kFormControl)->text());
            if (detailsEntry) {
                details->ControlAs<QComboBox>(DetailsDialog::kEncodeTypeControl)
                    ->setCurrentIndex(*detailsEntry);
            }
            details->ControlAs<QPushButton>(DetailsDialog::kOkControl)->click();
        } else if (auto* progress = qobject_cast<ProgressDialog*>(modal);
                   progress && cancelProgress) {
            cancelProgress = false;
            progress->ControlAs<QPushButton>(ProgressDialog::kCancelControl)->click();
        }
    }

    void AnswerFileDialog(CFileDialogWithHelp& dialog) {
        const QStringList selected = dialog.selectedFiles();
        initialFiles.push_back(selected.isEmpty() ? QString() : selected.front());
        std::optional<QString> answer;
        if (!files.empty()) {
            answer = files.front();
            files.pop_front();
        }
        if (!answer) {
            dialog.reject();
            return;
        }
        dialog.selectFile(*answer);
        dialog.accept();
    }

    QTimer timer_;
};

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private:
    struct Window {
        explicit Window(test::RecordingHelp& help)
            : dialog({help.Function(), [this] { ++helpClosed; }}) {}

        QPushButton* Button(int id) { return dialog.ControlAs<QPushButton>(id); }
        QLineEdit* Edit(int id) { return dialog.ControlAs<QLineEdit>(id); }
        QCheckBox* Box(int id) { return dialog.ControlAs<QCheckBox>(id); }
        QComboBox* Combo() { return dialog.ControlAs<QComboBox>(kLifetimeCombo); }
        QAction* MenuItem(int id) {
            for (QAction* menu : dialog.MenuBar()->actions()) {
                for (QAction* item : menu->menu()->actions()) {
                    if (MenuTemplate::CommandId(item) == id) return item;
                }
            }
            return nullptr;
        }
        const app::MainWindowMembers& State() { return dialog.Logic().State(); }
        bool Enabled(int id) { return dialog.Control(id)->isEnabled(); }

        int helpClosed = 0;
        MainDialog dialog;
    };

    static void Show(Window& window) {
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
        window.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window.dialog));
    }

    static std::vector<std::uint8_t> Read(const std::string& path) {
        return nemora::test::ReadAll(path);
    }

private slots:
    void initTestCase() {
        LogoButton::SetLogoBitmaps(Application::kLogoBitmaps);
        // The run under a user's locale must really have a decimal comma,
        // which QApplication took from the environment.
        if (qEnvironmentVariableIsSet("NEMORA_EXPECT_DECIMAL_COMMA")) {
            QCOMPARE(std::string(std::localeconv()->decimal_point), std::string(","));
        }
    }

    // From an empty configuration folder: load a page, type a password,
    // save, look at the details, save again into the same folder, close;
    // then the settings file, and a second start that reads it.
    void wholeRun() {
        nemora::test::ConfigHome home;
        nemora::test::TempDir dir;
        const std::string page = dir.Write("index.html", nemora::test::HtmlPage(20000, 3));
        const std::string folder = dir.File("site/locked");
        test::RecordingHelp help;
        ModalAnswerer answers;
        {
            Window window(help);
            window.dialog.Initialise(std::nullopt);
            Show(window);
            QCOMPARE(window.Edit(kPromptField)->text(),
                     QStringLiteral("パスワードを入力して下さい。"));
            QCOMPARE(window.Combo()->currentText(), QStringLiteral("7.0"));
            for (const int id : {kPasswordField, kPromptField, kCookieOnBox, kSaveButton}) {
                QVERIFY(!window.Enabled(id));
            }
            QVERIFY(window.Button(kLoadButton)->isDefault());
            QVERIFY(!window.MenuItem(kSaveCommand)->isEnabled());
            // The logo is a tab stop, as its template says.
            QVERIFY(window.dialog.Control(kLogoButton)->focusPolicy() & Qt::TabFocus);
            window.dialog.grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/main-no-page.png"));

            answers.files = {Qs(page)};
            window.Button(kLoadButton)->click();
            QVERIFY(window.State().PageLoaded);
            QCOMPARE(answers.initialFiles.back(), QString());  // nothing remembered yet
            QVERIFY(window.Button(kSaveButton)->isDefault());
            QVERIFY(window.MenuItem(kSaveCommand)->isEnabled());
            QVERIFY(window.MenuItem(kDetailsCommand)->isEnabled());
            for (const int id : {kPasswordField, kPromptField, kCookieOnBox, kCookieKeyField,
                                 kLifetimeCombo, kConfirmBox, kCommentBox, kSaveButton}) {
                QVERIFY2(window.Enabled(id), qPrintable(QString::number(id)));
            }
            QCOMPARE(window.dialog.focusWidget(), window.Edit(kPasswordField));
            QVERIFY(window.Edit(kPathField)->text().endsWith(QStringLiteral("/index.html")));
            window.dialog.grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/main-page-ready.png"));

            QTest::keyClicks(window.Edit(kPasswordField), QStringLiteral("secret pass"));
            QVERIFY(window.State().PasswordChanged);
            answers.files = {Qs(folder)};
            window.Button(kSaveButton)->click();
            QCOMPARE(answers.messages.size(), std::size_t{1});
            QCOMPARE(answers.messages.back().text, QStringLiteral("ファイルを作成しました"));
            QCOMPARE(answers.messages.back().icon, QMessageBox::Information);
            QVERIFY(window.Button(kLoadButton)->isDefault());
            QCOMPARE(answers.initialFiles.back(), Qs(dir.File("index")));

            answers.detailsEntry = 4;  // UTF8
            window.MenuItem(kDetailsCommand)->trigger();
            QCOMPARE(Qs(window.State().EncodeType), QStringLiteral("UTF8"));

            // The dialog's OK action saves (here into the folder that now
            // exists) and never closes the window.
            answers.files = {Qs(folder)};
            window.dialog.accept();
            QCOMPARE(answers.messages.size(), std::size_t{2});
            QCOMPARE(answers.messages.back().text, QStringLiteral("ファイルを作成しました"));
            QVERIFY(window.dialog.isVisible());

            QTest::keyClick(&window.dialog, Qt::Key_Escape);
            QVERIFY(!window.dialog.isVisible());
            QCOMPARE(window.dialog.result(), int(QDialog::Rejected));
            QCOMPARE(window.helpClosed, 0);
        }

        QCOMPARE(
            nemora::test::Entries(folder),
            (std::vector<std::string>{"decoder.htm", "decoder.jar", "index.html", "index.zvk"}));
        // Script literals whatever the user's locale: "7,0" would end the statement.
        const std::vector<std::uint8_t> loader = Read(folder + "/index.html");
        QVERIFY(std::string(loader.begin(), loader.end()).find("var fCookieKeepDays = 7;\r\n") !=
                std::string::npos);
        const std::vector<std::uint8_t> data = Read(folder + "/index.zvk");
        const engine::UnlockedPage unlocked =
            engine::StreamReader(engine::DeriveKey("secret pass")).Read(data.data(), data.size());
        QCOMPARE(unlocked.status, engine::Result::Ok);
        QCOMPARE(unlocked.encodingName, std::string("UTF8"));
        QVERIFY(unlocked.page == Read(page));

        const std::string settings = home.ReadRegistry();
        QVERIFY(settings.find("\"Path\"=\"" + page + "\"") != std::string::npos);
        QVERIFY(settings.find("\"EncodeType\"=\"UTF8\"") != std::string::npos);
        QVERIFY(settings.find("secret") == std::string::npos);

        Window again(help);
        again.dialog.Initialise(std::nullopt);
        QCOMPARE(Qs(again.State().Path), Qs(page));
        QCOMPARE(Qs(again.State().EncodeType), QStringLiteral("UTF8"));
        QCOMPARE(again.Edit(kPasswordField)->text(), QString());
        answers.files = {std::nullopt};
        again.MenuItem(kLoadCommand)->trigger();
        QCOMPARE(answers.initialFiles.back(), Qs(page));
        QVERIFY(!again.State().PageLoaded);
    }

    // The strong box: Details name the form it chooses, and a save writes
    // the page and the shared script only, under a password that code page
    // 932 cannot hold; the box is remembered.
    void strongBoxSavesThePageAndItsScript() {
        nemora::test::ConfigHome home;
        nemora::test::TempDir dir;
        const std::string page = dir.Write("index.html", nemora::test::HtmlPage(20000, 3));
        const std::string folder = dir.File("strong");
        const QString password = QStringLiteral("鍵🔑 für alle");
        test::RecordingHelp help;
        ModalAnswerer answers;
        {
            Window window(help);
            window.dialog.Initialise(page);
            Show(window);
            QCheckBox* box = window.Box(kStrongBox);
            QVERIFY(box);
            QCOMPARE(box->text(), QStringLiteral("強力な保護"));
            QCOMPARE(box->toolTip(),
                     QStringLiteral("強力な保護で保存する (Argon2id + XChaCha20-Poly1305)"));
            QVERIFY(box->sizeHint().width() <= box->width());  // the label is not cut off
            QVERIFY(box->isEnabled());
            QVERIFY(!box->isChecked());

            window.MenuItem(kDetailsCommand)->trigger();
            QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY(box->isChecked());
            window.MenuItem(kDetailsCommand)->trigger();
            QCOMPARE(answers.detailsForms,
                     (std::vector<QString>{
                         QStringLiteral("保存形式: 標準"),
                         QStringLiteral("保存形式: 強力 (Argon2id + XChaCha20-Poly1305)")}));

            window.Edit(kPasswordField)->setText(password);
            answers.files = {Qs(folder)};
            window.Button(kSaveButton)->click();
            QCOMPARE(answers.messages.size(), std::size_t{1});
            QCOMPARE(answers.messages.back().text, QStringLiteral("ファイルを作成しました"));
            QCOMPARE(answers.messages.back().icon, QMessageBox::Information);
            QVERIFY(window.Button(kLoadButton)->isDefault());
        }
        QCOMPARE(nemora::test::Entries(folder),
                 (std::vector<std::string>{"index.html", "nemora-strong.js"}));
        const std::optional<std::vector<std::uint8_t>> container =
            publish::StrongPage::ReadContainer(Read(folder + "/index.html"));
        QVERIFY(container);
        const engine::UnlockedPage unlocked = engine::strong::StrongReader::Read(
            container->data(), container->size(), password.toStdString());
        QCOMPARE(unlocked.status, engine::Result::Ok);
        QVERIFY(unlocked.page == Read(page));
        QVERIFY(home.ReadRegistry().find("\"StrongLock\"=hex:01") != std::string::npos);
    }

    void passwordShowsAsDotsUntilRevealed_data() {
        QTest::addColumn<res::Language>("language");
        QTest::addColumn<QString>("show");
        QTest::addColumn<QString>("hide");
        QTest::newRow("Japanese") << res::Language::Japanese << QStringLiteral("パスワードを表示")
                                  << QStringLiteral("パスワードを隠す");
        QTest::newRow("English") << res::Language::English << QStringLiteral("Show password")
                                 << QStringLiteral("Hide password");
    }

    // The password field shows dots; the button beside it, which belongs to
    // the field (enabled with it, next in the tab order), shows and hides the
    // characters and is named after what a click does.
    void passwordShowsAsDotsUntilRevealed() {
        QFETCH(res::Language, language);
        QFETCH(QString, show);
        QFETCH(QString, hide);
        res::StringTable::SetLanguage(language);
        const auto japaneseAgain =
            qScopeGuard([] { res::StringTable::SetLanguage(res::Language::Japanese); });
        nemora::test::ConfigHome home;
        nemora::test::TempDir dir;
        test::RecordingHelp help;
        Window window(help);
        window.dialog.Initialise(std::nullopt);
        Show(window);
        QLineEdit* password = window.Edit(kPasswordField);
        QPushButton* reveal = window.Button(kRevealButton);
        QVERIFY(reveal);
        QVERIFY(!reveal->isEnabled());
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(reveal->accessibleName(), show);
        QCOMPARE(reveal->toolTip(), show);
        QVERIFY(!reveal->icon().isNull());
        QVERIFY(reveal->geometry().left() >= password->geometry().right());

        static_cast<void>(window.dialog.Logic().LoadPage(
            dir.Write("page.html", nemora::test::HtmlPage(3000, 1))));
        QVERIFY(reveal->isEnabled());
        QCOMPARE(password->nextInFocusChain(), reveal);
        QTest::keyClicks(password, QStringLiteral("secret pass"));
        QVERIFY(password->displayText() != password->text());

        QTest::mouseClick(reveal, Qt::LeftButton);
        QCOMPARE(password->echoMode(), QLineEdit::Normal);
        QCOMPARE(password->displayText(), QStringLiteral("secret pass"));
        QCOMPARE(reveal->accessibleName(), hide);
        QCOMPARE(reveal->toolTip(), hide);
        window.dialog.grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/main-password-shown.png"));
        QTest::mouseClick(reveal, Qt::LeftButton);
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(reveal->accessibleName(), show);
    }

    // After a save the message names the folder and offers it in the file
    // manager, and the page in the browser from the program's own server,
    // which answers as a visitor's server would; the menu offers the page
    // again. Another folder gets a server of its own; the first one goes.
    void publishedPageOpensInTheBrowser() {
        nemora::test::ConfigHome home;
        nemora::test::TempDir dir;
        const std::string page = dir.Write("index.html", nemora::test::HtmlPage(20000, 3));
        const std::string folder = dir.File("site");
        test::RecordingHelp help;
        ModalAnswerer answers;
        Desktop desktop;
        Window window(help);
        window.dialog.Initialise(page);
        Show(window);
        QVERIFY(!window.MenuItem(kOpenInBrowserCommand)->isEnabled());
        window.Edit(kPasswordField)->setText(QStringLiteral("pw"));

        answers.files = {Qs(folder)};
        answers.buttons = {QStringLiteral("フォルダを開く")};
        window.Button(kSaveButton)->click();
        QCOMPARE(answers.messages.size(), std::size_t{1});
        QCOMPARE(answers.messages.back().text, QStringLiteral("ファイルを作成しました"));
        QCOMPARE(answers.messages.back().details, QStringLiteral("保存先: ") + Qs(folder));
        QCOMPARE(answers.messages.back().icon, QMessageBox::Information);
        QCOMPARE(desktop.opened, std::vector<QUrl>{QUrl::fromLocalFile(Qs(folder))});
        QVERIFY(window.MenuItem(kOpenInBrowserCommand)->isEnabled());

        answers.files = {Qs(folder)};
        answers.buttons = {QStringLiteral("ブラウザで開く")};
        window.Button(kSaveButton)->click();
        QCOMPARE(desktop.opened.size(), std::size_t{2});
        const QUrl url = desktop.opened.back();
        QCOMPARE(url.scheme(), QStringLiteral("http"));
        QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));
        QCOMPARE(url.path(), QStringLiteral("/index.html"));
        const Fetched loader = Fetch(url);
        QCOMPARE(loader.status, 200);
        QCOMPARE(loader.type, QByteArray("text/html"));
        const std::vector<std::uint8_t> written = Read(folder + "/index.html");
        QCOMPARE(loader.body, QByteArray(reinterpret_cast<const char*>(written.data()),
                                         static_cast<qsizetype>(written.size())));
        QCOMPARE(Fetch(url.resolved(QUrl(QStringLiteral("index.zvk")))).type,
                 QByteArray("application/octet-stream"));

        window.MenuItem(kOpenInBrowserCommand)->trigger();
        QCOMPARE(desktop.opened.back(), url);  // the same folder, the same server

        const std::string other = dir.File("other");
        answers.files = {Qs(other)};
        answers.buttons = {QStringLiteral("ブラウザで開く")};
        window.Button(kSaveButton)->click();
        QVERIFY(desktop.opened.back().port() != url.port());
        QCOMPARE(Fetch(desktop.opened.back()).status, 200);
        QCOMPARE(Fetch(url).status, 0);  // the first folder's server is gone
    }

    void destroyingTheWindowClosesHelp() {
        nemora::test::ConfigHome home;
        test::RecordingHelp help;
        int closed = 0;
        {
            MainDialog dialog({help.Function(), [&closed] { ++closed; }});
            dialog.Initialise(std::nullopt);
        }
        QCOMPARE(closed, 1);
    }

    void loadAndSaveCancelledFromTheProgressDialog() {
        nemora::test::ConfigHome home;
        nemora::test::TempDir dir;
        const std::string page = dir.Write("big.html", nemora::test::HtmlPage(3 << 20, 5));
        test::RecordingHelp help;
        ModalAnswerer answers;
        Window window(help);
        window.dialog.Initialise(std::nullopt);
        Show(window);

        answers.files = {Qs(page)};
        answers.cancelProgress = true;
        window.Button(kLoadButton)->click();
        QCOMPARE(answers.messages.size(), std::size_t{1});
        QCOMPARE(answers.messages.back().text, QStringLiteral("読込みを中止しました"));
        QCOMPARE(answers.messages.back().icon, QMessageBox::Information);
        QVERIFY(!window.State().PageLoaded);
        QVERIFY(!window.Enabled(kPasswordField));
        QVERIFY(window.dialog.Progress() == nullptr);

        answers.files = {Qs(page)};
        window.MenuItem(kLoadCommand)->trigger();
        QVERIFY(window.State().PageLoaded);
        window.Edit(kPasswordField)->setText(QStringLiteral("pw"));
        answers.files = {Qs(dir.File("out"))};
        answers.cancelProgress = true;
        window.MenuItem(kSaveCommand)->trigger();
        QCOMPARE(answers.messages.size(), std::size_t{2});
        QCOMPARE(answers.messages.back().text, QStringLiteral("ファイルの暗号化を中止しました"));
        QCOMPARE(answers.messages.back().icon, QMessageBox::Information);
        QVERIFY(window.Button(kSaveButton)->isDefault());
        QVERIFY(nemora::test::Entries(dir.File("out")).empty());
    }

    void startupFileThatCannotBeOpened() {
        nemora::test::ConfigHome home;
        test::RecordingHelp help;
        ModalAnswerer answers;
        Window window(help);
        window.dialog.Initialise(std::string("/nonexistent/page.html"));
        QCOMPARE(answers.messages.size(), std::size_t{1});
        QCOMPARE(answers.messages.back().text, QStringLiteral("ファイルを開けません"));
        QCOMPARE(answers.messages.back().icon, QMessageBox::Critical);
        QVERIFY(!window.State().PageLoaded);
        QVERIFY(window.State().Path.empty());
    }

    void lifetimeBoxFollowsTypingSelectionAndFocus() {
        nemora::test::ConfigHome home;
        nemora::test::TempDir dir;
        test::RecordingHelp help;
        ModalAnswerer answers;
        Window window(help);
        window.dialog.Initialise(dir.Write("page.html", nemora::test::HtmlPage(3000, 1)));
        Show(window);
        QComboBox* combo = window.Combo();
        QLineEdit* prompt = window.Edit(kPromptField);

        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("0.05"));
        prompt->setFocus();
        QCOMPARE(combo->currentText(), QStringLiteral("5.e-002"));
        QCOMPARE(window.State().CookieKeepDays, 500);
        QVERIFY(window.Enabled(kConfirmBox));

        emit combo->activated(0);
        QCOMPARE(combo->currentText(), QStringLiteral("ブラウザが閉じるまで"));
        QCOMPARE(window.State().CookieKeepDays, 0);
        QVERIFY(!window.Enabled(kConfirmBox));

        // Typing over the list choice offers the confirm box at once; text
        // that is no number gives the list choice back when the field is left.
        combo->setFocus();
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("x"));
        QVERIFY(window.Enabled(kConfirmBox));
        prompt->setFocus();
        QCOMPARE(combo->currentText(), QStringLiteral("ブラウザが閉じるまで"));
        QVERIFY(!window.Enabled(kConfirmBox));

        // The cookie box: its click reaches the logic.
        window.Box(kCookieOnBox)->click();
        QVERIFY(!window.State().CookieOn);
        QVERIFY(!window.Enabled(kCookieKeyField));
        QVERIFY(!window.Enabled(kLifetimeCombo));
        QVERIFY(window.Enabled(kCommentBox));
    }

    // Files dropped on the window: one page loads as Load would; several
    // load the first, saying so; a folder loads nothing, saying why.
    void dropLoadsAPage() {
        nemora::test::ConfigHome home;
        nemora::test::TempDir dir;
        const std::string first = dir.Write("first.html", nemora::test::HtmlPage(3000, 5));
        const std::string second = dir.Write("second.html", nemora::test::HtmlPage(3000, 6));
        const std::string folder = dir.File("folder");
        std::filesystem::create_directories(folder);
        test::RecordingHelp help;
        ModalAnswerer answers;
        Window window(help);
        window.dialog.Initialise(std::nullopt);
        Show(window);

        auto drop = [&](const std::vector<std::string>& paths) {
            QMimeData data;
            QList<QUrl> urls;
            for (const auto& path : paths) urls.append(QUrl::fromLocalFile(Qs(path)));
            data.setUrls(urls);
            const QPointF at(10, 10);
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&window.dialog, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&window.dialog, &dropped);
        };

        drop({folder});
        QVERIFY(!window.State().PageLoaded);
        QCOMPARE(answers.messages.size(), std::size_t{1});
        QVERIFY(answers.messages.back().text.contains(QStringLiteral("nemora-cli lock -r")));

        drop({first});
        QVERIFY(window.State().PageLoaded);
        QVERIFY(window.Edit(kPathField)->text().endsWith(QStringLiteral("/first.html")));
        QCOMPARE(answers.messages.size(), std::size_t{1});
        QCOMPARE(window.dialog.focusWidget(), window.Edit(kPasswordField));

        drop({second, first});
        QCOMPARE(answers.messages.size(), std::size_t{2});
        QVERIFY(answers.messages.back().text.contains(QStringLiteral("second.html")));
        QVERIFY(window.Edit(kPathField)->text().endsWith(QStringLiteral("/second.html")));
    }
};

}  // namespace nemora::app

QTEST_MAIN(nemora::app::MainDialogTest)
#include "MainDialogTest.moc"
