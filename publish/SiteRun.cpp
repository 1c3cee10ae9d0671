#include "publish/SiteRun.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "publish/EncodingSniffer.h"
#include "publish/InputPage.h"
#include "publish/MediaType.h"
#include "publish/PageEncoding.h"
#include "publish/SitePathGlob.h"
#include "publish/SitePaths.h"
#include "publish/ValueFormat.h"

namespace nemora::publish {
namespace {

using engine::Result;

// Causes that hold for every file the run would write after the one that
// met them: the run stops rather than fail each file alike.
bool StopsEveryWrite(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ENOSPC ||
           error == EDQUOT;
}

// A result that says an output file could not be made or written.
bool IsWriteFailure(Result result) {
    return result == Result::CannotCreate || engine::IsFileError(result);
}

// True when `relative` lies in the site's folder `folder` ("": the top).
bool Under(const std::string& relative, const std::string& folder) {
    return folder.empty() || (relative.size() > folder.size() && relative.starts_with(folder) &&
                              relative[folder.size()] == '/');
}

std::uint64_t WrittenBytes(const PublicationOutcome& outcome) {
    std::uint64_t bytes = 0;
    for (const WrittenFile& file : outcome.written) bytes += file.size;
    return bytes;
}

// The folder (ending in '/') that holds the file a failure names, else `folder`.
std::string FolderOfFailure(const PublicationOutcome& outcome, const std::string& folder) {
    return outcome.failedFile.empty() ? folder : FolderOf(outcome.failedFile) + "/";
}

// The whole file, read through `files`: Ok, CannotOpen or ReadFailed.
Result ReadWhole(engine::FileLayer& files, const std::string& path, std::uint64_t sizeHint,
                 std::vector<std::uint8_t>& bytes) {
    const std::unique_ptr<engine::InputFile> in = files.OpenForReading(path);
    if (!in) return Result::CannotOpen;
    bytes.reserve(sizeHint);
    std::uint8_t buffer[64 * 1024];
    for (;;) {
        const std::optional<std::size_t> got = in->Read(buffer, sizeof buffer);
        if (!got) return Result::ReadFailed;
        if (*got == 0) return Result::Ok;
        bytes.insert(bytes.end(), buffer, buffer + *got);
    }
}

}  // namespace

SiteRun::SiteRun(const SitePublisher::Options& options, SitePublisher::Progress& progress,
                 engine::FileLayer& files)
    : options_(options),
      progress_(progress),
      files_(files),
      publication_(options.publication->WritingWith(PublicationWriter(files_))),
      sealed_(publication_.Options().strong),
      copier_(files_),
      queue_(std::max(1u, options.jobs) * 2) {
    if (std::optional<engine::strong::SealedKeys> keys = publication_.SiteKeys()) {
        sealer_.emplace(*keys, files_, options_.out);
    }
}

SitePublisher::Summary SiteRun::Go() {
    // Every sealed file goes in this folder: one that cannot be made fails
    // them all alike, so nothing is begun.
    if (sealed_) {
        const std::string folder = options_.out + "/" + std::string(SiteSealer::kFolder);
        if (const int error = files_.MakeFolders(folder); error != 0) StopOutput(folder, error);
    }
    std::vector<std::thread> workers;
    const unsigned jobs = std::max(1u, options_.jobs);
    for (unsigned i = 0; i < jobs; ++i) workers.emplace_back([this] { Work(); });
    std::thread walk([this] { Walk(); });
    Feed();
    queue_.Close();
    walk.join();
    for (std::thread& worker : workers) worker.join();
    // A whole run, its manifest written, leaves no file of an earlier one.
    if (sealed_ && !halted_.load() && SealManifest() && !Stopped()) {
        summary_.earlierKept = sealer_->RemoveEarlier();
        RemoveEmptyMirrors();
    }
    files_.FlushAll(options_.out);
    std::sort(failures_.begin(), failures_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [order, failure] : failures_) summary_.failures.push_back(std::move(failure));
    summary_.stopped = leftUndone_ && options_.stop != nullptr && options_.stop->load();
    return std::move(summary_);
}

bool SiteRun::Stopped() const {
    return halted_.load() || (options_.stop != nullptr && options_.stop->load());
}

// Lists the tree for the feed and counts it for the progress display. It
// stops with the run: what it has not listed is left undone.
void SiteRun::Walk() {
    SiteWalker::Callbacks callbacks;
    callbacks.folder = [&](const std::string& relative) {
        if (Stopped()) {
            leftUndone_ = true;
            return false;
        }
        if (Refuses(relative)) return false;
        Met folder;
        folder.file.relative = relative;
        walked_.Push(std::move(folder));
        return true;
    };
    callbacks.file = [&](const SiteWalker::File& file) {
        if (Stopped()) {
            leftUndone_ = true;
            return;
        }
        if (Refuses(file.relative)) return;
        const bool isPublic = IsPublic(file.relative);
        if (file.page && !isPublic) progress_.pagesFound.fetch_add(1);
        progress_.bytesFound.fetch_add(file.size);
        walked_.Push({Met::Kind::File, file, SiteWalker::Problem::Unreadable, isPublic});
    };
    callbacks.problem = [&](const std::string& relative, SiteWalker::Problem problem) {
        Met met;
        met.kind = Met::Kind::Problem;
        met.file.relative = relative;
        met.problem = problem;
        walked_.Push(std::move(met));
    };
    SiteWalker::Rules rules = options_.rules;
    rules.outputFolder = options_.out;
    SiteWalker::Walk(options_.site, rules, callbacks);
    progress_.walked = true;
    walked_.Close();
}

// Takes what the walk met in its order. A folder left out (its mirror could
// not be made, or the run stops) leaves out all that the walk met inside it.
void SiteRun::Feed() {
    std::optional<std::string> leftOut;
    while (std::optional<Met> met = walked_.Pop()) {
        const std::string& relative = met->file.relative;
        if (leftOut && Under(relative, *leftOut)) continue;
        leftOut.reset();
        switch (met->kind) {
            case Met::Kind::Folder:
                if (Stopped()) {
                    leftUndone_ = true;
                    leftOut = relative;
                } else if (!MakeMirrorFolder(relative)) {
                    leftOut = relative;
                }
                break;
            case Met::Kind::File:
                FeedFile(met->file, met->isPublic);
                break;
            case Met::Kind::Problem:
                FeedProblem(relative, met->problem);
                break;
            case Met::Kind::Refused:
                progress_.failures.fetch_add(1);
                summary_.refused.push_back(relative);
                break;
        }
    }
}

bool SiteRun::IsPublic(const std::string& relative) const {
    return sealed_ && std::any_of(options_.publicGlobs.begin(), options_.publicGlobs.end(),
                                  [&](const std::string& glob) {
                                      return SitePathGlob::Matches(glob, relative);
                                  });
}

bool SiteRun::Refuses(const std::string& relative) {
    if (!sealed_ || relative != SiteSealer::kFolder) return false;
    Met met;
    met.kind = Met::Kind::Refused;
    met.file.relative = relative;
    walked_.Push(std::move(met));
    return true;
}

void SiteRun::FeedFile(const SiteWalker::File& file, bool isPublic) {
    if (Stopped()) {
        leftUndone_ = true;
        return;
    }
    if (sealed_ && !EncodingSniffer::IsUtf8(file.relative)) {
        progress_.failures.fetch_add(1);
        summary_.notUtf8.push_back(file.relative);
        return;
    }
    if (!file.outside.empty()) summary_.outside.emplace_back(file.relative, file.outside);
    const bool locked = file.page && !isPublic;
    const Task::Kind kind = locked                 ? Task::Kind::Page
                            : sealed_ && !isPublic ? Task::Kind::Seal
                                                   : Task::Kind::Copy;
    Task task{kind, next_++, file.relative, file.path, file.size, !file.outside.empty(), file.page};
    if (locked) {
        ++summary_.pages;
        const std::string folder = FolderOf(file.relative);
        if (sharedWritten_.insert(folder).second) {
            queue_.Push({Task::Kind::SharedFiles, next_++, folder, {}, 0});
        }
    }
    queue_.Push(std::move(task));
}

void SiteRun::FeedProblem(const std::string& relative, SiteWalker::Problem problem) {
    if (problem == SiteWalker::Problem::Unreadable) {
        progress_.failures.fetch_add(1);
        summary_.unreadable.push_back(relative);
    } else {
        summary_.skipped.emplace_back(relative, problem);
    }
}

bool SiteRun::MakeMirrorFolder(const std::string& relative) {
    const std::string mirror = MirrorFolder(options_.out, relative);
    const int error = files_.MakeFolders(mirror);
    if (error == 0 && sealed_ && !relative.empty()) mirrors_.push_back(mirror);
    if (error == 0) return true;
    if (StopsEveryWrite(error)) {
        StopOutput(mirror, error);
    } else {
        progress_.failures.fetch_add(1);
        std::lock_guard lock(mutex_);
        failures_.emplace_back(
            next_++, SitePublisher::Failure{relative, Result::CannotMakeFolder, mirror, error});
    }
    return false;
}

// A sealed site's folders that hold no page and no public file are left
// empty by the run: removed, so that their names do not show. Innermost
// first, so that a folder of empty folders goes too; one that holds
// anything stays.
void SiteRun::RemoveEmptyMirrors() {
    for (auto mirror = mirrors_.rbegin(); mirror != mirrors_.rend(); ++mirror) {
        files_.RemoveEmptyFolder(*mirror);
    }
}

void SiteRun::StopOutput(const std::string& path, int error) {
    std::lock_guard lock(mutex_);
    if (!halted_.exchange(true)) {
        std::string named = path;
        while (named.size() > 1 && named.back() == '/') named.pop_back();
        summary_.outputStop = SitePublisher::OutputStop{named, error};
    }
}

void SiteRun::Work() {
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
            case Task::Kind::Seal:
                Seal(*task);
                break;
            case Task::Kind::SharedFiles:
                WriteShared(*task);
                break;
        }
    }
}

