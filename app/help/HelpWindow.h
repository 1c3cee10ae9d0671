#pragma once

#include <cstdint>
#include <vector>

#include <QWidget>

#include "app/help/HelpFile.h"

class QPushButton;
class QTextBrowser;
class QUrl;

namespace nemora::app {

// The help window: one topic at a time, with links between topics, a
// contents button and a back button.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void SetFile(const HelpFile& file);
    // Shows topic `context`; false, and nothing changes, when there is none.
    bool ShowTopic(std::uint32_t context);

    std::uint32_t CurrentTopic() const { return history_.empty() ? 0 : history_.back(); }
    QTextBrowser* Browser() const { return browser_; }

private:
    void Render();
    void FollowLink(const QUrl& url);
    void Back();

    HelpFile file_;
    std::vector<std::uint32_t> history_;
    QTextBrowser* browser_;
    QPushButton* contents_;
    QPushButton* back_;
};

}  // namespace nemora::app
