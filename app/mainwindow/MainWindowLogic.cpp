#include "app/mainwindow/MainWindowLogic.h"

#include <array>
#include <filesystem>

#include "app/mainwindow/CookieLifetime.h"
#include "app/mainwindow/MainWindowIds.h"
#include "app/mainwindow/WindowOperations.h"
#include "app/settings/SettingsStore.h"
#include "publish/InputPage.h"
#include "publish/PageEncoding.h"
#include "publish/PathNames.h"
#include "publish/PublicationDefaults.h"
#include "res/LanguageChoice.h"
#include "res/StringTable.h"

namespace nemora::app {

using engine::Result;
using namespace mainwindow;

namespace {

constexpr const char* kSection = "Setting";

// Controls that only a loaded page makes usable.
constexpr std::array kPageControls = {kPasswordField, kPromptField, kCookieOnBox, kCookieKeyField,
                                      kLifetimeCombo, kConfirmBox,  kCommentBox,  kStrongBox};

void ReadFlag(SettingsStore& store, const char* name, bool& flag) {
    std::uint8_t stored = 0;
    if (store.ReadBytes(name, {&stored, 1}) == 1) flag = stored != 0;
}

void WriteFlag(SettingsStore& store, const char* name, bool flag) {
    const std::uint8_t stored = flag ? 1 : 0;
    store.WriteBytes(name, {&stored, 1});
}

}  // namespace

MainWindowLogic::MainWindowLogic(WindowOperations& window, publish::PublicationWriter& writer,
                                 engine::FileLayer& files)
    : window_(window), writer_(writer), document_(files) {
    state_.CookieKeepDays = 0;
}

MainWindowLogic::~MainWindowLogic() = default;

void MainWindowLogic::Initialise(const std::optional<std::string>& startupFile) {
    if (const std::string about = res::StringTable::Get(kAboutMenuText); !about.empty()) {
        window_.AppendSystemMenuItem(kAboutSystemCommand, about);
    }
    ReadSettings();
    if (!state_.Path.empty() && !window_.PathExists(state_.Path)) state_.Path.clear();
    // The default prompt is read by the visitor: it comes in the pages' language.
    if (state_.Prompt.empty())
        state_.Prompt = publish::PublicationOptions::DefaultPrompt(state_.PageLanguage);
    if (state_.CookieKey.empty())
        state_.CookieKey = res::StringTable::Get(engine::TextId::CookieKeyText);
    ShowMembers();
    if (state_.CookieKeepDays == 0) {
        window_.SetSelection(kLifetimeCombo, kUntilBrowserCloses);
    } else if (state_.CookieKeepDays < 0) {
        window_.SetSelection(kLifetimeCombo, kUnlimited);
    } else {
        window_.SetText(
            kLifetimeCombo,
            CookieLifetime::DaysText(publish::CookieKeepTicks::ToDays(state_.CookieKeepDays)));
    }
    if (state_.EncodeType.empty()) state_.EncodeType = publish::kDefaultEncodeType;
    SetCharCodeName();
    // LoadPage shows its own message.
    if (startupFile) static_cast<void>(LoadPage(*startupFile));
}

Result MainWindowLogic::LoadPage(const std::string& path) {
    if (path.empty()) return Result::Ok;
    engine::ProgressSink* sink = window_.OpenProgress(kLoadCaption);
    // A file that is no page to lock (the program's own output, an image...)
    // is refused before it is read.
    Result result = publish::InputPage::Refusal(publish::InputPage::Inspect(path).kind);
    const bool refused = result != Result::Ok;
    if (!refused) result = document_.Load(sink, path);
    std::optional<std::string> own;
    if (result == Result::Ok) {
        // Found while the page's own bytes are there, before the compression.
        own = publish::PageEncoding::ForWindow(document_.Page());
        result = document_.Compress(sink);
    }
    window_.CloseProgress();
    if (result == Result::Ok) {
        TakePageEncoding(own);
        EnterPageReady(path);
        return result;
    }
    window_.ShowMessage(static_cast<std::uint32_t>(result));
    // A page that cannot be opened, or is refused, has not touched the
    // document: the page loaded before stays usable.
    if (result != Result::CannotOpen && !refused) EnterNoPage();
    return result;
}

// The page's own encoding, or where its bytes tell nothing the setting: the
// encoding an earlier page declared would be as wrong for it as any other.
void MainWindowLogic::TakePageEncoding(const std::optional<std::string>& own) {
    if (!encodeTypeSetting_) encodeTypeSetting_ = state_.EncodeType;
    state_.EncodeType = own.value_or(*encodeTypeSetting_);
    SetCharCodeName();
}

void MainWindowLogic::EnterPageReady(const std::string& path) {
    state_.PageLoaded = true;
    state_.Path = path;
    state_.PageFileName = publish::LastComponent(path);
    window_.EnableControl(kSaveButton, true);
    window_.SetDefaultButton(kSaveButton);
    window_.EnableMenuItem(kSaveCommand, true);
    window_.EnableMenuItem(kDetailsCommand, true);
    window_.EnableControl(kPasswordField, true);
    window_.EnableControl(kPromptField, true);
    window_.EnableControl(kCookieOnBox, true);
    window_.EnableControl(kStrongBox, true);
    EnableCookieControls(true);
    window_.SetFocus(kPasswordField);
    displayPath_ = window_.ShortenPath(path);
    ShowMembers();
    window_.Repaint();
}

void MainWindowLogic::EnterNoPage() {
    state_.PageLoaded = false;
    state_.PageFileName.clear();
    displayPath_.clear();
    window_.EnableControl(kSaveButton, false);
    window_.EnableMenuItem(kSaveCommand, false);
    window_.EnableMenuItem(kDetailsCommand, false);
    for (const int id : kPageControls) window_.EnableControl(id, false);
    ShowMembers();
}

// The comment box follows the cookie option only at a load; the cookie
// option's own click leaves it as it is.
void MainWindowLogic::EnableCookieControls(bool withComment) {
    window_.EnableControl(kCookieKeyField, state_.CookieOn);
    window_.EnableControl(kLifetimeCombo, state_.CookieOn);
    if (withComment) window_.EnableControl(kCommentBox, state_.CookieOn);
    if (state_.CookieOn) {
        EnableConfirm();
    } else {
        window_.EnableControl(kConfirmBox, false);
    }
}

void MainWindowLogic::EnableConfirm() {
    window_.EnableControl(kConfirmBox, state_.CookieKeepDays != 0);
}

bool MainWindowLogic::OnCommand(int id) {
    switch (id) {
        case kLoadCommand:
        case kLoadButton:
            Load();
            return true;
        case kSaveCommand:
        case kSaveButton:
        case kOkCommand:
            Save();
            return true;
        case kDetailsCommand:
            Details();
            return true;
        case kEnglishPagesCommand:
            TogglePageLanguage();
            return true;
        case kOpenInBrowserCommand:
            OpenInBrowser();
            return true;
        case kHelpContentsCommand:
            window_.ShowHelpContents();
            return true;
        case kAboutCommand:
        case kLogoButton:
            window_.RunAbout();
            return true;
        case kExitCommand:
            Exit();
            return true;
        case kCancelCommand:
            window_.EndDialog(kResultCancel);
            return true;
        default:
            return false;
    }
}

bool MainWindowLogic::OnSystemCommand(int id) {
    if ((id & ~0xF) != kAboutSystemCommand) return false;
    window_.RunAbout();
    return true;
}

void MainWindowLogic::Load() {
    if (const std::optional<std::string> chosen = window_.ChoosePage(state_.Path)) {
        static_cast<void>(LoadPage(*chosen));
    }
}

// The entries first, then the folder, then the writing with the progress
// dialog up; a cancelled folder choice ends the save silently.
void MainWindowLogic::Save() {
    if (!state_.PageLoaded) return;
    ReadControls();
    const publish::Publication::Made made = publish::Publication::Make(Options(), writer_);
    if (!made.publication) return ShowOutcome({made.result});
    const std::optional<std::string> folder =
        window_.ChooseOutputFolder(publish::Publication::ProposedFolder(state_.Path));
    if (!folder) return;
    std::string prepared = *folder;
    if (const publish::PublicationOutcome refused =
            made.publication->PrepareFolder(state_.Path, prepared);
        refused.result != Result::Ok) {
        return ShowOutcome(refused);
    }
    const publish::PublicationOutcome outcome = Publish(*made.publication, prepared);
    ShowOutcome(outcome);
    if (outcome.passwordTaken) state_.PasswordChanged = false;
    if (outcome.result == Result::Published) {
        window_.SetDefaultButton(kLoadButton);
        OfferPublication(*folder);
    }
}

publish::PublicationOutcome MainWindowLogic::Publish(publish::Publication& publication,
                                                     const std::string& folder) {
    engine::ProgressSink* sink = window_.OpenProgress(kSaveCaption);
    publish::PublicationOutcome outcome{publication.DeriveKey(sink)};
    if (outcome.result == Result::Ok) {
        outcome =
            publication.PublishPage({document_, state_.Path, state_.PasswordChanged}, folder, sink);
    }
    window_.CloseProgress();
    return outcome;
}

void MainWindowLogic::ShowOutcome(const publish::PublicationOutcome& outcome) {
    // A publication's message comes once the save is over: it offers to
    // open what was written.
    if (outcome.result == Result::Published) return;
    if (engine::IsFileError(outcome.result)) {
        window_.ShowFileError(engine::ResultId(outcome.result), outcome.failedFile);
    } else {
        window_.ShowMessage(engine::ResultId(outcome.result));
    }
}

void MainWindowLogic::OfferPublication(const std::string& folder) {
    published_ = LastSave{folder, state_.PageFileName};
    window_.EnableMenuItem(kOpenInBrowserCommand, true);
    switch (window_.ShowPublished(engine::ResultId(Result::Published), folder)) {
        case PublishedChoice::OpenFolder:
            OpenFolder();
            break;
        case PublishedChoice::OpenInBrowser:
            OpenInBrowser();
            break;
        case PublishedChoice::Close:
            break;
    }
}

void MainWindowLogic::OpenFolder() {
    if (published_ && !window_.OpenFolder(published_->folder)) {
        window_.ShowMessage(kCannotOpenFolder, published_->folder);
    }
}

// The page saved last, which may have gone since.
void MainWindowLogic::OpenInBrowser() {
    if (!published_) return;
    const std::string page =
        (std::filesystem::path(published_->folder) / published_->page).string();
    if (!window_.PathExists(page)) {
        window_.ShowMessage(kPublishedPageMissing, page);
        return;
    }
    if (const std::uint32_t failed = window_.OpenInBrowser(published_->folder, published_->page)) {
        window_.ShowMessage(failed, page);
    }
}

publish::PublicationOptions MainWindowLogic::Options() const {
    publish::PublicationOptions options;
    options.password = engine::SecretString(state_.Password.View());
    options.prompt = state_.Prompt;
    options.cookieOn = state_.CookieOn;
    options.cookieKey = state_.CookieKey;
    options.cookieKeepTicks = state_.CookieKeepDays;
    options.confirm = state_.Confirm;
    options.comment = state_.Comment;
    options.strong = state_.Strong;
    options.pageLanguage = state_.PageLanguage;
    return options;
}

void MainWindowLogic::Details() {
    if (!state_.PageLoaded) return;
    // The box as it stands: what a save now would write.
    const PageForm form = window_.Checked(kStrongBox) ? PageForm::Strong : PageForm::Standard;
    const std::optional<std::string> chosen =
        window_.RunDetails(document_.PageSize(), document_.DataSize(), state_.EncodeType, form);
    if (!chosen) return;
    state_.EncodeType = *chosen;
    encodeTypeSetting_ = *chosen;
    SetCharCodeName();
}

// Only the check mark and an untouched default prompt change: the other
// fields keep what is typed, and so does a prompt of the author's own.
void MainWindowLogic::TogglePageLanguage() {
    const res::Language before = state_.PageLanguage;
    state_.PageLanguage =
        before == res::Language::English ? res::Language::Japanese : res::Language::English;
    window_.CheckMenuItem(kEnglishPagesCommand, state_.PageLanguage == res::Language::English);
    if (window_.Text(kPromptField) == publish::PublicationOptions::DefaultPrompt(before)) {
        state_.Prompt = publish::PublicationOptions::DefaultPrompt(state_.PageLanguage);
        window_.SetText(kPromptField, state_.Prompt);
    }
}

void MainWindowLogic::Exit() {
    // The fields hold no more than their limits: the window sets them.
    ReadControls();
    window_.EndDialog(kResultOk);
}

void MainWindowLogic::OnPasswordEdited() {
    state_.PasswordChanged = true;
}

void MainWindowLogic::OnCookieOnClicked() {
    ReadControls();
    EnableCookieControls(false);
    ShowMembers();
}

void MainWindowLogic::OnLifetimeSelected() {
    ReadControls();
    const int item = window_.Selection(kLifetimeCombo);
    if (item == kUntilBrowserCloses) state_.CookieKeepDays = 0;
    if (item == kUnlimited) state_.CookieKeepDays = -1;
    EnableConfirm();
    ShowMembers();
}

// Typing while "until the browser closes" is in force offers the confirm box
// at once; the typed text counts only when the field is left.
void MainWindowLogic::OnLifetimeEdited() {
    if (state_.CookieKeepDays != 0) return;
    ReadControls();
    window_.EnableControl(kConfirmBox, true);
    ShowMembers();
}

void MainWindowLogic::OnLifetimeFocusLost() {
    ReadControls();
    const int item = window_.Selection(kLifetimeCombo);
    if (item == kUntilBrowserCloses || item == kUnlimited) return;
    const CookieLifetime::Typed typed = CookieLifetime::FromTyped(window_.Text(kLifetimeCombo));
    if (typed.selection != kNoSelection) {
        window_.SetSelection(kLifetimeCombo, typed.selection);
    } else {
        window_.SetText(kLifetimeCombo, typed.text);
    }
    state_.CookieKeepDays = typed.keepDays;
    EnableConfirm();
    ShowMembers();
}

void MainWindowLogic::OnDestroy() {
    ReadControls();
    WriteSettings();
    window_.CloseHelp();
}

void MainWindowLogic::ReadControls() {
    displayPath_ = window_.Text(kPathField);
    // The old password's bytes go before the new text takes their place.
    // The copy read before is wiped as it is replaced.
    state_.Password = window_.Text(kPasswordField);
    state_.Prompt = window_.Text(kPromptField);
    state_.CookieOn = window_.Checked(kCookieOnBox);
    state_.CookieKey = window_.Text(kCookieKeyField);
    state_.Confirm = window_.Checked(kConfirmBox);
    state_.Comment = window_.Checked(kCommentBox);
    state_.Strong = window_.Checked(kStrongBox);
}

void MainWindowLogic::ShowMembers() {
    window_.SetTextLimit(kPathField, kPathLimit);
    window_.SetTextLimit(kPromptField, kPromptLimit);
    window_.SetTextLimit(kCookieKeyField, kCookieKeyLimit);
    window_.SetText(kPathField, displayPath_);
    window_.SetText(kPasswordField, state_.Password.Text());
    window_.SetText(kPromptField, state_.Prompt);
    window_.SetCheck(kCookieOnBox, state_.CookieOn);
    window_.SetText(kCookieKeyField, state_.CookieKey);
    window_.SetCheck(kConfirmBox, state_.Confirm);
    window_.SetCheck(kCommentBox, state_.Comment);
    window_.SetCheck(kStrongBox, state_.Strong);
    window_.CheckMenuItem(kEnglishPagesCommand, state_.PageLanguage == res::Language::English);
}

SettingsStore MainWindowLogic::OpenStore() const {
    SettingsStore store;
    store.SetSection(kSection);
    return store;
}

void MainWindowLogic::ReadSettings() {
    SettingsStore store = OpenStore();
    store.Batch([&] {
        state_.Path = store.ReadString("Path");
        state_.Prompt = store.ReadString("Prompt");
        ReadFlag(store, "CookieOn", state_.CookieOn);
        state_.CookieKey = store.ReadString("CookieKey");
        state_.CookieKeepDays =
            store.ReadNumber("CookieKeepDays", publish::CookieKeepTicks::kDefault);
        ReadFlag(store, "Comment", state_.Comment);
        ReadFlag(store, "Confirm", state_.Confirm);
        state_.EncodeType = store.ReadString("EncodeType");
        // Missing in the settings of earlier versions: the default form.
        ReadFlag(store, "StrongLock", state_.Strong);
        // Stored by its short name. A first start (or a value that does not
        // read) publishes in the window's language: an author who reads the
        // window in English writes for English visitors.
        state_.PageLanguage = res::LanguageChoice::Parse(store.ReadString("PageLanguage"))
                                  .value_or(res::StringTable::CurrentLanguage());
    });
}

// The password is not among them.
void MainWindowLogic::WriteSettings() {
    SettingsStore store = OpenStore();
    store.Batch([&] {
        store.WriteString("Path", state_.Path);
        store.WriteString("Prompt", state_.Prompt);
        WriteFlag(store, "CookieOn", state_.CookieOn);
        store.WriteString("CookieKey", state_.CookieKey);
        store.WriteNumber("CookieKeepDays", state_.CookieKeepDays);
        WriteFlag(store, "Comment", state_.Comment);
        WriteFlag(store, "Confirm", state_.Confirm);
        // The author's setting, not the encoding of the page last loaded.
        store.WriteString("EncodeType", encodeTypeSetting_.value_or(state_.EncodeType));
        WriteFlag(store, "StrongLock", state_.Strong);
        store.WriteString("PageLanguage", res::LanguageChoice::Name(state_.PageLanguage));
    });
}

void MainWindowLogic::SetCharCodeName() {
    document_.SetCharCodeName(publish::Publication::CharCodeName(state_.EncodeType));
}

}  // namespace nemora::app
