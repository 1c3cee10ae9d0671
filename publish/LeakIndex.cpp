#include "publish/LeakIndex.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace nemora::publish {
namespace {

constexpr std::uint64_t kPrime = 0x100000001B3ull;
constexpr std::uint64_t kBasis = 0xCBF29CE484222325ull;

// A unit of text: a word, or one character of text without spaces.
struct Unit {
    std::uint64_t hash;
    std::uint32_t begin;  // byte offsets in the text
    std::uint32_t end;
};

// Characters of scripts written without spaces between words.
bool IsUnspaced(char32_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xFF66 && c <= 0xFF9F);
}

// Letters of other scripts, which stand in words as ASCII letters do.
bool IsWordLetter(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return c >= 0xC0 && !IsUnspaced(c) && c != 0xD7 && c != 0xF7 && !(c >= 0x2000 && c <= 0x2BFF) &&
           !(c >= 0x3000 && c <= 0x303F) && !(c >= 0xFF00 && c <= 0xFF65) && c != 0xFFFD &&
           c != 0xFEFF;
}

// The code point at `at` and its length (invalid bytes: U+FFFD, one byte).
std::pair<char32_t, std::size_t> Decode(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80         ? 1
                               : (lead >> 5) == 6  ? 2
                               : (lead >> 4) == 14 ? 3
                               : (lead >> 3) == 30 ? 4
                                                   : 0;
    if (length == 0 || at + length > text.size()) return {0xFFFD, 1};
    char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xC0) != 0x80) return {0xFFFD, 1};
        code = (code << 6) | (byte & 0x3Fu);
    }
    return {code, length};
}

// The words and the unspaced characters of `text`, each in order.
void Split(std::string_view text, std::vector<Unit>& words, std::vector<Unit>& characters) {
    std::uint64_t hash = kBasis;
    std::size_t wordStart = std::string_view::npos;
    for (std::size_t at = 0; at <= text.size();) {
        char32_t c = U' ';
        std::size_t length = 1;
        if (at < text.size()) std::tie(c, length) = Decode(text, at);
        if (at < text.size() && IsWordLetter(c)) {
            if (wordStart == std::string_view::npos) {
                wordStart = at;
                hash = kBasis;
            }
            for (std::size_t i = 0; i < length; ++i) {
                auto byte = static_cast<unsigned char>(text[at + i]);
                if (byte >= 'A' && byte <= 'Z') byte = static_cast<unsigned char>(byte + 32);
                hash = (hash ^ byte) * kPrime;
            }
        } else {
            if (wordStart != std::string_view::npos) {
                words.push_back(
                    {hash, static_cast<std::uint32_t>(wordStart), static_cast<std::uint32_t>(at)});
                wordStart = std::string_view::npos;
            }
            if (IsUnspaced(c)) {
                characters.push_back({(kBasis ^ c) * kPrime * kPrime,
                                      static_cast<std::uint32_t>(at),
                                      static_cast<std::uint32_t>(at + length)});
            }
        }
        at += length;
    }
}

// The fingerprint of `count` units from `first`; the kind and the length
// are part of it, so no run of one kind matches one of another.
std::uint64_t RunHash(const Unit* first, std::size_t count, std::uint64_t kind) {
    std::uint64_t hash = kBasis ^ (kind << 8) ^ count;
    for (std::size_t i = 0; i < count; ++i) hash = (hash ^ first[i].hash) * kPrime + (hash >> 29);
    // Mixed so that the top bits, which place it in the index, are even.
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return hash ^ (hash >> 33);
}

constexpr std::uint64_t kWordRun = 1;
constexpr std::uint64_t kCharacterRun = 2;

std::string Fragment(std::string_view text, std::size_t begin, std::size_t end) {
    if (end - begin <= LeakIndex::kFragmentBytes)
        return std::string(text.substr(begin, end - begin));
    std::size_t cut = begin + LeakIndex::kFragmentBytes;
    while (cut > begin && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(begin, cut - begin)) + "\u2026";
}

