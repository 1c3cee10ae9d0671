#pragma once

#include <cstdint>
#include <vector>

#include <QTest>

#include "app/help/HelpDisplay.h"
#include "app/help/HelpKind.h"
#include "app/help/HelpTable.h"

namespace nemora::app {

// How QCOMPARE prints a request.
inline char* toString(const HelpRequest& request) {
    return QTest::toString(QStringLiteral("context %1, %2")
                               .arg(request.context)
                               .arg(request.kind == HelpKind::Topic ? "topic" : "popup"));
}

}  // namespace nemora::app

namespace nemora::app::test {

// Help requests as a window sends them.
struct RecordingHelp {
    std::vector<HelpRequest> requests;

    ShowHelpFunction Function() {
        return [this](std::uint32_t context, HelpKind kind) {
            requests.push_back({context, kind});
        };
    }
};

// A help display that records what it is asked to show.
class RecordingHelpDisplay : public HelpDisplay {
public:
    explicit RecordingHelpDisplay(bool succeeds = true) : succeeds_(succeeds) {}

    bool Show(std::uint32_t context, HelpKind kind, QWidget*) override {
        shown.push_back({context, kind});
        return succeeds_;
    }
    void Close() override { ++closed; }

    std::vector<HelpRequest> shown;
    int closed = 0;

private:
    bool succeeds_;
};

}  // namespace nemora::app::test
