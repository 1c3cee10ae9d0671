#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include "app/help/HelpFile.h"
#include "app/help/HelpTable.h"
#include "app/help/HelpViewer.h"

namespace nemora::app {

class HelpViewerTest : public QObject {
    Q_OBJECT

private slots:
    void helpFileHasEveryTopic_data();
    void helpFileHasEveryTopic();
    void englishHelpMatchesTheJapanese();
    void englishReaderLooksForEnglishHelpFirst();
    void helpFileIsNamedAfterTheExecutable_data();
    void helpFileIsNamedAfterTheExecutable();
    void installedBuildAlsoLooksInDataFolder();
    void badHelpFilesAreRefused_data();
    void badHelpFilesAreRefused();
    void topicOpensWindowAtTopicAndFollowsLinks();
    void popupShowsShortTextBesidePointer();
    void missingFileOrTopicCannotBeShown();

private:
    QTemporaryDir folder_;
};

void HelpViewerTest::helpFileHasEveryTopic_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("Japanese") << QStringLiteral(NEMORA_HELP_SOURCE);
    QTest::newRow("English") << QStringLiteral(NEMORA_HELP_SOURCE_EN);
}

// Every context number that a request can name has a topic with a title
// and a short text, and every link leads to a topic.
void HelpViewerTest::helpFileHasEveryTopic() {
    QFETCH(QString, path);
    const std::optional<HelpFile> file = HelpFile::Load(path);
    QVERIFY(file);
    QVERIFY(!file->Title().isEmpty());
    std::vector<std::uint32_t> contexts = {kHelpContents,
                                           kHelpLogo,
                                           kHelpAbout,
                                           kHelpOpenFileDialog,
                                           kHelpOutputFolderDialog,
                                           kMainWindowHelp.otherTopic,
                                           kDetailsHelp.otherTopic};
    for (const HelpTable* table : {&kMainWindowHelp, &kDetailsHelp}) {
        for (const HelpRow& row : table->controls) contexts.push_back(row.context);
        for (const HelpRow& row : table->menuItems) contexts.push_back(row.context);
    }
    for (const std::uint32_t context : contexts) {
        const HelpFile::Topic* topic = file->Find(context);
        QVERIFY2(topic, qPrintable(QString::number(context)));
        QVERIFY(!topic->title.isEmpty());
        QVERIFY(!topic->shortText.isEmpty());
        QVERIFY(!topic->shortText.contains(QStringLiteral("\n\n")));
    }
    static const QRegularExpression link(QStringLiteral("\\(topic:(\\d+)\\)"));
    for (const auto& [context, topic] : file->Topics()) {
        for (const QRegularExpressionMatch& match : link.globalMatch(topic.text)) {
            QVERIFY2(file->Find(match.captured(1).toUInt()),
                     qPrintable(QStringLiteral("%1 -> %2").arg(context).arg(match.captured(1))));
        }
    }
}

// The English help tells the same story: the same topics, each with the
// same links in the same order.
void HelpViewerTest::englishHelpMatchesTheJapanese() {
    const std::optional<HelpFile> japanese = HelpFile::Load(QStringLiteral(NEMORA_HELP_SOURCE));
    const std::optional<HelpFile> english = HelpFile::Load(QStringLiteral(NEMORA_HELP_SOURCE_EN));
    QVERIFY(japanese && english);
    const auto shape = [](const HelpFile& file) {
        static const QRegularExpression link(QStringLiteral("\\(topic:(\\d+)\\)"));
        QStringList topics;
        for (const auto& [context, topic] : file.Topics()) {
            QStringList links;
            for (const QRegularExpressionMatch& match : link.globalMatch(topic.text))
                links.append(match.captured(1));
            topics.append(QStringLiteral("%1: %2").arg(context).arg(links.join(',')));
        }
        return topics;
    };
    QCOMPARE(shape(*english), shape(*japanese));
    static const QRegularExpression japaneseText(
        QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"));
    for (const auto& [context, topic] : english->Topics()) {
        QVERIFY2(!japaneseText.match(topic.title + topic.text).hasMatch(),
                 qPrintable(QString::number(context)));
    }
}

void HelpViewerTest::englishReaderLooksForEnglishHelpFirst() {
    const QStringList places{"/usr/bin/nemora.HLP", "/usr/share/nemora/nemora.HLP"};
    QCOMPARE(HelpFile::ForLanguage(places, res::Language::Japanese), places);
    QCOMPARE(HelpFile::ForLanguage(places, res::Language::English),
             (QStringList{"/usr/bin/nemora.en.HLP", "/usr/share/nemora/nemora.en.HLP",
                          "/usr/bin/nemora.HLP", "/usr/share/nemora/nemora.HLP"}));
}

void HelpViewerTest::helpFileIsNamedAfterTheExecutable_data() {
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("help");
    QTest::newRow("no extension") << "/usr/bin/nemora"
                                  << "/usr/bin/nemora.HLP";
    QTest::newRow("extension replaced") << "/opt/n/nemora.bin"
                                        << "/opt/n/nemora.HLP";
    QTest::newRow("another name") << "/home/a/bin/locker"
                                  << "/home/a/bin/locker.HLP";
    QTest::newRow("last dot only") << "/x/nemora-1.2"
                                   << "/x/nemora-1.HLP";
    QTest::newRow("dot in a folder does not count") << "/a.b/nemora"
                                                    << "/a.b/nemora.HLP";
}

void HelpViewerTest::helpFileIsNamedAfterTheExecutable() {
    QFETCH(QString, executable);
    QFETCH(QString, help);
    QCOMPARE(HelpFile::PathFor(executable), help);
}

void HelpViewerTest::installedBuildAlsoLooksInDataFolder() {
    QCOMPARE(HelpFile::Candidates("/usr/bin/nemora", {"/usr/share/nemora"}),
             (QStringList{"/usr/bin/nemora.HLP", "/usr/share/nemora/nemora.HLP"}));
    QCOMPARE(HelpFile::Candidates("/usr/bin/nemora", {""}), QStringList{"/usr/bin/nemora.HLP"});
    // A package unpacked under another folder finds its own data folder
    // first; the same folder named twice is looked in once.
    QCOMPARE(HelpFile::Candidates("/tmp/x/usr/bin/nemora",
                                  {"/tmp/x/usr/bin/../share/nemora", "/usr/share/nemora"}),
             (QStringList{"/tmp/x/usr/bin/nemora.HLP", "/tmp/x/usr/share/nemora/nemora.HLP",
                          "/usr/share/nemora/nemora.HLP"}));
    QCOMPARE(
        HelpFile::Candidates("/usr/bin/nemora", {"/usr/bin/../share/nemora", "/usr/share/nemora"}),
        (QStringList{"/usr/bin/nemora.HLP", "/usr/share/nemora/nemora.HLP"}));
}

void HelpViewerTest::badHelpFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("no topic") << QByteArray("title: x\n# only a comment\n");
    QTest::newRow("text before the first topic") << QByteArray("stray\n@ 1 a\nb\n");
    QTest::newRow("context twice") << QByteArray("@ 1 a\nb\n@ 1 c\nd\n");
}

