#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/ResultCode.h"
#include "publish/PublicationOptions.h"
#include "publish/PublicationWriter.h"
#include "publish/SiteWalker.h"

namespace nemora::publish {

// Publishes a whole site: mirrors the folder tree of `site` into `out`,
// publishing every page into its mirror folder as a single page is published
// there (so its relative links still resolve) and copying every other file to
// its mirror path. Pages are locked on several workers, each with a document
// of its own; the walk feeds them through a short queue, so memory grows with
// the pages in flight, not with the site. The shared files of a folder are
// written once for all its pages.
//
// What a link outside the site reaches is published with the site (see
// SiteWalker), copied and never hard-linked. A file that cannot be read, or
// written for a cause of its own, is listed and the run goes on. A folder or
// file of the output that cannot be made for a cause that every later file
// would meet as well (no permission, a read-only or full file system, a file
// where the output folder must go) ends the run there: it is reported once,
// as Summary::outputStop, in place of a failure for each file.
class SitePublisher {
public:
    struct Options {
        std::string site;
        std::string out;
        SiteWalker::Rules rules;
        unsigned jobs = 1;
        // Hard links in place of copies where the file system allows; a file
        // from outside the site is copied all the same, so the mirror never
        // shares a file that the site does not own (a package's file, say).
        bool link = false;
        // The name block of every page, spelt for the form's decoders
        // (EncodingLabels::ForForm); nothing: each page's own (PageEncoding).
        std::optional<std::string> encodeType;
        PublicationOptions publication;
        // Set (from a signal handler, say) to end the run early: the files in
        // hand are finished, whole, and nothing new is begun.
        const std::atomic<bool>* stop = nullptr;
    };

    // What went wrong with one file of the site, or one folder of the
    // mirror (result CannotMakeFolder, with the system's error number).
    struct Failure {
        std::string relative;
        engine::Result result = engine::Result::Ok;
        std::string file;  // the file a file-error result names, the encoding a refusal names
        int error = 0;     // the cause (errno), where known
    };

    // Where the output stopped taking files, and why (errno).
    struct OutputStop {
        std::string path;
        int error = 0;
    };

    // Counters that other threads may read while the run goes on.
    struct Progress {
        std::atomic<std::uint64_t> pagesDone{0};
        std::atomic<std::uint64_t> bytesDone{0};  // of pages and copies, read
        std::atomic<std::uint64_t> bytesWritten{0};
        std::atomic<std::uint64_t> failures{0};
    };

    struct Totals {
        std::uint64_t pages = 0;
        std::uint64_t bytes = 0;
    };

    struct Summary {
        std::uint64_t pages = 0;      // pages found
        std::uint64_t published = 0;  // pages published
        std::uint64_t copied = 0;     // other files copied or linked
        std::uint64_t bytesIn = 0;
        std::uint64_t bytesOut = 0;
        std::vector<Failure> failures;  // in the walk's order
        // Folders that could not be listed (nothing in them was published)
        // and names that could not be looked up: failures too.
        std::vector<std::string> unreadable;
        std::vector<std::pair<std::string, SiteWalker::Problem>> skipped;
        // The files reached through links that lead outside the site, with
        // their own paths, in the walk's order.
        std::vector<std::pair<std::string, std::string>> outside;
        std::optional<OutputStop> outputStop;
        bool stopped = false;  // Options::stop left files undone
    };

    // Refuses an output folder inside the site or a site inside the output
    // folder (either would publish its own output), and a site that is no
    // folder or cannot be listed: Ok, or CannotOpen / SiteOverlapsOutput.
    static engine::Result CheckFolders(const std::string& site, const std::string& out);

    // Counts the pages and bytes that Run will meet, for a progress display.
    static Totals Count(const Options& options);

    // Runs the whole publication. `progress` is updated as files are done.
    Summary Run(const Options& options, Progress& progress) const;
};

}  // namespace nemora::publish
