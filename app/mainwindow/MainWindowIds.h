#pragma once

#include <cstdint>

// Ids of the main window (template 102, menu 130) and of the texts it shows.
namespace nemora::app::mainwindow {

// Controls.
constexpr int kPathField = 1005;
constexpr int kPasswordField = 1006;
constexpr int kPromptField = 1007;
constexpr int kCookieOnBox = 1036;
constexpr int kCookieKeyField = 1037;
constexpr int kLifetimeCombo = 1038;
constexpr int kConfirmBox = 1044;
constexpr int kCommentBox = 1047;
constexpr int kLoadButton = 1002;
constexpr int kSaveButton = 1004;
constexpr int kLogoButton = 1049;
// Ours, beside the template's own controls: save in the strong form.
constexpr int kStrongBox = 1101;
// Ours: shows or hides the password's characters.
constexpr int kRevealButton = 1090;

// Commands.
constexpr int kOkCommand = 1;
constexpr int kCancelCommand = 2;
constexpr int kLoadCommand = 32771;
constexpr int kSaveCommand = 32772;
constexpr int kExitCommand = 32773;
constexpr int kAboutCommand = 32774;
constexpr int kDetailsCommand = 32776;
// Ours: publish the visitor's side in English rather than Japanese.
constexpr int kEnglishPagesCommand = 32777;
// Ours: the page saved last, in the browser, as a visitor meets it.
constexpr int kOpenInBrowserCommand = 32790;
constexpr int kHelpContentsCommand = 57670;
// The About item that the window adds to its system menu.
constexpr int kAboutSystemCommand = 16;

// Items of the lifetime list.
constexpr int kNoSelection = -1;
constexpr int kUntilBrowserCloses = 0;
constexpr int kUnlimited = 1;

// Length limits of the fields, in characters.
constexpr int kPathLimit = 256;
constexpr int kPromptLimit = 256;
constexpr int kCookieKeyLimit = 64;

// Texts.
constexpr std::uint32_t kAboutMenuText = 101;
constexpr std::uint32_t kLoadCaption = 3001;
constexpr std::uint32_t kSaveCaption = 3002;
// The strong box's tooltip: its label is cut short to fit beside the comment box.
constexpr std::uint32_t kStrongBoxTip = 41020;
// What a drop on the window does besides loading one page.
constexpr std::uint32_t kDropFolderText = 41030;
constexpr std::uint32_t kDropSeveralText = 41031;
// The reveal button's name, after what a click does.
constexpr std::uint32_t kShowPasswordText = 42500;
constexpr std::uint32_t kHidePasswordText = 42501;
// The message after a save: the folder written, and the two offers.
constexpr std::uint32_t kPublishedFolderText = 42502;
constexpr std::uint32_t kOpenFolderText = 42503;
constexpr std::uint32_t kOpenInBrowserText = 42504;
// Failures of the offers (stop icon); %1 the folder or the page.
constexpr std::uint32_t kCannotOpenFolder = 2150;
constexpr std::uint32_t kCannotStartBrowser = 2151;
constexpr std::uint32_t kCannotServePage = 2152;
constexpr std::uint32_t kPublishedPageMissing = 2153;

// How the modal run ends.
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

}  // namespace nemora::app::mainwindow
