#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "app/mainwindow/MainWindowIds.h"
#include "app/mainwindow/MainWindowLogic.h"
#include "engine/Key.h"
#include "engine/StreamReader.h"
#include "engine/posix/DurableFileLayer.h"
#include "engine/strong/StrongReader.h"
#include "publish/StrongPage.h"
#include "tests/mainwindow/FakeWindow.h"
#include "tests/support/ConfigHome.h"
#include "tests/support/FaultyFileLayer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace nemora::app {
namespace {

using engine::Result;
using namespace mainwindow;
using test::FakeWindow;
using Controls = std::set<int>;
namespace fs = std::filesystem;

const Controls kNoPageControls = {kPathField, kLoadButton, kLogoButton};
const Controls kPageReadyControls = {kPathField,     kLoadButton,  kLogoButton,  kSaveButton,
                                     kPasswordField, kPromptField, kCookieOnBox, kCookieKeyField,
                                     kLifetimeCombo, kConfirmBox,  kCommentBox,  kStrongBox};

class MainWindowLogicTest : public ::testing::Test {
protected:
    void Start(const std::optional<std::string>& startupFile = std::nullopt,
               engine::FileLayer& files = engine::FileLayer::System()) {
        logic_ = std::make_unique<MainWindowLogic>(window_, writer_, files);
        logic_->Initialise(startupFile);
    }

    // Ends the window as the platform does, then starts a new one.
    void Restart() {
        logic_->OnDestroy();
        logic_.reset();
        window_ = FakeWindow();
        Start();
    }

    std::string Page(const std::string& name, std::size_t length = 4096) {
        return dir_.Write(name, nemora::test::HtmlPage(length, 7));
    }

    std::string LoadedPage(const std::string& name = "index.html") {
        const std::string path = Page(name);
        EXPECT_EQ(logic_->LoadPage(path), Result::Ok);
        return path;
    }

    void Type(int id, const std::string& text) {
        window_.controls[id].text = text;
        if (id == kPasswordField) logic_->OnPasswordEdited();
        if (id == kLifetimeCombo) {
            window_.controls[id].selection = kNoSelection;
            logic_->OnLifetimeEdited();
        }
    }

    void Click(int checkBox) { window_.controls[checkBox].checked ^= true; }

    void Choose(int item) {
        window_.SetSelection(kLifetimeCombo, item);
        logic_->OnLifetimeSelected();
    }

    const FakeWindow::Control& Field(int id) { return window_.controls[id]; }
    bool Enabled(int id) { return window_.controls[id].enabled; }

