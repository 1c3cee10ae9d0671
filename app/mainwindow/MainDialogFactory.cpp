#include "app/mainwindow/MainDialogFactory.h"

#include <QTimer>

#include "app/Application.h"
#include "app/mainwindow/MainDialog.h"
#include "app/shell/SelfSnapshot.h"

namespace nemora::app {

std::unique_ptr<QDialog> MainDialogFactory::Create(Application& application,
                                                   const std::optional<std::string>& startupFile) {
    auto window = std::make_unique<MainDialog>(MainDialog::Services{
        application.HelpFunction(), [&application] { application.CloseHelp(); }});
    window->Initialise(std::nullopt);
    // The start-up file is loaded once the modal run has begun, as in any
    // later load: by then the application listens for other copies'
    // clean-up and has armed the splash timer, so the splash goes while a
    // long load or its failure message is up.
    if (startupFile) {
        MainDialog* created = window.get();
        QTimer::singleShot(0, created, [created, path = *startupFile] {
            static_cast<void>(created->Logic().LoadPage(path));
        });
    }
    if (const QString folder = SelfSnapshot::Folder(); !folder.isEmpty())
        SelfSnapshot::Arm(application, *window, folder);
    return window;
}

}  // namespace nemora::app
