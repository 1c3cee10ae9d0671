#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nemora::publish {

// Reads a published folder as a visitor without the password can and finds
// the text of its protected pages there: every file that is neither a
// locked page nor one of the program's own (InputPage tells them), read as
// text in its own encoding, .gz files decompressed, with what tags and
// scripts hold (feeds, sitemaps, search indexes, sources, <meta> and Open
// Graph tags), against the fingerprints of each protected page's visible
// text and title (LeakIndex).
class LeakAudit {
public:
    // The bytes of a protected page, by its path in the folder: the page
    // before it was locked. Nothing when it cannot be had. Called from
    // several threads at once.
    using PageSource =
        std::function<std::optional<std::vector<std::uint8_t>>(const std::string& relative)>;

    struct Finding {
        std::string file;  // the public file, from the folder's top
        std::string page;  // the protected page whose text it holds
        std::string fragment;
    };

    struct Callbacks {
        std::function<void(const Finding& finding)> finding;
        // A file of the folder, or a page from the source, that could not be read.
        std::function<void(const std::string& path)> unreadable;
        // How many protected pages the folder holds, once they are known.
        std::function<void(std::size_t count)> locked;
    };

    enum class Outcome {
        Clean,
        Leaks,     // at least one finding
        NotASite,  // the folder holds no page this program locked, or cannot be read
    };

    // The pages as they stand in the site the folder was published from.
    static PageSource Against(const std::string& site);

    static Outcome Run(const std::string& folder, const PageSource& pages,
                       const Callbacks& callbacks);
};

}  // namespace nemora::publish
