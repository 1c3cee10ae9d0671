// The server that shows a published folder in the browser: what it serves,
// with which type, and what it refuses. Requests go over a plain socket, as
// written here, so that nothing on the way tidies a path up.
#include <filesystem>
#include <memory>

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>

#include "app/preview/PreviewServer.h"
#include "tests/support/TempDir.h"

namespace nemora::app {
namespace {

namespace fs = std::filesystem;

struct Answer {
    int status = 0;
    QByteArray head;  // the status line and headers
    QByteArray body;

    QByteArray Header(const QByteArray& name) const {
        for (const QByteArray& line : head.split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.toLower().startsWith(name.toLower() + ':'))
                return trimmed.mid(name.size() + 1).trimmed();
        }
        return {};
    }
};

// Sends `request` as it stands and reads the answer: its head, then as many
// bytes as its length says. The server runs in this thread: the wait runs
// its events.
Answer Exchange(quint16 port, const QByteArray& request) {
    Answer answer;
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    QByteArray received;
    bool sent = false;
    qsizetype end = -1;
    qint64 length = -1;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        QTest::qWait(2);
        if (!sent && socket.state() == QAbstractSocket::ConnectedState) {
            socket.write(request);
            sent = true;
        }
        received += socket.readAll();
        if (end < 0 && (end = received.indexOf("\r\n\r\n")) >= 0) {
            answer.head = received.left(end);
            const QByteArray header = answer.Header("Content-Length");
            length = header.isEmpty() ? -1 : header.toLongLong();
        }
        if (end >= 0 && length >= 0 && received.size() - end - 4 >= length) break;
        if (sent && socket.state() == QAbstractSocket::UnconnectedState) break;
    }
    if (end < 0) return answer;
    answer.status = answer.head.mid(answer.head.indexOf(' ') + 1, 3).toInt();
    answer.body = received.mid(end + 4);
    return answer;
}

QByteArray Get(quint16 port, const QByteArray& target, const QByteArray& method = "GET",
               const QByteArray& host = {}) {
    return method + ' ' + target + " HTTP/1.1\r\nHost: " +
           (host.isEmpty() ? "127.0.0.1:" + QByteArray::number(port) : host) + "\r\n\r\n";
}

QByteArray Bytes(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

}  // namespace

class PreviewServerTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void servesTheFolder_data();
    void servesTheFolder();
    void headSendsNoBody();
    void onlyReadsAreAnswered();
    void lastsAsLongAsItsObject();

private:
    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<PreviewServer> server_;
    QByteArray page_;
    QByteArray data_;
};

// The folder a save wrote, beside a file outside it, with links in and out.
void PreviewServerTest::init() {
    dir_ = std::make_unique<test::TempDir>();
    const fs::path site = dir_->Path() / "site";
    fs::create_directories(site / "sub");
    dir_->Write("secret.txt", {'s', 'e', 'c', 'r', 'e', 't'});
    page_ = "<!DOCTYPE html><title>loader</title>";
    dir_->Write("site/index.html", {page_.begin(), page_.end()});
    std::vector<std::uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    data_ = Bytes(bytes);
    dir_->Write("site/index.zvk", bytes);
    dir_->Write("site/decoder.jar", {'P', 'K'});
    dir_->Write("site/nemora-strong.js", {'/', '/'});
    dir_->Write("site/sub/page.htm", {'<', 'p', '>'});
    dir_->Write("site/picture.png", {0x89, 'P', 'N', 'G'});
    fs::create_symlink("index.html", site / "inside.html");
    fs::create_symlink(dir_->Path() / "secret.txt", site / "outside.txt");
    fs::create_symlink(dir_->Path(), site / "up");
    server_ = PreviewServer::Start(QString::fromStdString(site.string()));
    QVERIFY(server_);
    QVERIFY(server_->Port() != 0);
}

void PreviewServerTest::cleanup() {
    server_.reset();
    dir_.reset();
}