// A word that may stand for its page in a bag of words: long enough to
// be rare, and no number.
bool IsBagWord(std::string_view text, const Unit& word) {
    if (word.end - word.begin < LeakIndex::kBagLetters) return false;
    for (std::uint32_t at = word.begin; at < word.end; ++at) {
        if (text[at] < '0' || text[at] > '9') return true;
    }
    return false;
}

}  // namespace

void LeakIndex::Add(std::uint32_t page, std::string_view title, std::string_view text) {
    // Kept from call to call on each thread: growing them anew for every
    // page or file cost more than the lookups.
    thread_local std::vector<Unit> words;
    thread_local std::vector<Unit> characters;
    for (std::string_view part : {text, title}) {
        words.clear();
        characters.clear();
        Split(part, words, characters);
        for (std::size_t i = 0; i + kWords <= words.size(); ++i)
            Push({RunHash(&words[i], kWords, kWordRun), page});
        for (std::size_t i = 0; i + kCharacters <= characters.size(); ++i)
            Push({RunHash(&characters[i], kCharacters, kCharacterRun), page});
        if (part.data() != text.data()) continue;
        // The text's distinct words, for the bag.
        const auto first = static_cast<std::ptrdiff_t>(words_.size());
        for (const Unit& word : words)
            if (IsBagWord(text, word)) words_.push_back({word.hash, page});
        std::sort(words_.begin() + first, words_.end(),
                  [](const Entry& a, const Entry& b) { return a.hash < b.hash; });
        words_.erase(std::unique(words_.begin() + first, words_.end(),
                                 [](const Entry& a, const Entry& b) { return a.hash == b.hash; }),
                     words_.end());
    }
    // A title too short for a run of kWords: each run of kTitleWords of it.
    words.clear();
    characters.clear();
    Split(title, words, characters);
    if (words.size() < kWords) {
        for (std::size_t i = 0; i + kTitleWords <= words.size(); ++i)
            Push({RunHash(&words[i], kTitleWords, kWordRun), page});
        titleRuns_ = titleRuns_ || words.size() >= kTitleWords;
    }
}

void LeakIndex::Push(Entry entry) {
    // Filled in chunks that are never moved: growing one vector would copy
    // every entry again at each doubling.
    if (entries_.size() == entries_.capacity()) {
        if (!entries_.empty()) joined_.push_back(std::move(entries_));
        entries_ = {};
        entries_.reserve(kChunk);
    }
    entries_.push_back(entry);
}

void LeakIndex::Join(LeakIndex&& other) {
    joined_.push_back(std::move(other.entries_));
    for (std::vector<Entry>& part : other.joined_) joined_.push_back(std::move(part));
    words_.insert(words_.end(), other.words_.begin(), other.words_.end());
    other.words_ = {};
    titleRuns_ = titleRuns_ || other.titleRuns_;
    other.entries_ = {};
    other.joined_ = {};
}

void LeakIndex::Seal(std::uint32_t pageCount) {
    joined_.push_back(std::move(entries_));
    // The entries are placed by their top bits (a count, then one pass
    // that puts each where its bucket starts), which leaves only a few in
    // each bucket to sort: far less work than sorting them all.
    bucketShift_ = 64 - kBucketBits;
    buckets_.assign((std::size_t{1} << kBucketBits) + 1, 0);
    std::size_t total = 0;
    for (const std::vector<Entry>& part : joined_) {
        total += part.size();
        for (const Entry& entry : part) ++buckets_[(entry.hash >> bucketShift_) + 1];
    }
    for (std::size_t i = 1; i < buckets_.size(); ++i) buckets_[i] += buckets_[i - 1];
    entries_.resize(total);
    {
        std::vector<std::uint32_t> next(buckets_.begin(), buckets_.end() - 1);
        for (std::vector<Entry>& part : joined_) {
            for (const Entry& entry : part) entries_[next[entry.hash >> bucketShift_]++] = entry;
            part = {};
        }
    }
    joined_ = {};
    // One entry a run, of the first page that holds it; none for a run of
    // the site's frame. The buckets close up as they go.
    std::uint32_t kept = 0;
    std::uint32_t begin = 0;
    for (std::size_t bucket = 0; bucket + 1 < buckets_.size(); ++bucket) {
        const std::uint32_t end = buckets_[bucket + 1];
        buckets_[bucket] = kept;
        std::sort(entries_.begin() + begin, entries_.begin() + end,
                  [](const Entry& a, const Entry& b) {
                      return a.hash != b.hash ? a.hash < b.hash : a.page < b.page;
                  });
        for (std::uint32_t i = begin; i < end;) {
            std::uint32_t next = i;
            std::uint32_t pages = 0;
            for (; next < end && entries_[next].hash == entries_[i].hash; ++next) {
                if (next == i || entries_[next].page != entries_[next - 1].page) ++pages;
            }
            const bool frame = pageCount >= 4 && pages * 2 > pageCount;
            if (!frame) entries_[kept++] = entries_[i];
            i = next;
        }
        begin = end;
    }
    buckets_.back() = kept;
    entries_.resize(kept);
    SealBag(pageCount);
}

