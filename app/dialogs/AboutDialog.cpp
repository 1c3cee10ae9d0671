#include "app/dialogs/AboutDialog.h"

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
    new ContextHelp(this, kAboutHelp, std::move(showHelp));
}

}  // namespace nemora::app
