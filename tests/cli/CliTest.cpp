// Runs the real nemora-cli as a user would.

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/Key.h"
#include "engine/LockedDocument.h"
#include "engine/StreamReader.h"
#include "engine/posix/DurableFileLayer.h"
#include "engine/strong/StrongReader.h"
#include "publish/Publication.h"
#include "publish/StrongPage.h"
#include "publish/TextCodec.h"
#include "res/StringTable.h"
#include "tests/support/Process.h"
#include "tests/support/PublishInto.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/TempDir.h"
#include "tests/support/Terminal.h"
#include "tests/support/TestPages.h"
#include "tests/support/UnwritableFolder.h"

namespace nemora::test {
namespace {

namespace fs = std::filesystem;

const std::string kCli = NEMORA_CLI_PATH;

// The children speak Japanese (NEMORA_LANG=ja): a text of theirs by id.
std::string JapaneseText(std::uint32_t id, const std::string& argument = {}) {
    std::string text = res::StringTable::Get(id, res::Language::Japanese);
    if (const std::size_t at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

constexpr std::uint32_t kClassicNotice = 42200;
constexpr std::uint32_t kShortPasswordWarning = 40010;

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// A file's text with the loader page's decoder-window name (24 letters,
// new at every save) blanked.
std::string WithoutWindowName(const std::vector<std::uint8_t>& bytes) {
    std::string text(bytes.begin(), bytes.end());
    const std::string open = "window.open(\"\", \"";
    if (const std::size_t at = text.find(open); at != std::string::npos)
        text.replace(at + open.size(), 24, 24, '*');
    return text;
}

// The strong page's options element: what the browser may remember.
std::string OptionsElement(const std::vector<std::uint8_t>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    const std::string start = "<script id=\"nemora-options\" type=\"application/json\">";
    const std::size_t from = text.find(start);
    if (from == std::string::npos) return {};
    const std::size_t to = text.find("</script>", from);
    return text.substr(from + start.size(), to - from - start.size());
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        page = HtmlPage(3000, 21);
        pagePath = dir.Write("page.html", page);
    }

    // The messages the cases look for are Japanese, whatever the locale of
    // the machine that runs the tests, unless a case sets or unsets
    // NEMORA_LANG itself.
    static ProcessResult Spawn(std::vector<std::string> args, ProcessOptions options) {
        args.insert(args.begin(), kCli);
        if (std::find(options.unset.begin(), options.unset.end(), "NEMORA_LANG") ==
            options.unset.end()) {
            options.env.try_emplace("NEMORA_LANG", "ja");
        }
        return RunProcess(args, options);
    }

    // The environment never offers a password unless a case asks for it.
    ProcessResult Run(std::vector<std::string> args, ProcessOptions options = {}) {
        options.unset.push_back("NEMORA_PASSWORD");
        return Spawn(std::move(args), std::move(options));
    }

    // The cases' helpers publish the classic form, whose files most cases
    // read, unless a case names the strong one.
    static std::vector<std::string> FormOf(const std::vector<std::string>& extra) {
        const bool strong = std::find(extra.begin(), extra.end(), "--strong") != extra.end();
        return strong ? std::vector<std::string>{} : std::vector<std::string>{"--classic"};
    }

    ProcessResult Lock(const std::string& folder, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"lock", pagePath, "-o", folder, "--password-stdin"};
        args.insert(args.end(), extra.begin(), extra.end());
        for (const std::string& form : FormOf(extra)) args.push_back(form);
        return Run(args, {.input = "secret\n"});
    }

    // The page and encoding name a published page holds.
    static engine::UnlockedPage UnlockData(const std::string& dataFile,
                                           const std::string& password) {
        const std::vector<std::uint8_t> data = ReadAll(dataFile);
        return engine::StreamReader(engine::DeriveKey(password)).Read(data.data(), data.size());
    }
    static engine::UnlockedPage UnlockStrong(const std::string& strongPage,
                                             const std::string& password) {
        const std::vector<std::uint8_t> container =
            publish::StrongPage::ReadContainer(ReadAll(strongPage))
                .value_or(std::vector<std::uint8_t>());
        return engine::strong::StrongReader::Read(container.data(), container.size(), password);
    }

    TempDir dir;
    std::vector<std::uint8_t> page;
    std::string pagePath;
};

TEST_F(CliTest, PublishesAndReadsBackWithEachPasswordSource) {
    const std::string passwordFile = dir.Write("password.txt", Bytes("secret\n"));
    struct Source {
        const char* name;
        std::vector<std::string> args;
        ProcessOptions options;
    };
    const Source sources[] = {
        {"file", {"--password-file", passwordFile}, {}},
        {"standard input", {"--password-stdin"}, {.input = "secret\n"}},
        {"environment", {}, {.env = {{"NEMORA_PASSWORD", "secret"}}}},
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.name);
        const std::string out = (dir.Path() / source.name).string();
        std::vector<std::string> lock = {"lock", pagePath, "-o", out, "--classic"};
        lock.insert(lock.end(), source.args.begin(), source.args.end());
        const ProcessResult locked = Spawn(lock, source.options);
        ASSERT_EQ(locked.status, 0) << locked.err;
        EXPECT_NE(locked.out.find("page.html: ファイルを作成しました"), std::string::npos)
            << locked.out;
        const std::vector<std::string> written = {"decoder.htm", "decoder.jar", "page.html",
                                                  "page.zvk"};
        EXPECT_EQ(Entries(out), written);

        const ProcessResult back =
            Run({"unlock", out + "/page.zvk", "--password-stdin"}, {.input = "secret\n"});
        ASSERT_EQ(back.status, 0) << back.err;
        EXPECT_EQ(back.out, std::string(page.begin(), page.end()));
    }
}

TEST_F(CliTest, ExitStatusesTellFailuresApart) {
    const std::string out = (dir.Path() / "out").string();
    ASSERT_EQ(Lock(out).status, 0);
    std::vector<std::uint8_t> data = ReadAll(out + "/page.zvk");
    data.resize(data.size() - 8);
    const std::string truncated = dir.Write("truncated.zvk", data);
    const std::string fifo = dir.File("pipe.zvk");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string empty = dir.Write("empty.html", {});
    const std::string image =
        dir.Write("photo.png", Bytes(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    fs::create_directories(dir.Path() / "sub");
    fs::create_directories(dir.Path() / "out-names");
    const std::string sameName = dir.Write("sub/page.html", HtmlPage(500, 24));
    const std::string sameData = dir.Write("page.htm", HtmlPage(500, 25));
    dir.Write("out-names/decoder.htm", HtmlPage(500, 26));
    // A page is named as typed, not as the program spells it.
    const std::string typedMissing = (dir.Path() / "." / "none.html").string();

    struct Case {
        const char* name;
        std::vector<std::string> args;
        ProcessOptions options;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"no password and no terminal",
         {"lock", pagePath, "-o", out},
         {.detach = true},
         3,
         "パスワードを読み込めません"},
        {"an empty password",
         {"lock", pagePath, "-o", out, "--password-stdin"},
         {.input = "\n"},
         3,
         "パスワードを設定して下さい"},
        {"a folder with an extension",
         {"lock", pagePath, "-o", out + ".htm", "--password-stdin"},
         {.input = "pw\n"},
         5,
         "フォルダを選択して下さい"},
        {"a missing page",
         {"lock", dir.File("none.html"), "-o", out, "--password-stdin"},
         {.input = "pw\n"},
         4,
         "ページを開けません"},
        // The checks of the pages and the output come before the password:
        // without a terminal, asking would end the run with status 3.
        {"a missing page, as typed and why",
         {"lock", typedMissing, "-o", out},
         {.detach = true},
         4,
         typedMissing + ": ページを開けません: そのようなファイルはありません"},
        {"a folder as page",
         {"lock", dir.Path().string(), "-o", out},
         {.detach = true},
         4,
         "ページを開けません: フォルダです"},
        {"an empty page", {"lock", empty, "-o", out}, {.detach = true}, 4, "空のファイルです"},
        {"an image as page",
         {"lock", image, "-o", out},
         {.detach = true},
         4,
         "テキストのページではありません"},
        {"a loader page as page",
         {"lock", out + "/page.html", "-o", out + "-again"},
         {.detach = true},
         4,
         "書き出したローダーページ"},
        {"decoder.htm as page",
         {"lock", out + "/decoder.htm", "-o", out + "-again"},
         {.detach = true},
         4,
         "書き出した decoder.htm"},
        {"a lock into the page's own folder",
         {"lock", pagePath, "-o", dir.Path().string()},
         {.detach = true},
         2,
         pagePath + ": 入力のページ " + pagePath + " を置き換えてしまいます"},
        {"two pages of one name",
         {"lock", pagePath, sameName, "-o", out + "-two"},
         {.detach = true},
         2,
         out + "-two/page.html: 二つのページ (" + pagePath + ", " + sameName + ")"},
        {"two pages of one data file",
         {"lock", pagePath, sameData, "-o", out + "-two", "--classic"},
         {.detach = true},
         2,
         out + "-two/page.zvk: 二つのページ"},
        {"a page named after a shared file",
         {"lock", out + "-names/decoder.htm", "-o", out + "-two", "--classic"},
         {.detach = true},
         2,
         "decoder.htm で重なります"},
        {"cookies on without a keyword",
         {"lock", pagePath, "-o", out, "--cookie-key", "", "--password-stdin"},
         {.input = "pw\n"},
         5,
         "クッキーのキーワードを設定して下さい"},
        {"a bad lifetime",
         {"lock", pagePath, "-o", out, "--cookie-days", "0"},
         {},
         2,
         "--cookie-days"},
        {"a lifetime that is no number",
         {"lock", pagePath, "-o", out, "--cookie-days", "forever"},
         {},
         2,
         "--cookie-days: forever: 使える値は 0.0001 から 36500 までの日数、session、unlimited "
         "です"},
        {"no password source: the ways to give one",
         {"lock", pagePath, "-o", out},
         {.detach = true},
         3,
         "--password-file ファイル、--password-stdin、環境変数 NEMORA_PASSWORD"},
        {"an unknown page language",
         {"lock", pagePath, "-o", out, "--page-language", "de", "--password-stdin"},
         {.input = "pw\n"},
         2,
         "--page-language"},
        {"an unknown message language",
         {"--lang", "de", "unlock", out + "/page.zvk", "--password-stdin"},
         {.input = "secret\n"},
         2,
         "--lang"},
        {"a wrong password",
         {"unlock", out + "/page.zvk", "--password-stdin"},
         {.input = "nope\n"},
         6,
         "パスワードが違います"},
        {"a loader page as data file",
         {"unlock", out + "/page.html", "--password-stdin"},
         {.input = "secret\n"},
         7,
         "データファイルは " + out + "/page.zvk です"},
        {"decoder.htm as data file",
         {"unlock", out + "/decoder.htm", "--password-stdin"},
         {.input = "secret\n"},
         7,
         "データファイルではありません: 公開したページが共有する decoder.htm です"},
        {"a truncated data file",
         {"unlock", truncated, "--password-stdin"},
         {.input = "secret\n"},
         7,
         "データファイルが途中で切れています"},
        {"a folder as data file",
         {"unlock", dir.Path().string(), "--password-stdin"},
         {.input = "secret\n"},
         7,
         "データファイルではありません"},
        {"an endless device as data file",
         {"unlock", "/dev/zero", "--password-stdin"},
         {.input = "secret\n"},
         7,
         "データファイルではありません"},
        {"a pipe with no writer as data file",
         {"unlock", fifo, "--password-stdin"},
         {.input = "secret\n"},
         7,
         "データファイルではありません"},
        {"a missing data file",
         {"unlock", dir.File("none.zvk"), "--password-stdin"},
         {.input = "secret\n"},
         8,
         "ファイルを開けません"},
        {"a page that cannot be written",
         {"unlock", out + "/page.zvk", "-o", dir.File("none/page.html"), "--password-stdin"},
         {.input = "secret\n"},
         8,
         "ファイルを書き込めません"},
        {"no subcommand", {}, {}, 2, ""},
        {"help", {"--help"}, {}, 0, ""},
        {"version", {"--version"}, {}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = Run(c.args, c.options);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    // The refused runs wrote nothing.
    EXPECT_EQ(ReadAll(pagePath), page);
    EXPECT_FALSE(fs::exists(dir.File("page.zvk")));
    EXPECT_FALSE(fs::exists(out + "-two"));
    EXPECT_FALSE(fs::exists(out + "-again"));
}

// A new password typed twice on the terminal: entries that differ are asked
// again, a few times, before the run gives up.
TEST_F(CliTest, DifferingEntriesAreAskedAgain) {
    struct Case {
        const char* name;
        std::vector<std::string> answers;
        int status;
        std::size_t retries;  // "do not match, type again" lines on the terminal
    };
    const Case cases[] = {
        {"the same twice", {"secret", "secret"}, 0, 0},
        {"a typing error, then the same twice", {"secret", "secert", "secret", "secret"}, 0, 1},
        {"three pairs that differ", {"a", "b", "c", "d", "e", "f"}, 3, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = (dir.Path() / c.name).string();
        const TerminalResult result = RunOnTerminal(
            {kCli, "lock", pagePath, "-o", out, "--classic"},
            {.env = {{"NEMORA_LANG", "ja"}}, .unset = {"NEMORA_PASSWORD"}}, ": ", c.answers);
        EXPECT_EQ(result.status, c.status) << result.err << result.terminal;
        std::size_t retries = 0;
        for (std::size_t at = result.terminal.find("もう一度入力して下さい");
             at != std::string::npos; at = result.terminal.find("もう一度入力して下さい", at + 1)) {
            ++retries;
        }
        EXPECT_EQ(retries, c.retries) << result.terminal;
        EXPECT_EQ(fs::exists(out + "/page.zvk"), c.status == 0);
        if (c.status != 0) {
            EXPECT_NE(result.err.find("パスワードが一致しません"), std::string::npos) << result.err;
        }
    }
}

// A folder the program may not write into is named with the cause before
// the password is asked. Root writes anywhere but on a read-only mount.
TEST_F(CliTest, AnOutputFolderThatRefusesFilesIsNamedWithTheCause) {
    const fs::path folder = dir.Path() / "closed";
    fs::create_directory(folder);
    const ReadOnlyFolder closed(folder);
    if (!closed.Made()) GTEST_SKIP() << "cannot make a folder that refuses files here";
    const char* cause = closed.Cause() == EROFS ? "読み取り専用のファイルシステムです"
                                                : "書き込みの権限がありません";
    for (const fs::path& out : {folder, folder / "made" / "deeper"}) {
        SCOPED_TRACE(out.string());
        const ProcessResult result = Run({"lock", pagePath, "-o", out.string()}, {.detach = true});
        EXPECT_EQ(result.status, 5) << result.err;
        EXPECT_NE(result.err.find(folder.string() +
                                  ": このフォルダにはファイルを書き込めません: " + cause),
                  std::string::npos)
            << result.err;
    }
}

// The command line speaks the language --lang names, else NEMORA_LANG's,
// else the locale's as gettext reads it: English unless the locale asks for
// Japanese. The switch may stand before or after the subcommand.
TEST_F(CliTest, MessagesComeInTheChosenLanguage) {
    const std::string out = (dir.Path() / "out").string();
    ASSERT_EQ(Lock(out).status, 0);
    struct Case {
        const char* name;
        std::vector<std::string> before;  // the switches before the subcommand
        std::vector<std::string> after;
        ProcessOptions options;
        const char* message;
    };
    const std::vector<std::string> noLocale = {"NEMORA_LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES"};
    std::vector<std::string> nothingSet = noLocale;
    nothingSet.push_back("LANG");
    const Case cases[] = {
        {"--lang en", {"--lang", "en"}, {}, {}, "Wrong password"},
        {"--lang en after the subcommand", {}, {"--lang", "en"}, {}, "Wrong password"},
        {"NEMORA_LANG=en", {}, {}, {.env = {{"NEMORA_LANG", "en"}}}, "Wrong password"},
        {"--lang ja over NEMORA_LANG=en",
         {"--lang", "ja"},
         {},
         {.env = {{"NEMORA_LANG", "en"}}},
         "パスワードが違います"},
        {"an English locale",
         {},
         {},
         {.env = {{"LANG", "en_GB.UTF-8"}}, .unset = noLocale},
         "Wrong password"},
        {"a Japanese locale",
         {},
         {},
         {.env = {{"LANG", "ja_JP.UTF-8"}}, .unset = noLocale},
         "パスワードが違います"},
        {"the C locale", {}, {}, {.env = {{"LANG", "C"}}, .unset = noLocale}, "Wrong password"},
        {"C.UTF-8", {}, {}, {.env = {{"LANG", "C.UTF-8"}}, .unset = noLocale}, "Wrong password"},
        {"no locale at all", {}, {}, {.unset = nothingSet}, "Wrong password"},
        {"LANGUAGE under C.UTF-8",
         {},
         {},
         {.env = {{"LANG", "C.UTF-8"}, {"LANGUAGE", "ja"}},
          .unset = {"NEMORA_LANG", "LC_ALL", "LC_MESSAGES"}},
         "パスワードが違います"},
        {"LANGUAGE under the C locale",
         {},
         {},
         {.env = {{"LC_ALL", "C"}, {"LANGUAGE", "ja"}}, .unset = {"NEMORA_LANG"}},
         "Wrong password"},
        {"--lang ja under C.UTF-8",
         {"--lang", "ja"},
         {},
         {.env = {{"LANG", "C.UTF-8"}}, .unset = noLocale},
         "パスワードが違います"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.before;
        args.insert(args.end(), {"unlock", "--password-stdin", out + "/page.zvk"});
        args.insert(args.end(), c.after.begin(), c.after.end());
        ProcessOptions options = c.options;
        options.input = "nope\n";
        const ProcessResult result = Run(args, options);
        EXPECT_EQ(result.status, 6) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
}

// --page-language chooses the language of what the visitor reads, the
// default prompt's with it; the language of the messages has no say in it.
TEST_F(CliTest, PageLanguageChoosesThePagesNotTheMessages) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* prompt;         // the loader's strPrompt
        const char* wrongPassword;  // decoder.htm's message
        const char* published;      // the command line's message
    };
    const Case cases[] = {
        {"the default",
         {},
         "パスワードを入力して下さい。",
         "パスワードが違います",
         "ファイルを作成しました"},
        {"English pages",
         {"--page-language", "en"},
         "Enter the password.",
         "Wrong password.",
         "ファイルを作成しました"},
        {"English messages",
         {"--lang", "en"},
         "パスワードを入力して下さい。",
         "パスワードが違います",
         "The files have been created"},
        {"Japanese pages named",
         {"--page-language", "ja", "--lang", "en"},
         "パスワードを入力して下さい。",
         "パスワードが違います",
         "The files have been created"},
        {"a prompt of the author's own",
         {"--page-language", "en", "--prompt", "Members only"},
         "Members only",
         "Wrong password.",
         "ファイルを作成しました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir.Path() / c.name;
        const ProcessResult result = Lock(out.string(), c.args);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find(c.published), std::string::npos) << result.out;
        const auto text = [&](const char* file) {
            const auto bytes = ReadAll((out / file).string());
            return publish::TextCodec::FromCp932(std::string(bytes.begin(), bytes.end()))
                .value_or("");
        };
        EXPECT_NE(text("page.html").find(std::string("var strPrompt = \"") + c.prompt + "\";"),
                  std::string::npos);
        EXPECT_NE(text("decoder.htm").find(c.wrongPassword), std::string::npos);
    }
}

// Any folder path the shell accepts names the folder the shell means.
TEST_F(CliTest, OutputFoldersWithDotComponents) {
    const fs::path base = dir.Path() / "out";
    fs::create_directories(base / "made");
    const std::pair<std::string, fs::path> cases[] = {
        {(base / "." / "b").string(), base / "b"},
        {(base / ".").string(), base},
        {(base / "x" / ".." / "y").string() + "/", base / "y"},
        {(base / "made" / "." / "." / "c" / ".").string(), base / "made" / "c"},
    };
    for (const auto& [typed, folder] : cases) {
        SCOPED_TRACE(typed);
        const ProcessResult result = Lock(typed);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(fs::exists(folder / "page.zvk"));
        EXPECT_TRUE(fs::exists(folder / "page.html"));
    }
}

// A typed lifetime is cut to whole ten-thousandths of a day, as in the window.
TEST_F(CliTest, CookieDaysAreCutToWholeTicks) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.00019", "1.e-004"}, {"+7", "7"},         {"1.00005", "1"},
        {"session", "0"},       {"unlimited", "-1"},
    };
    for (const auto& [typed, literal] : cases) {
        SCOPED_TRACE(typed);
        const std::string out = (dir.Path() / "days").string();
        ASSERT_EQ(Lock(out, {"--cookie-days", typed}).status, 0);
        const auto loader = ReadAll(out + "/page.html");
        const std::string text(loader.begin(), loader.end());
        EXPECT_NE(text.find(std::string("var fCookieKeepDays = ") + literal + ";"),
                  std::string::npos);
    }
}

// Without --encoding each page is named by its own encoding, as a browser
// finds it, spelt for the form's decoders; a name given wins. An encoding
// the classic decoders lack refuses that page only.
TEST_F(CliTest, EachPageIsNamedByItsOwnEncodingUnlessOneIsGiven) {
    const std::string utf8 = dir.Write(
        "os.html", Bytes("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>os \u2014 "
                         "Miscellaneous</title></head><body><p>\u00b6 \u00e9 \u65e5\u672c\u8a9e"
                         "</p></body></html>\n"));
    const std::string undeclared = dir.Write("plain.html", Bytes("<p>caf\u00e9</p>\n"));
    const std::string latin = dir.Write("latin.html", Bytes("<meta charset=windows-1252>caf\xe9"));
    const std::string koi8 = dir.Write("koi8.html", Bytes("<meta charset=koi8-r>\xf0\xd2\xc9"));
    const std::string utf16 = dir.Write("utf16.html", Bytes(std::string("\xff\xfe<\0p\0>\0", 8)));
    const std::vector<std::string> strong = {"--strong", "--kdf-memory", "19", "--kdf-passes", "2"};
    struct Case {
        const char* name;
        std::string page;
        std::vector<std::string> args;
        int status;
        const char* recorded;  // empty: nothing written
        const char* message;
    };
    const Case cases[] = {
        {"UTF-8 declared", utf8, {"--classic"}, 0, "UTF8", ""},
        {"UTF-8 declared, strong", utf8, strong, 0, "utf-8", ""},
        {"UTF-8 bytes, nothing declared", undeclared, {"--classic"}, 0, "UTF8", ""},
        {"Shift_JIS declared", pagePath, {"--classic"}, 0, "shift_jis", ""},
        {"windows-1252 declared", latin, {"--classic"}, 0, "iso-8859-1", ""},
        {"KOI8-R declared", koi8, {"--classic"}, 5, "", "koi8-r"},
        {"KOI8-R declared, strong", koi8, strong, 0, "koi8-r", ""},
        {"auto named", utf8, {"--encoding", "auto", "--classic"}, 0, "UTF8", ""},
        {"a name given wins", pagePath, {"--encoding", "utf-8", "--classic"}, 0, "UTF8", ""},
        {"a name given, strong", koi8, {"--encoding", "UTF8", "--strong"}, 0, "utf-8", ""},
        {"UTF-16 is refused when loaded", utf16, {"--classic"}, 4, "", "テキストが壊れている"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = (dir.Path() / c.name).string();
        std::vector<std::string> args = {"lock", c.page, "-o", out, "--password-stdin"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult result = Run(args, {.input = "secret\n"});
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        if (c.recorded[0] == '\0') {
            EXPECT_FALSE(fs::exists(out));
            continue;
        }
        const std::string stem = fs::path(c.page).stem().string();
        const bool strongForm = std::count(c.args.begin(), c.args.end(), "--strong") > 0;
        const engine::UnlockedPage back = strongForm
                                              ? UnlockStrong(out + "/" + stem + ".html", "secret")
                                              : UnlockData(out + "/" + stem + ".zvk", "secret");
        ASSERT_EQ(back.status, engine::Result::Ok);
        EXPECT_EQ(back.encodingName, c.recorded);
    }
    // The page that the classic decoders cannot read: the hint names the strong form.
    const ProcessResult refused =
        Run({"lock", koi8, "-o", dir.File("hint"), "--password-stdin", "--classic"},
            {.input = "secret\n"});
    EXPECT_NE(refused.err.find("--classic を付けない"), std::string::npos) << refused.err;
}

// A name the form's decoders cannot read is refused with the names they
// take, before the password is asked and before anything is written.
TEST_F(CliTest, AGivenEncodingTheFormCannotReadIsRefused) {
    const char* const classicNames = "shift_jis, iso-8859-1, iso-2022-jp, cseucpkdfmtjapanese";
    const char* const strongNames = "utf-8, shift_jis, euc-jp, windows-1252";
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {"an unknown name", {"--encoding", "bogus-enc", "--classic"}, classicNames},
        {"a name the classic decoders lack", {"--encoding", "koi8-r", "--classic"}, classicNames},
        {"a name beyond ASCII", {"--encoding", "日本", "--classic"}, classicNames},
        {"an unknown name, strong", {"--encoding", "bogus-enc", "--strong"}, strongNames},
        {"a name browsers do not decode, strong",
         {"--encoding", "iso-2022-kr", "--strong"},
         strongNames},
    };
    const std::string out = (dir.Path() / "out").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"lock", pagePath, "-o", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        // No password can be had: asked first, it would end the run with 3.
        const ProcessResult result = Run(args, {.detach = true});
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_NE(result.err.find("--encoding"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.args[1]), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(CliTest, WarnsOfPasswordsShorterThanTwelveCharacters) {
    const std::string out = (dir.Path() / "warn").string();
    const ProcessResult shortOne =
        Run({"lock", pagePath, "-o", out, "--password-stdin"}, {.input = "パスワード\n"});
    EXPECT_EQ(shortOne.status, 0);
    EXPECT_NE(shortOne.err.find("警告"), std::string::npos);
    const ProcessResult longOne = Run({"lock", pagePath, "-o", out, "--password-stdin"},
                                      {.input = "correct horse battery\n"});
    EXPECT_EQ(longOne.status, 0);
    EXPECT_EQ(longOne.err.find("警告"), std::string::npos) << longOne.err;
}

TEST_F(CliTest, SeveralPagesShareOneFolderAndAFailureSpoilsOnlyItsPage) {
    const std::string second = dir.Write("second.html", HtmlPage(2000, 22));
    const std::string out = (dir.Path() / "site").string();
    const ProcessResult result =
        Run({"lock", pagePath, dir.File("missing.html"), second, "-o", out, "--classic",
             "--no-cookie", "--no-comment", "--password-stdin"},
            {.input = "pw\n"});
    EXPECT_EQ(result.status, 4);
    const std::vector<std::string> written = {"decoder.htm", "decoder.jar", "page.html",
                                              "page.zvk",    "second.html", "second.zvk"};
    EXPECT_EQ(Entries(out), written);
    const auto loader = ReadAll(out + "/second.html");
    const std::string text(loader.begin(), loader.end());
    EXPECT_NE(text.find("var strCookieKey = \"\";"), std::string::npos);
    EXPECT_EQ(text.find("$0"), std::string::npos);
}

// The strong lock from the command line: one page per page and one shared
// script, a password code page 932 cannot hold, one salt for the whole run,
// and unlock telling a wrong password from a damaged page.
TEST_F(CliTest, StrongLockPublishesPagesThatUnlockReadsBack) {
    const std::string password = "pass word 😀 ¥ 한국어\n";
    const std::string second = dir.Write("second.html", HtmlPage(70000, 23));
    const std::string out = (dir.Path() / "strong").string();
    // The smallest derivation the format allows keeps the test quick.
    const std::vector<std::string> lock = {"lock",
                                           pagePath,
                                           second,
                                           "-o",
                                           out,
                                           "--strong",
                                           "--kdf-memory",
                                           "19",
                                           "--kdf-passes",
                                           "2",
                                           "--password-stdin"};
    const ProcessResult locked = Run(lock, {.input = password});
    ASSERT_EQ(locked.status, 0) << locked.err;
    const std::vector<std::string> written = {"nemora-strong.js", "page.html", "second.html"};
    EXPECT_EQ(Entries(out), written);

    const auto containerOf = [&](const std::string& name) {
        const auto bytes = ReadAll(out + "/" + name);
        return publish::StrongPage::ReadContainer(bytes).value_or(std::vector<std::uint8_t>());
    };
    const auto first = containerOf("page.html");
    const auto other = containerOf("second.html");
    ASSERT_GT(first.size(), 88u);
    ASSERT_GT(other.size(), 88u);
    const auto salt = [](const std::vector<std::uint8_t>& c) {
        return std::vector<std::uint8_t>(c.begin() + 24, c.begin() + 40);
    };
    const auto nonce = [](const std::vector<std::uint8_t>& c) {
        return std::vector<std::uint8_t>(c.begin() + 40, c.begin() + 64);
    };
    EXPECT_EQ(salt(first), salt(other)) << "one derivation for the run";
    EXPECT_NE(nonce(first), nonce(other)) << "a nonce of its own for each page";

    // The page itself, or its container alone.
    const std::string bare = dir.Write("bare.bin", first);
    for (const std::string& file : {out + "/page.html", bare}) {
        SCOPED_TRACE(file);
        const ProcessResult back = Run({"unlock", file, "--password-stdin"}, {.input = password});
        ASSERT_EQ(back.status, 0) << back.err;
        EXPECT_EQ(back.out, std::string(page.begin(), page.end()));
    }
    auto damaged = first;
    damaged[damaged.size() - 20] ^= 0x01;
    const std::vector<std::uint8_t> pageBytes = ReadAll(out + "/page.html");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"a wrong password",
         {"unlock", bare, "--password-stdin"},
         "pass word\n",
         6,
         "パスワードが違います"},
        {"a damaged container",
         {"unlock", dir.Write("damaged.bin", damaged), "--password-stdin"},
         password,
         7,
         "データファイルが壊れています"},
        {"nemora-strong.js as page",
         {"lock", out + "/nemora-strong.js", "-o", out + "-again", "--strong", "--password-stdin"},
         password,
         4,
         "書き出した nemora-strong.js"},
        {"a strong page as page",
         {"lock", out + "/page.html", "-o", out + "-again", "--strong", "--password-stdin"},
         password,
         4,
         "強力な保護で書き出したページ"},
        {"a strong page cut short",
         {"unlock",
          dir.Write("cut.html",
                    std::vector<std::uint8_t>(pageBytes.begin(), pageBytes.begin() + 5000)),
          "--password-stdin"},
         password,
         7,
         "データファイルが壊れています"},
        {"nemora-strong.js as data file",
         {"unlock", out + "/nemora-strong.js", "--password-stdin"},
         password,
         7,
         "公開したページが共有する nemora-strong.js"},
        {"a strong lock into the page's own folder",
         {"lock", pagePath, "-o", dir.Path().string(), "--strong", "--password-stdin"},
         password,
         2,
         "を置き換えてしまいます"},
        {"too little memory",
         {"lock", pagePath, "-o", out, "--strong", "--kdf-memory", "18", "--password-stdin"},
         password,
         2,
         "--kdf-memory"},
        {"too few passes",
         {"lock", pagePath, "-o", out, "--strong", "--kdf-passes", "1", "--password-stdin"},
         password,
         2,
         "--kdf-passes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = Run(c.args, {.input = c.input});
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
}

// The command line writes the strong form unless --classic asks for the
// classic set; --strong names the default.
TEST_F(CliTest, WritesTheStrongFormUnlessClassicIsGiven) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> written;
        bool strong;
    };
    const Case cases[] = {
        {"the default", {}, {"nemora-strong.js", "page.html"}, true},
        {"--strong", {"--strong"}, {"nemora-strong.js", "page.html"}, true},
        {"--classic",
         {"--classic"},
         {"decoder.htm", "decoder.jar", "page.html", "page.zvk"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = (dir.Path() / c.name).string();
        std::vector<std::string> args = {"lock", pagePath, "-o", out, "--password-stdin"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult result = Run(args, {.input = "secret\n"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Entries(out), c.written);
        EXPECT_EQ(publish::StrongPage::ReadContainer(ReadAll(out + "/page.html")).has_value(),
                  c.strong);
    }
}

// --classic writes what the window's save writes for the same choices, byte
// for byte, under the remember options' names and their former ones alike.
TEST_F(CliTest, ClassicSetIsTheSavesByteForByte) {
    using publish::CookieKeepTicks;
    using Choices = std::function<void(publish::PublicationOptions&)>;
    const Choices members = [](publish::PublicationOptions& o) {
        o.cookieKey = "Members";
        o.cookieKeepTicks = CookieKeepTicks::kUnlimited;
        o.confirm = true;
    };
    const Choices forgetting = [](publish::PublicationOptions& o) { o.cookieOn = false; };
    struct Case {
        const char* name;
        std::vector<std::string> args;
        Choices choices;
    };
    const Case cases[] = {
        {"the defaults", {}, [](publish::PublicationOptions&) {}},
        {"no-remember", {"--no-remember"}, forgetting},
        {"no-cookie", {"--no-cookie"}, forgetting},
        {"remember options",
         {"--remember-name", "Members", "--remember-days", "unlimited", "--confirm"},
         members},
        {"their former names",
         {"--cookie-key", "Members", "--cookie-days", "unlimited", "--confirm"},
         members},
        {"English pages without comments",
         {"--remember-days", "2.5", "--no-comment", "--page-language", "en"},
         [](publish::PublicationOptions& o) {
             o.cookieKeepTicks = CookieKeepTicks::FromDays(2.5);
             o.comment = false;
             o.pageLanguage = res::Language::English;
             o.prompt = res::StringTable::Get(engine::TextId::PromptText, o.pageLanguage);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path locked = dir.Path() / "locked" / c.name;
        std::vector<std::string> args = {"lock",          pagePath,           "-o",
                                         locked.string(), "--password-stdin", "--classic"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult result = Run(args, {.input = "secret\n"});
        ASSERT_EQ(result.status, 0) << result.err;

        publish::PublicationOptions options;
        options.password = engine::SecretString("secret");
        options.prompt = res::StringTable::Get(engine::TextId::PromptText, res::Language::Japanese);
        c.choices(options);
        engine::LockedDocument document(engine::posix::DurableFileLayer::Instance());
        document.SetCharCodeName(publish::Publication::CharCodeName("shift_jis"));
        ASSERT_EQ(document.Load(nullptr, pagePath), engine::Result::Ok);
        ASSERT_EQ(document.Compress(nullptr), engine::Result::Ok);
        const fs::path saved = dir.Path() / "saved" / c.name;
        ASSERT_EQ(test::PublishInto({document, pagePath}, options, saved.string(), nullptr).result,
                  engine::Result::Published);

        ASSERT_EQ(Entries(locked), Entries(saved));
        for (const std::string& file : Entries(saved)) {
            SCOPED_TRACE(file);
            EXPECT_EQ(WithoutWindowName(ReadAll((locked / file).string())),
                      WithoutWindowName(ReadAll((saved / file).string())));
        }
    }
}

// The strong page remembers the key as the remember options say, under
// their names and their former ones alike.
TEST_F(CliTest, StrongPageRemembersAsTheOptionsSay) {
    using Remember = publish::StrongPage::Remember;
    const Remember members{"Members", -1, true};
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::optional<Remember> remember;
    };
    const Case cases[] = {
        {"the defaults", {}, Remember{"Key", 7, false}},
        {"remember options",
         {"--remember-name", "Members", "--remember-days", "unlimited", "--confirm"},
         members},
        {"their former names",
         {"--cookie-key", "Members", "--cookie-days", "unlimited", "--confirm"},
         members},
        {"no-remember", {"--no-remember"}, std::nullopt},
        {"no-cookie", {"--no-cookie"}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = (dir.Path() / c.name).string();
        std::vector<std::string> args = {
            "lock", pagePath,          "-o", out, "--kdf-memory", "19", "--kdf-passes",
            "2",    "--password-stdin"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult result = Run(args, {.input = "secret\n"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(OptionsElement(ReadAll(out + "/page.html")),
                  publish::StrongPage::OptionsJson(c.remember));
    }
}

// What cannot be meant is refused before anything is written: the strong
// form's options with --classic, one option under both its names, and a
// classic password that Shift_JIS cannot hold (with the way out).
TEST_F(CliTest, RefusesChoicesThatCannotGoTogether) {
    fs::create_directories(dir.Path() / "site");
    dir.Write("site/index.html", page);
    const std::string site = dir.File("site");
    const std::string unmappable = "pass word 😀 phrase\n";
    const std::string hint = JapaneseText(42202, JapaneseText(2051));
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"--kdf-memory with --classic",
         {"lock", pagePath, "--classic", "--kdf-memory", "64"},
         "secret\n",
         2,
         JapaneseText(42201, "--kdf-memory")},
        {"--kdf-passes with --classic",
         {"lock", "-r", site, "--kdf-passes", "3", "--classic"},
         "secret\n",
         2,
         JapaneseText(42201, "--kdf-passes")},
        {"--strong with --classic",
         {"lock", pagePath, "--strong", "--classic"},
         "secret\n",
         2,
         JapaneseText(42201, "--strong")},
        {"a name and its former name",
         {"lock", pagePath, "--remember-days", "2", "--cookie-days", "3"},
         "secret\n",
         2,
         "--remember-days --cookie-days"},
        {"a classic password Shift_JIS cannot hold",
         {"lock", pagePath, "--classic"},
         unmappable,
         3,
         hint},
        {"the same for a site", {"lock", "-r", site, "--classic", "-q"}, unmappable, 3, hint},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = (dir.Path() / "out" / c.name).string();
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", out, "--password-stdin"});
        const ProcessResult result = Run(args, {.input = c.input});
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// The classic form's notice comes once per run however many pages it
// writes; --quiet silences it and the short-password warning.
TEST_F(CliTest, ClassicNoticeOncePerRunUnlessQuiet) {
    const std::string second = dir.Write("second.html", HtmlPage(2000, 22));
    fs::create_directories(dir.Path() / "site" / "docs");
    dir.Write("site/index.html", page);
    dir.Write("site/docs/index.html", HtmlPage(2000, 23));
    const std::string site = dir.File("site");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::size_t notices;
        std::size_t warnings;
    };
    const Case cases[] = {
        {"two classic pages", {"lock", pagePath, second, "--classic"}, 1, 1},
        {"a classic site", {"lock", "-r", site, "--classic"}, 1, 1},
        {"--quiet", {"lock", pagePath, second, "--classic", "--quiet"}, 0, 0},
        {"-q on a site", {"lock", "-r", site, "-q", "--classic"}, 0, 0},
        {"the strong form",
         {"lock", pagePath, second, "--kdf-memory", "19", "--kdf-passes", "2"},
         0,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", (dir.Path() / c.name).string(), "--password-stdin"});
        const ProcessResult result = Run(args, {.input = "pw\n"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Occurrences(result.err, JapaneseText(kClassicNotice)), c.notices) << result.err;
        EXPECT_EQ(Occurrences(result.err, JapaneseText(kShortPasswordWarning)), c.warnings)
            << result.err;
    }
}

// A small site as authors have them: nested folders, two pages of one name,
// an image, a page that cannot be locked, links that lead nowhere, outside
// or round in a loop, and a hidden folder.
class SiteTest : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        site = dir.Path() / "site";
        fs::create_directories(site / "docs" / "v1.2");
        fs::create_directories(site / ".git");
        Put("index.html", HtmlPage(4000, 41));
        Put("docs/index.html", HtmlPage(9000, 42));
        Put("docs/v1.2/Guide.HTM", HtmlPage(2000, 43));
        Put("docs/logo.png", RandomBytes(3000, 44));
        Put("broken.html", Bytes(std::string("a\0b", 3)));
        Put(".git/config.html", Bytes("hidden"));
        fs::create_symlink("missing.html", site / "dangling.html");
        fs::create_symlink("..", site / "docs" / "up");
        fs::create_symlink(dir.File("page.html"), site / "outside.html");
    }

    void Put(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
        dir.Write("site/" + relative, bytes);
    }

    ProcessResult LockSite(const std::string& out, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"lock", "-r", site.string(),
                                         "-o",   out,  "--password-stdin"};
        args.insert(args.end(), extra.begin(), extra.end());
        for (const std::string& form : FormOf(extra)) args.push_back(form);
        return Run(args, {.input = "secret\n"});
    }

    // Every file under `top`, as relative paths.
    static std::vector<std::string> Tree(const fs::path& top) {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(top)) {
            if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), top).string());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    fs::path site;
};

TEST_F(SiteTest, MirrorsTheTreeAndReportsWhatItSkips) {
    const std::string out = (dir.Path() / "out").string();
    const ProcessResult result = LockSite(out);
    EXPECT_EQ(result.status, 4) << "a page could not be read: " << result.err;
    const std::vector<std::string> expected = {"decoder.htm",
                                               "decoder.jar",
                                               "docs/decoder.htm",
                                               "docs/decoder.jar",
                                               "docs/index.html",
                                               "docs/index.zvk",
                                               "docs/logo.png",
                                               "docs/v1.2/Guide.HTM",
                                               "docs/v1.2/Guide.zvk",
                                               "docs/v1.2/decoder.htm",
                                               "docs/v1.2/decoder.jar",
                                               "index.html",
                                               "index.zvk",
                                               "outside.html",
                                               "outside.zvk"};
    EXPECT_EQ(Tree(out), expected);
    EXPECT_EQ(ReadAll(out + "/docs/logo.png"), ReadAll((site / "docs/logo.png").string()));
    for (const std::string stem : {"index", "docs/index", "docs/v1.2/Guide", "outside"}) {
        SCOPED_TRACE(stem);
        const ProcessResult back =
            Run({"unlock", out + "/" + stem + ".zvk", "--password-stdin"}, {.input = "secret\n"});
        ASSERT_EQ(back.status, 0) << back.err;
        const auto original =
            ReadAll((site / stem).string() + (stem.ends_with("Guide") ? ".HTM" : ".html"));
        EXPECT_EQ(back.out, std::string(original.begin(), original.end()));
    }
    for (const char* line : {"broken.html: 読込みに失敗しました", "dangling.html: リンク先がない",
                             "docs/up: リンクが循環"}) {
        EXPECT_NE(result.err.find(line), std::string::npos) << line << "\n" << result.err;
    }
    // What the link outside the site reaches is published, and listed with
    // its own path.
    const std::string outside = "outside.html: サイトの外から取り込みました: " +
                                fs::canonical(dir.File("page.html")).string() + "\n";
    EXPECT_NE(result.out.find(outside), std::string::npos) << result.out;
    EXPECT_NE(
        result.out.find("ページ 5 件中 4 件を公開、ほかのファイル 1 件をコピー、サイトの外から 1 "
                        "件、飛ばしたもの 2 件、失敗 1 件"),
        std::string::npos)
        << result.out;

    // Hidden files on request; a repeated run replaces the files whole.
    ASSERT_EQ(LockSite(out, {"--include-hidden"}).status, 4);
    EXPECT_TRUE(fs::exists(out + "/.git/config.html"));
    EXPECT_TRUE(fs::exists(out + "/.git/config.zvk"));

    // Outside links kept out on request: skipped and listed, as the others.
    const std::string kept = (dir.Path() / "kept").string();
    const ProcessResult without = LockSite(kept, {"--no-outside-links"});
    EXPECT_EQ(without.status, 4) << without.err;
    EXPECT_FALSE(fs::exists(kept + "/outside.html"));
    EXPECT_NE(without.err.find("outside.html: サイトの外を指すリンクなので飛ばしました"),
              std::string::npos)
        << without.err;
    EXPECT_NE(
        without.out.find("ページ 4 件中 3 件を公開、ほかのファイル 1 件をコピー、サイトの外から 0 "
                         "件、飛ばしたもの 3 件、失敗 1 件"),
        std::string::npos)
        << without.out;
}

// Every kind of failure gives a non-zero status and a line that names the
// file or folder; an output that cannot be written at all gives one line
// and ends the run.
TEST_F(SiteTest, FailuresGiveAStatusAndALineEach) {
    fs::remove(site / "broken.html");
    struct Case {
        const char* name;
        std::function<std::string()> prepare;  // the output folder, made ready
        int status;
        std::string line;  // on standard error, whole
        bool stops;        // the only line besides the password warning
    };
    const std::string inTheWay = "フォルダを作る場所にファイルがあります";
    const Case cases[] = {
        {"a file where the output folder must go",
         [&] {
             dir.Write("afile", Bytes("a file"));
             return dir.File("afile/out");
         },
         5,
         dir.File("afile/out") + ": 出力を書き込めません (" + inTheWay + ")。公開を中止しました。",
         true},
        {"a file where a folder of the mirror must go",
         [&] {
             fs::create_directories(dir.Path() / "mirror");
             dir.Write("mirror/docs", Bytes("a file"));
             return dir.File("mirror");
         },
         5, "docs: 出力にフォルダを作成できません (" + inTheWay + ")", false},
        {"a copy that cannot be written",
         [&] {
             fs::create_directories(dir.Path() / "copy/docs/logo.png");
             return dir.File("copy");
         },
         5, "docs/logo.png: 保存ファイルを開けません", false},
        {"a page that cannot be written",
         [&] {
             fs::create_directories(dir.Path() / "page/index.html");
             return dir.File("page");
         },
         5, "index.html: 保存ファイルを開けません", false},
        {"shared files that cannot be written",
         [&] {
             fs::create_directories(dir.Path() / "shared/decoder.htm");
             return dir.File("shared");
         },
         5, dir.File("shared") + "/: 保存ファイルを開けません", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = LockSite(c.prepare());
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.line + "\n"), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("\n: "), std::string::npos) << "a line with no name";
        EXPECT_NE(result.out.find("失敗 1 件"), std::string::npos) << result.out;
        if (c.stops) {
            // The classic form's notice, the short-password warning, the one line.
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 3) << result.err;
        }
    }
}

// A folder of the site that cannot be listed is a failure, not a skip: what
// it holds is missing from the mirror. Root lists every folder.
TEST_F(SiteTest, AFolderThatCannotBeReadFailsTheRun) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    fs::remove(site / "broken.html");
    fs::create_directories(site / "docs" / "private");
    Put("docs/private/page.html", HtmlPage(1000, 45));
    fs::permissions(site / "docs" / "private", fs::perms::none);
    const ProcessResult result = LockSite((dir.Path() / "out").string());
    fs::permissions(site / "docs" / "private", fs::perms::owner_all);
    EXPECT_EQ(result.status, 4) << result.err;
    EXPECT_NE(result.err.find("docs/private: 読み込めないため公開していません\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.out.find("ページ 4 件中 4 件を公開"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("失敗 1 件"), std::string::npos) << result.out;
}

// A read-only output folder: one line that names it and its cause, not one
// for each file.
TEST_F(SiteTest, AReadOnlyOutputFolderGivesOneLine) {
    const fs::path out = dir.Path() / "readonly";
    fs::create_directories(out);
    const UnwritableFolder unwritable(out);
    if (!unwritable.Made()) GTEST_SKIP() << "no way to make a folder unwritable here";
    const ProcessResult result = LockSite(out.string());
    EXPECT_EQ(result.status, 5);
    const std::string line =
        out.string() +
        ": 出力を書き込めません (書き込みの権限がありません)。公開を中止しました。\n";
    // After the classic form's notice and the short-password warning, the one line.
    const std::string warning = "nemora-cli: 警告: パスワードが12文字未満です";
    const std::size_t warned = result.err.find(warning);
    ASSERT_NE(warned, std::string::npos) << result.err;
    EXPECT_EQ(result.err.substr(result.err.find('\n', warned) + 1), line);
}

// SIGINT and SIGTERM end a run between files (no temporary file is left),
// each with the shell's status for it.
TEST_F(SiteTest, SignalsEndTheRunWithTheShellsStatus) {
    // Long enough on one worker (some tenths of a second) for the signal to
    // come while it runs.
    for (int i = 0; i < 300; ++i) {
        fs::create_directories(site / "many" / std::to_string(i % 10));
        Put("many/" + std::to_string(i % 10) + "/" + std::to_string(i) + ".html",
            HtmlPage(20000, 100 + i));
    }
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        SCOPED_TRACE(signal);
        const std::string out = (dir.Path() / ("out" + std::to_string(signal))).string();
        const ProcessResult result =
            Run({"lock", "-r", site.string(), "-o", out, "--password-stdin", "-j", "1"},
                {.input = "secret\n", .signal = signal, .signalWhen = out});
        EXPECT_EQ(result.status, status) << result.err;
        for (const auto& entry : fs::recursive_directory_iterator(out)) {
            EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path();
        }
    }
}

TEST_F(SiteTest, DataFilesAreTheSameWhateverTheNumberOfWorkers) {
    fs::remove(site / "broken.html");
    const std::string one = (dir.Path() / "one").string();
    const std::string four = (dir.Path() / "four").string();
    ASSERT_EQ(LockSite(one, {"-j", "1"}).status, 0);
    ASSERT_EQ(LockSite(four, {"-j", "4", "--link"}).status, 0);
    EXPECT_EQ(Tree(one), Tree(four));
    for (const std::string& file : Tree(one)) {
        if (!file.ends_with(".zvk") && !file.ends_with(".png")) continue;
        SCOPED_TRACE(file);
        EXPECT_EQ(ReadAll(one + "/" + file), ReadAll(four + "/" + file));
    }
    struct stat linked {};
    ASSERT_EQ(::stat((four + "/docs/logo.png").c_str(), &linked), 0);
    EXPECT_EQ(linked.st_nlink, 2u) << "--link makes a hard link";
}

// Every page and every folder's shared page of a site come in the page
// language, in either form.
TEST_F(SiteTest, TheWholeSiteComesInThePageLanguage) {
    fs::remove(site / "broken.html");
    const char* pages[] = {"index.html", "docs/index.html", "docs/v1.2/Guide.HTM"};
    const std::string plain = (dir.Path() / "plain").string();
    ASSERT_EQ(LockSite(plain, {"--page-language", "en"}).status, 0);
    for (const char* folder : {"", "docs/", "docs/v1.2/"}) {
        SCOPED_TRACE(folder);
        const auto decoder = ReadAll(plain + "/" + folder + "decoder.htm");
        EXPECT_NE(std::string(decoder.begin(), decoder.end()).find("\"Wrong password.\""),
                  std::string::npos);
    }
    const std::string strong = (dir.Path() / "strong").string();
    ASSERT_EQ(LockSite(strong, {"--page-language", "en", "--strong", "--kdf-memory", "19",
                                "--kdf-passes", "2"})
                  .status,
              0);
    for (const char* name : pages) {
        SCOPED_TRACE(name);
        const auto loader = ReadAll(plain + "/" + name);
        EXPECT_NE(std::string(loader.begin(), loader.end())
                      .find("var strPrompt = \"Enter the password.\";"),
                  std::string::npos);
        const auto bytes = ReadAll(strong + "/" + name);
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_NE(text.find("<html lang=\"en\">"), std::string::npos);
        EXPECT_NE(text.find(">Enter the password.</label>"), std::string::npos);
    }
}

// lock -r names each page by its own encoding too, or all by the one given.
TEST_F(CliTest, EachPageOfASiteIsNamedByItsOwnEncoding) {
    fs::create_directories(dir.Path() / "site" / "docs");
    dir.Write("site/a.html", Bytes("<meta charset=\"UTF-8\"><p>\u00e9</p>"));
    dir.Write("site/docs/b.html", HtmlPage(2000, 31));
    dir.Write("site/c.html", Bytes("<meta charset=koi8-r>\xf0\xd2\xc9"));
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::vector<std::pair<std::string, std::string>> recorded;  // data file, name
    } cases[] = {
        {"each its own", {}, 5, {{"a.zvk", "UTF8"}, {"docs/b.zvk", "shift_jis"}}},
        {"one given",
         {"--encoding", "utf-8"},
         0,
         {{"a.zvk", "UTF8"}, {"docs/b.zvk", "UTF8"}, {"c.zvk", "UTF8"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = (dir.Path() / c.name).string();
        std::vector<std::string> args = {
            "lock", "-r", dir.File("site"), "-o", out, "--password-stdin", "--classic"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult result = Run(args, {.input = "secret\n"});
        EXPECT_EQ(result.status, c.status) << result.err;
        for (const auto& [file, name] : c.recorded) {
            SCOPED_TRACE(file);
            EXPECT_EQ(UnlockData(out + "/" + file, "secret").encodingName, name);
        }
        if (c.status == 0) continue;
        EXPECT_NE(result.err.find("c.html: "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("koi8-r"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(out + "/c.zvk"));
    }
}

// A site is published in the strong form unless --classic is given: one
// script per folder beside its pages, no data file and no decoder.
TEST_F(SiteTest, PublishesTheStrongFormUnlessClassic) {
    fs::remove(site / "broken.html");
    const std::string out = (dir.Path() / "out").string();
    const ProcessResult result = Run({"lock", "-r", site.string(), "-o", out, "--kdf-memory", "19",
                                      "--kdf-passes", "2", "--password-stdin"},
                                     {.input = "secret\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* folder : {"", "docs/", "docs/v1.2/"}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(fs::exists(out + "/" + folder + "nemora-strong.js"));
    }
    for (const char* name : {"index.html", "docs/index.html", "docs/v1.2/Guide.HTM"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(publish::StrongPage::ReadContainer(ReadAll(out + "/" + name)).has_value());
    }
    for (const std::string& file : Tree(out)) {
        EXPECT_FALSE(file.ends_with(".zvk") || file.ends_with("decoder.htm") ||
                     file.ends_with("decoder.jar"))
            << file;
    }
}

// The summary says what became of the files that are no pages: sealed (the
// strong form, --public ones copied), or copied in clear (the classic form);
// a site's own nemora-sealed is refused with a line of its own.
TEST_F(SiteTest, TheSummarySaysWhatBecameOfTheOtherFiles) {
    fs::remove(site / "broken.html");
    const std::vector<std::string> strong = {"--strong", "--kdf-memory", "19", "--kdf-passes", "2"};
    const std::string classicLine =
        "nemora-cli: 従来形式: ページ以外のファイル 1 件は暗号化せずにコピーしました";
    const std::string sealedLine = "nemora-cli: 封印したファイル ";
    const struct {
        const char* name;
        std::vector<std::string> extra;
        const char* folder;  // made at the site's top first, or null
        int status;
        std::string out;  // a line that starts so
        std::string err;  // a line on standard error
    } cases[] = {
        {"classic", {}, nullptr, 0, classicLine, ""},
        {"strong, an image public",
         {"--public", "docs/*.png"},
         nullptr,
         0,
         sealedLine +
             "4 件 (ページは元のバイトも封印)、--public で暗号化せずにコピーしたファイル 1 件\n",
         ""},
        {"strong, nothing public",
         {},
         nullptr,
         0,
         sealedLine +
             "5 件 (ページは元のバイトも封印)、--public で暗号化せずにコピーしたファイル 0 件\n",
         ""},
        {"the site's own nemora-sealed",
         {},
         "nemora-sealed",
         5,
         sealedLine + "5 件",
         "nemora-sealed: 封印したファイルの置き場所 (出力の nemora-sealed) "
         "と同じ名前なので公開していません"},
        {"--public with --classic",
         {"--public", "*.png"},
         nullptr,
         2,
         "",
         "--public は強力な形式 (既定の形式) のオプションなので、--classic "
         "と一緒には指定できません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(site / "nemora-sealed");
        if (c.folder != nullptr) fs::create_directories(site / c.folder);
        std::vector<std::string> extra = c.extra;
        const bool classic = c.name == std::string("classic") || c.status == 2;
        // Without --strong the fixture adds --classic.
        if (!classic) extra.insert(extra.end(), strong.begin(), strong.end());
        const ProcessResult result =
            LockSite((dir.Path() / ("out-" + std::to_string(&c - cases))).string(), extra);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
        const bool saysClassic = result.out.find(classicLine) != std::string::npos;
        EXPECT_EQ(saysClassic, c.name == std::string("classic")) << result.out;
    }
}

// unlock reads a sealed site's file back where it lies: the key from the
// password and a page beside it, the path from the manifest. Each script of
// the output gives back its source; one moved away, one of another run and
// a wrong password fail, each with its own status.
TEST_F(SiteTest, UnlockReadsASealedFileBack) {
    fs::remove(site / "broken.html");
    const std::vector<std::string> strong = {"--strong", "--kdf-memory", "19", "--kdf-passes", "2"};
    const std::string out = (dir.Path() / "out").string();
    const std::string other = (dir.Path() / "other").string();
    ASSERT_EQ(LockSite(out, strong).status, 0);
    ASSERT_EQ(LockSite(other, strong).status, 0);
    const auto unlock = [&](const std::string& script, const char* password) {
        return Run({"unlock", script, "--password-stdin"}, {.input = std::string(password) + "\n"});
    };
    const std::string opened = ": サイトのファイル ";
    std::vector<std::string> paths;
    for (const std::string& file : Tree(out + "/nemora-sealed")) {
        SCOPED_TRACE(file);
        const ProcessResult result = unlock(out + "/nemora-sealed/" + file, "secret");
        ASSERT_EQ(result.status, 0) << result.err;
        const std::size_t at = result.err.find(opened);
        ASSERT_NE(at, std::string::npos) << result.err;
        const std::size_t from = at + opened.size();
        const std::string path = result.err.substr(from, result.err.find(' ', from) - from);
        paths.push_back(path);
        if (file == "manifest.js") {
            EXPECT_TRUE(result.out.starts_with(R"({"version":1,"files":{"docs/index.html":)"))
                << result.out;
            continue;
        }
        const auto source = ReadAll((site / path).string());
        EXPECT_EQ(result.out, std::string(source.begin(), source.end()));
    }
    std::sort(paths.begin(), paths.end());
    const std::vector<std::string> expected = {"docs/index.html",        "docs/logo.png",
                                               "docs/v1.2/Guide.HTM",    "index.html",
                                               "nemora-sealed/manifest", "outside.html"};
    EXPECT_EQ(paths, expected);

    // A file's script, not the manifest's.
    const auto fileScript = [&](const std::string& top) {
        const std::vector<std::string> files = Tree(top + "/nemora-sealed");
        return *std::find_if(files.begin(), files.end(),
                             [](const std::string& file) { return file != "manifest.js"; });
    };
    const std::string script = fileScript(out);
    fs::copy_file(out + "/nemora-sealed/" + script, dir.Path() / "alone.js");
    const std::string foreign = fileScript(other);
    fs::create_directories(out + "/nemora-sealed/zz");
    fs::copy_file(other + "/nemora-sealed/" + foreign, out + "/nemora-sealed/zz/foreign.js");
    const struct {
        const char* name;
        std::string script;
        const char* password;
        int status;
        std::string line;
    } cases[] = {
        {"a wrong password", out + "/nemora-sealed/" + script, "wrong", 6, "パスワードが"},
        {"moved out of its site", dir.File("alone.js"), "secret", 7,
         "そのサイトの保護したページが見つかりません"},
        {"of another run", out + "/nemora-sealed/zz/foreign.js", "secret", 7,
         "このサイトの一覧 (manifest) にないファイルです"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = unlock(c.script, c.password);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.line), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

// A sealed site's page carries only its path in its own container; unlock
// reads its text from its sealed file, which is then the one to fail.
TEST_F(SiteTest, UnlockReadsASealedSitesPageFromItsSealedFile) {
    fs::remove(site / "broken.html");
    std::string big = "<html><body>";
    for (int i = 0; big.size() < 100000; ++i) big += "<p>paragraph " + std::to_string(i) + "</p>";
    std::ofstream(site / "docs/big.html") << big << "</body></html>";
    const std::string out = (dir.Path() / "out").string();
    ASSERT_EQ(LockSite(out, {"--strong", "--kdf-memory", "19", "--kdf-passes", "2"}).status, 0);
    const auto unlock = [&](const std::string& file) {
        return Run({"unlock", file, "--password-stdin"}, {.input = "secret\n"});
    };
    for (const std::string name :
         {"index.html", "docs/index.html", "docs/v1.2/Guide.HTM", "docs/big.html"}) {
        SCOPED_TRACE(name);
        const ProcessResult result = unlock(out + "/" + name);
        ASSERT_EQ(result.status, 0) << result.err;
        const auto source = ReadAll((site / name).string());
        EXPECT_EQ(result.out, std::string(source.begin(), source.end()));
        // The page holds its path, not its text: a few hundred bytes of
        // container whatever the page's size.
        const auto published = ReadAll(out + "/" + name);
        EXPECT_LT(published.size(), 8000u);
    }
    // Every sealed script but the manifest emptied: the page's text is gone.
    for (const std::string& file : Tree(out + "/nemora-sealed")) {
        if (file != "manifest.js") std::ofstream(out + "/nemora-sealed/" + file, std::ios::trunc);
    }
    const ProcessResult damaged = unlock(out + "/docs/index.html");
    EXPECT_EQ(damaged.status, 7) << damaged.err;
    EXPECT_TRUE(damaged.out.empty());
}

// An earlier run's output left inside the site is not locked again: its
// pages are refused, as a single page is, and the site's own go on.
TEST_F(SiteTest, AnEarlierOutputInsideTheSiteIsRefused) {
    fs::remove(site / "broken.html");
    const struct {
        const char* name;
        std::vector<std::string> form;
        std::vector<std::string> refused;  // "file: message" in the earlier output
    } cases[] = {
        {"classic",
         {"--classic"},
         {"old/index.html: このファイルは Nemora が書き出したローダーページ",
          "old/decoder.htm: このファイルは Nemora が書き出した decoder.htm"}},
        {"strong",
         {"--strong", "--kdf-memory", "19", "--kdf-passes", "2"},
         {"old/index.html: このファイルは Nemora が強力な保護で書き出したページ"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string earlier = (dir.Path() / (std::string("earlier-") + c.name)).string();
        fs::remove_all(site / "old");
        ASSERT_EQ(LockSite(earlier, c.form).status, 0);
        fs::copy(earlier, site / "old", fs::copy_options::recursive);
        const std::string out = (dir.Path() / (std::string("again-") + c.name)).string();
        const ProcessResult result = LockSite(out, c.form);
        EXPECT_EQ(result.status, 4) << result.err;
        for (const std::string& line : c.refused) {
            EXPECT_NE(result.err.find(line), std::string::npos) << result.err;
        }
        EXPECT_FALSE(fs::exists(out + "/old/index.html"));
        EXPECT_TRUE(fs::exists(out + "/docs/index.html"));
    }
}

TEST_F(SiteTest, RefusesAnOutputFolderInsideTheSiteAndTheReverse) {
    for (const fs::path& out : {site / "published", dir.Path()}) {
        SCOPED_TRACE(out);
        const ProcessResult result = LockSite(out.string());
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find("サイトと出力フォルダが重なっています"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(site / "published"));
}

}  // namespace
}  // namespace nemora::test
