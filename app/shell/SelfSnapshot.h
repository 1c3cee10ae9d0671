#pragma once

#include <QString>

class QDialog;

namespace nemora::app {

class Application;

// With NEMORA_SNAPSHOT_DIR set, the program photographs itself once its main
// window is up and then ends: the main window and its help contents as
// "main-<lang>.png" and "help-<lang>.png", and what it found in
// "snapshot-<lang>.txt" (language, help title, Qt's own texts, the window's
// texts). The install test runs the installed program this way to see that
// it finds its help and translations; the same pictures serve as the store
// screenshots.
class SelfSnapshot {
public:
    // The folder to write to; empty when no snapshot was asked for.
    static QString Folder();

    // Takes the pictures once `mainWindow`'s modal run has begun, then quits
    // `application` with 0, or 1 when a picture could not be written.
    static void Arm(Application& application, QDialog& mainWindow, const QString& folder);
};

}  // namespace nemora::app
