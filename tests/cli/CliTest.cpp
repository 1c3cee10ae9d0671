// Runs the real nemora-cli as a user would.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/Key.h"
#include "engine/StreamReader.h"
#include "publish/StrongPage.h"
#include "publish/TextCodec.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/Terminal.h"
#include "tests/support/TestPages.h"

namespace nemora::test {
namespace {

namespace fs = std::filesystem;

const std::string kCli = NEMORA_CLI_PATH;

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

    ProcessResult Lock(const std::string& folder, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"lock", pagePath, "-o", folder, "--password-stdin"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args, {.input = "secret\n"});
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
        std::vector<std::string> lock = {"lock", pagePath, "-o", out};
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
         {"lock", pagePath, sameData, "-o", out + "-two"},
         {.detach = true},
         2,
         out + "-two/page.zvk: 二つのページ"},
        {"a page named after a shared file",
         {"lock", out + "-names/decoder.htm", "-o", out + "-two"},
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
            {kCli, "lock", pagePath, "-o", out},
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
    const bool root = ::geteuid() == 0;
    if (root ? ::mount("tmpfs", folder.c_str(), "tmpfs", MS_RDONLY, "size=64k") != 0
             : ::chmod(folder.c_str(), 0555) != 0) {
        GTEST_SKIP() << "cannot make a folder that refuses files here";
    }
    const char* cause = root ? "読み取り専用のファイルシステムです" : "読み取りの許可がありません";
    for (const fs::path& out : {folder, folder / "made" / "deeper"}) {
        SCOPED_TRACE(out.string());
        const ProcessResult result = Run({"lock", pagePath, "-o", out.string()}, {.detach = true});
        EXPECT_EQ(result.status, 5) << result.err;
        EXPECT_NE(result.err.find(folder.string() +
                                  ": このフォルダにはファイルを書き込めません: " + cause),
                  std::string::npos)
            << result.err;
    }
    if (root) {
        ::umount(folder.c_str());
    } else {
        ::chmod(folder.c_str(), 0755);
    }
}

// The command line speaks the language --lang names, else NEMORA_LANG's,
// else the locale's; the switch may stand before or after the subcommand.
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
        {"no locale", {}, {}, {.env = {{"LANG", "C"}}, .unset = noLocale}, "パスワードが違います"},
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

// The name block holds the encoding name in code page 932, as the window writes it.
TEST_F(CliTest, EncodingNameIsWrittenInCodePage932) {
    const std::string out = (dir.Path() / "named").string();
    ASSERT_EQ(Lock(out, {"--encoding", "日本"}).status, 0);
    const std::vector<std::uint8_t> data = ReadAll(out + "/page.zvk");
    const engine::UnlockedPage back =
        engine::StreamReader(engine::DeriveKey("secret")).Read(data.data(), data.size());
    ASSERT_EQ(back.status, engine::Result::Ok);
    EXPECT_EQ(back.encodingName, "\x93\xfa\x96\x7b");
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
    const ProcessResult result = Run({"lock", pagePath, dir.File("missing.html"), second, "-o", out,
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
                                               "index.zvk"};
    EXPECT_EQ(Tree(out), expected);
    EXPECT_EQ(ReadAll(out + "/docs/logo.png"), ReadAll((site / "docs/logo.png").string()));
    for (const std::string stem : {"index", "docs/index", "docs/v1.2/Guide"}) {
        SCOPED_TRACE(stem);
        const ProcessResult back =
            Run({"unlock", out + "/" + stem + ".zvk", "--password-stdin"}, {.input = "secret\n"});
        ASSERT_EQ(back.status, 0) << back.err;
        const auto original =
            ReadAll((site / stem).string() + (stem.ends_with("Guide") ? ".HTM" : ".html"));
        EXPECT_EQ(back.out, std::string(original.begin(), original.end()));
    }
    for (const char* line : {"broken.html: 読込みに失敗しました", "dangling.html: リンク先がない",
                             "outside.html: サイトの外", "docs/up: リンクが循環"}) {
        EXPECT_NE(result.err.find(line), std::string::npos) << line << "\n" << result.err;
    }
    EXPECT_NE(result.out.find("ページ 4 件中 3 件を公開"), std::string::npos) << result.out;

    // Hidden files on request; a repeated run replaces the files whole.
    ASSERT_EQ(LockSite(out, {"--include-hidden"}).status, 4);
    EXPECT_TRUE(fs::exists(out + "/.git/config.html"));
    EXPECT_TRUE(fs::exists(out + "/.git/config.zvk"));
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