void SiteRun::PublishPage(engine::LockedDocument& document, const Task& task) {
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
    const std::string folder = FolderOf(task.relative);
    const std::string mirror = MirrorFolder(options_.out, folder);
    // A sealed site keeps the page's own bytes too, for the scripts that
    // fetch the page.
    PublicationOutcome sealedCopy{Result::Ok};
    std::uint64_t pageSize = 0;
    if (result == Result::Ok && sealed_) {
        pageSize = document.Page().size();
        sealedCopy = SealBytes(document.Page(), task.relative);
    }
    PageEncoding::Named encoding;
    if (result == Result::Ok && sealedCopy.result == Result::Ok) {
        encoding =
            PageEncoding::Of(document.Page(), options_.encodeType, publication_.Options().strong);
        // A sealed site's page carries its path alone: nothing to compress.
        if (!sealed_) result = document.Compress(nullptr, compressor);
    }
    PublicationOutcome outcome{result};
    if (sealedCopy.result != Result::Ok) {
        outcome = sealedCopy;
    } else if (result == Result::Ok && encoding.result != Result::Ok) {
        // The refusal's message names the encoding where a file error names the file.
        outcome = {encoding.result, encoding.found};
    } else if (result == Result::Ok) {
        document.SetCharCodeName(Publication::CharCodeName(encoding.name));
        std::optional<StrongPage::SitePlace> place;
        if (sealed_) {
            place = StrongPage::SitePlace{folder.empty() ? "" : UpToTop(folder), task.relative};
        }
        outcome =
            publication_.PublishSitePage({document, task.path}, mirror, UpToTop(folder), place);
    }
    progress_.pagesDone.fetch_add(1);
    progress_.bytesDone.fetch_add(task.size);
    if (outcome.result != Result::Published) {
        return Fail(task, outcome, FolderOfFailure(sealedCopy, mirror));
    }
    if (sealed_) {
        List({task.relative, MediaType::Of(task.relative, encoding.name), pageSize, true, false});
    }
    Count(WrittenBytes(sealedCopy) + WrittenBytes(outcome), [&] {
        ++summary_.published;
        if (sealed_) ++summary_.sealed;
        summary_.bytesIn += task.size;
    });
}

