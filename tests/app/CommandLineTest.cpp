#include <QTest>

#include "app/shell/CommandLine.h"
#include "app/shell/LanguageSwitch.h"

namespace nemora::app {
namespace {

using CodePage = CommandLine::CodePage;
constexpr std::uint32_t N = CommandLine::kNoSplash;
constexpr std::uint32_t R = CommandLine::kCleanUp;

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void scan_data();
    void scan();
    void joinQuotesWhatHoldsBlanks_data();
    void joinQuotesWhatHoldsBlanks();
    void joinedArgumentsScanBack();
    void languageSwitchIsTakenOut_data();
    void languageSwitchIsTakenOut();
};

void CommandLineTest::scan_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<QByteArray>("file");

    const int single = static_cast<int>(CodePage::SingleByte);
    const int utf8 = static_cast<int>(CodePage::Utf8);
    const int cp932 = static_cast<int>(CodePage::Cp932);

    QTest::newRow("empty") << QByteArray("") << single << 0u << false << QByteArray();
    QTest::newRow("blanks only") << QByteArray("   ") << single << 0u << false << QByteArray();
    QTest::newRow("/N") << QByteArray("/N") << single << N << false << QByteArray();
    QTest::newRow("/r") << QByteArray("/r") << single << R << false << QByteArray();
    QTest::newRow("n then r without a blank")
        << QByteArray("/n/r") << single << (N | R) << false << QByteArray();
    QTest::newRow("quoted path with blanks, then /N")
        << QByteArray("\"/home/a/My Pages/top page.html\" /N") << single << N << true
        << QByteArray("/home/a/My Pages/top page.html");
    QTest::newRow("path then a further word")
        << QByteArray("page.html other") << single << 0u << true << QByteArray("page.html");
    QTest::newRow("quote never closed") << QByteArray("\"/a b/c d.html /N") << single << 0u << true
                                        << QByteArray("/a b/c d.html /N");
    QTest::newRow("switch after the file")
        << QByteArray("page.html /R") << single << R << true << QByteArray("page.html");
    QTest::newRow("switch ended by a quote")
        << QByteArray("/N\"a b.html\"") << single << N << true << QByteArray("a b.html");
    QTest::newRow("other letter is an argument")
        << QByteArray("/x /N") << single << N << true << QByteArray("/x");
    QTest::newRow("letter followed by more is an argument")
        << QByteArray("/Nemora/page.html") << single << 0u << true
        << QByteArray("/Nemora/page.html");
    QTest::newRow("lone slash after a switch")
        << QByteArray("/N/") << single << N << true << QByteArray("/");
    QTest::newRow("slash at the end") << QByteArray("/") << single << 0u << true << QByteArray("/");
    QTest::newRow("switches on both sides, second argument ignored")
        << QByteArray("/n  first.html second.html /r") << single << (N | R) << true
        << QByteArray("first.html");
    QTest::newRow("switch glued after a file stays in it")
        << QByteArray("a.html/N") << single << 0u << true << QByteArray("a.html/N");
    QTest::newRow("empty quotes take the file")
        << QByteArray("\"\" b.html") << single << 0u << true << QByteArray("");
    // A multibyte character is stepped over whole: its bytes are never taken
    // for a blank or a double quote.
    QTest::newRow("UTF-8 name before a blank") << QByteArray("\xe3\x81\x82.html /N") << utf8 << N
                                               << true << QByteArray("\xe3\x81\x82.html");
    QTest::newRow("UTF-8 broken sequence stands alone")
        << QByteArray("\xe3 b") << utf8 << 0u << true << QByteArray("\xe3");
    QTest::newRow("code page 932 name before a blank")
        << QByteArray("\x82\xa0.html /N") << cp932 << N << true << QByteArray("\x82\xa0.html");
    QTest::newRow("code page 932 lead byte takes the blank after it")
        << QByteArray("\x82 b c") << cp932 << 0u << true << QByteArray("\x82 b");
    QTest::newRow("same bytes, single-byte code page")
        << QByteArray("\x82 b c") << single << 0u << true << QByteArray("\x82");
    QTest::newRow("code page 932 quoted name with a trail byte 0x5c")
        << QByteArray("\"\x95\x5c \x8e\xa6.html\"") << cp932 << 0u << true
        << QByteArray("\x95\x5c \x8e\xa6.html");
}

