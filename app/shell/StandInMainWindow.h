#pragma once

#include <QDialog>

#include "app/help/HelpKind.h"

namespace nemora::app {

// Stands in for the main window until the real one plugs into the
// MainWindowFactory: an empty window with the main window's caption and the
// logo, which opens the About box. It loads nothing and stores nothing.
class StandInMainWindow : public QDialog {
    Q_OBJECT

public:
    explicit StandInMainWindow(ShowHelpFunction showHelp);

private:
    ShowHelpFunction showHelp_;
};

}  // namespace nemora::app
