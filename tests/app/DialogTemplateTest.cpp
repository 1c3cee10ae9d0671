#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>

#include "app/resources/DialogTemplate.h"
#include "app/resources/DialogUnits.h"
#include "app/resources/MenuTemplate.h"
#include "app/resources/MessageBox.h"
#include "app/resources/ResourceText.h"
#include "app/resources/TemplateDialog.h"
#include "res/StringTable.h"

Q_DECLARE_METATYPE(nemora::res::Language)

namespace nemora::app {

class DialogTemplateTest : public QObject {
    Q_OBJECT

private slots:
    void unitsRoundAsThePlatform_data();
    void unitsRoundAsThePlatform();
    void badTemplatesAreRefused_data();
    void badTemplatesAreRefused();
    void everyTemplateBuilds_data();
    void everyTemplateBuilds();
    void mainMenuCarriesCommandIds_data();
    void mainMenuCarriesCommandIds();
    void messageBoxes_data();
    void messageBoxes();
    void buttonsSendTheirCommand();
};

void DialogTemplateTest::unitsRoundAsThePlatform_data() {
    QTest::addColumn<int>("baseX");
    QTest::addColumn<int>("baseY");
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QRect>("pixels");
    // 6 x 13: 1 unit = 1.5 px across, 1.625 px down; halves round up.
    QTest::newRow("halves") << 6 << 13 << QRect(1, 1, 3, 4) << QRect(2, 2, 5, 7);
    QTest::newRow("zero") << 6 << 13 << QRect(0, 0, 0, 0) << QRect(0, 0, 0, 0);
    // Each coordinate and extent on its own: 7 + 7 units do not make 14's pixels.
    QTest::newRow("separately") << 7 << 17 << QRect(7, 7, 7, 7) << QRect(12, 15, 12, 15);
    QTest::newRow("main window") << 7 << 17 << QRect(0, 0, 169, 186) << QRect(0, 0, 296, 395);
}

void DialogTemplateTest::unitsRoundAsThePlatform() {
    QFETCH(int, baseX);
    QFETCH(int, baseY);
    QFETCH(QRect, units);
    QFETCH(QRect, pixels);
    QCOMPARE(DialogUnits(baseX, baseY).Rect(units), pixels);
    QCOMPARE(DialogUnits::MulDiv(-3, 6, 4), -5);  // half away from zero, as the platform
}

void DialogTemplateTest::badTemplatesAreRefused_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not json") << QByteArray("{");
    QTest::newRow("no size") << QByteArray(R"({"id": 5, "controls": []})");
    QTest::newRow("unknown kind") << QByteArray(
        R"({"id": 5, "size": [10, 10], "controls": [{"id": 1, "kind": "slider", "rect": [0,0,1,1]}]})");
    QTest::newRow("id twice") << QByteArray(
        R"({"id": 5, "size": [10, 10], "controls": [{"id": 1, "kind": "edit", "rect": [0,0,1,1]},
                                                    {"id": 1, "kind": "static", "rect": [0,0,1,1]}]})");
    QTest::newRow("short rect") << QByteArray(
        R"({"id": 5, "size": [10, 10], "controls": [{"id": 1, "kind": "edit", "rect": [0,0,1]}]})");
}

void DialogTemplateTest::badTemplatesAreRefused() {
    QFETCH(QByteArray, json);
    QVERIFY(!DialogTemplate::Parse(json));
}

void DialogTemplateTest::everyTemplateBuilds_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<res::Language>("language");
    const std::pair<const char*, int> templates[] = {{"About box", 100},
                                                     {"main window", 102},
                                                     {"progress", 131},
                                                     {"details", 139},
                                                     {"splash", 140}};
    for (const auto& [name, id] : templates) {
        QTest::addRow("%s, Japanese", name) << id << res::Language::Japanese;
        QTest::addRow("%s, English", name) << id << res::Language::English;
    }
}

namespace {

// Hiragana, katakana (half-width too) and kanji: a text left untranslated.
bool HasJapanese(const QString& text) {
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff61}-\\x{ff9f}]"));
    return japanese.match(text).hasMatch();
}

// The room a control's text has: a check box's box and a button's frame take
// their share.
int TextRoom(QWidget* widget) {
    QStyle* style = widget->style();
    if (qobject_cast<QCheckBox*>(widget)) {
        return widget->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) -
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
    }
    if (qobject_cast<QPushButton*>(widget))
        return widget->width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
    if (qobject_cast<QGroupBox*>(widget)) return widget->width() - widget->fontMetrics().height();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        return style
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
            .width();
    }
    return widget->width();
}

}  // namespace