void SiteRun::WriteShared(const Task& task) {
    const std::string mirror = MirrorFolder(options_.out, task.relative);
    const PublicationOutcome outcome = publication_.WriteSharedFiles(mirror);
    if (outcome.result != Result::Published) {
        // Named by the file that failed, else by the folder: the shared
        // files belong to the mirror alone.
        Task named = task;
        named.relative = outcome.failedFile.empty() ? mirror : outcome.failedFile;
        return Fail(named, outcome, mirror);
    }
    Count(WrittenBytes(outcome), [] {});
}

void SiteRun::Copy(const Task& task) {
    const std::string target = options_.out + "/" + task.relative;
    const Result result = copier_.Place(task.path, target, options_.link && !task.outside);
    progress_.bytesDone.fetch_add(task.size);
    if (result != Result::Ok) return Fail(task, {result, target}, FolderOf(target) + "/");
    if (sealed_) List({task.relative, MediaType::Of(task.relative), task.size, task.page, true});
    Count(task.size, [&] {
        ++summary_.copied;
        summary_.bytesIn += task.size;
    });
}

void SiteRun::Seal(const Task& task) {
    std::vector<std::uint8_t> bytes;
    sealing_.Take(task.size);
    const Result read = ReadWhole(files_, task.path, task.size, bytes);
    progress_.bytesDone.fetch_add(task.size);
    const PublicationOutcome outcome =
        read == Result::Ok ? SealBytes(bytes, task.relative) : PublicationOutcome{read};
    const std::uint64_t size = bytes.size();
    bytes = {};
    sealing_.Give(task.size);
    if (read != Result::Ok) return Fail(task, outcome, options_.out + "/");
    if (outcome.result != Result::Ok) {
        return Fail(task, outcome, FolderOfFailure(outcome, options_.out + "/"));
    }
    List({task.relative, MediaType::Of(task.relative), size, false, false});
    Count(WrittenBytes(outcome), [&] {
        ++summary_.sealed;
        summary_.bytesIn += size;
    });
}

