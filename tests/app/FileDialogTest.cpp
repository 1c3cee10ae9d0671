#include <QFile>
#include <QFileSystemModel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/dialogs/CFileDialogWithHelp.h"
#include "app/help/HelpTable.h"
#include "tests/app/RecordingHelp.h"

namespace nemora::app {
namespace {

void Touch(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write("x");
}

}  // namespace

class FileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void filterStrings_data();
    void filterStrings();
    void pageDialog();
    void outputFolderDialog();
    void helpButtonOpensTopicAndLeavesDialogOpen_data();
    void helpButtonOpensTopicAndLeavesDialogOpen();
    void allFilesShowsNamesWithoutDot();

private:
    QTemporaryDir folder_;
};

void FileDialogTest::filterStrings_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("nameFilters");
    QTest::newRow("string 1010")
        << "HTMLファイル(*.htm;*.html)|*.htm;*.html|すべてのファイル(*.*)|*.*||"
        << QStringList{"HTMLファイル(*.htm;*.html) (*.htm *.html)", "すべてのファイル(*.*) (*)"};
    QTest::newRow("string 1011") << "すべてのファイル(*.*)|*.*||"
                                 << QStringList{"すべてのファイル(*.*) (*)"};
    QTest::newRow("without the closing bars") << "Text|*.txt" << QStringList{"Text (*.txt)"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blanks round patterns") << "A|*.a; *.b ||" << QStringList{"A (*.a *.b)"};
}

void FileDialogTest::filterStrings() {
    QFETCH(QString, filter);
    QFETCH(QStringList, nameFilters);
    QCOMPARE(CFileDialogWithHelp::NameFilters(filter), nameFilters);
}

void FileDialogTest::pageDialog() {
    const QString page = folder_.filePath("page.html");
    Touch(page);
    test::RecordingHelp help;
    const auto dialog = CFileDialogWithHelp::ForPage(page, nullptr, help.Function());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("ファイルの読込み"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->HelpContext(), kHelpOpenFileDialog);
    QCOMPARE(dialog->Options(), 0xA4004u | CFileDialogWithHelp::kShowHelp);
    QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(dialog->nameFilters().size(), 2);
    // The patterns are in the display text already; Qt's own copy stays hidden.
    QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("HTMLファイル(*.htm;*.html)"));
    QVERIFY(dialog->defaultSuffix().isEmpty());
    QCOMPARE(dialog->selectedFiles(), QStringList{page});
    QVERIFY(dialog->HelpButton());
    QCOMPARE(dialog->HelpButton()->text(), QStringLiteral("ヘルプ(&H)"));

    dialog->open();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    static_cast<QDialog*>(dialog.get())->accept();  // as the Open button does
    QCOMPARE(dialog->ChosenPath(), page);
}

void FileDialogTest::outputFolderDialog() {
    test::RecordingHelp help;
    const QString proposed = folder_.filePath("page");
    const auto dialog = CFileDialogWithHelp::ForOutputFolder(proposed, nullptr, help.Function());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("保存先フォルダの作成"));
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog->HelpContext(), kHelpOutputFolderDialog);
    QCOMPARE(dialog->Options(), 0xA4006u | CFileDialogWithHelp::kShowHelp);
    QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(dialog->nameFilters(), QStringList{"すべてのファイル(*.*) (*)"});
    QVERIFY(dialog->defaultSuffix().isEmpty());
    QCOMPARE(dialog->selectedFiles(), QStringList{proposed});
    dialog->reject();
    QVERIFY(dialog->ChosenPath().isEmpty());
}

void FileDialogTest::helpButtonOpensTopicAndLeavesDialogOpen_data() {
    QTest::addColumn<bool>("forPage");
    QTest::addColumn<uint>("context");
    QTest::newRow("open-file dialog") << true << uint(kHelpOpenFileDialog);
    QTest::newRow("output-folder dialog") << false << uint(kHelpOutputFolderDialog);
}

void FileDialogTest::helpButtonOpensTopicAndLeavesDialogOpen() {
    QFETCH(bool, forPage);
    QFETCH(uint, context);
    test::RecordingHelp help;
    const auto dialog = forPage
                            ? CFileDialogWithHelp::ForPage({}, nullptr, help.Function())
                            : CFileDialogWithHelp::ForOutputFolder({}, nullptr, help.Function());
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    dialog->open();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::mouseClick(dialog->HelpButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->HelpButton(), Qt::LeftButton);
    QCOMPARE(help.requests.size(), std::size_t{2});
    QCOMPARE(help.requests.front(), (HelpRequest{context, HelpKind::Topic}));
    QVERIFY(dialog->isVisible());
    QCOMPARE(finished.count(), 0);
    dialog->reject();
}

// "*.*" means every file: a name without a dot is listed too.
void FileDialogTest::allFilesShowsNamesWithoutDot() {
    QTemporaryDir site;
    Touch(site.filePath("README"));
    Touch(site.filePath("index.html"));
    test::RecordingHelp help;
    const auto dialog =
        CFileDialogWithHelp::ForPage(site.filePath("index.html"), nullptr, help.Function());
    dialog->SelectFilter(2);
    dialog->open();
    auto* model = dialog->findChild<QFileSystemModel*>();
    QVERIFY(model);
    const QModelIndex folder = model->index(site.path());
    QTRY_COMPARE(model->rowCount(folder), 2);
    const QModelIndex readme = model->index(site.filePath("README"));
    QVERIFY(readme.isValid());
    QVERIFY(model->flags(readme) & Qt::ItemIsEnabled);

    // The first filter leaves it out.
    dialog->SelectFilter(1);
    QTRY_VERIFY(!(model->flags(model->index(site.filePath("README"))) & Qt::ItemIsEnabled) ||
                model->rowCount(folder) == 1);
    dialog->reject();
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::FileDialogTest)
#include "FileDialogTest.moc"
