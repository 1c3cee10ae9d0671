#include <functional>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/Application.h"
#include "app/controls/LogoButton.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/DetailsDialog.h"
#include "res/StringTable.h"
#include "tests/app/RecordingHelp.h"

Q_DECLARE_METATYPE(nemora::res::Language)

namespace nemora::app {
namespace {

// A Details dialog given its values, shown and active.
struct Shown {
    test::RecordingHelp help;
    DetailsDialog dialog{nullptr, help.Function()};

    Shown(const QString& encodeType, std::uint32_t sourceSize = 1000,
          std::uint32_t createdSize = 712, PageForm form = PageForm::Standard) {
        dialog.SetValues(sourceSize, createdSize, encodeType);
        dialog.SetForm(form);
        dialog.show();
        dialog.activateWindow();
    }

    bool Ready() { return Combo() && QTest::qWaitForWindowActive(&dialog); }

    QComboBox* Combo() { return dialog.ControlAs<QComboBox>(DetailsDialog::kEncodeTypeControl); }
    QString Field(int id) { return dialog.ControlAs<QLineEdit>(id)->text(); }

    // Types `text` over the field's whole content, as the user does.
    void Type(const QString& text) {
        QLineEdit* edit = Combo()->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    void Ok() { QTest::mouseClick(dialog.Control(DetailsDialog::kOkControl), Qt::LeftButton); }

    // What the combo shows, and whether the dialog has closed and how.
    QString Seen() {
        return QStringLiteral("field=%1 entry=%2 %3")
            .arg(Combo()->currentText())
            .arg(Combo()->currentIndex())
            .arg(dialog.isVisible()                     ? QStringLiteral("open")
                 : dialog.result() == QDialog::Accepted ? QStringLiteral("ok")
                                                        : QStringLiteral("cancel"));
    }
};

// Answers the next modal box once it is up, with its caption, text and icon.
void AnswerNextMessage(QString* seen) {
    QTimer::singleShot(0, [seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *seen = QStringLiteral("%1|%2|%3").arg(box->windowTitle(), box->text()).arg(box->icon());
        box->accept();
    });
}

const QStringList kShown = {"shift_jis (シフトJIS)", "iso-8859-1 (Latin-1)", "iso-2022-jp (JIS)",
                            "cseucpkdfmtjapanese (EUC-JP)", "UTF8 (Unicode 8ﾋﾞｯﾄ)"};

}  // namespace

class DetailsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LogoButton::SetLogoBitmaps(Application::kLogoBitmaps); }

    void showsTheListSizesAndFocusOnOk_data();
    void showsTheListSizesAndFocusOnOk();
    void namesTheFormASaveWrites_data();
    void namesTheFormASaveWrites();
    void nameSelectsItsEntry_data();
    void nameSelectsItsEntry();
    void entryGivesItsStoredName();
    void typedNameIsKeptAsTyped_data();
    void typedNameIsKeptAsTyped();
    void emptyNameFallsBackAndStaysOpen();
    void tooLongNameIsRefusedWithMessage();
    void escAndCloseCancel();
    void runsModally();
    void logoOpensAboutBox();
    void helpUsesTheDetailsTable();
    void listIsWideEnoughForItsEntries_data();
    void listIsWideEnoughForItsEntries();
};

void DetailsDialogTest::showsTheListSizesAndFocusOnOk_data() {
    QTest::addColumn<uint>("sourceSize");
    QTest::addColumn<uint>("createdSize");
    QTest::newRow("zero") << 0u << 0u;
    QTest::newRow("largest") << 4294967295u << 4294967295u;
    QTest::newRow("mixed") << 0u << 4294967295u;
}

