#include "app/shell/SelfSnapshot.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include "app/Application.h"
#include "app/help/HelpTable.h"
#include "res/LanguageChoice.h"
#include "res/StringTable.h"

namespace nemora::app {
namespace {

// The help window: the visible top-level window that is not the main one.
QWidget* HelpWindowBeside(const QDialog& mainWindow) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != &mainWindow && widget->isVisible() && !widget->windowTitle().isEmpty())
            return widget;
    }
    return nullptr;
}

bool Take(QDialog& mainWindow, const QDir& folder, Application& application) {
    const QString language = res::LanguageChoice::Name(res::StringTable::CurrentLanguage());
    bool written =
        mainWindow.grab().save(folder.filePath(QStringLiteral("main-%1.png").arg(language)));
    application.ShowHelp(kHelpContents, HelpKind::Topic);
    QWidget* help = HelpWindowBeside(mainWindow);
    if (help)
        written &= help->grab().save(folder.filePath(QStringLiteral("help-%1.png").arg(language)));
    QFile report(folder.filePath(QStringLiteral("snapshot-%1.txt").arg(language)));
    if (!report.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QString text =
        QStringLiteral("language=%1\nwindow=%2\nhelp=%3\nqt-cancel=%4\n")
            .arg(language, mainWindow.windowTitle(), help ? help->windowTitle() : QString(),
                 QCoreApplication::translate("QPlatformTheme", "Cancel"));
    written &= report.write(text.toUtf8()) > 0;
    return written;
}

}  // namespace

QString SelfSnapshot::Folder() {
    return qEnvironmentVariable("NEMORA_SNAPSHOT_DIR");
}

void SelfSnapshot::Arm(Application& application, QDialog& mainWindow, const QString& folder) {
    // A moment into the modal run: the window is laid out and painted by then.
    QTimer::singleShot(100, &mainWindow, [&application, &mainWindow, folder] {
        const bool written = Take(mainWindow, QDir(folder), application);
        application.Quit(written ? 0 : 1);
    });
}

}  // namespace nemora::app
