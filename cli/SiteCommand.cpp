#include "cli/SiteCommand.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <future>
#include <string>
#include <unistd.h>

#include "cli/AuditCommand.h"
#include "cli/ExitCode.h"
#include "cli/Report.h"
#include "cli/RunProgress.h"
#include "engine/posix/DurableFileLayer.h"
#include "res/StringTable.h"
#include "res/TextFormat.h"

namespace nemora::cli {
namespace {

using publish::SitePublisher;

CliText TextOf(publish::SiteWalker::Problem problem) {
    switch (problem) {
        case publish::SiteWalker::Problem::DanglingLink:
            return CliText::SkippedDanglingLink;
        case publish::SiteWalker::Problem::OutsideSite:
            return CliText::SkippedOutsideLink;
        case publish::SiteWalker::Problem::LinkLoop:
            return CliText::SkippedLinkLoop;
        case publish::SiteWalker::Problem::IntoOutput:
            return CliText::SkippedIntoOutput;
        default:
            return CliText::SkippedNotAFile;
    }
}

bool IsLoadFailure(engine::Result result) {
    using engine::Result;
    return result == Result::CannotOpen || result == Result::ReadFailed ||
           result == Result::BrokenText || result == Result::CompressFailed ||
           result == Result::IsLoaderPage || result == Result::IsDecoderPage ||
           result == Result::IsStrongPage || result == Result::IsStrongScript ||
           result == Result::NotTextPage;
}

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

struct Counts {
    std::uint64_t skipped = 0;
    std::uint64_t failed = 0;
};

// The summary's text with its nine values in place of %1 to %9.
std::string SummaryLine(const SitePublisher::Summary& summary, const Counts& counts,
                        double seconds) {
    char time[32];
    std::snprintf(time, sizeof time, "%.2f", seconds);
    const std::string values[] = {std::to_string(summary.pages),
                                  std::to_string(summary.published),
                                  std::to_string(summary.copied),
                                  Megabytes(summary.bytesIn),
                                  Megabytes(summary.bytesOut),
                                  time,
                                  std::to_string(summary.outside.size()),
                                  std::to_string(counts.skipped),
                                  std::to_string(counts.failed)};
    const std::string_view arguments[] = {values[0], values[1], values[2], values[3], values[4],
                                          values[5], values[6], values[7], values[8]};
    return res::FormatText(res::StringTable::Get(CliText::SiteSummary), arguments);
}

// One line for each file that failed, was skipped or came from outside the
// site; the counts and the exit status they give: that of the first failed
// file (4: it could not be read; 5: something could not be written), 0 when
// none failed. Skips do not change it.
int ReportFiles(const SitePublisher::Summary& summary, Counts& counts) {
    int status = kExitOk;
    for (const SitePublisher::Failure& failure : summary.failures) {
        if (failure.result == engine::Result::CannotMakeFolder) {
            Report(failure.relative, CliText::MirrorFolderNotMade, WriteCause(failure.error));
        } else {
            Report(failure.relative, failure.result, failure.file);
        }
        if (status == kExitOk) status = IsLoadFailure(failure.result) ? kExitLoad : kExitPublish;
    }
    for (const std::string& relative : summary.unreadable) Report(relative, CliText::Unreadable);
    if (status == kExitOk && !summary.unreadable.empty()) status = kExitLoad;
    for (const std::string& relative : summary.refused)
        Report(relative, CliText::SealedFolderTaken);
    for (const std::string& relative : summary.notUtf8)
        Report(relative, CliText::SealedNameNotUtf8);
    if (status == kExitOk && !(summary.refused.empty() && summary.notUtf8.empty()))
        status = kExitPublish;
    for (const auto& [relative, problem] : summary.skipped) Report(relative, TextOf(problem));
    for (const auto& [relative, real] : summary.outside) {
        std::printf("%s: %s\n", relative.c_str(), Text(CliText::FromOutside, real).c_str());
    }
    counts.skipped = summary.skipped.size();
    counts.failed = summary.failures.size() + summary.unreadable.size() + summary.refused.size() +
                    summary.notUtf8.size();
    if (summary.outputStop) {
        Report(summary.outputStop->path, CliText::OutputNotWritable,
               WriteCause(summary.outputStop->error));
        ++counts.failed;
        status = kExitPublish;
    }
    return status;
}

// What became of the files that are no pages: sealed, or in the classic
// form copied in clear.
void PrintFormLine(const SitePublisher::Summary& summary, bool strong) {
    if (strong) {
        const std::string values[] = {std::to_string(summary.sealed),
                                      std::to_string(summary.copied)};
        const std::string_view arguments[] = {values[0], values[1]};
        std::printf(
            "%s: %s\n", kProgram,
            res::FormatText(res::StringTable::Get(CliText::SealedSummary), arguments).c_str());
    } else if (summary.copied > 0) {
        std::printf("%s: %s\n", kProgram,
                    Text(CliText::ClassicCopiedInClear, std::to_string(summary.copied)).c_str());
    }
    if (summary.earlierKept > 0) {
        std::fprintf(stderr, "%s: %s\n", kProgram,
                     Text(CliText::EarlierSealedKept, std::to_string(summary.earlierKept)).c_str());
    }
}

// The first signal that asked the run to end (SIGINT or SIGTERM), or 0.
std::atomic<int> stopSignal{0};
std::atomic<bool> interrupted{false};

void OnInterrupt(int signal) {
    int none = 0;
    stopSignal.compare_exchange_strong(none, signal);
    interrupted.store(true);
}

}  // namespace

int PublishSite(SitePublisher::Options options) {
    if (const engine::Result checked = SitePublisher::CheckFolders(options.site, options.out);
        checked != engine::Result::Ok) {
        if (checked == engine::Result::CannotOpen) {
            Report(kProgram, CliText::SiteUnreadable, options.site);
        } else {
            Report(kProgram, checked, options.site);
        }
        return checked == engine::Result::CannotOpen ? kExitLoad : kExitUsage;
    }
    // Ctrl-C or SIGTERM ends the run between files, so no half-written
    // temporary file is left behind; a second one ends the program at once.
    options.stop = &interrupted;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = static_cast<int>(SA_RESETHAND);
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    RunProgress bar(::isatty(STDERR_FILENO) == 1);
    SitePublisher::Progress progress;
    // Thousands of files: flushed to the disk all at once at the end.
    engine::posix::DurableFileLayer files(0666, engine::posix::DurableFileLayer::Flush::Deferred);
    std::future<SitePublisher::Summary> running =
        std::async(std::launch::async, [&] { return SitePublisher(files).Run(options, progress); });
    while (running.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
        bar.Draw(progress);
    }
    const SitePublisher::Summary summary = running.get();
    bar.Finish();

    Counts counts;
    const int status = ReportFiles(summary, counts);
    std::printf("%s: %s\n", kProgram, SummaryLine(summary, counts, bar.Seconds()).c_str());
    PrintFormLine(summary, options.publication->Options().strong);
    // What a visitor without the password can read of the pages just locked.
    if (stopSignal.load() == 0) AuditPublished(options.out, options.site);
    // A signal that came once every file was done still asked the run to
    // end: a script sees that it was ended, as it would have been at once.
    if (const int signal = stopSignal.load(); signal != 0) {
        if (summary.stopped) Report(kProgram, CliText::SiteInterrupted);
        return ExitCodeOfSignal(signal);
    }
    return status;
}

}  // namespace nemora::cli
