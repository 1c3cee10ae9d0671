#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWhatsThis>

#include "app/Application.h"
#include "app/controls/LogoButton.h"
#include "app/dialogs/Attachments.h"
#include "app/help/ContextHelp.h"
#include "app/help/HelpTable.h"
#include "app/resources/MenuTemplate.h"
#include "app/resources/TemplateDialog.h"
#include "tests/app/RecordingHelp.h"

namespace nemora::app {
namespace {

// A window built from its template, with its context help, shown and active.
struct HelpedWindow {
    TemplateDialog dialog;
    test::RecordingHelp help;

    HelpedWindow(int templateId, const HelpTable& table) {
        if (!dialog.Build(templateId, {{1049, LogoButtonAttachment()}})) return;
        auto* contextHelp = new ContextHelp(&dialog, table, help.Function());
        contextHelp->WatchMenus(dialog.MenuBar());
        dialog.show();
        dialog.activateWindow();
    }

    bool Ready() { return dialog.Client() && QTest::qWaitForWindowActive(&dialog); }

    // A click on `target` in the What's This mode.
    std::optional<HelpRequest> WhatsThis(QWidget* target, QPoint at) {
        help.requests.clear();
        QWhatsThis::enterWhatsThisMode();
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
        if (help.requests.size() != 1) return std::nullopt;
        return help.requests.front();
    }

    // F1 with the focus on `target`.
    std::optional<HelpRequest> F1(QWidget* target) {
        help.requests.clear();
        target->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        if (help.requests.size() != 1) return std::nullopt;
        return help.requests.front();
    }
};

void AddRows(const HelpTable& table) {
    for (const HelpRow& row : table.controls) {
        QTest::addRow("control %u", row.id) << int(row.id) << uint(row.context);
    }
}

}  // namespace

class ContextHelpTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LogoButton::SetLogoBitmaps(Application::kLogoBitmaps); }

    void mainWindowControls_data();
    void mainWindowControls();
    void mainWindowBackgroundOpensItsTopic();
    void mainWindowMenuItems_data();
    void mainWindowMenuItems();
    void detailsControls_data();
    void detailsControls();
    void detailsAnswersEveryRequestFromItsControlTable();
    void shiftF1EntersWhatsThisMode();
};

void ContextHelpTest::mainWindowControls_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<uint>("context");
    AddRows(kMainWindowHelp);
}

// What's This over the control as the template makes it (most are
// disabled at first), then F1 with the focus on it where it can take the focus.
void ContextHelpTest::mainWindowControls() {
    QFETCH(int, id);
    QFETCH(uint, context);
    HelpedWindow window(102, kMainWindowHelp);
    QVERIFY(window.Ready());
    QWidget* control = window.dialog.Control(id);
    QVERIFY(control);
    const HelpRequest popup{context, HelpKind::Popup};

    QCOMPARE(window.WhatsThis(control, QPoint(2, control->height() - 2)), popup);
    control->setEnabled(true);
    if (control->focusPolicy() & Qt::TabFocus) QCOMPARE(window.F1(control), popup);
}

void ContextHelpTest::mainWindowBackgroundOpensItsTopic() {
    HelpedWindow window(102, kMainWindowHelp);
    QVERIFY(window.Ready());
    const HelpRequest topic{513, HelpKind::Topic};
    // Between the password label and the group boxes: no control there.
    const QPoint gap = window.dialog.Units().Rect(QRect(2, 31, 1, 1)).topLeft();
    QCOMPARE(window.dialog.Client()->childAt(gap), nullptr);
    QCOMPARE(window.WhatsThis(window.dialog.Client(), gap), topic);
    window.help.requests.clear();
    window.dialog.setFocus();
    QTest::keyClick(&window.dialog, Qt::Key_F1);
    QCOMPARE(window.help.requests.size(), std::size_t{1});
    QCOMPARE(window.help.requests.front(), topic);
}

