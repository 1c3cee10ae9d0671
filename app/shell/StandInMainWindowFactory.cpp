#include "app/shell/StandInMainWindowFactory.h"

#include <QDialog>

#include "app/Application.h"
#include "app/shell/StandInMainWindow.h"

namespace nemora::app {

std::unique_ptr<QDialog> StandInMainWindowFactory::Create(Application& application,
                                                          const std::optional<std::string>&) {
    return std::make_unique<StandInMainWindow>(application.HelpFunction());
}

}  // namespace nemora::app
