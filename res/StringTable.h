#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/TextId.h"

namespace nemora::res {

struct StringEntry {
    std::uint32_t id;
    const char* text;  // UTF-8
};

// The languages the program's texts come in. Japanese is the program's own;
// English serves those who read no Japanese.
enum class Language { Japanese, English };

// The program's texts by string-table id (res/strings.txt, and its English
// set res/strings.en.txt).
class StringTable {
public:
    // The text of `id` in the program's language, or an empty text when the
    // table has none.
    static const char* Get(std::uint32_t id);
    // The text of `id` in `language`; a text the English set lacks comes from
    // the Japanese one, so an id never goes blank in one language only.
    static const char* Get(std::uint32_t id, Language language);
    static const char* Get(engine::TextId id) { return Get(engine::StringId(id)); }
    static const char* Get(engine::TextId id, Language language) {
        return Get(engine::StringId(id), language);
    }

    // The language Get(id) answers in: Japanese until set. The program sets
    // it once at start, before any thread reads a text.
    static void SetLanguage(Language language);
    static Language CurrentLanguage();

    // Every entry of one language's own set, by rising id.
    static std::span<const StringEntry> Entries(Language language);
};

}  // namespace nemora::res
