#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nemora::publish {

// The list of what a sealed site published, which its loader reads (sealed,
// so only a visitor with the key learns the site's paths): every file it
// serves, sealed or left in clear, by site path, with its media type and its
// size in bytes as the site holds it. A path not listed is not served: a
// link that led nowhere still leads nowhere.
//
// The text is UTF-8 JSON, the files sorted by path:
// {"version":1,"files":{"<path>":{"type":"...","size":N,"page":true,"public":true}}}
// with "page" only for the site's pages and "public" only for files left in
// clear.
class SiteManifest {
public:
    struct Entry {
        std::string path;
        std::string type;
        std::uint64_t size = 0;
        bool page = false;
        bool isPublic = false;
    };

    // Not safe for threads at once: the run adds under its own lock.
    void Add(Entry entry) { entries_.push_back(std::move(entry)); }

    // The JSON text; sorts the entries it holds.
    std::string Text();

private:
    std::vector<Entry> entries_;
};

}  // namespace nemora::publish
