#include "app/shell/RunningCopyServer.h"

#include <QCoreApplication>
#include <QLocalSocket>

#include "app/shell/RunningCopies.h"

namespace nemora::app {

RunningCopyServer::RunningCopyServer(QObject* parent) : QObject(parent) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &RunningCopyServer::Accept);
}

RunningCopyServer::~RunningCopyServer() {
    Close();
}

bool RunningCopyServer::Listen() {
    const QString path = RunningCopies::SocketFor(QCoreApplication::applicationPid());
    if (path.isEmpty()) {
        noFolder_ = true;
        return false;
    }
    return Listen(path);
}

QString RunningCopyServer::ErrorString() const {
    return noFolder_ ? QStringLiteral("no runtime folder") : server_.errorString();
}

bool RunningCopyServer::Listen(const QString& path) {
    // The name carries the process id: one that exists is left behind by an
    // earlier process with this id.
    QLocalServer::removeServer(path);
    return server_.listen(path);
}

void RunningCopyServer::Close() {
    server_.close();
    for (const QPointer<QLocalSocket>& client : clients_) {
        if (client) {
            client->abort();
            delete client.data();
        }
    }
    clients_.clear();
}

void RunningCopyServer::Accept() {
    while (QLocalSocket* client = server_.nextPendingConnection()) {
        clients_.emplace_back(client);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            while (client->canReadLine()) {
                if (client->readLine().trimmed() == "quit") emit QuitRequested();
            }
        });
    }
}

}  // namespace nemora::app
