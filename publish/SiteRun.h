#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/FileLayer.h"
#include "engine/LockedDocument.h"
#include "publish/Publication.h"
#include "publish/PublicationOutcome.h"
#include "publish/SiteCopier.h"
#include "publish/SitePublisher.h"
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
    struct Met {
        enum class Kind { Folder, File, Problem } kind = Kind::Folder;
        SiteWalker::File file;  // File: all of it; else `relative` alone
        SiteWalker::Problem problem = SiteWalker::Problem::Unreadable;
    };

    // Nothing new is begun once the caller asks to stop or the output cannot
    // be written.
    bool Stopped() const;
    void Walk();
    void Feed();
    void FeedFile(const SiteWalker::File& file);
    void FeedProblem(const std::string& relative, SiteWalker::Problem problem);
    // False leaves the folder's files out: its mirror could not be made.
    bool MakeMirrorFolder(const std::string& relative);
    // The first cause that stops the run is kept; what other workers meet
    // after it is the same cause again.
    void StopOutput(const std::string& path, int error);
    void Work();
    void PublishPage(engine::LockedDocument& document, const Task& task);
    void WriteShared(const Task& task);
    void Copy(const Task& task);
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
    SiteCopier copier_;
    TaskQueue<Met> walked_;  // no bound: names only, and the walk runs ahead
    TaskQueue<Task> queue_;
    std::mutex mutex_;
    SitePublisher::Summary summary_;
    std::vector<std::pair<std::uint64_t, SitePublisher::Failure>> failures_;
    std::set<std::string> sharedWritten_;  // the feed's own: one thread
    std::uint64_t next_ = 0;
    std::atomic<bool> halted_{false};  // the output cannot be written
    std::atomic<bool> leftUndone_{false};
};

}  // namespace nemora::publish
