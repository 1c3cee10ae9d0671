#pragma once

#include <vector>

#include <QLocalServer>
#include <QObject>
#include <QPointer>

class QLocalSocket;

namespace nemora::app {

// This copy's socket for the clean-up switch of another copy: a line "quit"
// asks it to quit. Connections stay open until Close, so the asking copy
// sees this one go only when Close runs.
class RunningCopyServer : public QObject {
    Q_OBJECT

public:
    explicit RunningCopyServer(QObject* parent = nullptr);
    ~RunningCopyServer() override;

    // Listens on this process's socket (RunningCopies::SocketFor), or on
    // `path`; false when it cannot.
    bool Listen();
    bool Listen(const QString& path);
    // Stops listening, removes the socket's name and ends every connection.
    void Close();

    QString Path() const { return server_.fullServerName(); }
    QString ErrorString() const;

signals:
    void QuitRequested();

private:
    void Accept();

    QLocalServer server_;
    std::vector<QPointer<QLocalSocket>> clients_;
    bool noFolder_ = false;
};

}  // namespace nemora::app
