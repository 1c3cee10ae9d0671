#include "res/StringTable.h"

#include <algorithm>
#include <atomic>

namespace nemora::res {
namespace data {
extern const StringEntry kStrings[];
extern const std::size_t kStringsCount;
extern const StringEntry kStringsEnglish[];
extern const std::size_t kStringsEnglishCount;
}  // namespace data

namespace {

std::atomic<Language> g_language{Language::Japanese};

const char* Find(std::span<const StringEntry> entries, std::uint32_t id) {
    const auto found =
        std::lower_bound(entries.begin(), entries.end(), id,
                         [](const StringEntry& e, std::uint32_t v) { return e.id < v; });
    return found != entries.end() && found->id == id ? found->text : nullptr;
}

}  // namespace

const char* StringTable::Get(std::uint32_t id) {
    return Get(id, CurrentLanguage());
}

const char* StringTable::Get(std::uint32_t id, Language language) {
    if (language == Language::English) {
        if (const char* text = Find(Entries(Language::English), id)) return text;
    }
    const char* text = Find(Entries(Language::Japanese), id);
    return text ? text : "";
}

void StringTable::SetLanguage(Language language) {
    g_language.store(language, std::memory_order_relaxed);
}

Language StringTable::CurrentLanguage() {
    return g_language.load(std::memory_order_relaxed);
}

std::span<const StringEntry> StringTable::Entries(Language language) {
    if (language == Language::English) return {data::kStringsEnglish, data::kStringsEnglishCount};
    return {data::kStrings, data::kStringsCount};
}

}  // namespace nemora::res
