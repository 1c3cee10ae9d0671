#include "cli/TerminalProgress.h"

#include <algorithm>
#include <cstdio>

#include "res/StringTable.h"

namespace nemora::cli {

bool TerminalProgress::Report(std::uint32_t units, std::uint32_t textId) {
    if (textId != 0) {
        text_ = res::StringTable::Get(textId);
        if (units > 0) {
            range_ = units;
            position_ = 0;
        }
    } else {
        position_ += units;
    }
    Draw();
    return true;
}

void TerminalProgress::Draw() {
    if (!enabled_) return;
    const int percent =
        range_ == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(100, position_ * 100 / range_));
    if (drawn_ && percent == shownPercent_) return;  // redraw only when the figure changes
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%% %s", filled, "##############################",
                 kWidth - filled, "", percent, text_.c_str());
    std::fflush(stderr);
    drawn_ = true;
    shownPercent_ = percent;
}

void TerminalProgress::Finish() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
}

}  // namespace nemora::cli
