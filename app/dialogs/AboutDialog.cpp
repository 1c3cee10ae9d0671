#include "app/dialogs/AboutDialog.h"

#include <QLabel>

#include "app/dialogs/Attachments.h"
#include "app/help/ContextHelp.h"
#include "app/help/HelpTable.h"
#include "app/resources/Pictures.h"

namespace nemora::app {

AboutDialog::AboutDialog(QWidget* owner, ShowHelpFunction showHelp)
    : TemplateDialog(owner),
      built_(Build(kTemplate, {{kIconControl, IconButtonAttachment(0, Pictures::kProgramIcon)},
                               {kLogoControl, LogoButtonAttachment()}})) {
    setWindowIcon(Pictures::WindowIcon(Pictures::kProgramIcon));
    // The version that "nemora --version" prints, from the same build.
    if (auto* version = ControlAs<QLabel>(kVersionControl)) {
        version->setText(version->text().arg(QStringLiteral(NEMORA_VERSION)));
    }
    new ContextHelp(this, kAboutHelp, std::move(showHelp));
}

}  // namespace nemora::app