namespace {

// Where a word's search starts in a table of `slots` (a power of two).
std::size_t Slot(std::uint64_t word, std::size_t slots) {
    return static_cast<std::size_t>((word * 0x9E3779B97F4A7C15ull) >> 32) & (slots - 1);
}

}  // namespace

void LeakIndex::RareWords::Insert(std::uint64_t word, std::uint32_t page) {
    word += word == 0;  // 0 marks an empty slot
    std::size_t at = Slot(word, words.size());
    while (words[at] != 0) at = (at + 1) & (words.size() - 1);
    words[at] = word;
    pages[at] = page;
}

const std::uint32_t* LeakIndex::RareWords::Find(std::uint64_t word) const {
    if (words.empty()) return nullptr;
    word += word == 0;
    for (std::size_t at = Slot(word, words.size()); words[at] != 0;
         at = (at + 1) & (words.size() - 1)) {
        if (words[at] == word) return &pages[at];
    }
    return nullptr;
}

void LeakIndex::SealBag(std::uint32_t pageCount) {
    std::sort(words_.begin(), words_.end(), [](const Entry& a, const Entry& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.page < b.page;
    });
    rare_.count.assign(pageCount, 0);
    std::size_t slots = 16;
    while (slots < words_.size() * 2) slots *= 2;
    rare_.words.assign(slots, 0);
    rare_.pages.assign(slots, 0);
    for (std::size_t i = 0; i < words_.size();) {
        std::size_t next = i + 1;
        while (next < words_.size() && words_[next].hash == words_[i].hash) ++next;
        if (next == i + 1 && words_[i].page < pageCount) {
            rare_.Insert(words_[i].hash, words_[i].page);
            ++rare_.count[words_[i].page];
        }
        i = next;
    }
    words_ = {};
    rare_.bagPages = static_cast<std::size_t>(
        std::count_if(rare_.count.begin(), rare_.count.end(),
                      [](std::uint32_t count) { return count >= kBagWords; }));
}

const LeakIndex::Entry* LeakIndex::Lookup(std::uint64_t hash) const {
    if (buckets_.empty()) return nullptr;
    const std::size_t bucket = hash >> bucketShift_;
    for (std::uint32_t i = buckets_[bucket]; i < buckets_[bucket + 1]; ++i) {
        if (entries_[i].hash == hash) return &entries_[i];
    }
    return nullptr;
}

