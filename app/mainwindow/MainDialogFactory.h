#pragma once

#include "app/shell/MainWindowFactory.h"

namespace nemora::app {

// Makes the program's main window, the MainDialog, initialised with the
// start-up file.
class MainDialogFactory : public MainWindowFactory {
public:
    std::unique_ptr<QDialog> Create(Application& application,
                                    const std::optional<std::string>& startupFile) override;
};

}  // namespace nemora::app
