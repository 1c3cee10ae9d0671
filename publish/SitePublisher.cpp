#include "publish/SitePublisher.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <unistd.h>

#include "engine/LockedDocument.h"
#include "engine/posix/DurableFileLayer.h"
#include "publish/InputPage.h"
#include "publish/PageEncoding.h"
#include "publish/ValueFormat.h"

namespace nemora::publish {
namespace {

namespace fs = std::filesystem;
using engine::Result;

struct Task {
    enum class Kind { Page, Copy, SharedFiles } kind = Kind::Page;
    std::uint64_t order = 0;  // in the walk, so failures are listed as met
    std::string relative;
    std::string path;
    std::uint64_t size = 0;
    bool outside = false;  // reached through a link that leads outside the site
};

// The walk's tasks on their way to the workers: at most `capacity` wait, so
// the walk never runs far ahead of the work.
class TaskQueue {
public:
    explicit TaskQueue(std::size_t capacity) : capacity_(capacity) {}

    void Push(Task task) {
        std::unique_lock lock(mutex_);
        roomy_.wait(lock, [&] { return tasks_.size() < capacity_; });
        tasks_.push_back(std::move(task));
        ready_.notify_one();
    }

    // Nothing once the queue is closed and empty.
    std::optional<Task> Pop() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return !tasks_.empty() || closed_; });
        if (tasks_.empty()) return std::nullopt;
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        roomy_.notify_one();
        return task;
    }

    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        ready_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable roomy_;
    std::deque<Task> tasks_;
    std::size_t capacity_;
    bool closed_ = false;
};

