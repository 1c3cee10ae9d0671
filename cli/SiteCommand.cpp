#include "cli/SiteCommand.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <future>
#include <string>
#include <unistd.h>

#include "cli/ExitCode.h"
#include "cli/Report.h"
#include "cli/RunProgress.h"
#include "res/StringTable.h"

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
           result == Result::BrokenText || result == Result::CompressFailed;
}

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

// The summary's text with its six values in place of %1 to %6.
std::string SummaryLine(const SitePublisher::Summary& summary, double seconds) {
    std::string text = res::StringTable::Get(static_cast<std::uint32_t>(CliText::SiteSummary));
    char time[32];
    std::snprintf(time, sizeof time, "%.2f", seconds);
    const std::string values[] = {std::to_string(summary.pages),  std::to_string(summary.published),
                                  std::to_string(summary.copied), Megabytes(summary.bytesIn),
                                  Megabytes(summary.bytesOut),    time};
    for (int i = 6; i >= 1; --i) {
        const std::string marker = "%" + std::to_string(i);
        if (const std::size_t at = text.find(marker); at != std::string::npos) {
            text.replace(at, marker.size(), values[i - 1]);
        }
    }
    return text;
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
    constexpr const char* kProgram = "nemora-cli";
    if (const engine::Result checked = SitePublisher::CheckFolders(options.site, options.out);
        checked != engine::Result::Ok) {
        Report(kProgram,
               checked == engine::Result::CannotOpen ? CliText::SiteUnreadable
                                                     : CliText::SiteAndOutputOverlap,
               options.site);
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
    const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    RunProgress bar(onTerminal,
                    onTerminal ? SitePublisher::Count(options) : SitePublisher::Totals{});
    SitePublisher::Progress progress;
    std::future<SitePublisher::Summary> running =
        std::async(std::launch::async, [&] { return SitePublisher().Run(options, progress); });
    while (running.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
        bar.Draw(progress);
    }
    const SitePublisher::Summary summary = running.get();
    bar.Finish();

    int status = kExitOk;
    for (const SitePublisher::Failure& failure : summary.failures) {
        Report(failure.relative, failure.result, failure.file);
        if (status == kExitOk) status = IsLoadFailure(failure.result) ? kExitLoad : kExitPublish;
    }
    for (const auto& [relative, problem] : summary.skipped) Report(relative, TextOf(problem));
    for (const auto& [relative, real] : summary.outside) {
        std::printf("%s: %s\n", relative.c_str(), Text(CliText::FromOutside, real).c_str());
    }
    std::printf("%s: %s\n", kProgram, SummaryLine(summary, bar.Seconds()).c_str());
    // A signal that came once every file was done still asked the run to
    // end: a script sees that it was ended, as it would have been at once.
    if (const int signal = stopSignal.load(); signal != 0) {
        if (summary.stopped) Report(kProgram, CliText::SiteInterrupted);
        return ExitCodeOfSignal(signal);
    }
    return status;
}

}  // namespace nemora::cli
