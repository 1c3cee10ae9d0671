// nemora: the window program. Protects an HTML page with a password.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/Application.h"
#include "app/resources/Pictures.h"
#include "app/shell/CommandLine.h"
#include "app/window/MainDialogFactory.h"
#include "publish/ProcessProtection.h"

int main(int argc, char** argv) {
    // The window holds a password: no core file, no reading by other processes.
    nemora::publish::ProtectProcessSecrets();
    QApplication platform(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nemora"));
    QApplication::setWindowIcon(
        nemora::app::Pictures::WindowIcon(nemora::app::Pictures::kProgramIcon));

    // The program speaks Japanese: so do Qt's own dialogs and buttons.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    // QApplication has taken its own options out of argv by now.
    nemora::app::MainDialogFactory mainWindows;
    nemora::app::Application application(nemora::app::CommandLine::Join(argc, argv),
                                         nemora::app::CommandLine::SystemCodePage(), mainWindows);
    return application.Run();
}
