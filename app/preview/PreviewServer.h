#pragma once

#include <memory>

#include <QAbstractHttpServer>
#include <QString>
#include <QUrl>

namespace nemora::app {

// Serves one folder read-only over HTTP on 127.0.0.1, so that a published
// page opens in the browser the way a visitor meets it: the default form's
// loader page fetches its data file, which a browser refuses to a page
// opened from a folder on disk.
//
// Only GET and HEAD, only regular files inside the folder: a path that names
// "." or "..", a folder, or a link that leads outside the folder is not
// found. A request that names another host than the server's own address is
// refused, so that a web page whose name was pointed at 127.0.0.1 cannot
// read the folder through the visitor's browser. Nothing is cached.
class PreviewServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    // Listens on a free port of 127.0.0.1 for `folder`; null when the folder
    // is not there or no port can be had.
    static std::unique_ptr<PreviewServer> Start(const QString& folder);

    // The folder as given to Start.
    const QString& Folder() const { return folder_; }
    quint16 Port() const { return port_; }
    // The address of `file`, a path relative to the folder.
    QUrl Url(const QString& file) const;

    // The type a file is served as, by its name's extension.
    static QByteArray ContentType(const QString& fileName);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    PreviewServer(QString folder, QString root);

    // The canonical path of the file that `path` (the request's, decoded)
    // names inside the folder; empty when it names none.
    QString Resolve(const QString& path) const;

    QString folder_;
    QString root_;  // the folder's canonical path
    quint16 port_ = 0;
};

}  // namespace nemora::app