std::string FolderOf(const std::string& relative) {
    const std::size_t slash = relative.rfind('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

// From a folder of the mirror back to its top: "./" for the top itself.
std::string UpToTop(const std::string& folder) {
    if (folder.empty()) return "./";
    std::string up;
    for (std::size_t at = 0; at != std::string::npos; at = folder.find('/', at + 1)) up += "../";
    return up;
}

std::string MirrorFolder(const std::string& out, const std::string& folder) {
    return folder.empty() ? out + "/" : out + "/" + folder + "/";
}

std::uint64_t SizeOf(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

std::string Normal(const std::string& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path), error);
    return error ? path : canonical.lexically_normal().string();
}

// Causes that hold for every file the run would write after the one that
// met them: the run stops rather than fail each file alike.
bool StopsEveryWrite(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ENOSPC ||
           error == EDQUOT;
}

// Whether a new file can be made in `folder` (ending in '/'): 0, or the
// system's error. The probe is removed at once.
int ProbeFolder(const std::string& folder) {
    static std::atomic<unsigned> count{0};
    const std::string probe = folder + ".nemora-probe." + std::to_string(::getpid()) + "." +
                              std::to_string(count.fetch_add(1)) + ".tmp";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    ::close(fd);
    ::unlink(probe.c_str());
    return 0;
}

// A result that says an output file could not be made or written.
bool IsWriteFailure(Result result) {
    return result == Result::CannotCreate || engine::IsFileError(result);
}

bool Within(const std::string& inner, const std::string& outer) {
    const fs::path a(inner);
    const fs::path b(outer);
    auto [endB, endA] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    // Every component of `outer` starts `inner` (a trailing empty one, from a
    // trailing '/', counts as matched).
    return endB == b.end() || (std::next(endB) == b.end() && endB->empty());
}

class SiteRun {
public:
    SiteRun(const SitePublisher::Options& options, SitePublisher::Progress& progress)
        : options_(options),
          progress_(progress),
          files_(0666, engine::posix::DurableFileLayer::Flush::Deferred),
          writer_(files_),
          queue_(std::max(1u, options.jobs) * 2) {}

    SitePublisher::Summary Go() {
        std::vector<std::thread> workers;
        const unsigned jobs = std::max(1u, options_.jobs);
        for (unsigned i = 0; i < jobs; ++i) workers.emplace_back([this] { Work(); });
        Walk();
        queue_.Close();
        for (std::thread& worker : workers) worker.join();
        engine::posix::DurableFileLayer::SyncAll(options_.out);
        std::sort(failures_.begin(), failures_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [order, failure] : failures_) summary_.failures.push_back(std::move(failure));
        summary_.stopped = leftUndone_ && options_.stop != nullptr && options_.stop->load();
        return std::move(summary_);
    }

private:
    // Nothing new is begun once the caller asks to stop or the output cannot
    // be written.
    bool Stopped() const {
        return halted_.load() || (options_.stop != nullptr && options_.stop->load());
    }

    void Walk() {
        SiteWalker::Callbacks callbacks;
        callbacks.folder = [&](const std::string& relative) {
            if (Stopped()) {
                leftUndone_ = true;
                return false;
            }
            return MakeMirrorFolder(relative);
        };
        callbacks.file = [&](const SiteWalker::File& file) {
            if (Stopped()) {
                leftUndone_ = true;
                return;
            }
            if (!file.outside.empty()) summary_.outside.emplace_back(file.relative, file.outside);
            Task task{file.page ? Task::Kind::Page : Task::Kind::Copy,
                      next_++,
                      file.relative,
                      file.path,
                      file.size,
                      !file.outside.empty()};
            if (file.page) {
                ++summary_.pages;
                const std::string folder = FolderOf(file.relative);
                if (sharedWritten_.insert(folder).second) {
                    queue_.Push({Task::Kind::SharedFiles, next_++, folder, {}, 0});
                }
            }
            queue_.Push(std::move(task));
        };
        callbacks.problem = [&](const std::string& relative, SiteWalker::Problem problem) {
            if (problem == SiteWalker::Problem::Unreadable) {
                progress_.failures.fetch_add(1);
                summary_.unreadable.push_back(relative);
            } else {
                summary_.skipped.emplace_back(relative, problem);
            }
        };
        SiteWalker::Rules rules = options_.rules;
        rules.outputFolder = options_.out;
        SiteWalker::Walk(options_.site, rules, callbacks);
    }

    // False leaves the folder's files out: its mirror could not be made.
    bool MakeMirrorFolder(const std::string& relative) {
        const std::string mirror = MirrorFolder(options_.out, relative);
        std::error_code error;
        fs::create_directories(mirror, error);
        if (!error) return true;
        if (StopsEveryWrite(error.value())) {
            StopOutput(mirror, error.value());
        } else {
            progress_.failures.fetch_add(1);
            std::lock_guard lock(mutex_);
            failures_.emplace_back(
                next_++,
                SitePublisher::Failure{relative, Result::CannotMakeFolder, mirror, error.value()});
        }
        return false;
    }

    // The first cause that stops the run is kept; what other workers meet
    // after it is the same cause again.
    void StopOutput(const std::string& path, int error) {
        std::lock_guard lock(mutex_);
        if (!halted_.exchange(true)) {
            std::string named = path;
            while (named.size() > 1 && named.back() == '/') named.pop_back();
            summary_.outputStop = SitePublisher::OutputStop{named, error};
        }
    }

    void Work() {
        // Each worker locks its pages in a document of its own.
        engine::LockedDocument document(files_);
        while (std::optional<Task> task = queue_.Pop()) {
            if (Stopped()) {
                leftUndone_ = true;
                continue;
            }
            switch (task->kind) {
                case Task::Kind::Page:
                    PublishPage(document, *task);
                    break;
                case Task::Kind::Copy:
                    Copy(*task);
                    break;
                case Task::Kind::SharedFiles:
                    WriteShared(*task);
                    break;
            }
        }
    }

    void PublishPage(engine::LockedDocument& document, const Task& task) {
        Result result = document.Load(nullptr, task.path);
        // The pages already keep every worker busy: one thread per page.
        engine::CompressorOptions compressor;
        compressor.threads = options_.jobs > 1 ? 1 : 0;
        // Named while the page's own bytes are there, before the compression.
        // A page this program wrote (an earlier run's output left in the site)
        // would only be locked again: refused, as a single page is.
        if (result == Result::Ok) {
            const std::span<const std::uint8_t> page = document.Page();
            result = InputPage::Refusal(
                InputPage::Classify(page.first(std::min(page.size(), InputPage::kInspectedBytes))));
        }
        PageEncoding::Named encoding;
        if (result == Result::Ok) {
            encoding =
                PageEncoding::Of(document.Page(), options_.encodeType, options_.publication.strong);
            result = document.Compress(nullptr, compressor);
        }
        const std::string folder = FolderOf(task.relative);
        const std::string mirror = MirrorFolder(options_.out, folder);
        PublicationOutcome outcome{result};
        if (result == Result::Ok && encoding.result != Result::Ok) {
            // The refusal's message names the encoding where a file error names the file.
            outcome = {encoding.result, encoding.found};
        } else if (result == Result::Ok) {
            document.SetCharCodeName(PublicationWriter::CharCodeName(encoding.name));
            PublicationPage page{document, task.path};
            page.sharedFiles = false;
            page.siteTop = UpToTop(folder);
            outcome = writer_.PublishIntoFolder(page, options_.publication, mirror, nullptr);
        }
        progress_.pagesDone.fetch_add(1);
        progress_.bytesDone.fetch_add(task.size);
        if (outcome.result != Result::Published) return Fail(task, outcome, mirror);
        const std::string name = task.relative.substr(task.relative.rfind('/') + 1);
        std::uint64_t written = SizeOf(mirror + name);
        if (!options_.publication.strong) written += SizeOf(mirror + DataFileName(name));
        Count(written, [&] {
            ++summary_.published;
            summary_.bytesIn += task.size;
        });
    }

    void WriteShared(const Task& task) {
        const std::string mirror = MirrorFolder(options_.out, task.relative);
        const PublicationOutcome outcome = writer_.WriteSharedFiles(options_.publication, mirror);
        if (outcome.result != Result::Published) {
            // Named by the file that failed, else by the folder: the shared
            // files belong to the mirror alone.
            Task named = task;
            named.relative = outcome.failedFile.empty() ? mirror : outcome.failedFile;
            return Fail(named, outcome, mirror);
        }
        std::uint64_t written = 0;
        for (const char* shared : {"decoder.htm", "decoder.jar", "nemora-strong.js"}) {
            written += SizeOf(mirror + shared);
        }
        Count(written, [] {});
    }

    void Copy(const Task& task) {
        const std::string target = options_.out + "/" + task.relative;
        const bool linked = options_.link && !task.outside && Link(task.path, target);
        const Result result = linked ? Result::Ok : CopyBytes(task, target);
        progress_.bytesDone.fetch_add(task.size);
        if (result != Result::Ok) return Fail(task, {result, target}, FolderOf(target) + "/");
        Count(task.size, [&] {
            ++summary_.copied;
            summary_.bytesIn += task.size;
        });
    }

    // A hard link made under a temporary name and renamed over the target,
    // so an earlier file stays whole until the new one is in place. It links
    // the file a symbolic link names, not the link: the mirror holds files.
    static bool Link(const std::string& source, const std::string& target) {
        const std::string temporary = FolderOf(target) + "/.nemora-link." +
                                      std::to_string(::getpid()) + "." +
                                      std::to_string(std::hash<std::string>{}(target)) + ".tmp";
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) !=
            0) {
            return false;
        }
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        return true;
    }

    Result CopyBytes(const Task& task, const std::string& target) {
        const std::unique_ptr<engine::InputFile> in = files_.OpenForReading(task.path);
        if (!in) return Result::CannotOpen;
        const std::unique_ptr<engine::OutputFile> out = files_.CreateReplacing(target);
        if (!out) return Result::CannotCreate;
        std::vector<std::uint8_t> buffer(1 << 20);
        for (;;) {
            const std::optional<std::size_t> got = in->Read(buffer.data(), buffer.size());
            if (!got) return Result::ReadFailed;
            if (*got == 0) break;
            if (!out->Write(buffer.data(), *got)) return out->Failure();
        }
        return out->Commit() ? Result::Ok : out->Failure();
    }

    // `folder`: where the task writes (ending in '/'). A write that failed
    // there for a cause every later file would meet stops the run instead.
    void Fail(const Task& task, const PublicationOutcome& outcome, const std::string& folder) {
        if (IsWriteFailure(outcome.result)) {
            const int error = outcome.result == Result::FileDiskFull ? ENOSPC : ProbeFolder(folder);
            if (StopsEveryWrite(error)) return StopOutput(folder, error);
            if (halted_.load()) return;  // met while the run was being stopped
        }
        progress_.failures.fetch_add(1);
        std::lock_guard lock(mutex_);
        failures_.emplace_back(
            task.order, SitePublisher::Failure{task.relative, outcome.result, outcome.failedFile});
    }

    template <typename Then>
    void Count(std::uint64_t written, Then then) {
        progress_.bytesWritten.fetch_add(written);
        std::lock_guard lock(mutex_);
        summary_.bytesOut += written;
        then();
    }

    const SitePublisher::Options& options_;
    SitePublisher::Progress& progress_;
    engine::posix::DurableFileLayer files_;
    PublicationWriter writer_;
    TaskQueue queue_;
    std::mutex mutex_;
    SitePublisher::Summary summary_;
    std::vector<std::pair<std::uint64_t, SitePublisher::Failure>> failures_;
    std::set<std::string> sharedWritten_;  // the walk's own: one thread
    std::uint64_t next_ = 0;
    std::atomic<bool> halted_{false};  // the output cannot be written
    std::atomic<bool> leftUndone_{false};
};

}  // namespace

