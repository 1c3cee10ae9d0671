#include "app/preview/PreviewServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMimeDatabase>

namespace nemora::app {
namespace {

using Method = QHttpServerRequest::Method;
using Status = QHttpServerResponder::StatusCode;

const QByteArray kPlainText = "text/plain; charset=utf-8";

// Every answer is never kept (a page saved again is seen at once) and never
// taken for another type than it is sent as.
const QByteArray kNoStore = "no-store";
const QByteArray kNoSniff = "nosniff";

void Refuse(QHttpServerResponder& responder, Status status, const QByteArray& text) {
    responder.write(text + '\n',
                    {{"Content-Type", kPlainText},
                     {"Cache-Control", kNoStore},
                     {"X-Content-Type-Options", kNoSniff}},
                    status);
}

}  // namespace

PreviewServer::PreviewServer(QString folder, QString root)
    : folder_(std::move(folder)), root_(std::move(root)) {}

std::unique_ptr<PreviewServer> PreviewServer::Start(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir()) return nullptr;
    std::unique_ptr<PreviewServer> server(new PreviewServer(folder, info.canonicalFilePath()));
    server->port_ = server->listen(QHostAddress::LocalHost, 0);
    if (server->port_ == 0) return nullptr;
    return server;
}

QUrl PreviewServer::Url(const QString& file) const {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port_);
    url.setPath(QLatin1Char('/') + file);
    return url;
}

QByteArray PreviewServer::ContentType(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"htm" || suffix == u"html") return "text/html";
    if (suffix == u"js" || suffix == u"mjs") return "text/javascript";
    if (suffix == u"css") return "text/css";
    // The applet archive and the data file are bytes for the page's code.
    if (suffix == u"jar" || suffix == u"zvk") return "application/octet-stream";
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    return type.isDefault() ? QByteArray("application/octet-stream") : type.name().toLatin1();
}

QString PreviewServer::Resolve(const QString& path) const {
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(0))) return {};
    for (const QString& step : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (step == u"." || step == u"..") return {};
    }
    // Links are followed; what they lead to must lie in the folder too.
    const QFileInfo file(root_ + path);
    const QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty() || !canonical.startsWith(root_ + QLatin1Char('/'))) return {};
    return QFileInfo(canonical).isFile() ? canonical : QString();
}

bool PreviewServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    const Method method = request.method();
    if (method != Method::Get && method != Method::Head) {
        responder.write("Only GET and HEAD\n",
                        {{"Content-Type", kPlainText},
                         {"Cache-Control", kNoStore},
                         {"X-Content-Type-Options", kNoSniff},
                         {"Allow", "GET, HEAD"}},
                        Status::MethodNotAllowed);
        return true;
    }
    const QByteArray host = request.value("Host");
    if (host != "127.0.0.1:" + QByteArray::number(port_) &&
        host != "localhost:" + QByteArray::number(port_)) {
        Refuse(responder, Status::MisdirectedRequest, "Not this server's address");
        return true;
    }
    const QString path = Resolve(request.url().path(QUrl::FullyDecoded));
    if (path.isEmpty()) {
        Refuse(responder, Status::NotFound, "Not found");
        return true;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        Refuse(responder, Status::Forbidden, "Cannot be read");
        return true;
    }
    const QByteArray type = ContentType(path);
    if (method == Method::Head) {
        responder.writeStatusLine(Status::Ok);
        responder.writeHeaders({{"Content-Type", type},
                                {"Cache-Control", kNoStore},
                                {"X-Content-Type-Options", kNoSniff},
                                {"Content-Length", QByteArray::number(file->size())}});
        responder.writeBody(QByteArray());
        return true;
    }
    // The responder takes the file and sends it as the socket drains.
    responder.write(file.release(), {{"Content-Type", type},
                                     {"Cache-Control", kNoStore},
                                     {"X-Content-Type-Options", kNoSniff}});
    return true;
}

void PreviewServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    Refuse(responder, Status::NotFound, "Not found");
}

}  // namespace nemora::app
