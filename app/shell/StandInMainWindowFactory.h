#pragma once

#include "app/shell/MainWindowFactory.h"

namespace nemora::app {

// Makes the StandInMainWindow; the real main window's factory takes its place.
class StandInMainWindowFactory : public MainWindowFactory {
public:
    std::unique_ptr<QDialog> Create(Application& application,
                                    const std::optional<std::string>& startupFile) override;
};

}  // namespace nemora::app
