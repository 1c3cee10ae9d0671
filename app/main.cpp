// nemora: the window program. Protects an HTML page with a password.

#include <cstdio>
#include <string_view>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/Application.h"
#include "app/mainwindow/MainDialogFactory.h"
#include "app/resources/Pictures.h"
#include "app/shell/CommandLine.h"
#include "app/shell/LanguageSwitch.h"
#include "publish/ProcessProtection.h"
#include "res/LanguageChoice.h"
#include "res/StringTable.h"

namespace {

// The conventional switches, answered before any window or display is needed.
// Anything else goes to the program's own command line unchanged.
constexpr const char* kUsage =
    "Usage: nemora [--lang en|ja] [/N] [/R] [PAGE]\n"
    "Protects an HTML page with a password: opens the window, with PAGE loaded\n"
    "when one is given.\n"
    "\n"
    "  /N          start without the splash screen\n"
    "  /R          close running copies, delete the settings, and end\n"
    "  PAGE        the HTML page to load (a page under a root folder named n or r\n"
    "              is given as ./PAGE or //r/PAGE, so it is not read as a switch)\n"
    "  --lang LANG speak LANG (en or ja) in the window, its dialogs and help;\n"
    "              without it NEMORA_LANG, then the locale decides (Japanese\n"
    "              for a Japanese locale or none, English for any other)\n"
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

// The language of the window's texts, set before any text is read.
bool ChoseLanguage(int& argc, char** argv) {
    const nemora::app::LanguageSwitch::Taken taken = nemora::app::LanguageSwitch::Take(argc, argv);
    if (taken.present && !taken.language) {
        std::fprintf(stderr, "nemora: --lang takes en or ja, not \"%s\"\n", taken.name.c_str());
        return false;
    }
    nemora::res::StringTable::SetLanguage(
        taken.language.value_or(nemora::res::LanguageChoice::FromEnvironment()));
    return true;
}

// Qt's own dialogs and buttons speak the program's language: Qt's texts are
// English, and Japanese comes from Qt's translations when installed.
void TranslateQt(QTranslator& qtTexts) {
    if (nemora::res::StringTable::CurrentLanguage() != nemora::res::Language::Japanese) return;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!ChoseLanguage(argc, argv)) return 2;
    if (AnsweredConventionalSwitch(argc, argv)) return 0;
    // The window holds a password: no core file, no reading by other processes.
    nemora::publish::ProtectProcessSecrets();
    QApplication platform(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nemora"));
    QApplication::setWindowIcon(
        nemora::app::Pictures::WindowIcon(nemora::app::Pictures::kProgramIcon));

    QTranslator qtTexts;
    TranslateQt(qtTexts);

    // QApplication has taken its own options out of argv by now.
    nemora::app::MainDialogFactory mainWindows;
    nemora::app::Application application(nemora::app::CommandLine::Join(argc, argv),
                                         nemora::app::CommandLine::SystemCodePage(), mainWindows);
    return application.Run();
}
