#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ResultCode.h"
#include "engine/SecretString.h"
#include "engine/StreamReader.h"
#include "publish/SiteWalker.h"

namespace nemora::publish {

// Reads a published folder as a visitor without the password can and finds
// the text of its protected pages there: every file that is neither a
// locked page nor one of the program's own (InputPage tells them; a
// classic page's data file and a sealed file's script hold no text), read
// as text in its own encoding, .gz files decompressed, with what tags and
// scripts hold (feeds, sitemaps, search indexes, sources, <meta> and Open
// Graph tags), against the fingerprints of each protected page's visible
// text and title (LeakIndex).
class LeakAudit {
public:
    // A protected page by its path in the folder, as it was before it was
    // locked; its status says why not when it cannot be had. Called from
    // several threads at once.
    using PageSource = std::function<engine::UnlockedPage(const std::string& relative)>;

    struct Finding {
        std::string file;  // the public file, from the folder's top
        std::string page;  // the protected page whose text it holds
        std::string fragment;
        // A word index that holds the page's words but no run of them
        // (LeakIndex): how many of the words of this page alone, and of how
        // many; the fragment shows a few. 0 for a run.
        std::uint32_t heldWords = 0;
        std::uint32_t rareWords = 0;
    };

    struct Callbacks {
        std::function<void(const Finding& finding)> finding;
        // A file of the folder that could not be read.
        std::function<void(const std::string& path)> unreadable;
        // A protected page the source could not give, and why.
        std::function<void(const std::string& page, engine::Result why)> unopened;
        // How many protected pages the folder holds, once they are known.
        std::function<void(std::size_t count)> locked;
    };

    enum class Outcome {
        Clean,
        Leaks,          // at least one finding
        NotASite,       // the folder holds no page this program locked, or cannot be read
        WrongPassword,  // the source opened no page: every one it tried refused the password
    };

    // What the folder holds, split for the audit.
    struct Listing {
        std::vector<std::string> locked;  // protected pages, from the top
        std::vector<SiteWalker::File> open;
    };

    // The pages as they stand in the site the folder was published from.
    static PageSource Against(const std::string& site);

    // The pages opened from the folder itself with the password (PageOpener).
    static PageSource WithPassword(const std::string& folder, engine::SecretString password);

    // Lists the folder; nothing when it is not a published site (NotASite).
    static std::optional<Listing> List(const std::string& folder, const Callbacks& callbacks);

    static Outcome Run(const Listing& listing, const PageSource& pages, const Callbacks& callbacks);

    // List, then Run.
    static Outcome Run(const std::string& folder, const PageSource& pages,
                       const Callbacks& callbacks);
};

}  // namespace nemora::publish