void DetailsDialogTest::showsTheListSizesAndFocusOnOk() {
    QFETCH(uint, sourceSize);
    QFETCH(uint, createdSize);
    Shown shown("shift_jis", sourceSize, createdSize);
    QVERIFY(shown.Ready());
    QCOMPARE(shown.dialog.windowTitle(), QStringLiteral("詳細"));
    QStringList items;
    for (int i = 0; i < shown.Combo()->count(); ++i) items.append(shown.Combo()->itemText(i));
    QCOMPARE(items, kShown);
    QCOMPARE(shown.Field(DetailsDialog::kSourceSizeControl), QString::number(sourceSize));
    QCOMPARE(shown.Field(DetailsDialog::kCreatedSizeControl), QString::number(createdSize));
    QCOMPARE(QApplication::focusWidget(), shown.dialog.Control(DetailsDialog::kOkControl));
    auto* logo = shown.dialog.ControlAs<LogoButton>(DetailsDialog::kLogoControl);
    QVERIFY(logo && logo->isEnabled());
    QCOMPARE(logo->GetAlignment(), LogoButton::Alignment::Left);
    // Its template makes it no tab stop (the main window's logo is one).
    QVERIFY(!(logo->focusPolicy() & Qt::TabFocus));

    shown.Ok();
    QCOMPARE(shown.Seen(), QStringLiteral("field=shift_jis (シフトJIS) entry=0 ok"));
    // The sizes are read back unchanged.
    QCOMPARE(shown.dialog.SourceSize(), sourceSize);
    QCOMPARE(shown.dialog.CreatedSize(), createdSize);
    if (sourceSize == 0 && createdSize == 4294967295u) {
        Shown again("UTF8", 0, 4294967295u);
        QVERIFY(again.Ready());
        again.dialog.grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/details.png"));
    }
}

void DetailsDialogTest::namesTheFormASaveWrites_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("line");
    QTest::newRow("standard") << int(PageForm::Standard) << "保存形式: 標準";
    QTest::newRow("strong") << int(PageForm::Strong)
                            << "保存形式: 強力 (Argon2id + XChaCha20-Poly1305)";
}

void DetailsDialogTest::namesTheFormASaveWrites() {
    QFETCH(int, form);
    QFETCH(QString, line);
    Shown shown("shift_jis", 1000, 712, PageForm(form));
    QVERIFY(shown.Ready());
    auto* label = shown.dialog.ControlAs<QLabel>(DetailsDialog::kFormControl);
    QVERIFY(label);
    QCOMPARE(label->text(), line);
    // Whole, within the lines its template leaves it.
    QVERIFY(label->heightForWidth(label->width()) <= label->height());
    if (PageForm(form) == PageForm::Strong) {
        shown.dialog.grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/details-strong.png"));
    }
}

void DetailsDialogTest::nameSelectsItsEntry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("stored");
    QTest::newRow("UTF8") << "UTF8" << 4 << "UTF8";
    QTest::newRow("lower-case utf8") << "utf8" << 4 << "UTF8";
    QTest::newRow("iso: the first entry it begins") << "iso" << 1 << "iso-8859-1";
    QTest::newRow("empty") << "" << 0 << "shift_jis";
    QTest::newRow("upper-case SHIFT_JIS") << "SHIFT_JIS" << 0 << "shift_jis";
    QTest::newRow("iso-2022-jp") << "iso-2022-jp" << 2 << "iso-2022-jp";
    QTest::newRow("cseucpkdfmtjapanese") << "cseucpkdfmtjapanese" << 3 << "cseucpkdfmtjapanese";
    QTest::newRow("a shown text") << "UTF8 (Unicode 8ﾋﾞｯﾄ)" << 4 << "UTF8";
    QTest::newRow("euc-kr: no entry") << "euc-kr" << -1 << "euc-kr";
    QTest::newRow("longer than an entry's name") << "shift_jis2" << -1 << "shift_jis2";
}

