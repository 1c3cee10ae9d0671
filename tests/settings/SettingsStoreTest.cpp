#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings/RegistryFile.h"
#include "app/settings/RegistryText.h"
#include "app/settings/SettingsStore.h"
#include "tests/support/ConfigHome.h"

namespace nemora::app {
namespace {

using nemora::test::ConfigHome;

// What the first start leaves: the key path and nothing in it.
constexpr char kEmptyKeyPath[] = R"(REGEDIT4

[HKEY_CURRENT_USER\Software\Kelvane]

[HKEY_CURRENT_USER\Software\Kelvane\Nemora]

[HKEY_CURRENT_USER\Software\Kelvane\Nemora\Setting]

)";

const RegistryText::KeyPath kSettingPath = {"HKEY_CURRENT_USER", "Software", "Kelvane", "Nemora",
                                            "Setting"};

SettingsStore SectionStore() {
    SettingsStore store;
    store.SetSection("Setting");
    return store;
}

// The main window's section, read and written in the main window's order.
struct Section {
    std::string path;
    std::string prompt;
    std::uint8_t cookieOn = 1;
    std::string cookieKey;
    std::int32_t cookieKeepDays = 70000;
    std::uint8_t comment = 1;
    std::uint8_t confirm = 0;
    std::string encodeType;

    void Write(SettingsStore& store) const {
        store.WriteString("Path", path);
        store.WriteString("Prompt", prompt);
        store.WriteBytes("CookieOn", {&cookieOn, 1});
        store.WriteString("CookieKey", cookieKey);
        store.WriteNumber("CookieKeepDays", cookieKeepDays);
        store.WriteBytes("Comment", {&comment, 1});
        store.WriteBytes("Confirm", {&confirm, 1});
        store.WriteString("EncodeType", encodeType);
    }

    // Flags that cannot be read keep the values they had.
    void Read(SettingsStore& store) {
        path = store.ReadString("Path");
        prompt = store.ReadString("Prompt");
        store.ReadBytes("CookieOn", {&cookieOn, 1});
        cookieKey = store.ReadString("CookieKey");
        cookieKeepDays = store.ReadNumber("CookieKeepDays", 70000);
        store.ReadBytes("Comment", {&comment, 1});
        store.ReadBytes("Confirm", {&confirm, 1});
        encodeType = store.ReadString("EncodeType");
    }

