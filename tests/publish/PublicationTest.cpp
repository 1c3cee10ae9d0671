#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/StreamReader.h"
#include "engine/posix/DurableFileLayer.h"
#include "engine/strong/StrongReader.h"
#include "publish/Publication.h"
#include "publish/StrongPage.h"
#include "publish/TextCodec.h"
#include "res/EmbeddedResource.h"
#include "tests/support/FaultyFileLayer.h"
#include "tests/support/PublishInto.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPages.h"

namespace nemora::publish {
namespace {

using engine::Result;
namespace fs = std::filesystem;

// The layer the programs write through.
PublicationWriter Durable() {
    return PublicationWriter(engine::posix::DurableFileLayer::Instance());
}

// What an interactive save needs of its window: the folder dialog, the
// progress dialog and the result's message.
class FakeHost {
public:
    std::optional<std::string> ChooseFolder(const std::string& proposed) {
        proposedFolder = proposed;
        return folder;
    }
    engine::ProgressSink* OpenProgress() {
        ++progressOpened;
        return &sink;
    }
    void CloseProgress() { ++progressClosed; }
    void ShowResult(Result result, const std::string& file) {
        shown.push_back(result);
        files.push_back(file);
    }

    std::optional<std::string> folder;
    std::string proposedFolder;
    test::RecordingSink sink;
    int progressOpened = 0;
    int progressClosed = 0;
    std::vector<Result> shown;
    std::vector<std::string> files;
};

// The save command in the window's order: the entries, the folder, the
// folder's checks, then the writing with the progress up, and the message.
PublicationOutcome Save(const PublicationPage& page, const PublicationOptions& options,
                        FakeHost& host) {
    const Publication::Made made = Publication::Make(options, Durable());
    if (!made.publication) {
        host.ShowResult(made.result, {});
        return {made.result};
    }
    const std::optional<std::string> folder =
        host.ChooseFolder(Publication::ProposedFolder(page.path));
    if (!folder) return {};
    std::string prepared = *folder;
    if (PublicationOutcome refused = made.publication->PrepareFolder(page.path, prepared);
        refused.result != Result::Ok) {
        host.ShowResult(refused.result, refused.failedFile);
        return refused;
    }
    engine::ProgressSink* sink = host.OpenProgress();
    PublicationOutcome outcome{made.publication->DeriveKey(sink)};
    if (outcome.result == Result::Ok) outcome = made.publication->PublishPage(page, prepared, sink);
    host.CloseProgress();
    host.ShowResult(outcome.result, outcome.failedFile);
    return outcome;
}

// Resources that fail the way the real ones could.
class BrokenResources : public ResourceSource {
public:
    BrokenResources(res::ResourceType type, std::uint32_t id, Result failure)
        : type_(type), id_(id), failure_(failure) {}
    Result Load(res::ResourceType type, std::uint32_t id,
                std::vector<std::uint8_t>& bytes) override {
        if (type == type_ && id == id_) return failure_;
        return ResourceSource::Embedded().Load(type, id, bytes);
    }

private:
    res::ResourceType type_;
    std::uint32_t id_;
    Result failure_;
};

class PublicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        page = test::HtmlPage(5000, 3);
        path = dir.Write("index.html", page);
        options.password = "secret";
        options.prompt = "パスワードを入力して下さい。";
        options.cookieKey = "Key";
        document.SetCharCodeName("shift_jis");
        ASSERT_EQ(document.Load(nullptr, path), Result::Ok);
        ASSERT_EQ(document.Compress(nullptr), Result::Ok);
        host.folder = (dir.Path() / "out").string();
    }

    PublicationPage Page(bool passwordChanged = true) { return {document, path, passwordChanged}; }
    std::string Out(const std::string& name) const { return (dir.Path() / "out" / name).string(); }

    test::TempDir dir;
    std::vector<std::uint8_t> page;
    std::string path;
    engine::LockedDocument document{engine::FileLayer::System()};
    PublicationOptions options;
    FakeHost host;
};

