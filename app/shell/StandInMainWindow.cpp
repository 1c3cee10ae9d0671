#include "app/shell/StandInMainWindow.h"

#include <QVBoxLayout>

#include "app/controls/LogoButton.h"
#include "app/dialogs/AboutDialog.h"
#include "app/help/ContextHelp.h"
#include "app/help/HelpTable.h"
#include "app/resources/DialogBuilder.h"
#include "app/resources/DialogTemplate.h"
#include "app/resources/DialogUnits.h"
#include "app/resources/Pictures.h"

namespace nemora::app {
namespace {

constexpr int kMainTemplate = 102;
constexpr int kLogoControl = 1049;

}  // namespace

StandInMainWindow::StandInMainWindow(ShowHelpFunction showHelp)
    : QDialog(nullptr), showHelp_(std::move(showHelp)) {
    setWindowIcon(Pictures::WindowIcon(Pictures::kProgramIcon));
    const std::optional<DialogTemplate> main = DialogTemplate::Load(kMainTemplate);
    if (main) {
        setWindowTitle(main->caption);
        setFont(DialogBuilder::ChooseFont(main->fontFamilies, main->fontPoints, main->serifFont));
    }
    const DialogUnits units = DialogUnits::ForFont(font());
    auto* logo = new LogoButton(this, LogoButton::Alignment::Right);
    DialogBuilder::SetControlId(logo, kLogoControl);
    if (const ControlTemplate* place = main ? main->Find(kLogoControl) : nullptr) {
        logo->setFixedSize(units.Rect(place->rect).size());
    }
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(logo, 0, Qt::AlignRight | Qt::AlignBottom);
    resize(units.Size(main ? main->size : QSize(169, 186)));
    connect(logo, &LogoButton::clicked, this, [this] {
        AboutDialog about(this, showHelp_);
        about.exec();
    });
    new ContextHelp(this, kMainWindowHelp, showHelp_);
}

}  // namespace nemora::app
