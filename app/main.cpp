// nemora: the window program. Protects an HTML page with a password.

#include <cstdio>
#include <string_view>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/Application.h"
#include "app/resources/Pictures.h"
#include "app/shell/CommandLine.h"
#include "app/window/MainDialogFactory.h"
#include "publish/ProcessProtection.h"

namespace {

// The conventional switches, answered before any window or display is needed.
// Anything else goes to the program's own command line unchanged.
constexpr const char* kUsage =
    "Usage: nemora [/N] [/R] [PAGE]\n"
    "Protects an HTML page with a password: opens the window, with PAGE loaded\n"
    "when one is given.\n"
    "\n"
    "  /N          start without the splash screen\n"
    "  /R          close running copies, delete the settings, and end\n"
    "  PAGE        the HTML page to load (a page under a root folder named n or r\n"
    "              is given as ./PAGE or //r/PAGE, so it is not read as a switch)\n"
    "  --help      print this help and end\n"
    "  --version   print the version and end\n"
    "\n"
    "nemora-cli locks pages and whole sites from the command line; see nemora-cli(1).\n";

bool AnsweredConventionalSwitch(int argc, char** argv) {
    if (argc != 2) return false;
    const std::string_view arg = argv[1];
    if (arg == "--help") {
        std::fputs(kUsage, stdout);
        return true;
    }
    if (arg == "--version") {
        std::fputs("nemora " NEMORA_VERSION "\n", stdout);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnsweredConventionalSwitch(argc, argv)) return 0;
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