void PreviewServerTest::servesTheFolder_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("body");  // empty: not compared

    const QByteArray html = "text/html";
    const QByteArray bytes = "application/octet-stream";
    QTest::newRow("loader page") << QByteArray("/index.html") << 200 << html
                                 << QByteArray("<!DOCTYPE html><title>loader</title>");
    QTest::newRow("data file, every byte")
        << QByteArray("/index.zvk") << 200 << bytes << QByteArray();
    QTest::newRow("applet archive")
        << QByteArray("/decoder.jar") << 200 << bytes << QByteArray("PK");
    QTest::newRow("shared script") << QByteArray("/nemora-strong.js") << 200
                                   << QByteArray("text/javascript") << QByteArray("//");
    QTest::newRow(".htm in a subfolder")
        << QByteArray("/sub/page.htm") << 200 << html << QByteArray("<p>");
    QTest::newRow("other types by name")
        << QByteArray("/picture.png") << 200 << QByteArray("image/png") << QByteArray();
    QTest::newRow("escaped name") << QByteArray("/index%2Ehtml") << 200 << html << QByteArray();
    QTest::newRow("link inside the folder")
        << QByteArray("/inside.html") << 200 << html << QByteArray();
    QTest::newRow("query ignored") << QByteArray("/index.html?x=1") << 200 << html << QByteArray();

    const QByteArray text = "text/plain; charset=utf-8";
    for (const char* missing : {"/missing.html", "/", "/sub", "/sub/", "/index.html/"}) {
        QTest::addRow("not found: %s", missing)
            << QByteArray(missing) << 404 << text << QByteArray();
    }
    for (const char* outside :
         {"/../secret.txt", "/%2e%2e/secret.txt", "/sub/../../secret.txt",
          "/sub/..%2f..%2fsecret.txt", "/sub/../index.html", "/./index.html", "/outside.txt",
          "/up/secret.txt", "//etc/passwd", "/index.html%00.txt"}) {
        QTest::addRow("refused: %s", outside) << QByteArray(outside) << 404 << text << QByteArray();
    }
}

void PreviewServerTest::servesTheFolder() {
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    const Answer answer = Exchange(server_->Port(), Get(server_->Port(), target));
    QCOMPARE(answer.status, status);
    QCOMPARE(answer.Header("Content-Type"), type);
    QCOMPARE(answer.Header("Cache-Control"), QByteArray("no-store"));
    if (!body.isEmpty()) QCOMPARE(answer.body, body);
    if (target == "/index.zvk") QCOMPARE(answer.body, data_);
    if (status != 200) QVERIFY(!answer.body.contains("secret"));
}

void PreviewServerTest::headSendsNoBody() {
    const quint16 port = server_->Port();
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    QTRY_COMPARE(socket.state(), QAbstractSocket::ConnectedState);
    // HEAD, then GET on the same connection: the second answer follows the
    // first's head directly, so a body sent after HEAD would show.
    socket.write(Get(port, "/index.html", "HEAD") + Get(port, "/decoder.jar"));
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += socket.readAll()).endsWith("\r\n\r\nPK"), 10000);
    QVERIFY2(received.startsWith("HTTP/1.1 200"), received.constData());
    const qsizetype second = received.indexOf("HTTP/1.1 200", 1);
    QVERIFY(second > 0);
    const QByteArray first = received.left(second);
    QVERIFY2(first.endsWith("\r\n\r\n"), first.constData());
    QVERIFY(first.contains("Content-Length: " + QByteArray::number(page_.size())));
    QVERIFY(first.contains("Content-Type: text/html"));
}

void PreviewServerTest::onlyReadsAreAnswered() {
    const quint16 port = server_->Port();
    for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS"}) {
        const Answer answer = Exchange(port, Get(port, "/index.html", method));
        QCOMPARE(answer.status, 405);
        QCOMPARE(answer.Header("Allow"), QByteArray("GET, HEAD"));
    }
    // A name that leads elsewhere to this port (a web page's own name
    // pointed at 127.0.0.1) is refused; the server's own names are not.
    QCOMPARE(Exchange(port, Get(port, "/index.html", "GET",
                                "attacker.example:" + QByteArray::number(port)))
                 .status,
             421);
    QCOMPARE(Exchange(port, Get(port, "/index.html", "GET", "127.0.0.1")).status, 421);
    QCOMPARE(
        Exchange(port, Get(port, "/index.html", "GET", "localhost:" + QByteArray::number(port)))
            .status,
        200);
}

// The address names the folder's file; the server goes with its object, and
// another folder gets a server of its own.
void PreviewServerTest::lastsAsLongAsItsObject() {
    const quint16 port = server_->Port();
    QCOMPARE(server_->Url(QStringLiteral("index.html")),
             QUrl(QStringLiteral("http://127.0.0.1:%1/index.html").arg(port)));
    const std::unique_ptr<PreviewServer> other =
        PreviewServer::Start(QString::fromStdString((dir_->Path() / "site" / "sub").string()));
    QVERIFY(other);
    QVERIFY(other->Port() != port);
    QCOMPARE(Exchange(other->Port(), Get(other->Port(), "/page.htm")).body, QByteArray("<p>"));
    QCOMPARE(Exchange(other->Port(), Get(other->Port(), "/index.html")).status, 404);

    server_.reset();
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(!socket.waitForConnected(2000));
    QCOMPARE(socket.error(), QAbstractSocket::ConnectionRefusedError);
    QVERIFY(!PreviewServer::Start(QString::fromStdString(dir_->File("missing"))));
}

}  // namespace nemora::app

QTEST_MAIN(nemora::app::PreviewServerTest)
#include "PreviewServerTest.moc"