void CommandLineTest::scan() {
    QFETCH(QByteArray, text);
    QFETCH(int, codePage);
    QFETCH(uint, flags);
    QFETCH(bool, hasFile);
    QFETCH(QByteArray, file);

    const CommandLine result =
        CommandLine::Parse(text.toStdString(), static_cast<CodePage>(codePage));
    QCOMPARE(result.flags, flags);
    QCOMPARE(result.startupFile.has_value(), hasFile);
    if (hasFile) QCOMPARE(QByteArray::fromStdString(*result.startupFile), file);
}

void CommandLineTest::joinQuotesWhatHoldsBlanks_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("none") << QStringList{} << QByteArray("");
    QTest::newRow("plain") << QStringList{"/N", "a.html"} << QByteArray("/N a.html");
    QTest::newRow("blank inside") << QStringList{"/home/a/My Pages/x.html", "/n"}
                                  << QByteArray("\"/home/a/My Pages/x.html\" /n");
    QTest::newRow("empty") << QStringList{"", "b"} << QByteArray("\"\" b");
}

void CommandLineTest::joinQuotesWhatHoldsBlanks() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, text);
    std::vector<QByteArray> bytes{"nemora"};
    for (const QString& argument : arguments) bytes.push_back(argument.toUtf8());
    std::vector<const char*> argv;
    for (const QByteArray& b : bytes) argv.push_back(b.constData());
    QCOMPARE(
        QByteArray::fromStdString(CommandLine::Join(static_cast<int>(argv.size()), argv.data())),
        text);
}

// What the shell hands over arrives whole: a path with blanks and a switch.
void CommandLineTest::joinedArgumentsScanBack() {
    const char* argv[] = {"nemora", "/tmp/\xe6\x97\xa5\xe6\x9c\xac \xe8\xaa\x9e/page.html", "/N"};
    const CommandLine result = CommandLine::Parse(CommandLine::Join(3, argv), CodePage::Utf8);
    QCOMPARE(result.flags, N);
    QVERIFY(result.startupFile);
    QCOMPARE(*result.startupFile, std::string(argv[1]));
}

void CommandLineTest::languageSwitchIsTakenOut_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("language");  // -1: refused
    const int en = static_cast<int>(res::Language::English);
    const int ja = static_cast<int>(res::Language::Japanese);
    QTest::newRow("absent") << QStringList{"/N", "a.html"} << QStringList{"/N", "a.html"} << false
                            << -1;
    QTest::newRow("separate") << QStringList{"--lang", "en", "/N", "a.html"}
                              << QStringList{"/N", "a.html"} << true << en;
    QTest::newRow("joined, after the page")
        << QStringList{"a.html", "--lang=ja"} << QStringList{"a.html"} << true << ja;
    QTest::newRow("the last one counts")
        << QStringList{"--lang=en", "--lang", "ja"} << QStringList{} << true << ja;
    QTest::newRow("unknown name") << QStringList{"--lang", "fr", "a.html"} << QStringList{"a.html"}
                                  << true << -1;
    QTest::newRow("name missing") << QStringList{"/R", "--lang"} << QStringList{"/R"} << true << -1;
    QTest::newRow("a longer switch is not ours")
        << QStringList{"--language=en"} << QStringList{"--language=en"} << false << -1;
}

void CommandLineTest::languageSwitchIsTakenOut() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, left);
    QFETCH(bool, present);
    QFETCH(int, language);
    std::vector<QByteArray> bytes{"nemora"};
    for (const QString& argument : arguments) bytes.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(argv.size()) - 1;
    const LanguageSwitch::Taken taken = LanguageSwitch::Take(argc, argv.data());
    QStringList remaining;
    for (int i = 1; i < argc; ++i) remaining.append(QString::fromUtf8(argv[i]));
    QCOMPARE(remaining, left);
    QCOMPARE(argv[argc], nullptr);
    QCOMPARE(taken.present, present);
    QCOMPARE(taken.language ? static_cast<int>(*taken.language) : -1, language);
}

}  // namespace nemora::app

QTEST_APPLESS_MAIN(nemora::app::CommandLineTest)
#include "CommandLineTest.moc"