// Every template builds, and each control is where its template puts it, of
// its kind, enabled as the template says, found by its id, and in tab order.
void DialogTemplateTest::everyTemplateBuilds() {
    QFETCH(int, id);
    QFETCH(res::Language, language);
    res::StringTable::SetLanguage(language);
    const auto japaneseAgain =
        qScopeGuard([] { res::StringTable::SetLanguage(res::Language::Japanese); });
    const bool english = language == res::Language::English;
    const std::optional<DialogTemplate> source = DialogTemplate::Load(id);
    QVERIFY(source);

    TemplateDialog dialog;
    QVERIFY(dialog.Build(id));
    const DialogUnits& units = dialog.Units();
    QVERIFY(units.BaseX() > 0 && units.BaseY() > 0);
    QCOMPARE(dialog.Client()->size(), units.Size(source->size));
    // The first installed of the template's families is the dialog's font.
    QString expectedFamily;
    for (const QString& family : source->fontFamilies) {
        if (QFontDatabase::families().contains(family, Qt::CaseInsensitive)) {
            expectedFamily = family;
            break;
        }
    }
    if (!expectedFamily.isEmpty()) QCOMPARE(QFontInfo(dialog.font()).family(), expectedFamily);
    QCOMPARE(dialog.windowTitle(), source->caption);
    QCOMPARE(dialog.MenuBar() != nullptr, source->menu != 0);

    std::vector<QWidget*> tabbable;
    for (const ControlTemplate& control : source->controls) {
        if (control.id == ControlTemplate::kNoId) continue;
        QWidget* widget = dialog.Control(control.id);
        QVERIFY2(widget, qPrintable(QString::number(control.id)));
        QCOMPARE(DialogBuilder::ControlId(widget), std::optional<int>(control.id));
        QCOMPARE(widget->isEnabled(), !control.Has("disabled"));
        const QRect expected = units.Rect(control.rect);
        if (control.kind == "combobox") {
            QCOMPARE(widget->pos(), expected.topLeft());
            QCOMPARE(widget->width(), expected.width());
            QVERIFY(qobject_cast<QComboBox*>(widget));
            QCOMPARE(qobject_cast<QComboBox*>(widget)->count(), control.items.size());
        } else {
            QCOMPARE(widget->geometry(), expected);
        }
        const QString& kind = control.kind;
        if (kind == "edit") QVERIFY(qobject_cast<QLineEdit*>(widget));
        if (kind == "static") QCOMPARE(qobject_cast<QLabel*>(widget)->text(), control.text);
        if (kind == "checkbox") QCOMPARE(qobject_cast<QCheckBox*>(widget)->text(), control.text);
        if (kind == "groupbox") QCOMPARE(qobject_cast<QGroupBox*>(widget)->title(), control.text);
        if (kind == "progressbar") QVERIFY(qobject_cast<QProgressBar*>(widget));
        if (kind.endsWith("pushbutton")) {
            auto* button = qobject_cast<QPushButton*>(widget);
            QVERIFY(button);
            QCOMPARE(button->text(), control.text);
            QCOMPARE(button->isDefault(), kind == "defpushbutton");
        }
        if (english) {
            // Every English text is English, and fits its control uncut.
            QString text = control.text + control.items.join(QString());
            QVERIFY2(!HasJapanese(text), qPrintable(text));
            text = QString(control.text).remove('&').trimmed();
            if (!text.isEmpty() && kind != "edit" && kind != "combobox") {
                QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= TextRoom(widget),
                         qPrintable(text));
            }
            // A list's items show in its field when chosen, unless the field
            // scrolls (the encodings' fixed names).
            for (const QString& item : control.Has("autohscroll") ? QStringList() : control.items) {
                QVERIFY2(widget->fontMetrics().horizontalAdvance(item) <= TextRoom(widget),
                         qPrintable(item));
            }
        }
        if (control.Has("tabstop")) tabbable.push_back(widget);
        if (control.Has("notabstop")) QVERIFY(!(widget->focusPolicy() & Qt::TabFocus));
        if (kind == "button") {
            QCOMPARE(bool(widget->focusPolicy() & Qt::TabFocus), control.Has("tabstop"));
        }
    }
    // Tab goes through the controls in template order.
    for (std::size_t i = 0; i + 1 < tabbable.size(); ++i) {
        QWidget* next = tabbable[i]->nextInFocusChain();
        while (next != tabbable[i + 1] && next != tabbable[i] &&
               std::find(tabbable.begin(), tabbable.end(), next) == tabbable.end()) {
            next = next->nextInFocusChain();
        }
        QCOMPARE(next, tabbable[i + 1]);
    }

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (english) QVERIFY(!HasJapanese(dialog.windowTitle()));
    dialog.grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/template-%1%2.png")
                           .arg(id)
                           .arg(english ? QStringLiteral("-en") : QString()));
}