TEST_F(PublicationTest, WritesTheFourFilesThatOpenWithThePassword) {
    const PublicationOutcome outcome = Save(Page(), options, host);
    EXPECT_EQ(outcome.result, Result::Published);
    EXPECT_TRUE(outcome.passwordTaken);
    EXPECT_EQ(host.shown, std::vector<Result>{Result::Published});
    EXPECT_EQ(host.proposedFolder, (dir.Path() / "index").string());
    EXPECT_EQ(host.progressOpened, 1);
    EXPECT_EQ(host.progressClosed, 1);

    const auto data = test::ReadAll(Out("index.zvk"));
    const auto back =
        engine::StreamReader(engine::DeriveKey("secret")).Read(data.data(), data.size());
    ASSERT_EQ(back.status, engine::Result::Ok);
    EXPECT_EQ(back.page, page);
    EXPECT_EQ(back.encodingName, "shift_jis");
    EXPECT_EQ(data.size(), document.DataSize()) << "the name block is plain again after the save";

    const auto loaderBytes = test::ReadAll(Out("index.html"));
    const auto loader = TextCodec::FromCp932(std::string(loaderBytes.begin(), loaderBytes.end()));
    ASSERT_TRUE(loader);
    EXPECT_NE(loader->find("var urlSource = \"index.zvk\";"), std::string::npos);
    EXPECT_NE(loader->find("var strPrompt = \"パスワードを入力して下さい。\";"), std::string::npos);
    EXPECT_NE(loader->find("var strCookieKey = \"Key\";"), std::string::npos);
    EXPECT_NE(loader->find("var fCookieKeepDays = 7;"), std::string::npos);
    EXPECT_TRUE(fs::exists(Out("decoder.htm")));
    const auto archive = res::EmbeddedResource::Find(res::ResourceType::Jar, res::kDecoderArchive);
    ASSERT_TRUE(archive);
    EXPECT_EQ(test::ReadAll(Out("decoder.jar")),
              std::vector<std::uint8_t>(archive->begin(), archive->end()));

    // Saving again without a password change does not encipher twice (its
    // phase covers only the writing) and writes the same data file.
    const std::size_t before = host.sink.reports.size();
    EXPECT_EQ(Save(Page(false), options, host).result, Result::Published);
    EXPECT_EQ(test::ReadAll(Out("index.zvk")), data);
    const std::uint32_t streamKiB = (document.DataSize() - 16) / 1024;
    EXPECT_EQ(host.sink.reports.at(before), (test::Report{streamKiB, 3014}));
}