void HelpViewerTest::badHelpFilesAreRefused() {
    QFETCH(QByteArray, text);
    QVERIFY(!HelpFile::Parse(text));
}

void HelpViewerTest::topicOpensWindowAtTopicAndFollowsLinks() {
    HelpViewer viewer({folder_.filePath("missing.HLP"), QStringLiteral(NEMORA_HELP_SOURCE)});
    QVERIFY(viewer.Show(kHelpContents, HelpKind::Topic, nullptr));
    HelpWindow* window = viewer.Window();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Vostel Nemora ヘルプ"));
    QCOMPARE(window->CurrentTopic(), kHelpContents);
    QVERIFY(window->Browser()->toPlainText().startsWith(QStringLiteral("目次")));

    // A second request reuses the window at the new topic.
    QVERIFY(viewer.Show(520, HelpKind::Topic, nullptr));
    QCOMPARE(viewer.Window(), window);
    QCOMPARE(window->CurrentTopic(), 520u);
    QVERIFY(window->Browser()->toPlainText().contains(QStringLiteral("読込み")));
    window->grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/help-window.png"));

    emit window->Browser()->anchorClicked(QUrl(QStringLiteral("topic:515")));
    QCOMPARE(window->CurrentTopic(), 515u);

    viewer.Close();
    QVERIFY(!viewer.Window());
}

void HelpViewerTest::popupShowsShortTextBesidePointer() {
    HelpViewer viewer({QStringLiteral(NEMORA_HELP_SOURCE)});
    const std::optional<HelpFile> file = HelpFile::Load(QStringLiteral(NEMORA_HELP_SOURCE));
    QVERIFY(file);
    QCursor::setPos(200, 150);
    QVERIFY(viewer.Show(515, HelpKind::Popup, nullptr));
    HelpPopup* popup = viewer.Popup();
    QVERIFY(popup && popup->isVisible());
    QVERIFY(popup->text().contains(file->Find(515)->title));
    QVERIFY(popup->text().contains(file->Find(515)->shortText));
    QVERIFY(!popup->text().contains(
        QStringLiteral("入力した文字はそのまま")));  // only the first paragraph
    QVERIFY(!viewer.Window());
    popup->grab().save(QStringLiteral(NEMORA_TEST_OUTPUT "/help-popup.png"));
    // Near the pointer.
    QVERIFY((popup->geometry().topLeft() - QPoint(200, 150)).manhattanLength() < 40);

    // The next popup replaces it; a key closes it.
    const QPointer<HelpPopup> first(popup);
    QVERIFY(viewer.Show(516, HelpKind::Popup, nullptr));
    QTRY_VERIFY(!first);
    QTest::keyClick(viewer.Popup(), Qt::Key_Escape);
    QTRY_VERIFY(!viewer.Popup());
}

void HelpViewerTest::missingFileOrTopicCannotBeShown() {
    HelpViewer nothing({folder_.filePath("nemora.HLP")});
    QVERIFY(!nothing.Show(kHelpContents, HelpKind::Topic, nullptr));
    QVERIFY(!nothing.Show(515, HelpKind::Popup, nullptr));

    QFile file(folder_.filePath("broken.HLP"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("@ 1 contents\nonly this topic\n");
    file.close();
    HelpViewer partial({file.fileName()});
    QVERIFY(partial.Show(kHelpContents, HelpKind::Topic, nullptr));
    QVERIFY(!partial.Show(520, HelpKind::Popup, nullptr));
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::HelpViewerTest)
#include "HelpViewerTest.moc"
