#pragma once

#include <cstdint>
#include <span>

#include "app/help/HelpKind.h"

namespace nemora::app {

// What a help request names: a control (or the window itself, id 0) or a
// highlighted menu item.
enum class HelpTarget { Control, MenuItem };

struct HelpRow {
    std::uint32_t id;  // control or command id
    std::uint32_t context;
};

struct HelpRequest {
    std::uint32_t context;
    HelpKind kind;

    bool operator==(const HelpRequest&) const = default;
};

// A window's context-help table: a listed id shows its context as a popup;
// anything else opens the window's own topic.
struct HelpTable {
    std::span<const HelpRow> controls;
    std::span<const HelpRow> menuItems;
    bool menuItemsUseControls;  // the control table answers every request
    std::uint32_t otherTopic;

    HelpRequest Lookup(HelpTarget target, std::uint32_t id) const;
};

// Context numbers of requests that are not looked up in a table.
constexpr std::uint32_t kHelpContents = 1;
constexpr std::uint32_t kHelpLogo = 2;
constexpr std::uint32_t kHelpAbout = 257;
constexpr std::uint32_t kHelpOpenFileDialog = 529;
constexpr std::uint32_t kHelpOutputFolderDialog = 530;

// The main window's table (template 102, menu 130).
extern const HelpTable kMainWindowHelp;
// The Details dialog's (template 139), consulted for every request.
extern const HelpTable kDetailsHelp;
// The About box: every request opens its topic.
extern const HelpTable kAboutHelp;

}  // namespace nemora::app
