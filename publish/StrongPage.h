#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/OutputFile.h"
#include "res/StringTable.h"

namespace nemora::publish {

// The page a strong lock publishes under the page's own name: the page
// template (UTF-8) with its three markers replaced. "@NEMORA_PROMPT@" takes
// the prompt as markup, "@NEMORA_OPTIONS@" the remember options as JSON, and
// "@NEMORA_DATA@" the container in base64, written in pieces so that a large
// page is never held twice in memory.
class StrongPage {
public:
    // What the visitor's browser may remember, and for how long.
    struct Remember {
        std::string keyword;  // UTF-8
        double days = 0;      // 0: the browser session; below 0: unlimited
        bool ask = false;
        // The folder whose pages share the remembered key, relative to the
        // page ("./": the page's own folder).
        std::string scope = "./";
    };

    // Where a page of a sealed site stands, for its loader to find the
    // site's sealed files: the way from the page's folder up to the site's
    // top ("" at the top, else "../" once a folder) and the page's site path.
    struct SitePlace {
        std::string top;
        std::string path;
    };

    // False when a write fails, or when the template lacks a marker (the
    // page would not open). An empty prompt gives the default one in
    // `language`, the page's. `site`: the page belongs to a sealed site.
    static bool Write(std::span<const std::uint8_t> templ, std::string_view prompt,
                      res::Language language, const std::optional<Remember>& remember,
                      std::span<const std::uint8_t> container, engine::OutputFile& out,
                      const std::optional<SitePlace>& site = std::nullopt);

    // The container a published page carries, decoded from its data
    // element; nothing when the bytes are no such page.
    static std::optional<std::vector<std::uint8_t>> ReadContainer(
        std::span<const std::uint8_t> page);

    // The options element's JSON: every "<", ">" and "&" escaped, so no text
    // can end the element early. A page of a sealed site gains a "site"
    // member; a page locked alone has none.
    static std::string OptionsJson(const std::optional<Remember>& remember,
                                   const std::optional<SitePlace>& site = std::nullopt);
};

}  // namespace nemora::publish