PublicationOutcome SiteRun::SealBytes(std::span<const std::uint8_t> bytes,
                                      const std::string& relative) {
    if (!sealer_) return {Result::KeyNotDerived};
    return sealer_->Seal(bytes, relative);
}

void SiteRun::List(SiteManifest::Entry entry) {
    std::lock_guard lock(mutex_);
    manifest_.Add(std::move(entry));
}

// Once every file is done: the list holds what was published.
bool SiteRun::SealManifest() {
    const std::string relative = std::string(SiteSealer::kFolder) + "/manifest.js";
    const Task task{Task::Kind::Seal, next_++, relative, {}, 0};
    if (!sealer_) {
        Fail(task, {Result::KeyNotDerived}, options_.out + "/");
        return false;
    }
    const PublicationOutcome outcome = sealer_->SealManifest(manifest_.Text());
    if (outcome.result != Result::Ok) {
        Fail(task, outcome, FolderOfFailure(outcome, options_.out + "/"));
        return false;
    }
    Count(WrittenBytes(outcome), [] {});
    return true;
}

void SiteRun::Fail(const Task& task, const PublicationOutcome& outcome, const std::string& folder) {
    if (IsWriteFailure(outcome.result)) {
        const int error =
            outcome.result == Result::FileDiskFull ? ENOSPC : files_.ProbeFolder(folder);
        if (StopsEveryWrite(error)) return StopOutput(folder, error);
        if (halted_.load()) return;  // met while the run was being stopped
    }
    progress_.failures.fetch_add(1);
    std::lock_guard lock(mutex_);
    failures_.emplace_back(
        task.order, SitePublisher::Failure{task.relative, outcome.result, outcome.failedFile});
}

}  // namespace nemora::publish
