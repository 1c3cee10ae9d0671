#pragma once

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/mainwindow/MainWindowIds.h"
#include "app/mainwindow/WindowOperations.h"
#include "tests/support/RecordingSink.h"

namespace nemora::app::test {

// The main window as the logic sees it, recording what the logic does and
// answering its dialogs from scripts. Controls and menu items start as the
// window's template makes them.
class FakeWindow : public WindowOperations {
public:
    struct Control {
        bool enabled = false;
        std::string text;
        int limit = 0;
        bool checked = false;
        int selection = mainwindow::kNoSelection;
    };

    struct DetailsCall {
        std::uint32_t pageSize;
        std::uint32_t dataSize;
        std::string encodeType;
        PageForm form;
    };

    FakeWindow() {
        using namespace mainwindow;
        for (const int id : {kPathField, kLoadButton, kLogoButton}) controls[id].enabled = true;
        for (const int id : {kPasswordField, kPromptField, kCookieOnBox, kCookieKeyField,
                             kLifetimeCombo, kConfirmBox, kCommentBox, kStrongBox, kSaveButton}) {
            controls[id].enabled = false;
        }
        for (const int id : {kLoadCommand, kExitCommand, kHelpContentsCommand, kAboutCommand}) {
            menuItems[id] = true;
        }
        menuItems[kSaveCommand] = false;
        menuItems[kDetailsCommand] = false;
        menuItems[kOpenInBrowserCommand] = false;
    }

    void EnableControl(int id, bool enable) override { controls[id].enabled = enable; }
    void SetFocus(int id) override { focus = id; }
    void SetText(int id, const std::string& text) override {
        Control& control = controls[id];
        if (id == mainwindow::kLifetimeCombo) control.selection = mainwindow::kNoSelection;
        control.text = text;
    }
    std::string Text(int id) const override { return At(id).text; }
    void SetTextLimit(int id, int characters) override { controls[id].limit = characters; }
    void SetCheck(int id, bool checked) override { controls[id].checked = checked; }
    bool Checked(int id) const override { return At(id).checked; }
    void SetSelection(int id, int item) override {
        controls[id].selection = item;
        if (item >= 0) controls[id].text = kLifetimeItems[item];
    }
    int Selection(int id) const override { return At(id).selection; }
    void SetDefaultButton(int id) override { defaultButton = id; }
    void EnableMenuItem(int id, bool enable) override { menuItems[id] = enable; }
    void CheckMenuItem(int id, bool checked) override { menuChecks[id] = checked; }
    void AppendSystemMenuItem(int id, const std::string& text) override {
        systemMenu.emplace_back(id, text);
    }
    void Repaint() override { ++repaints; }

    void ShowMessage(std::uint32_t id) override { messages.push_back(id); }
    void ShowMessage(std::uint32_t id, const std::string& path) override {
        messages.push_back(id);
        messagePaths.push_back(path);
    }
    void ShowFileError(std::uint32_t id, const std::string& file) override {
        messages.push_back(id);
        fileErrors.push_back(file);
    }
    PublishedChoice ShowPublished(std::uint32_t id, const std::string& folder) override {
        messages.push_back(id);
        publishedFolders.push_back(folder);
        if (publishedAnswers.empty()) return PublishedChoice::Close;
        const PublishedChoice answer = publishedAnswers.front();
        publishedAnswers.pop_front();
        return answer;
    }
    bool OpenFolder(const std::string& folder) override {
        openedFolders.push_back(folder);
        return folderOpens;
    }
    std::uint32_t OpenInBrowser(const std::string& folder, const std::string& page) override {
        browserOpens.emplace_back(folder, page);
        return browserFailure;
    }
    std::optional<std::string> ChoosePage(const std::string& initialFile) override {
        pageDialogs.push_back(initialFile);
        return Next(pageAnswers);
    }
    std::optional<std::string> ChooseOutputFolder(const std::string& proposed) override {
        folderDialogs.push_back(proposed);
        return Next(folderAnswers);
    }
    engine::ProgressSink* OpenProgress(std::uint32_t captionId) override {
        progressCaptions.push_back(captionId);
        sink.emplace(stopProgressAt);
        return &*sink;
    }
    void CloseProgress() override {
        if (sink) lastReports = sink->reports;
        sink.reset();
        ++progressClosed;
    }
    std::optional<std::string> RunDetails(std::uint32_t pageSize, std::uint32_t dataSize,
                                          const std::string& encodeType, PageForm form) override {
        detailsCalls.push_back({pageSize, dataSize, encodeType, form});
        return Next(detailsAnswers);
    }
    void RunAbout() override { ++aboutBoxes; }
    void ShowHelpContents() override { ++helpContents; }
    void CloseHelp() override { ++helpClosed; }
    void EndDialog(int result) override { endResult = result; }
    std::string ShortenPath(const std::string& path) override {
        return path.size() <= shortenTo ? path : "..." + path.substr(path.size() - shortenTo);
    }
    bool PathExists(const std::string& path) const override {
        return std::filesystem::exists(path);
    }

    std::set<int> EnabledControls() const {
        std::set<int> enabled;
        for (const auto& [id, control] : controls) {
            if (control.enabled) enabled.insert(id);
        }
        return enabled;
    }

    static constexpr const char* kLifetimeItems[] = {"ブラウザが閉じるまで", "無期限"};

    std::map<int, Control> controls;
    std::map<int, bool> menuItems;
    std::map<int, bool> menuChecks;
    int defaultButton = mainwindow::kLoadButton;
    std::optional<int> focus;
    std::vector<std::pair<int, std::string>> systemMenu;
    int repaints = 0;
    std::vector<std::uint32_t> messages;
    std::vector<std::string> pageDialogs;
    std::deque<std::optional<std::string>> pageAnswers;
    std::vector<std::string> fileErrors;    // the file each file-error message named
    std::vector<std::string> messagePaths;  // the path each message with one named
    // The messages after a save: the folder each named, and the author's
    // answers (none: close).
    std::vector<std::string> publishedFolders;
    std::deque<PublishedChoice> publishedAnswers;
    std::vector<std::string> openedFolders;
    bool folderOpens = true;
    std::vector<std::pair<std::string, std::string>> browserOpens;  // folder, page
    std::uint32_t browserFailure = 0;
    std::vector<std::string> folderDialogs;
    std::deque<std::optional<std::string>> folderAnswers;
    std::vector<std::uint32_t> progressCaptions;
    std::size_t stopProgressAt = 0;  // the report (1-based) at which the user cancels
    std::optional<nemora::test::RecordingSink> sink;
    std::vector<nemora::test::Report> lastReports;
    int progressClosed = 0;
    std::vector<DetailsCall> detailsCalls;
    std::deque<std::optional<std::string>> detailsAnswers;
    int aboutBoxes = 0;
    int helpContents = 0;
    int helpClosed = 0;
    std::optional<int> endResult;
    std::size_t shortenTo = 1000;

private:
    const Control& At(int id) const {
        static const Control none;
        const auto found = controls.find(id);
        return found == controls.end() ? none : found->second;
    }

    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace nemora::app::test
