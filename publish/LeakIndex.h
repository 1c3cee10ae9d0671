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

    struct Match {
        std::uint32_t page = 0;
        std::string fragment;  // the first run of `text` found, cut to kFragmentBytes
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
};

}  // namespace nemora::publish