    bool operator==(const Section&) const = default;
};

// The two steps of the clean-up switch, with their results.
std::pair<bool, bool> CleanUp() {
    SettingsStore store;
    store.SetSection({});
    const bool application = store.DeleteKey(true);
    store.SetApplication({});
    const bool company = store.DeleteKey(false);
    return {application, company};
}

RegistryText ParsedRegistry(const ConfigHome& home) {
    std::optional<RegistryText> text = RegistryText::Parse(home.ReadRegistry());
    if (!text) ADD_FAILURE() << "the registry file does not parse:\n" << home.ReadRegistry();
    return text ? std::move(*text) : RegistryText();
}

class SettingsStoreTest : public ::testing::Test {
protected:
    ConfigHome home_;
};

TEST_F(SettingsStoreTest, FirstStartCreatesTheEmptyKeyPathAndReadsTheDefaults) {
    SettingsStore store = SectionStore();
    Section section;
    section.Read(store);
    EXPECT_EQ(section, Section());
    EXPECT_EQ(store.ReadString("Prompt", "fallback"), "fallback");
    EXPECT_EQ(store.ReadBytes("CookieOn"), 0u);
    EXPECT_EQ(home_.ReadRegistry(), kEmptyKeyPath);
    EXPECT_EQ(home_.SettingsEntries(), std::vector<std::string>{"settings.reg"});
}

TEST_F(SettingsStoreTest, SectionIsStoredInRegFormatAndReadsBack) {
    const Section written{"C:\\web\\\"new\"\\index.html",
                          "パスワードを入力して下さい。",
                          1,
                          "Key",
                          70000,
                          0,
                          1,
                          "shift_jis"};
    SettingsStore store = SectionStore();
    EXPECT_TRUE(store.Batch([&] { written.Write(store); }));
    EXPECT_EQ(home_.ReadRegistry(), R"(REGEDIT4

[HKEY_CURRENT_USER\Software\Kelvane]

[HKEY_CURRENT_USER\Software\Kelvane\Nemora]

[HKEY_CURRENT_USER\Software\Kelvane\Nemora\Setting]
"Path"="C:\\web\\\"new\"\\index.html"
"Prompt"="パスワードを入力して下さい。"
"CookieOn"=hex:01
"CookieKey"="Key"
"CookieKeepDays"=dword:00011170
"Comment"=hex:00
"Confirm"=hex:01
"EncodeType"="shift_jis"

)");

    Section read;
    SettingsStore reader = SectionStore();
    EXPECT_TRUE(reader.Batch([&] { read.Read(reader); }));
    EXPECT_EQ(read, written);

    // Value by value, without a batch, the file comes out the same.
    ConfigHome other;
    SettingsStore single = SectionStore();
    written.Write(single);
    EXPECT_EQ(other.ReadRegistry(), home_.ReadRegistry());
}

TEST_F(SettingsStoreTest, TextsAndNamesReadBackAsWritten) {
    struct Case {
        std::string name;
        std::string text;
    };
    const Case cases[] = {
        {"Prompt", ""},
        {"Prompt", "plain"},
        {"Prompt", "\"quoted\" and \\back\\slashes\\"},
        {"Prompt", "\\"},
        {"Prompt", "two\nlines\r\nand a tab\t"},
        {"Prompt", "x\"\n[HKEY_CURRENT_USER\\Software\\Injected]\n\"Evil\"=\"1"},
        {"Prompt", "]\n["},
        {"Path", "/home/user/ページ/index.html"},
        {"Path", std::string("\x82\xA0\x82\xA2 Shift_JIS bytes")},
        {"Name with \"quotes\" and \\", "value"},
        {"@", "not the default value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("name [" + c.name + "] text [" + c.text + "]");
        ConfigHome home;
        EXPECT_TRUE(SectionStore().WriteString(c.name, c.text));
        EXPECT_EQ(SectionStore().ReadString(c.name, "fallback"), c.text);
        const RegistryText text = ParsedRegistry(home);
        EXPECT_EQ(text.SubKeys({"HKEY_CURRENT_USER", "Software"}),
                  std::vector<std::string>{"Kelvane"});
        EXPECT_TRUE(text.SubKeys(kSettingPath).empty());
        EXPECT_EQ(text.ValueCount(kSettingPath), 1u);
    }
}

TEST_F(SettingsStoreTest, EmptyTextIsNotAnAbsentValue) {
    SettingsStore store = SectionStore();
    EXPECT_TRUE(store.WriteString("Prompt", ""));
    EXPECT_EQ(store.ReadString("Prompt", "fallback"), "");
    EXPECT_EQ(store.ReadBytes("Prompt"), 1u);  // the terminating zero

    EXPECT_TRUE(store.WriteString("Prompt", std::nullopt));
    EXPECT_EQ(store.ReadString("Prompt", "fallback"), "fallback");
    EXPECT_FALSE(store.WriteString("Prompt", std::nullopt));  // nothing left to delete
    EXPECT_EQ(home_.ReadRegistry(), kEmptyKeyPath);
}

TEST_F(SettingsStoreTest, TextWithAZeroByteIsRefusedAndTheOldValueStays) {
    SettingsStore store = SectionStore();
    ASSERT_TRUE(store.WriteString("Prompt", "old"));
    EXPECT_FALSE(store.WriteString("Prompt", std::string_view("cut\0off", 7)));
    EXPECT_EQ(store.ReadString("Prompt"), "old");
}

TEST_F(SettingsStoreTest, NumbersOfEveryValueReadBack) {
    const std::int32_t numbers[] = {std::numeric_limits<std::int32_t>::min(), -1, 0, 1, 70000,
                                    std::numeric_limits<std::int32_t>::max()};
    SettingsStore store = SectionStore();
    for (std::int32_t number : numbers) {
        SCOPED_TRACE(number);
        EXPECT_TRUE(store.WriteNumber("CookieKeepDays", number));
        EXPECT_EQ(SectionStore().ReadNumber("CookieKeepDays", 12345), number);
    }
    EXPECT_NE(home_.ReadRegistry().find("\"CookieKeepDays\"=dword:7fffffff\n"), std::string::npos);
}

// Values put into the file by hand (or by another program): their width and
// type decide what reads as a number and what reads as a flag.
TEST_F(SettingsStoreTest, StoredWidthsDecideWhatIsRead) {
    struct Case {
        std::string data;
        std::int32_t number;     // as ReadNumber with the default 70000 gives it
        std::size_t flagResult;  // as ReadBytes of one byte gives it
        std::uint8_t flag;       // the flag afterwards, 7 before
        std::size_t length;      // as ReadBytes without a buffer gives it
    };
    const Case cases[] = {
        {"dword:ffffffff", -1, 0, 7, 4},
        {"dword:00011170", 70000, 0, 7, 4},
        {"hex:05", 5, 1, 5, 1},
        {"hex:00", 0, 1, 0, 1},
        {"hex:01,00", 1, 0, 7, 2},
        {"hex:ff,ff,ff", 0xFFFFFF, 0, 7, 3},
        {"hex:", 0, 0, 7, 0},
        {"hex:01,02,03,04,05", 70000, 0, 7, 5},
        {"hex(b):01,00,00,00,00,00,00,00", 70000, 0, 7, 8},
        {"hex(0):2a", 42, 1, 42, 1},
        {"\"7\"", 0x37, 0, 7, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        home_.WriteRegistry(std::string(kEmptyKeyPath) + "\"Value\"=" + c.data + "\n");
        SettingsStore store = SectionStore();
        EXPECT_EQ(store.ReadNumber("Value", 70000), c.number);
        std::uint8_t flag = 7;
        EXPECT_EQ(store.ReadBytes("Value", {&flag, 1}), c.flagResult);
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(store.ReadBytes("Value"), c.length);
    }
    EXPECT_EQ(SectionStore().ReadNumber("Missing", 70000), 70000);
}

TEST_F(SettingsStoreTest, BytesReadBackOnlyWithTheirExactLength) {
    std::mt19937 random(20240817);
    for (std::size_t size : {0u, 1u, 4u, 300u}) {
        SCOPED_TRACE(size);
        std::vector<std::uint8_t> bytes(size);
        for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
        SettingsStore store = SectionStore();
        EXPECT_TRUE(store.WriteBytes("Blob", bytes));
        EXPECT_EQ(store.ReadBytes("Blob"), size);

        std::vector<std::uint8_t> exact(size, 0xEE);
        EXPECT_EQ(store.ReadBytes("Blob", exact), size);
        EXPECT_EQ(exact, bytes);

        std::vector<std::uint8_t> longer(size + 1, 0xEE);
        EXPECT_EQ(store.ReadBytes("Blob", longer), 0u);
        EXPECT_EQ(longer, std::vector<std::uint8_t>(size + 1, 0xEE));
    }
}

TEST_F(SettingsStoreTest, CleanUpWithNothingStoredLeavesNothingBehind) {
    EXPECT_EQ(CleanUp(), std::make_pair(true, true));
    EXPECT_FALSE(std::filesystem::exists(home_.SettingsFolder()));

    SectionStore().ReadString("Path");
    ASSERT_EQ(home_.ReadRegistry(), kEmptyKeyPath);
    EXPECT_EQ(CleanUp(), std::make_pair(true, true));
    EXPECT_FALSE(std::filesystem::exists(home_.SettingsFolder()));
}

// Other programs' keys, laid out as no writer of ours would: they must come
// through our writes and our clean-up byte for byte.
TEST_F(SettingsStoreTest, OtherProgramsKeysStayAsTheyAre) {
    const std::string others =
        "REGEDIT4\r\n"
        "; kept by hand\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Elsewhere\\Tool]\r\n"
        "@=\"default\"\r\n"
        "\"List\"=hex(7):61,00,\\\r\n"
        "    00,00\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Kelvane\\Sibling]\r\n"
        "\"Path\"=\"C:\\\\sibling\"\r\n"
        "\"Count\"=dword:00000003\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
        "\"Wallpaper\"=\"\"\r\n";
    home_.WriteRegistry(others);

    const Section written{"/p", "prompt", 0, "Key", -1, 1, 0, "UTF8"};
    SettingsStore store = SectionStore();
    EXPECT_TRUE(store.Batch([&] { written.Write(store); }));
    // The company key exists through its sibling: only the keys below it are
    // new, and they go after the last key of its branch.
    EXPECT_EQ(home_.ReadRegistry(),
              "REGEDIT4\r\n"
              "; kept by hand\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Elsewhere\\Tool]\r\n"
              "@=\"default\"\r\n"
              "\"List\"=hex(7):61,00,\\\r\n"
              "    00,00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Kelvane\\Sibling]\r\n"
              "\"Path\"=\"C:\\\\sibling\"\r\n"
              "\"Count\"=dword:00000003\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Kelvane\\Nemora]\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Kelvane\\Nemora\\Setting]\r\n"
              "\"Path\"=\"/p\"\r\n"
              "\"Prompt\"=\"prompt\"\r\n"
              "\"CookieOn\"=hex:00\r\n"
              "\"CookieKey\"=\"Key\"\r\n"
              "\"CookieKeepDays\"=dword:ffffffff\r\n"
              "\"Comment\"=hex:01\r\n"
              "\"Confirm\"=hex:00\r\n"
              "\"EncodeType\"=\"UTF8\"\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
              "\"Wallpaper\"=\"\"\r\n");

    // The clean-up takes the application's key only: the company still
    // holds the sibling.
    EXPECT_EQ(CleanUp(), std::make_pair(true, false));
    EXPECT_EQ(home_.ReadRegistry(), others);
}

TEST_F(SettingsStoreTest, DeleteKeyTakesSubkeysOnlyWhenAskedTo) {
    SettingsStore store = SectionStore();
    ASSERT_TRUE(store.WriteString("Path", "/p"));
    EXPECT_FALSE(store.DeleteKey(false));  // values count as contents
    EXPECT_EQ(store.ReadString("Path"), "/p");
    EXPECT_TRUE(store.DeleteKey(true));
    EXPECT_EQ(home_.ReadRegistry(),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Kelvane]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Kelvane\\Nemora]\n\n");

    // A tree of several levels goes whole.
    for (const char* section : {"Setting\\A\\B", "Setting\\C", "Setting"}) {
        store.SetSection(section);
        ASSERT_TRUE(store.WriteNumber("N", 1));
    }
    store.SetSection({});
    EXPECT_FALSE(store.DeleteKey(false));
    EXPECT_TRUE(store.DeleteKey(true));
    EXPECT_EQ(home_.ReadRegistry(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Kelvane]\n\n");
    store.SetApplication({});
    EXPECT_TRUE(store.DeleteKey(false));
    EXPECT_FALSE(std::filesystem::exists(home_.SettingsFolder()));
}

TEST(SettingsStoreFileTest, UnreadableFileGivesDefaultsAndIsKept) {
    const std::string texts[] = {
        "garbage",
        "REGEDIT4\n\"Path\"=\"value before any key\"\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Kelvane\\Nemora\\Setting\n\"Path\"=\"/p\"\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Kelvane\\Nemora\\Setting]\n\"Path\"=\"/p\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Kelvane\\Nemora\\Setting]\n\"On\"=hex:01,\\\n",
        std::string("REGEDIT4\n\0\0\0\0", 13),
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Kel",  // cut short
        std::string(8 << 20, '\xfe'),                   // huge binary garbage
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        ConfigHome home;
        home.WriteRegistry(text);

        SettingsStore store = SectionStore();
        Section read;
        read.Read(store);
        EXPECT_EQ(read, Section());
        EXPECT_EQ(home.ReadRegistry(), kEmptyKeyPath);
        const std::vector<std::string> entries = home.SettingsEntries();
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0], "settings.reg");
        EXPECT_TRUE(entries[1].starts_with("settings.reg.unreadable-"));
        EXPECT_EQ(test::ReadFile(home.SettingsFolder() / entries[1]), text);

        EXPECT_TRUE(store.WriteString("Path", "/new"));
        EXPECT_EQ(store.ReadString("Path"), "/new");
    }

    // A second unreadable file never takes the place of the first one kept.
    ConfigHome home;
    for (const char* text : {"first", "second"}) {
        home.WriteRegistry(text);
        SectionStore().ReadString("Path");
    }
    const std::vector<std::string> entries = home.SettingsEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(test::ReadFile(home.SettingsFolder() / entries[1]) +
                  test::ReadFile(home.SettingsFolder() / entries[2]),
              "firstsecond");
}

// Something other than a file where the settings file goes: defaults, failed
// writes, and never a read from it (a device would never end).
TEST(SettingsStoreFileTest, UnreachableFileGivesDefaultsAndReportsFailedWrites) {
    namespace fs = std::filesystem;
    const std::pair<const char*, std::function<void(const fs::path&)>> setups[] = {
        {"a folder", [](const fs::path& p) { fs::create_directories(p); }},
        {"an endless device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
        {"a pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
    };
    for (const auto& [name, setup] : setups) {
        SCOPED_TRACE(name);
        ConfigHome home;
        fs::create_directories(home.RegistryPath().parent_path());
        setup(home.RegistryPath());
        SettingsStore store = SectionStore();
        Section read;
        read.Read(store);
        EXPECT_EQ(read, Section());
        EXPECT_FALSE(store.WriteString("Path", "/p"));
        EXPECT_FALSE(store.WriteNumber("CookieKeepDays", 1));
        const std::uint8_t flag = 1;
        EXPECT_FALSE(store.WriteBytes("CookieOn", {&flag, 1}));
        EXPECT_FALSE(store.DeleteKey(true));
        EXPECT_FALSE(store.Batch([&] { EXPECT_FALSE(store.WriteString("Path", "/p")); }));
        EXPECT_EQ(fs::symlink_status(home.RegistryPath()).type() == fs::file_type::regular, false);
    }
}

// The XDG base directory rules: only an absolute XDG_CONFIG_HOME counts.
TEST_F(SettingsStoreTest, FileIsFoundInTheUsersConfigurationFolder) {
    struct Case {
        const char* config;  // null: unset
        std::filesystem::path folder;
    };
    const std::filesystem::path home = home_.Root() / "home";
    const Case cases[] = {
        {"/somewhere/config", "/somewhere/config"},
        {nullptr, home / ".config"},
        {"", home / ".config"},
        {"relative/config", home / ".config"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config ? c.config : "(unset)");
        if (c.config) {
            ::setenv("XDG_CONFIG_HOME", c.config, 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        const RegistryFile::Location location = RegistryFile::UserLocation();
        EXPECT_EQ(location.file, c.folder / "nemora/settings.reg");
        EXPECT_EQ(location.former, c.folder / "user-registry.reg");
        EXPECT_TRUE(location.ownFolder);
    }
}

// Earlier versions kept the file right in the configuration folder: the first
// start moves it into the program's folder, and never replaces a file there.
TEST_F(SettingsStoreTest, FormerFileMovesOnceAndNeverOverAFileInPlace) {
    namespace fs = std::filesystem;
    const std::string former = std::string(kEmptyKeyPath) + "\"Path\"=\"/former\"\n";
    const std::string current = std::string(kEmptyKeyPath) + "\"Path\"=\"/current\"\n";
    const auto writeFormer = [&] {
        fs::create_directories(home_.ConfigFolder());
        std::ofstream(home_.FormerRegistryPath(), std::ios::binary) << former;
        fs::permissions(home_.FormerRegistryPath(), fs::perms::owner_read | fs::perms::owner_write);
    };

    writeFormer();
    EXPECT_EQ(SectionStore().ReadString("Path"), "/former");
    EXPECT_FALSE(fs::exists(home_.FormerRegistryPath()));
    EXPECT_EQ(home_.ReadRegistry(), former);
    EXPECT_EQ(fs::status(home_.RegistryPath()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // A folder of its own, private as the XDG rules ask.
    EXPECT_EQ(fs::status(home_.SettingsFolder()).permissions(), fs::perms::owner_all);

    // Both there (an earlier version ran again): the program's own file
    // counts, and the former one stays as it is.
    home_.WriteRegistry(current);
    writeFormer();
    SettingsStore store = SectionStore();
    EXPECT_EQ(store.ReadString("Path"), "/current");
    EXPECT_TRUE(store.WriteString("Path", "/written"));
    EXPECT_EQ(test::ReadFile(home_.FormerRegistryPath()), former);

    // A link is not moved: from the other folder it could point elsewhere.
    fs::remove(home_.RegistryPath());
    fs::rename(home_.FormerRegistryPath(), home_.ConfigFolder() / "elsewhere.reg");
    fs::create_symlink("elsewhere.reg", home_.FormerRegistryPath());
    EXPECT_EQ(SectionStore().ReadString("Path"), "");
    EXPECT_TRUE(fs::is_symlink(home_.FormerRegistryPath()));
}

// The program's folder on another file system (a link to it made before the
// first start): the file is copied over, linked into place, then the former
// one goes.
TEST_F(SettingsStoreTest, FormerFileMovesToAnotherFileSystem) {
    namespace fs = std::filesystem;
    const fs::path shared = "/dev/shm";
    struct stat here {};
    struct stat there {};
    fs::create_directories(home_.ConfigFolder());
    if (::stat(shared.c_str(), &there) != 0 || ::stat(home_.ConfigFolder().c_str(), &here) != 0 ||
        here.st_dev == there.st_dev) {
        GTEST_SKIP() << "no second file system at " << shared;
    }
    std::string pattern = (shared / "nemora-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    fs::create_symlink(folder, home_.SettingsFolder());
    const std::string former = std::string(kEmptyKeyPath) + "\"Path\"=\"/former\"\n";
    std::ofstream(home_.FormerRegistryPath(), std::ios::binary) << former;

    EXPECT_EQ(SectionStore().ReadString("Path"), "/former");
    EXPECT_FALSE(fs::exists(home_.FormerRegistryPath()));
    EXPECT_EQ(home_.SettingsEntries(), std::vector<std::string>{"settings.reg"});
    EXPECT_EQ(home_.ReadRegistry(), former);
    fs::remove_all(folder);
}

// Two copies that close at the same moment: each writes its whole section in
// one batch, after reading a counter that the other one also raises. A lost
// update shows in the counter, a torn section in values of both writers.
TEST_F(SettingsStoreTest, TwoWriterProcessesAtOnceLeaveOneWholeSection) {
    constexpr int kWriters = 2;
    constexpr int kRounds = 40;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::array<pid_t, kWriters> writers{};
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            char go;
            (void)!::read(start[0], &go, 1);  // returns when the parent closes its end
            bool ok = true;
            for (int round = 0; round < kRounds; ++round) {
                SettingsStore store = SectionStore();
                ok = store.Batch([&] {
                    const std::int32_t count = store.ReadNumber("CookieKeepDays", 0) + 1;
                    const std::string tag =
                        "writer" + std::to_string(w) + "#" + std::to_string(count);
                    Section{tag + std::string(2000, 'p'),
                            tag,
                            static_cast<std::uint8_t>(w),
                            tag,
                            count,
                            static_cast<std::uint8_t>(w),
                            static_cast<std::uint8_t>(w),
                            tag}
                        .Write(store);
                }) && ok;
            }
            std::_Exit(ok ? 0 : 1);
        }
        writers[static_cast<std::size_t>(w)] = pid;
    }
    ::close(start[0]);
    ::close(start[1]);
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    ParsedRegistry(home_);
    Section last;
    SettingsStore store = SectionStore();
    last.Read(store);
    EXPECT_EQ(last.cookieKeepDays, kWriters * kRounds);
    const std::string tag = last.prompt;
    ASSERT_TRUE(tag == "writer0#80" || tag == "writer1#80") << tag;
    const auto w = static_cast<std::uint8_t>(tag[6] - '0');
    EXPECT_EQ(last,
              (Section{tag + std::string(2000, 'p'), tag, w, tag, kWriters * kRounds, w, w, tag}));
    EXPECT_EQ(home_.SettingsEntries(), std::vector<std::string>{"settings.reg"});
}

}  // namespace
}  // namespace nemora::app
