#pragma once

#include <optional>
#include <string_view>

namespace nemora::publish {

// The names browsers give character encodings: every label of the Encoding
// Standard's table ("utf8", "x-sjis", "latin1", "ms_kanji"...) and the one
// encoding it stands for, by the name a browser's TextDecoder reports
// ("utf-8", "shift_jis", "windows-1252"...). Browsers read "iso-8859-1" and
// "us-ascii" as windows-1252, and a few labels of encodings they refuse to
// decode as "replacement".
//
// The classic form's decoders (the applet's Java names and decoder.htm) know
// five names only; the strong form's script decodes with TextDecoder, which
// takes every label here but those of "replacement".
class EncodingLabels {
public:
    // The encoding `label` names, matched without regard to ASCII case and to
    // surrounding ASCII whitespace; nothing for a label browsers do not know.
    static std::optional<std::string_view> Canonical(std::string_view label);

    // The classic decoders' name for the encoding `canonical` ("UTF8" for
    // "utf-8", "cseucpkdfmtjapanese" for "euc-jp", "iso-8859-1" for
    // "windows-1252"...); nothing for an encoding they cannot read.
    static std::optional<std::string_view> ClassicName(std::string_view canonical);

    // The name a page in the encoding `label` names is recorded under: the
    // classic decoders' name, or for the strong form the canonical one;
    // nothing when that form's decoders cannot read it.
    static std::optional<std::string_view> ForForm(std::string_view label, bool strong);
};

}  // namespace nemora::publish