namespace {

// The pages whose bag of words `text` holds (see LeakIndex), added to
// `matches` unless a run of them is there already.
void FindBag(const LeakIndex::RareWords& rare, std::string_view text,
             const std::vector<Unit>& words, std::vector<LeakIndex::Match>& matches) {
    const std::vector<std::uint32_t>& rareCount = rare.count;
    const std::size_t bagPages = rare.bagPages;
    constexpr std::size_t kShownWords = 8;
    using Match = LeakIndex::Match;
    if (bagPages < LeakIndex::kBagPages) return;
    // Each rare word the text holds, once, with its page.
    std::vector<std::pair<std::uint32_t, std::uint64_t>> held;  // page, word
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (!IsBagWord(text, words[i])) continue;
        if (const std::uint32_t* page = rare.Find(words[i].hash))
            held.push_back({*page, words[i].hash});
    }
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());
    std::vector<std::uint32_t> count(rareCount.size(), 0);
    for (const auto& [page, word] : held) ++count[page];
    std::vector<std::uint32_t> pages;
    for (std::uint32_t page = 0; page < count.size(); ++page) {
        if (rareCount[page] >= LeakIndex::kBagWords &&
            static_cast<double>(count[page]) >= LeakIndex::kBagShare * rareCount[page])
            pages.push_back(page);
    }
    if (pages.size() < LeakIndex::kBagPages || pages.size() * 4 < bagPages) return;
    for (const std::uint32_t page : pages) {
        if (std::any_of(matches.begin(), matches.end(),
                        [page](const Match& match) { return match.page == page; }))
            continue;  // a run of it is found already
        // A few of its words, as the text has them.
        std::string fragment;
        std::size_t shown = 0;
        for (std::size_t i = 0; i < words.size() && shown < kShownWords; ++i) {
            const std::uint32_t* of = rare.Find(words[i].hash);
            if (of == nullptr || *of != page || !IsBagWord(text, words[i])) continue;
            const std::string_view word =
                text.substr(words[i].begin, words[i].end - words[i].begin);
            if (fragment.find(word) != std::string::npos) continue;
            if (!fragment.empty()) fragment += ' ';
            fragment += word;
            ++shown;
        }
        matches.push_back({page, std::move(fragment), count[page], rareCount[page]});
    }
}

}  // namespace

std::vector<LeakIndex::Match> LeakIndex::Find(std::string_view text) const {
    thread_local std::vector<Unit> words;
    thread_local std::vector<Unit> characters;
    words.clear();
    characters.clear();
    Split(text, words, characters);
    // Per page: where its first run starts and ends, grown while the next
    // matching run of the same page overlaps it.
    struct Run {
        std::size_t order;
        std::uint32_t begin;
        std::uint32_t end;
        bool open;
    };
    std::map<std::uint32_t, Run> runs;
    // Matches come in long stretches of one page: its run is kept at hand.
    std::uint32_t lastPage = 0;
    Run* lastRun = nullptr;
    auto note = [&](std::uint32_t page, const Unit& first, const Unit& last) {
        if (lastRun == nullptr || page != lastPage) {
            auto [it, fresh] =
                runs.try_emplace(page, Run{runs.size(), first.begin, last.end, true});
            lastPage = page;
            lastRun = &it->second;
            if (fresh) return;
        }
        if (lastRun->open && first.begin <= lastRun->end)
            lastRun->end = std::max(lastRun->end, last.end);
        else
            lastRun->open = false;
    };
    thread_local std::vector<std::uint64_t> hashes;
    auto scan = [&](const std::vector<Unit>& units, std::size_t length, std::uint64_t kind) {
        if (units.size() < length || entries_.empty()) return;
        hashes.resize(units.size() - length + 1);
        for (std::size_t i = 0; i < hashes.size(); ++i)
            hashes[i] = RunHash(&units[i], length, kind);
        // The lookups wait on memory: the bucket table is read a few
        // positions ahead, and the entries it leads to a little later.
        constexpr std::size_t kAhead = 16;
        for (std::size_t i = 0; i < hashes.size(); ++i) {
            if (i + kAhead < hashes.size())
                __builtin_prefetch(&buckets_[hashes[i + kAhead] >> bucketShift_]);
            if (i + kAhead / 2 < hashes.size())
                __builtin_prefetch(entries_.data() +
                                   buckets_[hashes[i + kAhead / 2] >> bucketShift_]);
            if (const Entry* entry = Lookup(hashes[i]))
                note(entry->page, units[i], units[i + length - 1]);
        }
    };
    scan(words, kWords, kWordRun);
    if (titleRuns_) scan(words, kTitleWords, kWordRun);
    scan(characters, kCharacters, kCharacterRun);
    std::vector<std::pair<std::size_t, Match>> ordered;
    for (const auto& [page, run] : runs)
        ordered.push_back({run.order, Match{page, Fragment(text, run.begin, run.end)}});
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Match> matches;
    for (auto& [order, match] : ordered) matches.push_back(std::move(match));
    FindBag(rare_, text, words, matches);
    return matches;
}

}  // namespace nemora::publish
