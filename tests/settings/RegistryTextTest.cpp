#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings/RegistryText.h"

namespace nemora::app {
namespace {

using KeyPath = RegistryText::KeyPath;

const KeyPath kOther = {"HKEY_CURRENT_USER", "Software", "Other"};

TEST(RegistryTextTest, TextThatIsNotChangedComesOutByteForByte) {
    const std::string texts[] = {
        "",
        "REGEDIT4\n",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"a\"=\"b\"\n\n",
        // byte order mark, CRLF, comments, odd spacing, no line break at the end
        "\xEF\xBB\xBFREGEDIT4\r\n; made by hand\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n"
        "  \"a\" = dword:2a\r\n@=\"default\"\r\n;last",
        // a hex list over three lines, a type of its own, an empty list
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Other]\n\"List\"=hex(7):61,00,\\\n  62,00,\\\n"
        "\t00,00\n\"Empty\"=hex:\n",
        // a value named twice: the later one counts, the text stays
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Other]\n\"a\"=\"1\"\n\"A\"=\"2\"\n",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const std::optional<RegistryText> parsed = RegistryText::Parse(text);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->Serialize(), text == "REGEDIT4\n" ? "" : text);
    }
}

TEST(RegistryTextTest, ReadsValuesOfEveryForm) {
    const std::optional<RegistryText> text = RegistryText::Parse(
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Other]\n\"Text\"=\"a \\\"b\\\" c\\\\\"\n"
        "\"Number\"=dword:0001e240\n\"List\"=hex(7):61,00,\\\n  00,00\n@=hex:ff\n"
        "\"Later\"=\"1\"\n\"later\"=\"2\"\n");
    ASSERT_TRUE(text.has_value());
    const auto value = [&](const char* name) { return text->Value(kOther, name); };
    EXPECT_EQ(value("Text"),
              (RegistryValue{RegistryValue::kRegSz, {'a', ' ', '"', 'b', '"', ' ', 'c', '\\', 0}}));
    EXPECT_EQ(value("NUMBER"), (RegistryValue{RegistryValue::kRegDword, {0x40, 0xE2, 0x01, 0}}));
    EXPECT_EQ(value("List"), (RegistryValue{7, {'a', 0, 0, 0}}));
    EXPECT_EQ(value(""), (RegistryValue{RegistryValue::kRegBinary, {0xFF}}));
    EXPECT_EQ(value("Later"), (RegistryValue{RegistryValue::kRegSz, {'2', 0}}));
    EXPECT_EQ(text->ValueCount(kOther), 5u);
}

TEST(RegistryTextTest, RefusesTextItDoesNotUnderstand) {
    const std::string texts[] = {
        "not a registry",
        "Windows Registry Editor Version 5.00\n",
        "REGEDIT4\n\"a\"=\"value before any key\"\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Other\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\\\Other]\n",
        "REGEDIT4\n[-HKEY_CURRENT_USER\\Software\\Other]\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=-\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"no closing quote\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"bad \\n escape\"\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"text\" trailing\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=dword:123456789\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=dword:\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,,02\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:100\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex(x):01\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,\\\n",
        "REGEDIT4\n[HKEY_CURRENT_USER]\nname=\"unquoted\"\n",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(RegistryText::Parse(text).has_value());
    }
}

TEST(RegistryTextTest, WrittenValuesReadBackWithTheirTypes) {
    struct Case {
        RegistryValue value;
        std::string line;  // empty: not checked
    };
    std::vector<std::uint8_t> long_list(100);
    for (std::size_t i = 0; i < long_list.size(); ++i)
        long_list[i] = static_cast<std::uint8_t>(i * 7);
    const Case cases[] = {
        {{RegistryValue::kRegSz, {'a', '"', '\\', 0}}, "\"v\"=\"a\\\"\\\\\""},
        {{RegistryValue::kRegSz, {0}}, "\"v\"=\"\""},
        {{RegistryValue::kRegSz, {0xE6, 0x97, 0xA5, 0}}, "\"v\"=\"\xE6\x97\xA5\""},
        // what the quoted form cannot carry as it is goes as bytes
        {{RegistryValue::kRegSz, {'a', '\n', 'b', 0}}, "\"v\"=hex(1):61,0a,62,00"},
        {{RegistryValue::kRegSz, {0xFF, 0}}, "\"v\"=hex(1):ff,00"},
        {{RegistryValue::kRegSz, {'a'}}, "\"v\"=hex(1):61"},
        {{RegistryValue::kRegSz, {'a', 0, 'b', 0}}, "\"v\"=hex(1):61,00,62,00"},
        {{RegistryValue::kRegDword, {0x70, 0x11, 0x01, 0x00}}, "\"v\"=dword:00011170"},
        {{RegistryValue::kRegDword, {1, 2}}, "\"v\"=hex(4):01,02"},
        {{RegistryValue::kRegBinary, {}}, "\"v\"=hex:"},
        {{RegistryValue::kRegBinary, {1}}, "\"v\"=hex:01"},
        {{0, {}}, "\"v\"=hex(0):"},
        {{0x20000, {0xAB}}, "\"v\"=hex(20000):ab"},
        {{RegistryValue::kRegBinary, long_list}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        RegistryText text;
        text.SetValue(kOther, "v", c.value);
        const std::string written = text.Serialize();
        if (!c.line.empty()) {
            EXPECT_EQ(written,
                      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n" + c.line + "\n\n");
        }
        for (const char* line = written.c_str(); *line != '\0';
             line = std::strchr(line, '\n') + 1) {
            EXPECT_LE(std::strcspn(line, "\n"), 80u);
        }
        const std::optional<RegistryText> read = RegistryText::Parse(written);
        ASSERT_TRUE(read.has_value()) << written;
        EXPECT_EQ(read->Value(kOther, "v"), c.value);
    }
}

TEST(RegistryTextTest, KeysExistThroughTheKeysBelowThem) {
    std::optional<RegistryText> text = RegistryText::Parse(
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Other\\One\\Deep]\n"
        "[hkey_current_user\\software\\OTHER\\Two]\n");
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->KeyExists({"HKEY_CURRENT_USER", "SOFTWARE", "other"}));
    EXPECT_TRUE(text->KeyExists({"HKEY_CURRENT_USER", "Software", "Other", "One"}));
    EXPECT_FALSE(text->KeyExists({"HKEY_CURRENT_USER", "Software", "Oth"}));
    EXPECT_EQ(text->SubKeys(kOther), (std::vector<std::string>{"One", "Two"}));

    // A new key goes after the last section of its parent's branch.
    text->CreateKey({"HKEY_CURRENT_USER", "Software", "Other", "One", "Next"});
    text->CreateKey({"HKEY_CURRENT_USER", "Software", "Other", "One"});  // exists already
    EXPECT_EQ(text->Serialize(),
              "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Other\\One\\Deep]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Other\\One\\Next]\n\n"
              "[hkey_current_user\\software\\OTHER\\Two]\n");
}

}  // namespace
}  // namespace nemora::app