Result SitePublisher::CheckFolders(const std::string& site, const std::string& out) {
    std::error_code error;
    if (!fs::is_directory(site, error)) return Result::CannotOpen;
    if (DIR* listing = ::opendir(site.c_str())) {
        ::closedir(listing);
    } else {
        return Result::CannotOpen;
    }
    const std::string realSite = Normal(site);
    const std::string realOut = Normal(out);
    if (Within(realOut, realSite) || Within(realSite, realOut)) return Result::SiteOverlapsOutput;
    return Result::Ok;
}

SitePublisher::Totals SitePublisher::Count(const Options& options) {
    Totals totals;
    SiteWalker::Rules rules = options.rules;
    rules.outputFolder = options.out;
    SiteWalker::Callbacks callbacks;
    callbacks.file = [&](const SiteWalker::File& file) {
        totals.bytes += file.size;
        if (file.page) ++totals.pages;
    };
    SiteWalker::Walk(options.site, rules, callbacks);
    return totals;
}

SitePublisher::Summary SitePublisher::Run(const Options& options, Progress& progress) const {
    // A file where the folder must go fails every file alike, as a
    // read-only or full file system does.
    std::error_code error;
    fs::create_directories(options.out, error);
    if (!error) {
        if (const int probed = ProbeFolder(options.out + "/"))
            error.assign(probed, std::generic_category());
    }
    if (error) {
        Summary summary;
        summary.outputStop = OutputStop{options.out, error.value()};
        return summary;
    }
    return SiteRun(options, progress).Go();
}

}  // namespace nemora::publish
