#include <gtest/gtest.h>

#include "publish/TemplateValues.h"
#include "publish/TextCodec.h"
#include "publish/WindowName.h"

namespace nemora::publish {
namespace {

class FixedIdentifiers : public IdentifierSource {
public:
    explicit FixedIdentifiers(std::optional<Identifier> id) : id_(id) {}
    std::optional<Identifier> NewIdentifier() override { return id_; }

private:
    std::optional<Identifier> id_;
};

TEST(WindowNameTest, ThreeLettersPerLittleEndianWord) {
    EXPECT_EQ(WindowNameOf(Identifier{}), std::string(24, 'A'));
    Identifier first{};
    first[0] = 0xFF;
    first[1] = 0xFF;  // 65535 = 15 + 12 * 52 + 24 * 52 * 52: P, M, Y, least significant first
    EXPECT_EQ(WindowNameOf(first), "PMY" + std::string(21, 'A'));
    Identifier z{};
    z[2] = 51;  // second word 51: "z"
    EXPECT_EQ(WindowNameOf(z).substr(3, 3), "zAA");

    FixedIdentifiers none(std::nullopt);
    EXPECT_EQ(MakeWindowName(none), "DecoderWindow");
    EXPECT_EQ(MakeWindowName(IdentifierSource::System()).size(), 24u);
    EXPECT_NE(MakeWindowName(IdentifierSource::System()),
              MakeWindowName(IdentifierSource::System()));
}

TEST(TextCodecTest, ConvertsToCodePage932) {
    EXPECT_EQ(TextCodec::ToCp932("日本", TextCodec::Unmappable::Refuse), "\x93\xfa\x96\x7b");
    EXPECT_EQ(TextCodec::ToCp932("ｷｬﾝｾﾙ", TextCodec::Unmappable::Refuse), "\xb7\xac\xdd\xbe\xd9");
    // A character code page 932 lacks: a reference in markup, refused in a password.
    EXPECT_EQ(TextCodec::ToCp932("a😀b", TextCodec::Unmappable::CharacterReference), "a&#128512;b");
    EXPECT_EQ(TextCodec::ToCp932("a😀b", TextCodec::Unmappable::Refuse), std::nullopt);
    EXPECT_EQ(TextCodec::ToCp932("a\xffz", TextCodec::Unmappable::CharacterReference),
              "a&#65533;z");
    EXPECT_EQ(TextCodec::ToCp932("a\xffz", TextCodec::Unmappable::Refuse), std::nullopt);
    EXPECT_EQ(TextCodec::FromCp932("\x93\xfa\x96\x7b"), "日本");
}

TEST(TextCodecTest, BestFitCharactersBecomeReferencesInMarkupOnly) {
    struct Case {
        const char* text;
        const char* markup;    // CharacterReference
        const char* password;  // Refuse: the bytes a browser makes of the same character
    };
    const Case cases[] = {
        {"\u00a5500", "&#165;500",
         "\x5c"
         "500"},                                      // yen onto the backslash byte
        {"\u203e", "&#8254;", "\x7e"},                // overline onto the tilde byte
        {"\u301c", "&#12316;", "\x81\x60"},           // wave dash read back as U+FF5E
        {"\u2014", "&#8212;", "\x81\x5c"},            // em dash read back as U+2015
        {"\uff5e\\~", "\x81\x60\\~", "\x81\x60\\~"},  // exact ones stay bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextCodec::ToCp932(c.text, TextCodec::Unmappable::CharacterReference), c.markup);
        EXPECT_EQ(TextCodec::ToCp932(c.text, TextCodec::Unmappable::Refuse), c.password);
    }
}

TEST(TemplateValuesTest, SixValuesForEachCookieCase) {
    struct Case {
        const char* name;
        bool cookieOn;
        std::int32_t keepDays;
        bool confirm;
        const char* key;
        const char* days;
        const char* ask;
    };
    const Case cases[] = {
        {"cookies off", false, 70000, true, "", "0", "false"},
        {"until the browser closes", true, 0, true, "Key", "0", "false"},
        {"unlimited, confirm", true, -1, true, "Key", "-1", "true"},
        {"any negative is unlimited", true, -5, false, "Key", "-1", "false"},
        {"a week, confirm", true, 70000, true, "Key", "7", "true"},
        {"a fraction", true, 1234, false, "Key", "0.1234", "false"},
    };
    FixedIdentifiers ids(Identifier{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PublicationOptions options;
        options.prompt = "";
        options.cookieOn = c.cookieOn;
        options.cookieKey = "Key";
        options.cookieKeepTicks = c.keepDays;
        options.confirm = c.confirm;
        const TemplateValues v = TemplateValues::From("index.html", options, ids);
        EXPECT_EQ(v.dataFile, "index.zvk");
        EXPECT_EQ(v.prompt, "Password");
        EXPECT_EQ(v.cookieOn ? v.cookieKey : std::string(), c.key);
        EXPECT_EQ(v.keepDays, c.days);
        EXPECT_EQ(v.askSaveCookie, c.ask);
        EXPECT_EQ(v.windowName(), std::string(24, 'A'));
    }
}

TEST(TemplateValuesTest, PromptAndKeywordAreEscapedThenConverted) {
    PublicationOptions options;
    options.prompt = "パスは\"C:\\\"😀";
    options.cookieKey = "<k>";
    FixedIdentifiers ids(std::nullopt);
    const TemplateValues v = TemplateValues::From("a\".html", options, ids);
    EXPECT_EQ(v.dataFile, "a%22.zvk");
    EXPECT_EQ(v.prompt, "\x83\x70\x83\x58\x82\xcd&#34;C:&#92;&#34;&#128512;");
    EXPECT_EQ(v.cookieKey, "&#60;k&#62;");
    EXPECT_EQ(v.windowName(), "DecoderWindow");

    // A yen sign must not reach the script literal as byte 0x5C.
    options.prompt = "料金は¥500です";
    options.cookieKey = "k¥";
    const TemplateValues yen = TemplateValues::From("a\".html", options, ids);
    EXPECT_EQ(yen.prompt, "\x97\xbf\x8b\xe0\x82\xcd&#165;500\x82\xc5\x82\xb7");
    EXPECT_EQ(yen.cookieKey, "k&#165;");
}

}  // namespace
}  // namespace nemora::publish
