#include "app/dialogs/Attachments.h"

#include "app/controls/IconButton.h"
#include "app/controls/LogoButton.h"

namespace nemora::app {

DialogBuilder::Attach IconButtonAttachment(int style, int iconId) {
    return [style, iconId](QWidget* parent, const ControlTemplate&) -> QWidget* {
        auto* button = new IconButton(parent);
        button->SetStyle(style);
        button->SetIconId(iconId);
        return button;
    };
}

DialogBuilder::Attach LogoButtonAttachment() {
    return [](QWidget* parent, const ControlTemplate& control) -> QWidget* {
        const bool left = control.Has("left");
        const bool right = control.Has("right");
        LogoButton::Alignment alignment = LogoButton::Alignment::Centre;
        if (left && !right) alignment = LogoButton::Alignment::Left;
        if (right && !left) alignment = LogoButton::Alignment::Right;
        return new LogoButton(parent, alignment);
    };
}

}  // namespace nemora::app
