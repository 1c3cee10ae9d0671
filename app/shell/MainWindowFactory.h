#pragma once

#include <memory>
#include <optional>
#include <string>

class QDialog;

namespace nemora::app {

class Application;

// Where the main window plugs into the application: the application makes
// it through this factory, makes it its main window, runs it modally and
// destroys it when the run returns.
class MainWindowFactory {
public:
    virtual ~MainWindowFactory() = default;

    // The main window, made without an owner and not yet shown. It loads
    // `startupFile` (bytes of the command line), when there is one, once its
    // modal run has started. It must not delete itself on closing: the
    // application destroys it.
    virtual std::unique_ptr<QDialog> Create(Application& application,
                                            const std::optional<std::string>& startupFile) = 0;
};

}  // namespace nemora::app