void DialogTemplateTest::mainMenuCarriesCommandIds_data() {
    QTest::addColumn<res::Language>("language");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Japanese") << res::Language::Japanese
                              << QStringList{"32771 読込み(&O) on",
                                             "32772 暗号化して保存(&A)... grayed",
                                             "32790 ブラウザで開く(&B) grayed",
                                             "32776 詳細(&D)... grayed",
                                             "32777 英語のページを作成(&E) on checkable",
                                             "32773 終了(&X)\tAlt+F4 on",
                                             "57670 目次(&H) on",
                                             "32774 Vostel Nemoraについて(&A)... on"};
    QTest::newRow("English") << res::Language::English
                             << QStringList{"32771 &Load on",
                                            "32772 Encrypt and &Save... grayed",
                                            "32790 Open in &Browser grayed",
                                            "32776 &Details... grayed",
                                            "32777 Publish Pages in &English on checkable",
                                            "32773 E&xit\tAlt+F4 on",
                                            "57670 &Contents on",
                                            "32774 &About Vostel Nemora... on"};
}

void DialogTemplateTest::mainMenuCarriesCommandIds() {
    QFETCH(res::Language, language);
    QFETCH(QStringList, expected);
    res::StringTable::SetLanguage(language);
    const auto japaneseAgain =
        qScopeGuard([] { res::StringTable::SetLanguage(res::Language::Japanese); });
    const std::optional<MenuTemplate> menu = MenuTemplate::Load(130);
    QVERIFY(menu);
    QMenuBar* bar = menu->Build(nullptr);
    std::unique_ptr<QMenuBar> owner(bar);
    QStringList seen;
    for (QAction* top : bar->actions()) {
        for (QAction* item : top->menu()->actions()) {
            if (item->isSeparator()) continue;
            seen.append(QStringLiteral("%1 %2 %3%4")
                            .arg(MenuTemplate::CommandId(item))
                            .arg(item->text())
                            .arg(item->isEnabled() ? "on" : "grayed")
                            .arg(item->isCheckable() ? " checkable" : ""));
        }
    }
    QCOMPARE(seen, expected);
}

void DialogTemplateTest::buttonsSendTheirCommand() {
    TemplateDialog dialog;
    QVERIFY(dialog.Build(102));
    QSignalSpy commands(&dialog, &TemplateDialog::Command);
    dialog.show();
    QTest::mouseClick(dialog.Control(1002), Qt::LeftButton);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.at(0).at(0).toInt(), 1002);
    // A disabled button sends nothing.
    QTest::mouseClick(dialog.Control(1004), Qt::LeftButton);
    QCOMPARE(commands.count(), 1);
}

void DialogTemplateTest::messageBoxes_data() {
    QTest::addColumn<uint>("id");
    QTest::addColumn<int>("icon");
    QTest::newRow("failure") << 2005u << int(QMessageBox::Critical);
    QTest::newRow("folder failure") << 2021u << int(QMessageBox::Critical);
    QTest::newRow("notice") << 3003u << int(QMessageBox::Information);
    QTest::newRow("done") << 3005u << int(QMessageBox::Information);
}

// Every message: caption "Nemora", the string's text, an OK button, and the
// icon by the id's range.
void DialogTemplateTest::messageBoxes() {
    QFETCH(uint, id);
    QFETCH(int, icon);
    QString seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = QStringLiteral("%1|%2|%3|%4")
                   .arg(box->windowTitle(), box->text())
                   .arg(int(box->icon()))
                   .arg(int(box->standardButtons()));
        box->accept();
    });
    MessageBox::Show(nullptr, id);
    QCOMPARE(seen, QStringLiteral("Nemora|%1|%2|%3")
                       .arg(ResourceText(id))
                       .arg(icon)
                       .arg(int(QMessageBox::Ok)));
    QVERIFY(!ResourceText(id).isEmpty());
    // The boundary between failures and notices.
    QCOMPARE(MessageBox::IconFor(3000), QMessageBox::Critical);
    QCOMPARE(MessageBox::IconFor(3001), QMessageBox::Information);
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::DialogTemplateTest)
#include "DialogTemplateTest.moc"
