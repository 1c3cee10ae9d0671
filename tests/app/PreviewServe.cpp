// preview_serve FOLDER: serves FOLDER as the window's "Open in Browser" does,
// for the browser tests. Prints the folder's address on one line and serves
// until its standard input closes.
#include <cstdio>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "app/preview/PreviewServer.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: preview_serve FOLDER\n", stderr);
        return 2;
    }
    const auto server = nemora::app::PreviewServer::Start(QString::fromLocal8Bit(argv[1]));
    if (!server) {
        std::fputs("preview_serve: the folder cannot be served\n", stderr);
        return 1;
    }
    std::printf("%s\n", qPrintable(server->Url(QString()).toString()));
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    return QCoreApplication::exec();
}