// A name picks the entry it begins, or stands in the field with no entry
// selected; OK then gives the entry's stored name, or the name unchanged.
void DetailsDialogTest::nameSelectsItsEntry() {
    QFETCH(QString, name);
    QFETCH(int, entry);
    QFETCH(QString, stored);
    Shown shown(name);
    QVERIFY(shown.Ready());
    const QString field = entry < 0 ? name : kShown[entry];
    QCOMPARE(shown.Seen(), QStringLiteral("field=%1 entry=%2 open").arg(field).arg(entry));
    // Until OK, the member holds what the field shows.
    QCOMPARE(shown.dialog.EncodeType(), field);
    shown.Ok();
    QVERIFY(!shown.dialog.isVisible());
    QCOMPARE(shown.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(shown.dialog.EncodeType(), stored);
}

// Chosen from the list, by keyboard or from the popup, an entry gives its
// bare name, never its description.
void DetailsDialogTest::entryGivesItsStoredName() {
    for (int entry = 0; entry < 5; ++entry) {
        Shown shown("shift_jis");
        QVERIFY(shown.Ready());
        shown.Combo()->setFocus();
        for (int step = 0; step < entry; ++step) QTest::keyClick(shown.Combo(), Qt::Key_Down);
        QCOMPARE(shown.Combo()->currentText(), kShown[entry]);
        shown.Ok();
        QCOMPARE(shown.dialog.EncodeType(), QLatin1String(DetailsDialog::kEncodeTypes[entry]));
    }
    Shown shown("euc-kr");
    QVERIFY(shown.Ready());
    shown.Combo()->showPopup();
    QAbstractItemView* list = shown.Combo()->view();
    QTRY_VERIFY(list->isVisible());
    const QRect item = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(shown.Combo()->currentText(), kShown[2]);
    shown.Ok();
    QCOMPARE(shown.dialog.EncodeType(), QStringLiteral("iso-2022-jp"));
}

void DetailsDialogTest::typedNameIsKeptAsTyped_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");
    QTest::newRow("name no entry begins") << "shift_jis"
                                          << "euc-kr";
    // Typed over a selected entry: the typed text counts, not the entry.
    QTest::newRow("over an entry") << "UTF8"
                                   << "euc-kr";
    // Not completed to the entry it begins.
    QTest::newRow("beginning of an entry") << "UTF8"
                                           << "iso";
    QTest::newRow("256 characters") << "shift_jis" << QString(256, u'x');
}

