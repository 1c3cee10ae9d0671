#include "app/shell/RunningCopies.h"

#include <set>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

#include "app/resources/ResourceText.h"
#include "engine/TextId.h"

namespace nemora::app {
namespace {

// Each copy's socket is named after its process id.
QString Prefix() {
    return QStringLiteral("copy-");
}
constexpr std::uint32_t kCopyDidNotClose = engine::StringId(engine::TextId::CopyDidNotClose);

int Remaining(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
}

}  // namespace

QString RunningCopies::Folder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) return {};
    const QString folder = QDir(runtime).filePath(QStringLiteral("nemora"));
    if (QDir().mkpath(folder)) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return folder;
}

QString RunningCopies::SocketFor(qint64 pid) {
    const QString folder = Folder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(Prefix() + QString::number(pid));
}

QStringList RunningCopies::Find() {
    const QString folder = Folder();
    if (folder.isEmpty()) return {};
    QStringList sockets;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({Prefix() + '*'}, QDir::System | QDir::Files | QDir::Hidden)) {
        sockets.append(dir.filePath(name));
    }
    return sockets;
}

bool RunningCopies::Close(const QString& socketPath, std::chrono::milliseconds wait) {
    const QDeadlineTimer deadline(wait);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (!socket.waitForConnected(Remaining(deadline))) {
            if (socket.error() == QLocalSocket::SocketTimeoutError) return false;
            // Nobody listens: the copy has gone, or ended without closing
            // and left its name behind.
            return QFile::remove(socketPath) || !QFileInfo::exists(socketPath);
        }
        socket.write("quit\n");
        socket.flush();
        // The copy keeps the connection until its main window is gone and
        // its settings are written; then it closes the socket and removes
        // its name, and the next connection finds no one.
        while (socket.state() != QLocalSocket::UnconnectedState && !deadline.hasExpired()) {
            socket.waitForDisconnected(Remaining(deadline));
            socket.readAll();
        }
    }
    return false;
}

int RunningCopies::CloseAll(std::chrono::milliseconds wait, std::ostream& errors) {
    std::set<QString> givenUp;
    for (;;) {
        QStringList sockets;
        for (const QString& socket : Find()) {
            if (!givenUp.count(socket)) sockets.append(socket);
        }
        if (sockets.isEmpty()) break;
        for (const QString& socket : sockets) {
            if (Close(socket, wait)) continue;
            givenUp.insert(socket);
            const QString pid = QFileInfo(socket).fileName().mid(Prefix().size());
            errors << ResourceText(kCopyDidNotClose).arg(pid).toStdString() << '\n';
        }
    }
    return static_cast<int>(givenUp.size());
}

}  // namespace nemora::app
