#pragma once

#include "app/help/HelpKind.h"
#include "app/resources/TemplateDialog.h"

namespace nemora::app {

// The About box (template 100): the program's icon, name, version and logo.
// OK or Esc closes it; any help request in it opens help topic 257.
class AboutDialog : public TemplateDialog {
    Q_OBJECT

public:
    static constexpr int kTemplate = 100;
    static constexpr int kIconControl = 1035;
    static constexpr int kLogoControl = 1049;
    // Ours: the version line, whose %1 the dialog fills in.
    static constexpr int kVersionControl = 1091;

    AboutDialog(QWidget* owner, ShowHelpFunction showHelp);

    // Whether the window could be made from its template.
    bool IsBuilt() const { return built_; }

private:
    bool built_;
};

}  // namespace nemora::app
