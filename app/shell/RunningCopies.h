#pragma once

#include <chrono>
#include <ostream>

#include <QString>
#include <QStringList>

namespace nemora::app {

// The copies of the program that run for this user. Each one listens, while
// its main window exists, on a local socket of its own in the user's private
// runtime folder; the clean-up switch finds them there and asks them to quit.
class RunningCopies {
public:
    // The socket folder ("nemora" in the user's runtime folder); empty when
    // the user has none.
    static QString Folder();
    // The socket of the copy with process id `pid`.
    static QString SocketFor(qint64 pid);
    // The sockets in the folder, those left behind by copies that ended
    // without closing included.
    static QStringList Find();

    // Asks every running copy to quit and waits until it is gone, then looks
    // again, until no copy is left. A copy that is still there after `wait`
    // is given up, with a message on `errors`. Answers how many were given up.
    static int CloseAll(std::chrono::milliseconds wait, std::ostream& errors);

private:
    static bool Close(const QString& socket, std::chrono::milliseconds wait);
};

}  // namespace nemora::app