    nemora::test::ConfigHome home_;
    nemora::test::TempDir dir_;
    FakeWindow window_;
    publish::PublicationWriter writer_{engine::posix::DurableFileLayer::Instance()};
    std::unique_ptr<MainWindowLogic> logic_;
};

TEST_F(MainWindowLogicTest, FirstStartShowsDefaultsAndOffersOnlyLoad) {
    Start();
    EXPECT_EQ(Field(kPromptField).text, "パスワードを入力して下さい。");
    EXPECT_EQ(Field(kCookieKeyField).text, "Key");
    EXPECT_EQ(Field(kLifetimeCombo).text, "7.0");
    EXPECT_EQ(Field(kLifetimeCombo).selection, kNoSelection);
    EXPECT_TRUE(Field(kCookieOnBox).checked);
    EXPECT_TRUE(Field(kCommentBox).checked);
    EXPECT_FALSE(Field(kConfirmBox).checked);
    EXPECT_EQ(Field(kPathField).text, "");
    EXPECT_EQ(Field(kPasswordField).text, "");
    EXPECT_EQ(Field(kPathField).limit, 256);
    EXPECT_EQ(Field(kPromptField).limit, 256);
    EXPECT_EQ(Field(kCookieKeyField).limit, 64);

    EXPECT_EQ(window_.EnabledControls(), kNoPageControls);
    EXPECT_FALSE(window_.menuItems[kSaveCommand]);
    EXPECT_FALSE(window_.menuItems[kDetailsCommand]);
    EXPECT_EQ(window_.defaultButton, kLoadButton);
    EXPECT_EQ(
        window_.systemMenu,
        (std::vector<std::pair<int, std::string>>{{16, "VostelNemora のﾊﾞｰｼﾞｮﾝ情報(&A)..."}}));
    EXPECT_EQ(logic_->State().EncodeType, "shift_jis");
    EXPECT_EQ(logic_->State().CookieKeepDays, 70000);
    EXPECT_TRUE(window_.messages.empty());
    EXPECT_TRUE(window_.progressCaptions.empty());
}

TEST_F(MainWindowLogicTest, SuccessfulLoadEntersPageReady) {
    Start();
    window_.shortenTo = 12;
    const std::string path = Page("index.html");
    EXPECT_EQ(logic_->LoadPage(path), Result::Ok);

    EXPECT_EQ(window_.progressCaptions, std::vector<std::uint32_t>{3001});
    EXPECT_EQ(window_.progressClosed, 1);
    EXPECT_EQ(window_.lastReports.front(), (nemora::test::Report{20, 3011}));
    EXPECT_TRUE(window_.messages.empty());
    EXPECT_EQ(window_.EnabledControls(), kPageReadyControls);
    EXPECT_TRUE(window_.menuItems[kSaveCommand]);
    EXPECT_TRUE(window_.menuItems[kDetailsCommand]);
    EXPECT_EQ(window_.defaultButton, kSaveButton);
    EXPECT_EQ(window_.focus, kPasswordField);
    EXPECT_GE(window_.repaints, 1);

    const app::MainWindowMembers& state = logic_->State();
    EXPECT_TRUE(state.PageLoaded);
    EXPECT_EQ(state.Path, path);
    EXPECT_EQ(state.PageFileName, "index.html");
    const std::string shortened = "..." + path.substr(path.size() - 12);
    EXPECT_EQ(logic_->DisplayPath(), shortened);
    EXPECT_EQ(Field(kPathField).text, shortened);
    EXPECT_EQ(logic_->Document().PageSize(), 4096u);
}

TEST_F(MainWindowLogicTest, StartupFileIsLoadedAtStart) {
    const std::string path = Page("start.html");
    Start(path);
    EXPECT_EQ(logic_->State().Path, path);
    EXPECT_TRUE(logic_->State().PageLoaded);
}

TEST_F(MainWindowLogicTest, CookieOptionRules) {
    Start();
    LoadedPage();
    Click(kCookieOnBox);
    logic_->OnCookieOnClicked();
    EXPECT_FALSE(Enabled(kCookieKeyField));
    EXPECT_TRUE(Enabled(kCommentBox));  // the cookie option's click leaves it
    Restart();                          // off when the next page is loaded
    LoadedPage();
    for (const int id : {kCookieKeyField, kLifetimeCombo, kConfirmBox, kCommentBox}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    // On again: keyword, lifetime and (lifetime not "until the browser
    // closes") confirm follow; the comment box waits for the next load.
    Click(kCookieOnBox);
    logic_->OnCookieOnClicked();
    EXPECT_TRUE(Enabled(kCookieKeyField));
    EXPECT_TRUE(Enabled(kLifetimeCombo));
    EXPECT_TRUE(Enabled(kConfirmBox));
    EXPECT_FALSE(Enabled(kCommentBox));

    Choose(kUntilBrowserCloses);
    Click(kCookieOnBox);
    logic_->OnCookieOnClicked();
    Click(kCookieOnBox);
    logic_->OnCookieOnClicked();
    EXPECT_FALSE(Enabled(kConfirmBox));
    EXPECT_FALSE(Enabled(kCommentBox));
    EXPECT_TRUE(logic_->State().CookieOn);
}

TEST_F(MainWindowLogicTest, FailedLoads) {
    const std::string empty = dir_.Write("empty.html", {});
    const std::string zero = dir_.Write("zero.html", {'<', 'p', 0, '>'});
    // The program's own output, and a file that is no text.
    const std::string loader = dir_.Write(
        "loader.html", nemora::test::Bytes("var urlDecoder = \"decoder.htm\";\n"
                                           "var urlSource = \"page.zvk\";\nvar wndDecoder;\n"));
    const std::string image =
        dir_.Write("photo.png", nemora::test::Bytes(std::string("\x89PNG\r\n\x1a\n\0\0\0\r", 12)));
    const struct {
        const char* name;
        std::string path;
        std::size_t stopAt;
        Result result;
        bool earlierPageStays;
    } cases[] = {
        {"missing", dir_.File("missing.html"), 0, Result::CannotOpen, true},
        {"empty", empty, 0, Result::CannotOpen, true},
        {"folder", dir_.Path().string(), 0, Result::CannotOpen, true},
        {"zero byte", zero, 0, Result::BrokenText, false},
        {"a loader page", loader, 0, Result::IsLoaderPage, true},
        {"an image", image, 0, Result::NotTextPage, true},
        {"stopped reading", Page("big.html", 50000), 2, Result::LoadStopped, false},
        {"stopped compressing", Page("big.html", 50000), 60, Result::LoadStopped, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_ = FakeWindow();
        Start();
        const std::string earlier = LoadedPage("earlier.html");
        window_.stopProgressAt = c.stopAt;
        EXPECT_EQ(logic_->LoadPage(c.path), c.result);
        EXPECT_EQ(window_.messages,
                  std::vector<std::uint32_t>{static_cast<std::uint32_t>(c.result)});
        EXPECT_EQ(window_.progressClosed, 2);

        const app::MainWindowMembers& state = logic_->State();
        EXPECT_EQ(state.Path, earlier);
        EXPECT_EQ(window_.defaultButton, kSaveButton);
        EXPECT_EQ(state.PageLoaded, c.earlierPageStays);
        if (c.earlierPageStays) {
            EXPECT_EQ(window_.EnabledControls(), kPageReadyControls);
            EXPECT_EQ(state.PageFileName, "earlier.html");
            EXPECT_EQ(Field(kPathField).text, earlier);
            // The page that stays is whole: it saves, and its data file opens.
            Type(kPasswordField, "pw");
            const std::string folder = dir_.File(std::string("out-") + c.name);
            window_.folderAnswers = {folder};
            logic_->OnCommand(kSaveButton);
            EXPECT_EQ(window_.messages.back(), 3005u);
            const std::vector<std::uint8_t> data = nemora::test::ReadAll(folder + "/earlier.zvk");
            EXPECT_EQ(
                engine::StreamReader(engine::DeriveKey("pw")).Read(data.data(), data.size()).page,
                nemora::test::ReadAll(earlier));
        } else {
            EXPECT_EQ(window_.EnabledControls(), kNoPageControls);
            EXPECT_FALSE(window_.menuItems[kSaveCommand]);
            EXPECT_FALSE(window_.menuItems[kDetailsCommand]);
            EXPECT_EQ(state.PageFileName, "");
            EXPECT_EQ(Field(kPathField).text, "");
            // Save and Details do nothing without a page.
            logic_->OnCommand(kSaveButton);
            logic_->OnCommand(kDetailsCommand);
            EXPECT_TRUE(window_.folderDialogs.empty());
            EXPECT_TRUE(window_.detailsCalls.empty());
            EXPECT_EQ(window_.messages.size(), 1u);
        }
    }
}

TEST_F(MainWindowLogicTest, ReadErrorLeavesNoPage) {
    nemora::test::FaultyFileLayer files({.failReadAt = 1});
    Start(std::nullopt, files);
    EXPECT_EQ(logic_->LoadPage(Page("index.html")), Result::ReadFailed);
    EXPECT_EQ(window_.messages, std::vector<std::uint32_t>{2001});
    EXPECT_FALSE(logic_->State().PageLoaded);
}

TEST_F(MainWindowLogicTest, LoadCommandStartsAtTheRememberedPage) {
    Start();
    const std::string path = LoadedPage();
    window_.pageAnswers = {std::nullopt};
    logic_->OnCommand(kLoadButton);
    EXPECT_EQ(window_.pageDialogs, std::vector<std::string>{path});
    EXPECT_EQ(window_.progressCaptions.size(), 1u);  // cancelled: nothing loaded

    const std::string other = Page("other.html");
    window_.pageAnswers = {other};
    logic_->OnCommand(kLoadCommand);
    EXPECT_EQ(logic_->State().Path, other);

    // A remembered page that has gone since preselects nothing.
    Restart();
    fs::remove(other);
    Restart();
    logic_->OnCommand(kLoadCommand);
    EXPECT_EQ(window_.pageDialogs, std::vector<std::string>{""});
}

TEST_F(MainWindowLogicTest, TypedLifetimeIsTakenWhenTheFieldIsLeft) {
    const struct {
        const char* typed;
        int selection;
        const char* text;
        std::int32_t keepDays;
    } cases[] = {
        {"abc", kUntilBrowserCloses, "ブラウザが閉じるまで", 0},
        {"-3", kUntilBrowserCloses, "ブラウザが閉じるまで", 0},
        {"0.00009", kUntilBrowserCloses, "ブラウザが閉じるまで", 0},
        {"36500", kNoSelection, "36500.0", 365000000},
        {"36500.5", kUnlimited, "無期限", -1},
        {"1e2", kNoSelection, "100.0", 1000000},
        {"0.05", kNoSelection, "5.e-002", 500},
        {"1.00005", kNoSelection, "1.00005", 10000},
    };
    Start();
    LoadedPage();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Type(kLifetimeCombo, c.typed);
        logic_->OnLifetimeFocusLost();
        EXPECT_EQ(Field(kLifetimeCombo).selection, c.selection);
        EXPECT_EQ(Field(kLifetimeCombo).text, c.text);
        EXPECT_EQ(logic_->State().CookieKeepDays, c.keepDays);
        EXPECT_EQ(Enabled(kConfirmBox), c.keepDays != 0);
    }
}

TEST_F(MainWindowLogicTest, LifetimeListAndTyping) {
    Start();
    LoadedPage();
    Choose(kUnlimited);
    EXPECT_EQ(logic_->State().CookieKeepDays, -1);
    EXPECT_TRUE(Enabled(kConfirmBox));
    Choose(kUntilBrowserCloses);
    EXPECT_EQ(logic_->State().CookieKeepDays, 0);
    EXPECT_FALSE(Enabled(kConfirmBox));

    // Leaving the field with a list item selected keeps it.
    logic_->OnLifetimeFocusLost();
    EXPECT_EQ(Field(kLifetimeCombo).selection, kUntilBrowserCloses);

    // While "until the browser closes" holds, typing offers the confirm box
    // at once; text that is no number takes it away again.
    Type(kLifetimeCombo, "3");
    EXPECT_TRUE(Enabled(kConfirmBox));
    EXPECT_EQ(logic_->State().CookieKeepDays, 0);
    Type(kLifetimeCombo, "x");
    logic_->OnLifetimeFocusLost();
    EXPECT_FALSE(Enabled(kConfirmBox));

    // With a day count in force, typing changes nothing until the field is left.
    Type(kLifetimeCombo, "2");
    logic_->OnLifetimeFocusLost();
    window_.controls[kConfirmBox].enabled = false;
    Type(kLifetimeCombo, "abc");
    EXPECT_FALSE(Enabled(kConfirmBox));
    EXPECT_EQ(logic_->State().CookieKeepDays, 20000);
}

TEST_F(MainWindowLogicTest, SettingsSurviveARestartButNeverThePassword) {
    Start();
    const std::string path = LoadedPage();
    Type(kPasswordField, "hunter2-secret");
    Type(kPromptField, "合言葉は?");
    Type(kCookieKeyField, "k\"ey\\");
    Click(kConfirmBox);
    Click(kCommentBox);
    Type(kLifetimeCombo, "1.00005");
    logic_->OnLifetimeFocusLost();
    window_.detailsAnswers = {"UTF8"};
    logic_->OnCommand(kDetailsCommand);
    Restart();

    const std::string file = home_.ReadRegistry();
    EXPECT_EQ(file.find("hunter2"), std::string::npos);
    EXPECT_EQ(file.find("Password"), std::string::npos);

    const app::MainWindowMembers& state = logic_->State();
    EXPECT_EQ(state.Path, path);
    EXPECT_EQ(state.Prompt, "合言葉は?");
    EXPECT_EQ(state.CookieKey, "k\"ey\\");
    EXPECT_TRUE(state.CookieOn);
    EXPECT_TRUE(state.Confirm);
    EXPECT_FALSE(state.Comment);
    EXPECT_EQ(state.CookieKeepDays, 10000);
    EXPECT_EQ(state.EncodeType, "UTF8");
    EXPECT_EQ(state.Password, "");
    EXPECT_EQ(Field(kLifetimeCombo).text, "1.0");
    EXPECT_FALSE(state.PageLoaded);  // the remembered page only preselects the file dialog

    // The two list choices come back as list choices.
    for (const int item : {kUnlimited, kUntilBrowserCloses}) {
        Choose(item);
        Restart();
        EXPECT_EQ(Field(kLifetimeCombo).selection, item);
    }
}

TEST_F(MainWindowLogicTest, DestroyWritesTheWholeSectionAndClosesHelp) {
    Start();
    LoadedPage();
    Type(kPasswordField, "pw");
    logic_->OnDestroy();
    EXPECT_EQ(window_.helpClosed, 1);
    const std::string file = home_.ReadRegistry();
    const std::string section =
        file.substr(file.find("[HKEY_CURRENT_USER\\Software\\Kelvane\\Nemora\\Setting]"));
    const std::string page = (dir_.Path() / "index.html").string();
    EXPECT_EQ(section,
              "[HKEY_CURRENT_USER\\Software\\Kelvane\\Nemora\\Setting]\n"
              "\"Path\"=\"" +
                  page +
                  "\"\n"
                  "\"Prompt\"=\"パスワードを入力して下さい。\"\n"
                  "\"CookieOn\"=hex:01\n"
                  "\"CookieKey\"=\"Key\"\n"
                  "\"CookieKeepDays\"=dword:00011170\n"
                  "\"Comment\"=hex:01\n"
                  "\"Confirm\"=hex:00\n"
                  "\"EncodeType\"=\"shift_jis\"\n"
                  "\"StrongLock\"=hex:00\n"
                  "\"PageLanguage\"=\"ja\"\n\n");
}

// Writing a page fails after its file was made (here a full disk): the
// standard file-error message names the page.
TEST_F(MainWindowLogicTest, AWriteFailureOfAPageShowsTheFileErrorNamingIt) {
    const struct {
        const char* name;
        nemora::test::Faults faults;
        std::uint32_t message;
    } cases[] = {
        {"full disk", {.fullDiskAt = 1}, 61869},
        {"input/output error", {.failWriteAt = 2}, 61866},
        {"closing fails", {.failCommit = true}, 61857},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_ = FakeWindow();
        nemora::test::FaultyFileLayer pageFiles(c.faults);
        publish::PublicationWriter writer(pageFiles);
        logic_ = std::make_unique<MainWindowLogic>(window_, writer, engine::FileLayer::System());
        logic_->Initialise(std::nullopt);
        LoadedPage();
        Type(kPasswordField, "secret pass");
        const std::string folder = dir_.File(std::string("out-") + c.name);
        window_.folderAnswers = {folder};
        logic_->OnCommand(kSaveButton);
        EXPECT_EQ(window_.messages, std::vector<std::uint32_t>{c.message});
        EXPECT_EQ(window_.fileErrors, std::vector<std::string>{folder + "/index.html"});
        logic_.reset();
    }
}

TEST_F(MainWindowLogicTest, SavePublishesTheFourFiles) {
    Start();
    LoadedPage();
    Type(kPasswordField, "secret pass");
    const std::string folder = (dir_.Path() / "out" / "site").string();
    window_.folderAnswers = {folder};
    logic_->OnCommand(kSaveButton);

    EXPECT_EQ(window_.folderDialogs, std::vector<std::string>{(dir_.Path() / "index").string()});
    EXPECT_EQ(window_.progressCaptions, (std::vector<std::uint32_t>{3001, 3002}));
    EXPECT_EQ(window_.messages, std::vector<std::uint32_t>{3005});
    EXPECT_EQ(window_.defaultButton, kLoadButton);
    EXPECT_FALSE(logic_->State().PasswordChanged);
    EXPECT_EQ(nemora::test::Entries(folder),
              (std::vector<std::string>{"decoder.htm", "decoder.jar", "index.html", "index.zvk"}));
    const std::vector<std::uint8_t> data = nemora::test::ReadAll(folder + "/index.zvk");
    const engine::UnlockedPage page =
        engine::StreamReader(engine::DeriveKey("secret pass")).Read(data.data(), data.size());
    EXPECT_EQ(page.status, engine::Result::Ok);
    EXPECT_EQ(page.encodingName, "shift_jis");
    EXPECT_EQ(page.page, nemora::test::ReadAll(dir_.File("index.html")));
    // 5 units per KiB of the stream the first time.
    const std::uint32_t kib = window_.lastReports.front().units / 5;
    EXPECT_GT(kib, 0u);
    EXPECT_EQ(window_.lastReports.front(), (nemora::test::Report{5 * kib, 3014}));

    // Saved again unchanged (Enter: the dialog's OK): no new encipherment,
    // 1 unit per KiB. An edited password: 9 per KiB.
    window_.folderAnswers = {folder};
    logic_->OnCommand(kOkCommand);
    EXPECT_EQ(window_.lastReports.front(), (nemora::test::Report{kib, 3014}));
    Type(kPasswordField, "another");
    EXPECT_TRUE(logic_->State().PasswordChanged);
    window_.folderAnswers = {folder};
    logic_->OnCommand(kSaveCommand);
    EXPECT_EQ(window_.lastReports.front(), (nemora::test::Report{9 * kib, 3014}));
    EXPECT_EQ(window_.messages, (std::vector<std::uint32_t>{3005, 3005, 3005}));
}

// The message after a save names the folder written and offers to open it,
// or the page in the browser; the menu offers the page again later, while it
// is there.
TEST_F(MainWindowLogicTest, SaveOffersTheFolderAndThePageInTheBrowser) {
    Start();
    EXPECT_FALSE(window_.menuItems[kOpenInBrowserCommand]);
    logic_->OnCommand(kOpenInBrowserCommand);  // nothing saved yet: nothing happens
    LoadedPage("page.html");
    Type(kPasswordField, "secret pass");
    const std::string folder = dir_.File("out");
    const struct {
        const char* name;
        std::optional<PublishedChoice> answer;  // none: the message is closed
        bool strong;
        std::vector<std::string> opened;
        std::size_t browserOpens;
    } cases[] = {
        {"closed", std::nullopt, false, {}, 0},
        {"folder", PublishedChoice::OpenFolder, false, {folder}, 0},
        {"browser", PublishedChoice::OpenInBrowser, false, {}, 1},
        {"browser, strong form", PublishedChoice::OpenInBrowser, true, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_.messages.clear();
        window_.publishedFolders.clear();
        window_.openedFolders.clear();
        window_.browserOpens.clear();
        if (c.answer) window_.publishedAnswers = {*c.answer};
        window_.controls[kStrongBox].checked = c.strong;
        window_.folderAnswers = {folder};
        logic_->OnCommand(kSaveButton);
        EXPECT_EQ(window_.messages, std::vector<std::uint32_t>{3005});
        EXPECT_EQ(window_.publishedFolders, std::vector<std::string>{folder});
        EXPECT_EQ(window_.openedFolders, c.opened);
        EXPECT_EQ(window_.browserOpens, (std::vector<std::pair<std::string, std::string>>(
                                            c.browserOpens, {folder, "page.html"})));
        EXPECT_TRUE(window_.menuItems[kOpenInBrowserCommand]);
    }

    // Later, from the menu; the failures name what failed.
    window_.browserOpens.clear();
    window_.messages.clear();
    EXPECT_TRUE(logic_->OnCommand(kOpenInBrowserCommand));
    EXPECT_EQ(window_.browserOpens.size(), 1u);
    window_.browserFailure = kCannotServePage;
    logic_->OnCommand(kOpenInBrowserCommand);
    EXPECT_EQ(window_.messages, std::vector<std::uint32_t>{kCannotServePage});
    EXPECT_EQ(window_.messagePaths, std::vector<std::string>{folder + "/page.html"});
    fs::remove(folder + "/page.html");
    logic_->OnCommand(kOpenInBrowserCommand);
    EXPECT_EQ(window_.messages.back(), kPublishedPageMissing);
    EXPECT_EQ(window_.browserOpens.size(), 2u);

    window_.folderOpens = false;
    window_.publishedAnswers = {PublishedChoice::OpenFolder};
    window_.folderAnswers = {folder};
    logic_->OnCommand(kSaveButton);
    EXPECT_EQ(window_.messages.back(), kCannotOpenFolder);
    EXPECT_EQ(window_.messagePaths.back(), folder);

    // A save that fails offers nothing, and the menu keeps the page saved
    // before.
    window_.messages.clear();
    window_.publishedFolders.clear();
    Type(kPasswordField, "");
    window_.folderAnswers = {dir_.File("elsewhere")};
    logic_->OnCommand(kSaveButton);
    EXPECT_EQ(window_.messages, std::vector<std::uint32_t>{2011});
    EXPECT_TRUE(window_.publishedFolders.empty());
    window_.browserFailure = 0;
    logic_->OnCommand(kOpenInBrowserCommand);
    EXPECT_EQ(window_.browserOpens.back(),
              (std::pair<std::string, std::string>{folder, "page.html"}));
}

TEST_F(MainWindowLogicTest, SaveRefusalsAndStops) {
    Start();
    LoadedPage();
    // Each row starts from a window that has just loaded a page.
    const struct {
        const char* name;
        const char* password;
        const char* cookieKey;
        std::optional<std::string> folder;
        std::size_t stopAt;
        std::vector<std::uint32_t> messages;
    } cases[] = {
        {"no password", "", "Key", "out", 0, {2011}},
        {"no keyword", "pw", "", "out", 0, {2013}},
        {"folder dialog cancelled", "pw", "Key", std::nullopt, 0, {}},
        {"folder with an extension", "pw", "Key", "out.htm", 0, {2007}},
        {"folder below a file", "pw", "Key", "index.html/out", 0, {2021}},
        {"the page's own folder", "pw", "Key", "", 0, {2100}},
        {"stopped", "pw", "Key", "out", 2, {3004}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_.messages.clear();
        window_.stopProgressAt = c.stopAt;
        window_.defaultButton = kSaveButton;
        Type(kPasswordField, c.password);
        Type(kCookieKeyField, c.cookieKey);
        window_.folderAnswers = {c.folder ? std::optional(dir_.File(*c.folder)) : std::nullopt};
        logic_->OnCommand(kSaveButton);
        EXPECT_EQ(window_.messages, c.messages);
        EXPECT_EQ(window_.defaultButton, kSaveButton);
        EXPECT_FALSE(fs::exists(dir_.File("out/index.html")));
        EXPECT_FALSE(fs::exists(dir_.File("out.htm")));
        // The page stays as it is, and loaded.
        EXPECT_EQ(nemora::test::ReadAll(dir_.File("index.html")), nemora::test::HtmlPage(4096, 7));
        EXPECT_FALSE(fs::exists(dir_.File("index.zvk")));
        EXPECT_TRUE(logic_->State().PageLoaded);
    }
    // Cookies off: no keyword needed.
    Click(kCookieOnBox);
    logic_->OnCookieOnClicked();
    window_.stopProgressAt = 0;
    window_.folderAnswers = {dir_.File("out")};
    logic_->OnCommand(kSaveButton);
    EXPECT_EQ(window_.messages.back(), 3005u);
}

TEST_F(MainWindowLogicTest, DetailsChangeTheEncodingName) {
    Start();
    logic_->OnCommand(kDetailsCommand);
    EXPECT_TRUE(window_.detailsCalls.empty());  // no page yet

    LoadedPage();
    const std::uint32_t dataSize = logic_->Document().DataSize();
    window_.detailsAnswers = {std::nullopt, "euc-kr"};
    logic_->OnCommand(kDetailsCommand);
    EXPECT_EQ(logic_->State().EncodeType, "shift_jis");
    logic_->OnCommand(kDetailsCommand);
    ASSERT_EQ(window_.detailsCalls.size(), 2u);
    EXPECT_EQ(window_.detailsCalls[0].pageSize, 4096u);
    EXPECT_EQ(window_.detailsCalls[0].dataSize, dataSize);
    EXPECT_EQ(window_.detailsCalls[0].encodeType, "shift_jis");
    EXPECT_EQ(logic_->State().EncodeType, "euc-kr");

    Type(kPasswordField, "pw");
    window_.folderAnswers = {dir_.File("out")};
    logic_->OnCommand(kSaveButton);
    const std::vector<std::uint8_t> data = nemora::test::ReadAll(dir_.File("out/index.zvk"));
    EXPECT_EQ(
        engine::StreamReader(engine::DeriveKey("pw")).Read(data.data(), data.size()).encodingName,
        "euc-kr");
}

// A loaded page is named by its own encoding, the classic decoders' name
// where there is one; a page whose bytes tell nothing gets the setting, never
// the encoding of the page loaded before it. The setting is what the author
// chose, in Details or before: a page's own encoding never replaces it.
TEST_F(MainWindowLogicTest, ALoadedPageIsNamedByItsOwnEncoding) {
    Start();
    const struct {
        const char* file;
        std::string bytes;
        const char* encodeType;
    } pages[] = {
        {"utf8.html",
         "<!DOCTYPE html><meta charset=\"utf-8\"><p>\u2014 \u00b6 \u00e9 \u65e5\u672c\u8a9e</p>",
         "UTF8"},
        {"plain.html", "<p>plain ASCII</p>", "shift_jis"},
        {"undeclared.html", "<p>caf\u00e9</p>", "UTF8"},
        {"sjis.html", "<p>\x93\xfa\x96\x7b</p>", "shift_jis"},
        {"latin.html", "<meta charset=latin1><p>caf\xe9</p>", "iso-8859-1"},
        {"koi8.html", "<meta charset=koi8-r><p>\xf0\xd2</p>", "koi8-r"},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.file);
        const std::string path = dir_.Write(page.file, nemora::test::Bytes(page.bytes));
        ASSERT_EQ(logic_->LoadPage(path), Result::Ok);
        EXPECT_EQ(logic_->State().EncodeType, page.encodeType);
    }

    // Details shows the name, and the save writes it.
    ASSERT_EQ(logic_->LoadPage(dir_.File("utf8.html")), Result::Ok);
    window_.detailsAnswers = {std::nullopt};
    logic_->OnCommand(kDetailsCommand);
    EXPECT_EQ(window_.detailsCalls.back().encodeType, "UTF8");
    Type(kPasswordField, "pw");
    window_.folderAnswers = {dir_.File("out")};
    logic_->OnCommand(kSaveButton);
    const std::vector<std::uint8_t> data = nemora::test::ReadAll(dir_.File("out/utf8.zvk"));
    EXPECT_EQ(
        engine::StreamReader(engine::DeriveKey("pw")).Read(data.data(), data.size()).encodingName,
        "UTF8");
    Restart();
    EXPECT_EQ(logic_->State().EncodeType, "shift_jis");

    // A name chosen in Details is the setting from then on; a typed one is
    // written in code page 932.
    ASSERT_EQ(logic_->LoadPage(dir_.File("plain.html")), Result::Ok);
    window_.detailsAnswers = {"日本"};
    logic_->OnCommand(kDetailsCommand);
    ASSERT_EQ(logic_->LoadPage(dir_.File("utf8.html")), Result::Ok);
    EXPECT_EQ(logic_->State().EncodeType, "UTF8");
    ASSERT_EQ(logic_->LoadPage(dir_.File("plain.html")), Result::Ok);
    EXPECT_EQ(logic_->State().EncodeType, "日本");
    Type(kPasswordField, "pw");
    window_.folderAnswers = {dir_.File("typed")};
    logic_->OnCommand(kSaveButton);
    const std::vector<std::uint8_t> typed = nemora::test::ReadAll(dir_.File("typed/plain.zvk"));
    EXPECT_EQ(
        engine::StreamReader(engine::DeriveKey("pw")).Read(typed.data(), typed.size()).encodingName,
        "\x93\xfa\x96\x7b");
    Restart();
    EXPECT_EQ(logic_->State().EncodeType, "日本");
}

// With the strong box ticked a save writes the page and the shared script
// only, and takes any character in the password; without it, a password that
// code page 932 cannot hold is refused before the folder is asked for.
TEST_F(MainWindowLogicTest, StrongBoxSavesThePageAndItsScript) {
    const std::string password = "鍵🔑 für alle";
    const struct {
        const char* name;
        bool strong;
        std::vector<std::uint32_t> messages;
        std::vector<std::string> files;
        int defaultButton;
    } cases[] = {
        {"standard", false, {2051}, {}, kSaveButton},
        {"strong", true, {3005}, {"index.html", "nemora-strong.js"}, kLoadButton},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_ = FakeWindow();
        Start();
        LoadedPage();
        Type(kPasswordField, password);
        if (c.strong) Click(kStrongBox);
        const std::string folder = dir_.File(std::string("out-") + c.name);
        window_.folderAnswers = {folder};
        logic_->OnCommand(kSaveButton);
        EXPECT_EQ(window_.messages, c.messages);
        EXPECT_EQ(window_.defaultButton, c.defaultButton);
        EXPECT_EQ(fs::exists(folder) ? nemora::test::Entries(folder) : std::vector<std::string>{},
                  c.files);
        if (!c.strong) continue;
        EXPECT_EQ(window_.progressCaptions, (std::vector<std::uint32_t>{3001, 3002}));
        // The key's derivation is a phase of its own, before the writing.
        EXPECT_EQ(window_.lastReports.front(), (nemora::test::Report{1, 3016}));
        const std::optional<std::vector<std::uint8_t>> container =
            publish::StrongPage::ReadContainer(nemora::test::ReadAll(folder + "/index.html"));
        ASSERT_TRUE(container);
        const engine::UnlockedPage page =
            engine::strong::StrongReader::Read(container->data(), container->size(), password);
        EXPECT_EQ(page.status, Result::Ok);
        EXPECT_EQ(page.page, nemora::test::ReadAll(dir_.File("index.html")));
    }
}

// A strong save derives a key of its own and leaves the document's alone:
// the next standard save must still encipher with the password typed since.
TEST_F(MainWindowLogicTest, StrongSaveLeavesThePasswordChangeToTheNextStandardSave) {
    Start();
    LoadedPage();
    Type(kPasswordField, "first");
    window_.folderAnswers = {dir_.File("standard")};
    logic_->OnCommand(kSaveButton);
    Type(kPasswordField, "second");
    Click(kStrongBox);
    window_.folderAnswers = {dir_.File("strong")};
    logic_->OnCommand(kSaveButton);
    EXPECT_TRUE(logic_->State().PasswordChanged);
    Click(kStrongBox);
    window_.folderAnswers = {dir_.File("standard")};
    logic_->OnCommand(kSaveButton);
    EXPECT_EQ(window_.messages, (std::vector<std::uint32_t>{3005, 3005, 3005}));
    const std::vector<std::uint8_t> data = nemora::test::ReadAll(dir_.File("standard/index.zvk"));
    EXPECT_EQ(engine::StreamReader(engine::DeriveKey("second")).Read(data.data(), data.size()).page,
              nemora::test::ReadAll(dir_.File("index.html")));
}

TEST_F(MainWindowLogicTest, StrongBoxIsRememberedAndMissingMeansOff) {
    Start();
    const std::string page = LoadedPage();
    Click(kStrongBox);
    Restart();
    EXPECT_TRUE(logic_->State().Strong);
    EXPECT_TRUE(Field(kStrongBox).checked);

    const std::string stored = home_.ReadRegistry();
    const std::string on = "\"StrongLock\"=hex:01\n";
    const std::size_t at = stored.find(on);
    ASSERT_NE(at, std::string::npos);
    // Settings written before the option existed have no such value.
    const struct {
        const char* name;
        std::string value;
        bool strong;
    } cases[] = {
        {"missing", "", false},
        {"off", "\"StrongLock\"=hex:00\n", false},
        {"on", on, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        logic_.reset();
        home_.WriteRegistry(std::string(stored).replace(at, on.size(), c.value));
        window_ = FakeWindow();
        Start();
        EXPECT_EQ(logic_->State().Strong, c.strong);
        EXPECT_EQ(Field(kStrongBox).checked, c.strong);
        EXPECT_EQ(logic_->State().Path, page);
    }
}

// The menu's option publishes the visitor's side in English; it shows as a
// check mark, survives a restart, and an unknown stored value means Japanese.
TEST_F(MainWindowLogicTest, EnglishPagesOptionIsCheckedAndRemembered) {
    Start();
    EXPECT_FALSE(window_.menuChecks.at(kEnglishPagesCommand));
    EXPECT_TRUE(logic_->OnCommand(kEnglishPagesCommand));
    EXPECT_EQ(logic_->State().PageLanguage, res::Language::English);
    EXPECT_TRUE(window_.menuChecks.at(kEnglishPagesCommand));
    Restart();
    EXPECT_EQ(logic_->State().PageLanguage, res::Language::English);
    EXPECT_TRUE(window_.menuChecks.at(kEnglishPagesCommand));

    const std::string stored = home_.ReadRegistry();
    const std::string english = "\"PageLanguage\"=\"en\"\n";
    const std::size_t at = stored.find(english);
    ASSERT_NE(at, std::string::npos);
    for (const std::string& value : {std::string(), std::string("\"PageLanguage\"=\"xx\"\n")}) {
        logic_.reset();
        home_.WriteRegistry(std::string(stored).replace(at, english.size(), value));
        window_ = FakeWindow();
        Start();
        EXPECT_EQ(logic_->State().PageLanguage, res::Language::Japanese) << value;
        EXPECT_FALSE(window_.menuChecks.at(kEnglishPagesCommand));
    }
    logic_->OnCommand(kEnglishPagesCommand);
    logic_->OnCommand(kEnglishPagesCommand);
    EXPECT_EQ(logic_->State().PageLanguage, res::Language::Japanese);
}

// The default prompt is for the visitor: it follows the pages' language,
// while a prompt the author typed, and the typed password, stay.
TEST_F(MainWindowLogicTest, DefaultPromptFollowsThePageLanguage) {
    const std::string japanese = "パスワードを入力して下さい。";
    const std::string english = "Enter the password.";
    const struct {
        const char* name;
        std::optional<std::string> typed;
        std::string afterEnglish;
        std::string afterJapanese;
    } cases[] = {
        {"default", std::nullopt, english, japanese},
        {"typed", std::string("合言葉は?"), "合言葉は?", "合言葉は?"},
        {"English typed on Japanese pages", english, english, japanese},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_ = FakeWindow();
        home_.WriteRegistry("");
        Start();
        LoadedPage();
        EXPECT_EQ(Field(kPromptField).text, japanese);
        if (c.typed) Type(kPromptField, *c.typed);
        Type(kPasswordField, "pw");
        logic_->OnCommand(kEnglishPagesCommand);
        EXPECT_EQ(Field(kPromptField).text, c.afterEnglish);
        EXPECT_EQ(Field(kPasswordField).text, "pw");
        logic_->OnCommand(kEnglishPagesCommand);
        EXPECT_EQ(Field(kPromptField).text, c.afterJapanese);
    }
    // A first start with English pages chosen before offers the English one.
    logic_->OnCommand(kEnglishPagesCommand);
    Type(kPromptField, "");
    Restart();
    EXPECT_EQ(Field(kPromptField).text, english);
}

// A first start publishes in the window's language, with that language's
// default prompt; what the settings say wins over the window afterwards.
TEST_F(MainWindowLogicTest, FirstStartPublishesInTheWindowsLanguage) {
    res::StringTable::SetLanguage(res::Language::English);
    struct JapaneseAgain {
        ~JapaneseAgain() { res::StringTable::SetLanguage(res::Language::Japanese); }
    } japaneseAgain;
    Start();
    EXPECT_EQ(logic_->State().PageLanguage, res::Language::English);
    EXPECT_TRUE(window_.menuChecks.at(kEnglishPagesCommand));
    EXPECT_EQ(Field(kPromptField).text, "Enter the password.");
    LoadedPage();
    Type(kPasswordField, "pw");
    const std::string folder = dir_.File("out");
    window_.folderAnswers = {folder};
    logic_->OnCommand(kSaveButton);
    const std::vector<std::uint8_t> loader = nemora::test::ReadAll(folder + "/index.html");
    EXPECT_NE(std::string(loader.begin(), loader.end()).find("Enter the password."),
              std::string::npos);

    // Japanese pages chosen in an English window stay chosen.
    logic_->OnCommand(kEnglishPagesCommand);
    Restart();
    EXPECT_EQ(logic_->State().PageLanguage, res::Language::Japanese);
    EXPECT_FALSE(window_.menuChecks.at(kEnglishPagesCommand));
    EXPECT_EQ(Field(kPromptField).text, "パスワードを入力して下さい。");
}

// A save publishes the loader page in the language the option names.
TEST_F(MainWindowLogicTest, EnglishPagesOptionReachesTheLoaderPage) {
    const std::string noScript = "This page cannot be read while JavaScript is disabled.";
    for (const bool english : {false, true}) {
        SCOPED_TRACE(english);
        window_ = FakeWindow();
        Start();
        LoadedPage();
        Type(kPasswordField, "pw");
        if (english != (logic_->State().PageLanguage == res::Language::English))
            logic_->OnCommand(kEnglishPagesCommand);
        const std::string folder = dir_.File(english ? "out-en" : "out-ja");
        window_.folderAnswers = {folder};
        logic_->OnCommand(kSaveButton);
        EXPECT_EQ(window_.messages, std::vector<std::uint32_t>{3005});
        const std::vector<std::uint8_t> loader = nemora::test::ReadAll(folder + "/index.html");
        EXPECT_EQ(std::string(loader.begin(), loader.end()).find(noScript) != std::string::npos,
                  english);
    }
}

// Details name the form a save would write now, as the box stands.
TEST_F(MainWindowLogicTest, DetailsShowTheFormOfTheBox) {
    Start();
    LoadedPage();
    logic_->OnCommand(kDetailsCommand);
    Click(kStrongBox);
    logic_->OnCommand(kDetailsCommand);
    ASSERT_EQ(window_.detailsCalls.size(), 2u);
    EXPECT_EQ(window_.detailsCalls[0].form, PageForm::Standard);
    EXPECT_EQ(window_.detailsCalls[1].form, PageForm::Strong);
}

TEST_F(MainWindowLogicTest, OtherCommands) {
    Start();
    for (const int id : {kAboutCommand, kLogoButton}) EXPECT_TRUE(logic_->OnCommand(id));
    EXPECT_TRUE(logic_->OnSystemCommand(16));
    EXPECT_TRUE(logic_->OnSystemCommand(0x1F));  // the low four bits are the platform's
    EXPECT_FALSE(logic_->OnSystemCommand(0xF060));
    EXPECT_EQ(window_.aboutBoxes, 4);

    EXPECT_TRUE(logic_->OnCommand(kHelpContentsCommand));
    EXPECT_EQ(window_.helpContents, 1);
    EXPECT_FALSE(logic_->OnCommand(4711));

    EXPECT_TRUE(logic_->OnCommand(kCancelCommand));
    EXPECT_EQ(window_.endResult, kResultCancel);
    Type(kPromptField, "typed");
    EXPECT_TRUE(logic_->OnCommand(kExitCommand));
    EXPECT_EQ(window_.endResult, kResultOk);
    EXPECT_EQ(logic_->State().Prompt, "typed");
}

}  // namespace
}  // namespace nemora::app
