#pragma once

#include <cstdint>

#include "engine/TextId.h"

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
constexpr std::uint32_t kAboutMenuText = engine::StringId(engine::TextId::AboutMenu);
constexpr std::uint32_t kLoadCaption = engine::StringId(engine::TextId::LoadCaption);
constexpr std::uint32_t kSaveCaption = engine::StringId(engine::TextId::SaveCaption);
// The strong box's tooltip: its label is cut short to fit beside the comment box.
constexpr std::uint32_t kStrongBoxTip = engine::StringId(engine::TextId::StrongBoxTip);
// What a drop on the window does besides loading one page.
constexpr std::uint32_t kDropFolderText = engine::StringId(engine::TextId::DropFolder);
constexpr std::uint32_t kDropSeveralText = engine::StringId(engine::TextId::DropSeveral);
// The reveal button's name, after what a click does.
constexpr std::uint32_t kShowPasswordText = engine::StringId(engine::TextId::ShowPassword);
constexpr std::uint32_t kHidePasswordText = engine::StringId(engine::TextId::HidePassword);
// The message after a save: the folder written, and the two offers.
constexpr std::uint32_t kPublishedFolderText = engine::StringId(engine::TextId::PublishedFolder);
constexpr std::uint32_t kOpenFolderText = engine::StringId(engine::TextId::OpenFolder);
constexpr std::uint32_t kOpenInBrowserText = engine::StringId(engine::TextId::OpenInBrowser);
// Failures of the offers (stop icon); %1 the folder or the page.
constexpr std::uint32_t kCannotOpenFolder = engine::StringId(engine::TextId::CannotOpenFolder);
constexpr std::uint32_t kCannotStartBrowser = engine::StringId(engine::TextId::CannotStartBrowser);
constexpr std::uint32_t kCannotServePage = engine::StringId(engine::TextId::CannotServePage);
constexpr std::uint32_t kPublishedPageMissing =
    engine::StringId(engine::TextId::PublishedPageMissing);

// How the modal run ends.
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

}  // namespace nemora::app::mainwindow
