#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nemora::publish {

// Fingerprints of the protected pages' text, to find runs of it in other
// files: every run of kWords words (ASCII case folded) and, for text
// written without spaces (Japanese, Chinese, Korean), every run of
// kCharacters such characters, held as 64-bit hashes with the page they
// come from. A title too short for a run gives runs of kTitleWords words:
// titles are short, and an index or a menu often holds them cut from the
// site's name ("os - Miscellaneous operating system interfaces"). Memory grows with the protected
// text only: 16 bytes a fingerprint, and a 4 MiB table of where they start.
class LeakIndex {
public:
    static constexpr std::size_t kWords = 8;
    static constexpr std::size_t kCharacters = 16;
    static constexpr std::size_t kTitleWords = 4;
    // A fragment is cut to this many bytes in a finding.
    static constexpr std::size_t kFragmentBytes = 160;

    // Adds the fingerprints of page number `page`.
    void Add(std::uint32_t page, std::string_view title, std::string_view text);

    // Takes the fingerprints of `other` (pages added elsewhere), before Seal.
    void Join(LeakIndex&& other);

    // Readies the index for Find once every page is added. Runs that stand
    // in more than half the pages of a site of four or more (menus,
    // footers) are dropped: they are the site's frame, not a page's text.
    void Seal(std::uint32_t pageCount);

    // A word index (a search index's bag of words) keeps no run, but it
    // holds most of the words that stand in one page only, for many pages
    // at once; a file on a page's own subject holds them for one or two.
    // A file that holds at least kBagShare of the rare words (kBagLetters
    // letters or more, not a number) of kBagPages pages that have
    // kBagWords of them, and of a quarter of all such pages, holds the
    // words of each of those pages.
    static constexpr std::size_t kBagWords = 20;
    static constexpr std::size_t kBagLetters = 4;
    static constexpr std::size_t kBagPages = 3;
    static constexpr double kBagShare = 0.5;

    // The words of one page only, for the bag.
    struct RareWords {
        // An open-addressed table of word hashes (0: empty) and their page.
        std::vector<std::uint64_t> words;
        std::vector<std::uint32_t> pages;
        std::vector<std::uint32_t> count;  // rare words, by page
        std::size_t bagPages = 0;          // pages with kBagWords rare words or more
        void Insert(std::uint64_t word, std::uint32_t page);
        // The page of a rare word, or nullptr.
        const std::uint32_t* Find(std::uint64_t word) const;
    };

    struct Match {
        std::uint32_t page = 0;
        // The first run of `text` found, cut to kFragmentBytes; for a bag
        // of words, a few of the page's rare words, in the order `text`
        // holds them.
        std::string fragment;
        std::uint32_t heldWords = 0;  // a bag of words: how many of the page's rare words
        std::uint32_t rareWords = 0;  // and how many it has
    };

    // The pages whose runs `text` holds, one match a page, by first position.
    std::vector<Match> Find(std::string_view text) const;

    // The fingerprints held, once sealed.
    std::size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        std::uint64_t hash;
        std::uint32_t page;
    };
    std::vector<Entry> entries_;              // by hash, once sealed
    std::vector<std::vector<Entry>> joined_;  // other indexes' entries, until sealed
    static constexpr unsigned kBucketBits = 20;
    std::vector<std::uint32_t> buckets_;  // first entry of each top-bits value, and the end
    unsigned bucketShift_ = 64;
    bool titleRuns_ = false;  // runs of kTitleWords words are held
    static constexpr std::size_t kChunk = std::size_t{1} << 16;  // entries before sealing
    void Push(Entry entry);
    const Entry* Lookup(std::uint64_t hash) const;
    std::vector<Entry> words_;  // each page's distinct words, for the bag, until sealed
    RareWords rare_;
    void SealBag(std::uint32_t pageCount);
};

}  // namespace nemora::publish
