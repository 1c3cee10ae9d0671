#include "app/help/HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/help/HelpTable.h"
#include "app/resources/Pictures.h"
#include "app/resources/ResourceText.h"
#include "engine/TextId.h"

namespace nemora::app {
namespace {

constexpr std::uint32_t kContentsText = engine::StringId(engine::TextId::HelpContents);
constexpr std::uint32_t kBackText = engine::StringId(engine::TextId::HelpBack);

}  // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      browser_(new QTextBrowser(this)),
      contents_(new QPushButton(ResourceText(kContentsText), this)),
      back_(new QPushButton(ResourceText(kBackText), this)) {
    setWindowIcon(Pictures::WindowIcon(Pictures::kProgramIcon));
    browser_->setOpenLinks(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents_);
    buttons->addWidget(back_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    resize(480, 420);

    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::FollowLink);
    connect(contents_, &QPushButton::clicked, this, [this] { ShowTopic(kHelpContents); });
    connect(back_, &QPushButton::clicked, this, &HelpWindow::Back);
}

void HelpWindow::SetFile(const HelpFile& file) {
    file_ = file;
    setWindowTitle(file_.Title());
}

bool HelpWindow::ShowTopic(std::uint32_t context) {
    if (!file_.Find(context)) return false;
    if (CurrentTopic() != context) history_.push_back(context);
    Render();
    return true;
}

void HelpWindow::Render() {
    const HelpFile::Topic* topic = file_.Find(CurrentTopic());
    if (!topic) return;
    browser_->setMarkdown(QStringLiteral("# %1\n\n%2").arg(topic->title, topic->text));
    back_->setEnabled(history_.size() > 1);
}

void HelpWindow::FollowLink(const QUrl& url) {
    if (url.scheme() != QStringLiteral("topic")) return;
    bool ok = false;
    const std::uint32_t context = url.path().toUInt(&ok);
    if (ok) ShowTopic(context);
}

void HelpWindow::Back() {
    if (history_.size() < 2) return;
    history_.pop_back();
    Render();
}

}  // namespace nemora::app
