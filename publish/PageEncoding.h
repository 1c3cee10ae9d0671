#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/ResultCode.h"

namespace nemora::publish {

// The encoding name a publication records for a page, spelt as the chosen
// form's decoders read it (EncodingLabels): the name the author gave, or the
// page's own (EncodingSniffer), or the default "shift_jis" where the page's
// bytes tell nothing. Without it a page declared and written in UTF-8 would be
// read as Shift_JIS and shown garbled.
class PageEncoding {
public:
    struct Named {
        // Ok, EncodingNotClassic (the classic decoders lack the page's own
        // encoding) or EncodingUnreadable (no browser decodes it).
        engine::Result result = engine::Result::Ok;
        std::string name;   // what the name block records, when Ok
        std::string found;  // the page's own encoding, for a refusal's message
    };

    // For the page whose bytes are `page` (LockedDocument::Page): `given`
    // when the author named one (already spelt for the form, see
    // EncodingLabels::ForForm), else the page's own.
    static Named Of(std::span<const std::uint8_t> page, const std::optional<std::string>& given,
                    bool strong);

    // For the window, whose name serves whichever form is saved: the page's
    // own encoding by the classic decoders' name, or by its canonical name
    // where they lack it (the strong form and the script decoder read that);
    // nothing when the bytes tell nothing or declare what no browser decodes.
    static std::optional<std::string> ForWindow(std::span<const std::uint8_t> page);
};

}  // namespace nemora::publish