void DetailsDialogTest::typedNameIsKeptAsTyped() {
    QFETCH(QString, start);
    QFETCH(QString, typed);
    {
        Shown shown(start);
        QVERIFY(shown.Ready());
        shown.Type(typed);
        shown.Ok();
        QCOMPARE(
            shown.Seen(),
            QStringLiteral("field=%1 entry=%2 ok").arg(typed).arg(shown.Combo()->currentIndex()));
        QCOMPARE(shown.dialog.EncodeType(), typed);
    }
    {
        // Enter in the field is OK, and adds nothing to the list.
        Shown shown(start);
        QVERIFY(shown.Ready());
        shown.Type(typed);
        QTest::keyClick(shown.Combo()->lineEdit(), Qt::Key_Return);
        QVERIFY(!shown.dialog.isVisible());
        QCOMPARE(shown.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(shown.dialog.EncodeType(), typed);
        QCOMPARE(shown.Combo()->count(), 5);
    }
}

// Clearing the field and pressing OK falls back to the first entry and keeps
// the dialog open; a second OK accepts it.
void DetailsDialogTest::emptyNameFallsBackAndStaysOpen() {
    Shown shown("UTF8");
    QVERIFY(shown.Ready());
    shown.Type("");
    QString message;
    AnswerNextMessage(&message);
    shown.Ok();
    QCOMPARE(shown.Seen(), QStringLiteral("field=shift_jis (シフトJIS) entry=0 open"));
    QCOMPARE(shown.dialog.EncodeType(), kShown[0]);
    QCoreApplication::processEvents();
    QVERIFY(message.isEmpty());  // no message for an empty name
    shown.Ok();
    QCOMPARE(shown.Seen(), QStringLiteral("field=shift_jis (シフトJIS) entry=0 ok"));
    QCOMPARE(shown.dialog.EncodeType(), QStringLiteral("shift_jis"));
}

void DetailsDialogTest::tooLongNameIsRefusedWithMessage() {
    Shown shown("euc-kr");
    QVERIFY(shown.Ready());
    const QString tooLong(257, u'x');
    shown.Type(tooLong);
    QString message;
    AnswerNextMessage(&message);
    shown.Ok();
    QCOMPARE(message, QStringLiteral("Nemora|256 文字以内で入力してください。|%1")
                          .arg(int(QMessageBox::Warning)));
    QCOMPARE(shown.Seen(), QStringLiteral("field=shift_jis (シフトJIS) entry=0 open"));
    shown.Ok();
    QCOMPARE(shown.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(shown.dialog.EncodeType(), QStringLiteral("shift_jis"));
}

void DetailsDialogTest::escAndCloseCancel() {
    for (bool viaClose : {false, true}) {
        Shown shown("UTF8");
        QVERIFY(shown.Ready());
        shown.Type("euc-kr");
        if (viaClose) {
            shown.dialog.close();
        } else {
            QTest::keyClick(shown.Combo()->lineEdit(), Qt::Key_Escape);
        }
        QVERIFY(!shown.dialog.isVisible());
        QCOMPARE(shown.dialog.result(), int(QDialog::Rejected));
    }
}

// exec() runs the dialog, initialised from its values at each run.
void DetailsDialogTest::runsModally() {
    test::RecordingHelp help;
    DetailsDialog dialog(nullptr, help.Function());
    dialog.SetValues(10, 20, "utf8");
    QString shownText;
    QTimer::singleShot(0, [&] {
        auto* combo = dialog.ControlAs<QComboBox>(DetailsDialog::kEncodeTypeControl);
        shownText = combo->currentText();
        QTest::mouseClick(dialog.Control(DetailsDialog::kOkControl), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(shownText, kShown[4]);
    QCOMPARE(dialog.EncodeType(), QStringLiteral("UTF8"));

    dialog.SetValues(10, 20, "iso-2022-jp");
    QTimer::singleShot(0, [&] {
        auto* combo = dialog.ControlAs<QComboBox>(DetailsDialog::kEncodeTypeControl);
        shownText = combo->currentText();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(shownText, kShown[2]);
}

void DetailsDialogTest::logoOpensAboutBox() {
    Shown shown("shift_jis");
    QVERIFY(shown.Ready());
    auto* logo = shown.dialog.ControlAs<LogoButton>(DetailsDialog::kLogoControl);
    QVERIFY(logo->BitmapId() != LogoButton::kNone);
    QString opened;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        if (!about) return;
        opened = about->windowTitle();
        about->reject();
    });
    QTest::mouseClick(logo, Qt::LeftButton, {}, logo->DrawRect().center());
    QCOMPARE(opened, QStringLiteral("About Vostel Nemora"));
    QVERIFY(shown.dialog.isVisible());
}

void DetailsDialogTest::helpUsesTheDetailsTable() {
    Shown shown("shift_jis");
    QVERIFY(shown.Ready());
    shown.Combo()->lineEdit()->setFocus();
    QTest::keyClick(shown.Combo()->lineEdit(), Qt::Key_F1);
    QTest::keyClick(shown.dialog.Control(DetailsDialog::kOkControl), Qt::Key_F1);
    const std::vector<HelpRequest> expected = {{772, HelpKind::Popup}, {773, HelpKind::Popup}};
    QCOMPARE(shown.help.requests, expected);
}

void DetailsDialogTest::listIsWideEnoughForItsEntries_data() {
    QTest::addColumn<res::Language>("language");
    QTest::newRow("Japanese") << res::Language::Japanese;
    QTest::newRow("English") << res::Language::English;
}

// The dropped-down list shows every entry whole, however narrow the field.
void DetailsDialogTest::listIsWideEnoughForItsEntries() {
    QFETCH(res::Language, language);
    res::StringTable::SetLanguage(language);
    const auto japaneseAgain =
        qScopeGuard([] { res::StringTable::SetLanguage(res::Language::Japanese); });
    Shown shown("shift_jis");
    QVERIFY(shown.Ready());
    QComboBox* combo = shown.Combo();
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    QTRY_VERIFY(list->isVisible());
    for (int i = 0; i < combo->count(); ++i) {
        const QModelIndex entry = list->model()->index(i, 0);
        QVERIFY2(list->sizeHintForIndex(entry).width() <= list->viewport()->width(),
                 qPrintable(combo->itemText(i)));
        QVERIFY2(list->fontMetrics().horizontalAdvance(combo->itemText(i)) <
                     list->visualRect(entry).width(),
                 qPrintable(combo->itemText(i)));
    }
    list->window()->grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/details-list%1.png")
                                    .arg(language == res::Language::English ? "-en" : ""));
    combo->hidePopup();
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::DetailsDialogTest)
#include "DetailsDialogTest.moc"
