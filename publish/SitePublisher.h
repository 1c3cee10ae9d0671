#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/FileLayer.h"
#include "engine/ResultCode.h"
#include "publish/Publication.h"
#include "publish/SiteWalker.h"

namespace nemora::publish {

// Publishes a whole site: mirrors the folder tree of `site` into `out`,
// publishing every page into its mirror folder as a single page is published
// there (so its relative links still resolve). The classic form copies every
// other file to its mirror path, in clear: its decoders open nothing else.
// The strong form makes a sealed site: every file, pages included (their own
// bytes, for the page scripts that fetch them), sealed under the run's key
// into the output's nemora-sealed folder (SiteSealer), with the sealed list
// of what it holds (SiteManifest); only the files the author names public
// are copied in clear, pages among them (copied, not locked). Pages are locked on several workers,
// each with a document of its own. The tree is walked once: the walk runs ahead and counts what it
// finds (Progress), keeping names only, while the files reach the workers
// through a short queue, so memory grows with the names in the site and the
// pages in flight, not with the site's bytes. The shared files of a folder
// are written once for all its pages. Everything the run does to the output
// goes through the file layer it is given.
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
        // The run's publication, its entries checked and its key derived.
        std::shared_ptr<const Publication> publication;
        // Globs on the site path (SitePathGlob) of the files a sealed site
        // leaves in clear: copied as they are, never sealed; pages too.
        std::vector<std::string> publicGlobs;
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
        // What the walk found; final once `walked` is set.
        std::atomic<std::uint64_t> pagesFound{0};
        std::atomic<std::uint64_t> bytesFound{0};  // of pages and copies
        std::atomic<bool> walked{false};
        std::atomic<std::uint64_t> pagesDone{0};
        std::atomic<std::uint64_t> bytesDone{0};  // of pages and copies, read
        std::atomic<std::uint64_t> bytesWritten{0};
        std::atomic<std::uint64_t> failures{0};
    };

    struct Summary {
        std::uint64_t pages = 0;      // pages found
        std::uint64_t published = 0;  // pages published
        std::uint64_t copied = 0;     // other files copied or linked (sealed site: the public ones)
        std::uint64_t sealed = 0;     // files sealed, pages included
        // Sealed files of an earlier run into the same output that could
        // not be removed (SiteSealer::RemoveEarlier).
        std::uint64_t earlierKept = 0;
        std::uint64_t bytesIn = 0;
        std::uint64_t bytesOut = 0;
        std::vector<Failure> failures;  // in the walk's order
        // Folders that could not be listed (nothing in them was published)
        // and names that could not be looked up: failures too.
        std::vector<std::string> unreadable;
        std::vector<std::pair<std::string, SiteWalker::Problem>> skipped;
        // A sealed site's own entry named as the sealed files' folder, left
        // out rather than mixed with them: a failure.
        std::vector<std::string> refused;
        // Files of a sealed site whose paths are not UTF-8: its list, which
        // the browser reads as UTF-8, cannot name them. Left out: a failure.
        std::vector<std::string> notUtf8;
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

    // Writes through `files`: folders, pages, copies, links and the final
    // flush (FileLayer::FlushAll on the output folder).
    explicit SitePublisher(engine::FileLayer& files) : files_(files) {}

    // Runs the whole publication. `progress` is updated as files are done.
    Summary Run(const Options& options, Progress& progress) const;

private:
    engine::FileLayer& files_;
};

}  // namespace nemora::publish