void ContextHelpTest::mainWindowMenuItems_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<uint>("context");
    QTest::addColumn<int>("kind");
    for (const HelpRow& row : kMainWindowHelp.menuItems) {
        QTest::addRow("item %u", row.id)
            << int(row.id) << uint(row.context) << int(HelpKind::Popup);
    }
    QTest::newRow("no item highlighted") << 0 << 513u << int(HelpKind::Topic);
}

// F1 while the item is highlighted in its open menu, grayed items included.
void ContextHelpTest::mainWindowMenuItems() {
    QFETCH(int, command);
    QFETCH(uint, context);
    QFETCH(int, kind);
    HelpedWindow window(102, kMainWindowHelp);
    QVERIFY(window.Ready());
    QVERIFY(window.dialog.MenuBar());

    QMenu* menu = nullptr;
    QAction* item = nullptr;
    for (QAction* top : window.dialog.MenuBar()->actions()) {
        for (QAction* action : top->menu()->actions()) {
            if (!menu || MenuTemplate::CommandId(action) == command) menu = top->menu();
            if (MenuTemplate::CommandId(action) == command && command != 0) item = action;
        }
        if (item) break;
    }
    QVERIFY(menu);
    menu->popup(window.dialog.mapToGlobal(QPoint(0, 0)));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    if (item) {
        // Whether a grayed item can be highlighted is the style's choice;
        // the lookup is the same for it.
        item->setEnabled(true);
        menu->setActiveAction(item);
    }
    QCOMPARE(menu->activeAction(), item);
    window.help.requests.clear();
    QTest::keyClick(menu, Qt::Key_F1);
    QCOMPARE(window.help.requests.size(), std::size_t{1});
    QCOMPARE(window.help.requests.front(), (HelpRequest{context, static_cast<HelpKind>(kind)}));
    menu->close();
}

void ContextHelpTest::detailsControls_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<uint>("context");
    AddRows(kDetailsHelp);
}

void ContextHelpTest::detailsControls() {
    QFETCH(int, id);
    QFETCH(uint, context);
    HelpedWindow window(139, kDetailsHelp);
    QVERIFY(window.Ready());
    QWidget* control = window.dialog.Control(id);
    QVERIFY(control);
    const HelpRequest popup{context, HelpKind::Popup};
    QCOMPARE(window.WhatsThis(control, QPoint(2, control->height() - 2)), popup);
    if (control->focusPolicy() & Qt::TabFocus) QCOMPARE(window.F1(control), popup);
}

void ContextHelpTest::detailsAnswersEveryRequestFromItsControlTable() {
    HelpedWindow window(139, kDetailsHelp);
    QVERIFY(window.Ready());
    const QPoint gap = window.dialog.Units().Rect(QRect(3, 55, 1, 1)).topLeft();
    QCOMPARE(window.dialog.Client()->childAt(gap), nullptr);
    QCOMPARE(window.WhatsThis(window.dialog.Client(), gap), (HelpRequest{769, HelpKind::Topic}));
    // A menu-item request is looked up among the controls as well.
    QCOMPARE(kDetailsHelp.Lookup(HelpTarget::MenuItem, 1055), (HelpRequest{772, HelpKind::Popup}));
    QCOMPARE(kDetailsHelp.Lookup(HelpTarget::MenuItem, 32776), (HelpRequest{769, HelpKind::Topic}));
    QCOMPARE(kMainWindowHelp.Lookup(HelpTarget::MenuItem, 1002),
             (HelpRequest{513, HelpKind::Topic}));
    QCOMPARE(kAboutHelp.Lookup(HelpTarget::Control, 1), (HelpRequest{257, HelpKind::Topic}));
}

void ContextHelpTest::shiftF1EntersWhatsThisMode() {
    HelpedWindow window(102, kMainWindowHelp);
    QVERIFY(window.Ready());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QVERIFY(window.help.requests.empty());
    // The click on the password label shows the password field's popup.
    QTest::mouseClick(window.dialog.Control(1041), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(window.help.requests.size(), std::size_t{1});
    QCOMPARE(window.help.requests.front(), (HelpRequest{515, HelpKind::Popup}));
    QTRY_VERIFY(!QWhatsThis::inWhatsThisMode());
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::ContextHelpTest)
#include "ContextHelpTest.moc"
