#include "cli/RunProgress.h"

#include <algorithm>
#include <cstdio>

namespace nemora::cli {

double RunProgress::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void RunProgress::Draw(const publish::SitePublisher::Progress& progress) {
    if (!enabled_ || !progress.walked.load()) return;
    constexpr int kWidth = 24;
    const std::uint64_t pages = progress.pagesDone.load();
    const std::uint64_t totalPages = progress.pagesFound.load();
    const auto bytes = static_cast<double>(progress.bytesDone.load());
    const auto total = static_cast<double>(progress.bytesFound.load());
    const double share = total > 0 ? std::min(1.0, bytes / total) : 1.0;
    const int filled = static_cast<int>(share * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    const double seconds = Seconds();
    const double rate = seconds > 0 ? bytes / seconds / 1e6 : 0;
    const double left = rate > 0 ? std::max(0.0, total - bytes) / 1e6 / rate : 0;
    std::fprintf(stderr, "\r[%s] %llu/%llu pages  %.1f/%.1f MB  %.1f MB/s  %ds left\033[K", bar,
                 static_cast<unsigned long long>(pages),
                 static_cast<unsigned long long>(totalPages), bytes / 1e6, total / 1e6, rate,
                 static_cast<int>(left + 0.5));
    drawn_ = true;
}

void RunProgress::Finish() {
    if (drawn_) std::fprintf(stderr, "\r\033[K");
    drawn_ = false;
}

}  // namespace nemora::cli
