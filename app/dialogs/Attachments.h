#pragma once

#include "app/resources/DialogBuilder.h"

namespace nemora::app {

// An IconButton in place of a template's owner-drawn button.
DialogBuilder::Attach IconButtonAttachment(int style, int iconId);

// A LogoButton in place of a template's owner-drawn button, aligned as the
// template's notes "left" and "right" say (neither or both: centred).
DialogBuilder::Attach LogoButtonAttachment();

}  // namespace nemora::app