// What a publication wrote, in order and with the sizes the files have on
// disk: a site's totals rest on it. A site's page leaves the shared files to
// the site, which writes them once per folder.
TEST_F(PublicationTest, ListsTheFilesWrittenWithTheirSizes) {
    enum class Call { Page, SitePage, SharedFiles };
    struct Case {
        const char* name;
        bool strong;
        Call call;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"classic page",
         false,
         Call::Page,
         {"index.zvk", "index.html", "decoder.htm", "decoder.jar"}},
        {"classic site page", false, Call::SitePage, {"index.zvk", "index.html"}},
        {"classic shared files", false, Call::SharedFiles, {"decoder.htm", "decoder.jar"}},
        {"strong page", true, Call::Page, {"index.html", "nemora-strong.js"}},
        {"strong site page", true, Call::SitePage, {"index.html"}},
        {"strong shared files", true, Call::SharedFiles, {"nemora-strong.js"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PublicationOptions o = options;
        o.strong = c.strong;
        o.kdf = {engine::strong::kLeastMemoryKiB, engine::strong::kLeastPasses, 1};
        const Publication::Made made = Publication::Make(o, Durable());
        ASSERT_TRUE(made.publication);
        ASSERT_EQ(made.publication->DeriveKey(nullptr), Result::Ok);
        const fs::path folder = dir.Path() / c.name;
        fs::create_directory(folder);
        const std::string at = folder.string() + "/";
        const PublicationOutcome outcome =
            c.call == Call::Page       ? made.publication->PublishPage(Page(), at, nullptr)
            : c.call == Call::SitePage ? made.publication->PublishSitePage(Page(), at, "./")
                                       : made.publication->WriteSharedFiles(at);
        ASSERT_EQ(outcome.result, Result::Published);
        std::vector<WrittenFile> expected;
        for (const std::string& name : c.files) {
            expected.push_back({at + name, fs::file_size(folder / name)});
        }
        EXPECT_EQ(outcome.written, expected);
        EXPECT_EQ(test::Entries(folder).size(), c.files.size());
    }
}

TEST_F(PublicationTest, EntriesAreCheckedBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        std::function<void(PublicationOptions&, std::string&)> change;
        Result shown;
    };
    const Case cases[] = {
        {"no password", [](auto& o, auto&) { o.password.Wipe(); }, Result::NoPassword},
        {"cookies on, no keyword", [](auto& o, auto&) { o.cookieKey.clear(); },
         Result::NoCookieKey},
        {"a password code page 932 cannot hold", [](auto& o, auto&) { o.password = "pass😀"; },
         Result::PasswordNotShiftJis},
        {"a folder with an extension", [](auto&, auto& folder) { folder += "/out.htm"; },
         Result::FolderHasExtension},
        {"a folder below a file",
         [this](auto&, auto& folder) { folder = (dir.Path() / "index.html" / "sub").string(); },
         Result::CannotMakeFolder},
        {"the page's own folder", [this](auto&, auto& folder) { folder = dir.Path().string(); },
         Result::WouldReplacePage},
        {"strong, the page's own folder through a link",
         [this](auto& o, auto& folder) {
             o.strong = true;
             fs::create_directory_symlink(dir.Path(), dir.Path() / "link");
             folder = (dir.Path() / "link").string();
         },
         Result::WouldReplacePage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PublicationOptions o = options;
        std::string folder = *host.folder;
        c.change(o, folder);
        // The window's save shows the check; a caller without a window gets
        // the same result.
        FakeHost h;
        h.folder = folder;
        const PublicationOutcome saved = Save(Page(), o, h);
        EXPECT_EQ(saved.result, c.shown);
        EXPECT_FALSE(saved.passwordTaken);
        EXPECT_EQ(h.shown, std::vector<Result>{c.shown});
        EXPECT_EQ(h.progressOpened, 0);
        EXPECT_EQ(test::PublishInto(Page(), o, folder, nullptr).result, c.shown);
        EXPECT_FALSE(fs::exists(dir.Path() / "out"));
        EXPECT_EQ(test::ReadAll(path), page);
        EXPECT_FALSE(fs::exists(dir.Path() / "index.zvk"));
    }
}

// A folder that refuses new files is named before anything is written, as
// the file error that says why. Root writes anywhere but on a read-only mount.
TEST_F(PublicationTest, AFolderThatRefusesFilesIsNamedBeforeWriting) {
    const fs::path closed = dir.Path() / "closed";
    fs::create_directory(closed);
    const test::ReadOnlyFolder readOnly(closed);
    if (!readOnly.Made()) GTEST_SKIP() << "cannot make a folder that refuses files here";
    host.folder = (closed / "site").string();
    const PublicationOutcome saved = Save(Page(), options, host);
    EXPECT_EQ(saved.result, Result::FileAccessDenied);
    EXPECT_EQ(host.shown, std::vector<Result>{Result::FileAccessDenied});
    EXPECT_EQ(host.files, std::vector<std::string>{closed.string()});
    EXPECT_EQ(host.progressOpened, 0);
    const PublicationOutcome published =
        test::PublishInto(Page(), options, closed.string(), nullptr);
    EXPECT_EQ(published.result, Result::FileAccessDenied);
    EXPECT_EQ(published.failedFile, closed.string());
}

TEST_F(PublicationTest, SilentWhenTheFolderChoiceIsCancelled) {
    host.folder.reset();
    EXPECT_EQ(Save(Page(), options, host).result, Result::Ok);
    EXPECT_TRUE(host.shown.empty());
    options.cookieOn = false;
    options.cookieKey.clear();                      // no keyword is needed without cookies
    host.folder = (dir.Path() / "a/b/c").string();  // three levels made in turn
    EXPECT_EQ(Save(Page(), options, host).result, Result::Published);
    EXPECT_TRUE(fs::exists(dir.Path() / "a/b/c/index.zvk"));
}

TEST_F(PublicationTest, StoppingTheEncryptionWritesNoPage) {
    host.sink = test::RecordingSink(1);
    const PublicationOutcome stopped = Save(Page(), options, host);
    EXPECT_EQ(stopped.result, Result::EncryptStopped);
    EXPECT_EQ(host.shown, std::vector<Result>{Result::EncryptStopped});
    EXPECT_EQ(host.progressClosed, 1);
    EXPECT_FALSE(stopped.passwordTaken) << "the password was not used yet";
    EXPECT_TRUE(test::Entries(dir.Path() / "out").empty());
    // The document is usable again: the next save writes the right file.
    host.sink = test::RecordingSink();
    EXPECT_EQ(Save(Page(), options, host).result, Result::Published);
    const auto data = test::ReadAll(Out("index.zvk"));
    EXPECT_EQ(engine::StreamReader(engine::DeriveKey("secret")).Read(data.data(), data.size()).page,
              page);
}

// Into a folder the author chose, with a publication already made.
PublicationOutcome PublishInto(const Publication& publication, const PublicationPage& page,
                               const std::string& folder, engine::ProgressSink* sink) {
    std::string prepared = folder;
    PublicationOutcome outcome = publication.PrepareFolder(page.path, prepared);
    if (outcome.result != Result::Ok) return outcome;
    return publication.PublishPage(page, prepared, sink);
}

// Whole sites are published by several workers sharing one publication,
// each with a document of its own: the data files are those of one at a time.
TEST_F(PublicationTest, OnePublicationServesWorkersWithADocumentEach) {
    constexpr int kWorkers = 4;
    const Publication::Made made = Publication::Make(options, Durable());
    ASSERT_TRUE(made.publication);
    const Publication& publication = *made.publication;
    ASSERT_EQ(PublishInto(publication, Page(), (dir.Path() / "alone").string(), nullptr).result,
              Result::Published);
    const auto alone = test::ReadAll((dir.Path() / "alone" / "index.zvk").string());

    std::vector<PublicationOutcome> outcomes(kWorkers);
    std::vector<std::thread> workers;
    for (int i = 0; i < kWorkers; ++i) {
        workers.emplace_back([&, i] {
            engine::LockedDocument own(engine::FileLayer::System());
            own.SetCharCodeName("shift_jis");
            if (own.Load(nullptr, path) != Result::Ok || own.Compress(nullptr) != Result::Ok)
                return;
            const std::string folder = (dir.Path() / ("w" + std::to_string(i))).string();
            outcomes[i] = PublishInto(publication, {own, path}, folder, nullptr);
        });
    }
    for (std::thread& worker : workers) worker.join();
    for (int i = 0; i < kWorkers; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(outcomes[i].result, Result::Published);
        const fs::path folder = dir.Path() / ("w" + std::to_string(i));
        EXPECT_EQ(test::ReadAll((folder / "index.zvk").string()), alone);
        EXPECT_EQ(test::Entries(folder), (std::vector<std::string>{"decoder.htm", "decoder.jar",
                                                                   "index.html", "index.zvk"}));
    }
}

// The strong lock writes the page and the shared script only, takes any
// UTF-8 password, shows the key derivation as a phase of its own and leaves
// the document as it was, so the default form can still be saved from it.
TEST_F(PublicationTest, TheStrongLockWritesOnePageAndTheSharedScript) {
    options.strong = true;
    options.kdf = {engine::strong::kLeastMemoryKiB, engine::strong::kLeastPasses, 1};
    options.password = "pass 😀 ¥";
    const PublicationOutcome outcome = Save(Page(), options, host);
    ASSERT_EQ(outcome.result, Result::Published);
    EXPECT_FALSE(outcome.passwordTaken) << "the document's own key is untouched";
    EXPECT_EQ(test::Entries(dir.Path() / "out"),
              (std::vector<std::string>{"index.html", "nemora-strong.js"}));
    ASSERT_FALSE(host.sink.reports.empty());
    EXPECT_EQ(host.sink.reports.front(),
              (test::Report{1, engine::StringId(engine::TextId::DerivingKey)}));

    const auto published = test::ReadAll(Out("index.html"));
    const auto container = StrongPage::ReadContainer(published);
    ASSERT_TRUE(container);
    const auto back =
        engine::strong::StrongReader::Read(container->data(), container->size(), "pass 😀 ¥");
    ASSERT_EQ(back.status, Result::Ok);
    EXPECT_EQ(back.page, page);
    EXPECT_EQ(back.encodingName, "shift_jis");
    const auto script = res::EmbeddedResource::Find(res::ResourceType::Script, res::kStrongScript);
    ASSERT_TRUE(script);
    EXPECT_EQ(test::ReadAll(Out("nemora-strong.js")),
              std::vector<std::uint8_t>(script->begin(), script->end()));

    options.strong = false;
    options.password = "secret";
    ASSERT_EQ(Save(Page(), options, host).result, Result::Published);
    const auto data = test::ReadAll(Out("index.zvk"));
    EXPECT_EQ(engine::StreamReader(engine::DeriveKey("secret")).Read(data.data(), data.size()).page,
              page);

    // A key derived once for a run: one derivation phase before the pages,
    // none for each page, and the run's salt in every page.
    options.strong = true;
    options.password = "pass 😀 ¥";
    const Publication::Made run = Publication::Make(options, Durable());
    ASSERT_TRUE(run.publication);
    test::RecordingSink sink;
    ASSERT_EQ(run.publication->DeriveKey(&sink), Result::Ok);
    EXPECT_EQ(sink.reports.front(),
              (test::Report{1, engine::StringId(engine::TextId::DerivingKey)}));
    sink.reports.clear();
    std::vector<std::vector<std::uint8_t>> salts;
    for (const char* folder : {"run", "run2"}) {
        ASSERT_EQ(
            PublishInto(*run.publication, Page(), (dir.Path() / folder).string(), &sink).result,
            Result::Published);
        const auto again =
            StrongPage::ReadContainer(test::ReadAll((dir.Path() / folder / "index.html").string()));
        ASSERT_TRUE(again);
        salts.emplace_back(again->begin() + 24, again->begin() + 40);
    }
    for (const test::Report& report : sink.reports) {
        EXPECT_NE(report.textId, engine::StringId(engine::TextId::DerivingKey));
    }
    EXPECT_EQ(salts[0], salts[1]);
    const auto saved = StrongPage::ReadContainer(published);
    EXPECT_NE(std::vector<std::uint8_t>(saved->begin() + 24, saved->begin() + 40), salts[0])
        << "each run has a salt of its own";
}

TEST_F(PublicationTest, AStrongPageThatCannotBeWrittenNamesItself) {
    options.strong = true;
    options.kdf = {engine::strong::kLeastMemoryKiB, engine::strong::kLeastPasses, 1};
    test::FaultyFileLayer files({.fullDiskAt = 1});
    const PublicationOutcome outcome = test::PublishInto(
        Page(), options, (dir.Path() / "full").string(), nullptr, PublicationWriter(files));
    EXPECT_EQ(outcome.result, Result::FileDiskFull);
    EXPECT_EQ(outcome.failedFile, (dir.Path() / "full" / "index.html").string());
    EXPECT_TRUE(test::Entries(dir.Path() / "full").empty());
}

TEST_F(PublicationTest, WritePagesStopsAtTheFailingFile) {
    struct Case {
        const char* name;
        res::ResourceType type;
        std::uint32_t id;
        Result failure;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"loader missing", res::ResourceType::Html, res::kLoaderTemplate, Result::NoResource, {}},
        {"decoder page unreadable",
         res::ResourceType::Html,
         res::kDecoderTemplate,
         Result::BrokenResource,
         {"index.html"}},
        {"archive missing",
         res::ResourceType::Jar,
         res::kDecoderArchive,
         Result::NoResource,
         {"decoder.htm", "index.html"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.Path() / "pages");
        fs::create_directory(dir.Path() / "pages");
        BrokenResources resources(c.type, c.id, c.failure);
        PublicationWriter writer(engine::FileLayer::System(), resources);
        EXPECT_EQ(
            writer.WritePages("index.html", options, (dir.Path() / "pages").string() + "/").result,
            c.failure);
        EXPECT_EQ(test::Entries(dir.Path() / "pages"), c.written);
    }
    test::FaultyFileLayer files({.failWriteAt = 2});
    PublicationWriter writer(files);
    fs::create_directory(dir.Path() / "faulty");
    const PublicationOutcome failed =
        writer.WritePages("index.html", options, (dir.Path() / "faulty").string() + "/");
    EXPECT_EQ(failed.result, Result::FileHardIo);
    EXPECT_EQ(failed.failedFile, (dir.Path() / "faulty" / "index.html").string());
    EXPECT_TRUE(test::Entries(dir.Path() / "faulty").empty()) << "no half-written page is left";
}

// The page language picks the pages the visitor reads; comments go or stay
// as the author chose, in either language.
TEST_F(PublicationTest, PagesAreWrittenInThePageLanguage) {
    struct Text {
        const char* file;
        const char* text;  // UTF-8
    };
    struct Case {
        const char* name;
        res::Language language;
        bool strong;
        bool comment;
        std::vector<Text> has;
        std::vector<Text> lacks;
    };
    const Case cases[] = {
        {"Japanese",
         res::Language::Japanese,
         false,
         true,
         {{"index.html", "//\tデコードパラメーター"},
          {"index.html", "閉じないよう注意してください"},
          {"decoder.htm", "\"パスワードが違います\""}},
         {{"index.html", "Decoding parameters"}, {"decoder.htm", "Wrong password"}}},
        {"English",
         res::Language::English,
         false,
         true,
         {{"index.html", "//\tDecoding parameters"},
          {"index.html", "Please do not close the decoder window"},
          {"decoder.htm", "\"Wrong password.\""},
          {"decoder.htm", "//\tDecoding error messages"}},
         {{"index.html", "デコードパラメーター"}, {"decoder.htm", "パスワードが違います"}}},
        {"English without comments",
         res::Language::English,
         false,
         false,
         {{"index.html", "Please do not close the decoder window"},
          {"decoder.htm", "\"Wrong password.\""}},
         {{"index.html", "Decoding parameters"},
          {"index.html", "$"},
          {"decoder.htm", "Decoding error messages"}}},
        {"Japanese, strong",
         res::Language::Japanese,
         true,
         true,
         {{"index.html", "<html lang=\"ja\">"}, {"index.html", ">開く<"}},
         {{"index.html", ">Open<"}}},
        {"English, strong",
         res::Language::English,
         true,
         true,
         {{"index.html", "<html lang=\"en\">"},
          {"index.html", "<title>Password-protected page</title>"},
          {"index.html", ">Open<"}},
         {{"index.html", "開く"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PublicationOptions o = options;
        o.pageLanguage = c.language;
        o.comment = c.comment;
        o.strong = c.strong;
        o.kdf = {engine::strong::kLeastMemoryKiB, engine::strong::kLeastPasses, 1};
        const fs::path folder = dir.Path() / c.name;
        ASSERT_EQ(test::PublishInto(Page(), o, folder.string(), nullptr).result, Result::Published);
        const auto read = [&](const char* file) {
            const auto bytes = test::ReadAll((folder / file).string());
            const std::string text(bytes.begin(), bytes.end());
            // The default form's pages are code page 932, the strong one UTF-8.
            return c.strong ? text : TextCodec::FromCp932(text).value_or("");
        };
        for (const Text& t : c.has)
            EXPECT_NE(read(t.file).find(t.text), std::string::npos) << t.text;
        for (const Text& t : c.lacks)
            EXPECT_EQ(read(t.file).find(t.text), std::string::npos) << t.text;
    }
}

// What of `text` is not ASCII where the visitor or the author reads it: the
// comment blocks between $0 and $1 always; the code's own comments (from
// "//" to the line's end) only unless `codeComments` says they may stay.
std::string NotAsciiOutsideCodeComments(const std::string& text, bool codeComments) {
    std::string rest;
    std::string found;
    const auto check = [&found](const std::string& part) {
        for (std::size_t i = 0; i < part.size() && found.empty(); ++i) {
            if (static_cast<unsigned char>(part[i]) >= 0x80) {
                const std::size_t from = i < 40 ? 0 : i - 40;
                found = part.substr(from, 80);
            }
        }
    };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t open = text.find("$0", at);
        const std::size_t close = open == std::string::npos ? open : text.find("$1", open);
        if (close == std::string::npos) {
            rest += text.substr(at);
            break;
        }
        rest += text.substr(at, open - at);
        check(text.substr(open, close - open));
        at = close + 2;
    }
    if (codeComments) {
        std::string code;
        std::size_t lineStart = 0;
        while (lineStart < rest.size()) {
            std::size_t lineEnd = rest.find('\n', lineStart);
            if (lineEnd == std::string::npos) lineEnd = rest.size();
            const std::string line = rest.substr(lineStart, lineEnd - lineStart);
            std::size_t comment = line.find("//");
            while (comment != std::string::npos && comment > 0 && line[comment - 1] == ':') {
                comment = line.find("//", comment + 2);  // an address, not a comment
            }
            code += line.substr(0, comment) + "\n";
            lineStart = lineEnd + 1;
        }
        rest = code;
    }
    check(rest);
    return found;
}

// The English pages hold no Japanese where anyone reads them (the decoder's
// code comments may stay Japanese), and keep every marker of the Japanese
// pages: a translation that ate one would break the expansion.
TEST(EmbeddedTemplatesTest, EnglishPagesSpeakEnglishAndKeepEveryMarker) {
    struct Case {
        const char* name;
        std::uint32_t japanese;
        std::uint32_t english;
        bool codeComments;  // the code's comments may stay Japanese
    };
    const Case cases[] = {
        {"loader", res::kLoaderTemplate, res::kLoaderTemplateEnglish, false},
        {"decoder", res::kDecoderTemplate, res::kDecoderTemplateEnglish, true},
        {"strong page", res::kStrongPageTemplate, res::kStrongPageTemplateEnglish, false},
    };
    const auto count = [](const std::string& text, std::string_view marker) {
        std::size_t n = 0;
        for (std::size_t at = text.find(marker); at != std::string::npos;
             at = text.find(marker, at + 1)) {
            ++n;
        }
        return n;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto ja = res::EmbeddedResource::Find(res::ResourceType::Html, c.japanese);
        const auto en = res::EmbeddedResource::Find(res::ResourceType::Html, c.english);
        ASSERT_TRUE(ja && en);
        const std::string japanese(ja->begin(), ja->end());
        const std::string english(en->begin(), en->end());
        EXPECT_EQ(NotAsciiOutsideCodeComments(english, c.codeComments), "");
        for (std::string_view marker :
             {"$0", "$1", "$$", "%0", "%1", "%2", "%3", "%4", "%5", "%%", "@NEMORA_PROMPT@",
              "@NEMORA_OPTIONS@", "@NEMORA_DATA@", "<SCRIPT", "<script", "<NOSCRIPT"}) {
            EXPECT_EQ(count(english, marker), count(japanese, marker)) << marker;
        }
    }
}

TEST(EmbeddedTemplatesTest, AreCodePage932WithCrLfOnly) {
    for (std::uint32_t id : {res::kLoaderTemplate, res::kDecoderTemplate,
                             res::kLoaderTemplateEnglish, res::kDecoderTemplateEnglish}) {
        SCOPED_TRACE(id);
        const auto bytes = res::EmbeddedResource::Find(res::ResourceType::Html, id);
        ASSERT_TRUE(bytes);
        const std::string text(bytes->begin(), bytes->end());
        EXPECT_TRUE(TextCodec::FromCp932(text)) << "not valid code page 932";
        std::size_t bare = std::string::npos;
        for (std::size_t i = 0; i < text.size() && bare == std::string::npos; ++i) {
            const bool lfAlone = text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
            const bool crAlone = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
            if (lfAlone || crAlone) bare = i;
        }
        EXPECT_EQ(bare, std::string::npos) << "a line break that is not CR LF";
        EXPECT_NE(text.find("charset=Shift_JIS"), std::string::npos);
    }
}

}  // namespace
}  // namespace nemora::publish
