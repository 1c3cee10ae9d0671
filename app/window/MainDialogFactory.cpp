#include "app/window/MainDialogFactory.h"

#include "app/Application.h"
#include "app/window/MainDialog.h"

namespace nemora::app {

std::unique_ptr<QDialog> MainDialogFactory::Create(Application& application,
                                                   const std::optional<std::string>& startupFile) {
    auto window = std::make_unique<MainDialog>(MainDialog::Services{
        application.HelpFunction(), [&application] { application.CloseHelp(); }});
    window->Initialise(startupFile);
    return window;
}

}  // namespace nemora::app
