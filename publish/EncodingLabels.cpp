#include "publish/EncodingLabels.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace nemora::publish {
namespace {

struct Encoding {
    std::string_view name;    // as TextDecoder reports it
    std::string_view labels;  // lower case, one space between
};

// The Encoding Standard's table of encodings and their labels (its
// encodings.json), in its order. No library on the platform carries it.
constexpr std::array kEncodings = {
    Encoding{"utf-8", "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
    Encoding{"ibm866", "866 cp866 csibm866 ibm866"},
    Encoding{"iso-8859-2",
             "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 "
             "latin2"},
    Encoding{"iso-8859-3",
             "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 "
             "latin3"},
    Encoding{"iso-8859-4",
             "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 "
             "latin4"},
    Encoding{"iso-8859-5",
             "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 "
             "iso_8859-5:1988"},
    Encoding{"iso-8859-6",
             "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 "
             "iso-8859-6-e iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
    Encoding{"iso-8859-7",
             "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 "
             "iso88597 iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
    Encoding{"iso-8859-8",
             "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 "
             "iso88598 iso_8859-8 iso_8859-8:1988 visual"},
    Encoding{"iso-8859-8-i", "csiso88598i iso-8859-8-i logical"},
    Encoding{"iso-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    Encoding{"iso-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    Encoding{"iso-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    Encoding{"iso-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    Encoding{"iso-8859-16", "iso-8859-16"},
    Encoding{"koi8-r", "cskoi8r koi koi8 koi8-r koi8_r"},
    Encoding{"koi8-u", "koi8-ru koi8-u"},
    Encoding{"macintosh", "csmacintosh mac macintosh x-mac-roman"},
    Encoding{"windows-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    Encoding{"windows-1250", "cp1250 windows-1250 x-cp1250"},
    Encoding{"windows-1251", "cp1251 windows-1251 x-cp1251"},
    Encoding{"windows-1252",
             "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 "
             "iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252"},
    Encoding{"windows-1253", "cp1253 windows-1253 x-cp1253"},
    Encoding{"windows-1254",
             "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 "
             "iso_8859-9:1989 l5 latin5 windows-1254 x-cp1254"},
    Encoding{"windows-1255", "cp1255 windows-1255 x-cp1255"},
    Encoding{"windows-1256", "cp1256 windows-1256 x-cp1256"},
    Encoding{"windows-1257", "cp1257 windows-1257 x-cp1257"},
    Encoding{"windows-1258", "cp1258 windows-1258 x-cp1258"},
    Encoding{"x-mac-cyrillic", "x-mac-cyrillic x-mac-ukrainian"},
    Encoding{"gbk",
             "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
    Encoding{"gb18030", "gb18030"},
    Encoding{"big5", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    Encoding{"euc-jp", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    Encoding{"iso-2022-jp", "csiso2022jp iso-2022-jp"},
    Encoding{"shift_jis", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    Encoding{"euc-kr",
             "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
             "ksc_5601 windows-949"},
    Encoding{"replacement",
             "csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr replacement"},
    Encoding{"utf-16be", "unicodefffe utf-16be"},
    Encoding{"utf-16le", "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
    Encoding{"x-user-defined", "x-user-defined"},
};

// The five names the classic decoders read, by the encoding each stands for.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kClassicNames = {{
    {"shift_jis", "shift_jis"},
    {"windows-1252", "iso-8859-1"},
    {"iso-2022-jp", "iso-2022-jp"},
    {"euc-jp", "cseucpkdfmtjapanese"},
    {"utf-8", "UTF8"},
}};

bool IsAsciiWhitespace(char c) {
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsAsciiWhitespace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsAsciiWhitespace(text.back())) text.remove_suffix(1);
    return text;
}

bool HasLabel(std::string_view labels, std::string_view label) {
    while (!labels.empty()) {
        const std::size_t space = labels.find(' ');
        if (labels.substr(0, space) == label) return true;
        labels.remove_prefix(space == std::string_view::npos ? labels.size() : space + 1);
    }
    return false;
}

}  // namespace

std::optional<std::string_view> EncodingLabels::Canonical(std::string_view label) {
    std::string lower(Trimmed(label));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    for (const Encoding& encoding : kEncodings) {
        if (HasLabel(encoding.labels, lower)) return encoding.name;
    }
    return std::nullopt;
}

std::optional<std::string_view> EncodingLabels::ClassicName(std::string_view canonical) {
    for (const auto& [encoding, name] : kClassicNames) {
        if (encoding == canonical) return name;
    }
    return std::nullopt;
}

std::optional<std::string_view> EncodingLabels::ForForm(std::string_view label, bool strong) {
    const std::optional<std::string_view> canonical = Canonical(label);
    if (!canonical) return std::nullopt;
    if (!strong) return ClassicName(*canonical);
    // TextDecoder refuses these labels: they name no encoding a page can be read in.
    if (*canonical == "replacement") return std::nullopt;
    return canonical;
}

}  // namespace nemora::publish
