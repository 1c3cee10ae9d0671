#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/FileLayer.h"
#include "engine/LockedDocument.h"
#include "publish/ByteBudget.h"
#include "publish/Publication.h"
#include "publish/PublicationOutcome.h"
#include "publish/SiteCopier.h"
#include "publish/SiteManifest.h"
#include "publish/SitePublisher.h"
#include "publish/SiteSealer.h"
#include "publish/SiteTask.h"
#include "publish/SiteWalker.h"
#include "publish/TaskQueue.h"

namespace nemora::publish {

// One run of SitePublisher, on three sides: the walk lists the tree once,
// ahead of everything (its counts are the progress display's totals); the
// feed takes what it found in order, makes each mirror folder and hands the
// files to the workers through a short queue; the workers publish, copy and
// write the shared files.
class SiteRun {
public:
    SiteRun(const SitePublisher::Options& options, SitePublisher::Progress& progress,
            engine::FileLayer& files);

    SitePublisher::Summary Go();

private:
    using Task = SiteTask;

    // What the walk met, in its order.
    // Refused: a sealed site's own entry that bears the sealed files'
    // folder's name.
    struct Met {
        enum class Kind { Folder, File, Problem, Refused } kind = Kind::Folder;
        SiteWalker::File file;  // File: all of it; else `relative` alone
        SiteWalker::Problem problem = SiteWalker::Problem::Unreadable;
        bool isPublic = false;  // a file a sealed site leaves in clear
    };

    // Nothing new is begun once the caller asks to stop or the output cannot
    // be written.
    bool Stopped() const;
    void Walk();
    void Feed();
    void FeedFile(const SiteWalker::File& file, bool isPublic);
    bool IsPublic(const std::string& relative) const;
    // True (and the entry listed) for a sealed site's entry at the top that
    // bears the sealed files' folder's name.
    bool Refuses(const std::string& relative);
    void FeedProblem(const std::string& relative, SiteWalker::Problem problem);
    // False leaves the folder's files out: its mirror could not be made.
    bool MakeMirrorFolder(const std::string& relative);
    void RemoveEmptyMirrors();
    // The first cause that stops the run is kept; what other workers meet
    // after it is the same cause again.
    void StopOutput(const std::string& path, int error);
    void Work();
    void PublishPage(engine::LockedDocument& document, const Task& task);
    void WriteShared(const Task& task);
    void Copy(const Task& task);
    void Seal(const Task& task);
    // `bytes`, the file at `relative`, into the sealed files.
    PublicationOutcome SealBytes(std::span<const std::uint8_t> bytes, const std::string& relative);
    bool SealManifest();
    void List(SiteManifest::Entry entry);
    // `folder`: where the task writes (ending in '/'). A write that failed
    // there for a cause every later file would meet stops the run instead.
    void Fail(const Task& task, const PublicationOutcome& outcome, const std::string& folder);

    template <typename Then>
    void Count(std::uint64_t written, Then then) {
        progress_.bytesWritten.fetch_add(written);
        std::lock_guard lock(mutex_);
        summary_.bytesOut += written;
        then();
    }

    const SitePublisher::Options& options_;
    SitePublisher::Progress& progress_;
    engine::FileLayer& files_;
    const Publication publication_;
    // A strong run makes a sealed site; its sealer is there once the run's
    // key is.
    const bool sealed_;
    std::optional<SiteSealer> sealer_;
    // The files being sealed are read whole: so many bytes of them at once.
    ByteBudget sealing_{std::uint64_t{256} << 20};
    SiteCopier copier_;
    TaskQueue<Met> walked_;  // no bound: names only, and the walk runs ahead
    TaskQueue<Task> queue_;
    std::mutex mutex_;
    SitePublisher::Summary summary_;
    SiteManifest manifest_;
    std::vector<std::pair<std::uint64_t, SitePublisher::Failure>> failures_;
    std::set<std::string> sharedWritten_;  // the feed's own: one thread
    std::vector<std::string> mirrors_;     // a sealed run's folders, in the walk's order
    std::uint64_t next_ = 0;
    std::atomic<bool> halted_{false};  // the output cannot be written
    std::atomic<bool> leftUndone_{false};
};

}  // namespace nemora::publish
