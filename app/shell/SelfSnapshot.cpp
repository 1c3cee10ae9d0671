#include "app/shell/SelfSnapshot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
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

// The texts the main window shows: menus, labels, group boxes and buttons,
// in the order of the window's children.
QString ShownTexts(const QDialog& mainWindow) {
    QStringList texts;
    for (const QWidget* widget : mainWindow.findChildren<QWidget*>()) {
        if (const auto* bar = qobject_cast<const QMenuBar*>(widget)) {
            for (const QAction* menu : bar->actions()) texts.append(menu->text());
        } else if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            texts.append(label->text());
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            texts.append(group->title());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            texts.append(button->text());
        }
    }
    texts.removeAll(QString());
    return texts.join('|');
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
        QStringLiteral("language=%1\nwindow=%2\nhelp=%3\nqt-cancel=%4\ntexts=%5\n")
            .arg(language, mainWindow.windowTitle(), help ? help->windowTitle() : QString(),
                 QCoreApplication::translate("QPlatformTheme", "Cancel"), ShownTexts(mainWindow));
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
