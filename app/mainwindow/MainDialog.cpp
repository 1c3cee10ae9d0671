#include "app/mainwindow/MainDialog.h"

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/Attachments.h"
#include "app/dialogs/CFileDialogWithHelp.h"
#include "app/dialogs/DetailsDialog.h"
#include "app/dialogs/ProgressDialog.h"
#include "app/help/ContextHelp.h"
#include "app/help/HelpTable.h"
#include "app/mainwindow/MainWindowIds.h"
#include "app/mainwindow/PathEllipsis.h"
#include "app/preview/PreviewServer.h"
#include "app/resources/MenuTemplate.h"
#include "app/resources/MessageBox.h"
#include "app/resources/Pictures.h"
#include "app/resources/ResourceText.h"

namespace nemora::app {
namespace {

using namespace mainwindow;

// A line edit keeps this much room on each side of its text.
constexpr int kEditTextMargin = 2;

QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::optional<std::string> RunFileDialog(CFileDialogWithHelp& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenPath().isEmpty()) return std::nullopt;
    return ToPath(dialog.ChosenPath());
}

void ForEachCommand(QMenuBar* menuBar, const std::function<void(QAction*, int)>& visit) {
    if (!menuBar) return;
    for (QAction* menuAction : menuBar->actions()) {
        QMenu* menu = menuAction->menu();
        if (!menu) continue;
        for (QAction* action : menu->actions()) {
            if (const int id = MenuTemplate::CommandId(action); id != 0) visit(action, id);
        }
    }
}

}  // namespace

MainDialog::MainDialog(Services services)
    : TemplateDialog(nullptr),
      services_(std::move(services)),
      logic_(std::make_unique<MainWindowLogic>(
          static_cast<WindowOperations&>(*this), writer_,
          services_.files ? *services_.files : engine::posix::DurableFileLayer::Instance())) {
    Build(kTemplate, {{kLogoButton, LogoButtonAttachment()}});
    if (QWidget* strong = Control(kStrongBox)) strong->setToolTip(ResourceText(kStrongBoxTip));
    setWindowIcon(Pictures::WindowIcon(Pictures::kProgramIcon));
    SetUpReveal();
    ConnectSignals();
    setAcceptDrops(true);
    auto* help = new ContextHelp(this, kMainWindowHelp, services_.showHelp);
    help->WatchMenus(MenuBar());
}

MainDialog::~MainDialog() {
    progress_.reset();
    logic_->OnDestroy();
    // Qt frees the field's copy of the password without wiping it; emptying
    // the field at least leaves no widget holding it.
    if (QLineEdit* password = Edit(kPasswordField)) password->clear();
}

void MainDialog::Initialise(const std::optional<std::string>& startupFile) {
    logic_->Initialise(startupFile);
}

void MainDialog::ConnectSignals() {
    ForEachCommand(MenuBar(), [this](QAction* action, int id) {
        connect(action, &QAction::triggered, this, [this, id] { logic_->OnCommand(id); });
    });
    if (QLineEdit* password = Edit(kPasswordField)) {
        connect(password, &QLineEdit::textChanged, this, [this] { logic_->OnPasswordEdited(); });
    }
    QComboBox* combo = Combo();
    if (!combo) return;
    connect(combo, &QComboBox::activated, this, [this, combo](int item) {
        lifetimeSelection_ = item;
        // A choice from the list replaces whatever was typed.
        combo->setEditText(combo->itemText(item));
        logic_->OnLifetimeSelected();
    });
    if (QLineEdit* field = combo->lineEdit()) {
        connect(field, &QLineEdit::textEdited, this, [this] {
            lifetimeSelection_ = kNoSelection;
            logic_->OnLifetimeEdited();
        });
        field->installEventFilter(this);
    }
    combo->installEventFilter(this);
}

// The icon names what a click does: the open eye shows, the struck-through
// one hides. Drawn for screens of one to three device pixels a point.
void MainDialog::SetUpReveal() {
    auto* reveal = ControlAs<QPushButton>(kRevealButton);
    if (!reveal) return;
    reveal->setCheckable(true);
    const QColor ink = reveal->palette().color(QPalette::Active, QPalette::ButtonText);
    const int size = reveal->iconSize().height();
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0, 3.0}) {
        icon.addPixmap(Pictures::Vector(QStringLiteral("eye"), size, ratio, ink), QIcon::Normal,
                       QIcon::Off);
        icon.addPixmap(Pictures::Vector(QStringLiteral("eye-crossed"), size, ratio, ink),
                       QIcon::Normal, QIcon::On);
    }
    reveal->setIcon(icon);
    connect(reveal, &QPushButton::toggled, this, &MainDialog::ShowPassword);
    ShowPassword(false);
}

void MainDialog::ShowPassword(bool shown) {
    if (QLineEdit* password = Edit(kPasswordField)) {
        password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    }
    if (auto* reveal = ControlAs<QPushButton>(kRevealButton)) {
        const QString name = ResourceText(shown ? kHidePasswordText : kShowPasswordText);
        reveal->setAccessibleName(name);
        reveal->setToolTip(name);
    }
}

namespace {

QStringList LocalPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    return paths;
}

}  // namespace

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalPaths(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    QStringList files;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) files.append(path);
    }
    if (files.isEmpty()) {
        MessageBox::Show(this, kDropFolderText, QMessageBox::Information,
                         {QDir::toNativeSeparators(paths.front())});
        return;
    }
    if (paths.size() > 1) {
        MessageBox::Show(this, kDropSeveralText, QMessageBox::Information,
                         {QDir::toNativeSeparators(files.front())});
    }
    // The same path as the Load command's dialog would hand over: the load
    // brings its own messages and progress.
    static_cast<void>(logic_->LoadPage(ToPath(files.front())));
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    QComboBox* combo = Combo();
    if (event->type() == QEvent::FocusOut && combo &&
        (watched == combo || watched == combo->lineEdit())) {
        const auto* focus = static_cast<QFocusEvent*>(event);
        // Opening the list, or focus moving between the box and its field,
        // does not leave the field.
        QWidget* next = QApplication::focusWidget();
        const bool staysInside = next == combo || next == combo->lineEdit();
        if (focus->reason() != Qt::PopupFocusReason && !staysInside) {
            logic_->OnLifetimeFocusLost();
        }
    }
    return TemplateDialog::eventFilter(watched, event);
}

void MainDialog::OnCommand(int id) {
    if (id == kCookieOnBox) {
        logic_->OnCookieOnClicked();
    } else {
        logic_->OnCommand(id);
    }
}

void MainDialog::accept() {
    logic_->OnCommand(kOkCommand);
}

void MainDialog::reject() {
    logic_->OnCommand(kCancelCommand);
}

QLineEdit* MainDialog::Edit(int id) const {
    return ControlAs<QLineEdit>(id);
}

QComboBox* MainDialog::Combo() const {
    return ControlAs<QComboBox>(kLifetimeCombo);
}

void MainDialog::EnableControl(int id, bool enable) {
    if (QWidget* control = Control(id)) control->setEnabled(enable);
    // The reveal button belongs to the password field.
    if (id == kPasswordField) EnableControl(kRevealButton, enable);
}

void MainDialog::SetFocus(int id) {
    if (QWidget* control = Control(id)) control->setFocus(Qt::OtherFocusReason);
}

void MainDialog::SetText(int id, const std::string& text) {
    const QString shown = FromUtf8(text);
    if (id == kLifetimeCombo) {
        lifetimeSelection_ = kNoSelection;
        if (QComboBox* combo = Combo()) combo->setEditText(shown);
        return;
    }
    QLineEdit* edit = Edit(id);
    // Setting the same text again is no change of the password.
    if (!edit || edit->text() == shown) return;
    edit->setText(shown);
    edit->setCursorPosition(0);
}

std::string MainDialog::Text(int id) const {
    if (id == kLifetimeCombo) {
        const QComboBox* combo = Combo();
        return combo ? combo->currentText().toStdString() : std::string();
    }
    const QLineEdit* edit = Edit(id);
    return edit ? edit->text().toStdString() : std::string();
}

void MainDialog::SetTextLimit(int id, int characters) {
    if (QLineEdit* edit = Edit(id)) edit->setMaxLength(characters > 0 ? characters : 32767);
}

void MainDialog::SetCheck(int id, bool checked) {
    if (auto* box = ControlAs<QCheckBox>(id)) box->setChecked(checked);
}

bool MainDialog::Checked(int id) const {
    const auto* box = ControlAs<QCheckBox>(id);
    return box && box->isChecked();
}

void MainDialog::SetSelection(int id, int item) {
    QComboBox* combo = id == kLifetimeCombo ? Combo() : nullptr;
    if (!combo) return;
    lifetimeSelection_ = item;
    if (item < 0) return;
    combo->setCurrentIndex(item);
    // The index may not have changed while the field was typed over.
    combo->setEditText(combo->itemText(item));
}

int MainDialog::Selection(int id) const {
    return id == kLifetimeCombo ? lifetimeSelection_ : -1;
}

void MainDialog::SetDefaultButton(int id) {
    for (const int button : {kLoadButton, kSaveButton}) {
        if (auto* push = ControlAs<QPushButton>(button)) push->setDefault(button == id);
    }
}

void MainDialog::EnableMenuItem(int id, bool enable) {
    ForEachCommand(MenuBar(), [id, enable](QAction* action, int command) {
        if (command == id) action->setEnabled(enable);
    });
}

void MainDialog::CheckMenuItem(int id, bool checked) {
    ForEachCommand(MenuBar(), [id, checked](QAction* action, int command) {
        if (command == id) action->setChecked(checked);
    });
}

// The platform offers no system menu of the program's own: the item goes
// into the menu that a right click on the window's face opens.
void MainDialog::AppendSystemMenuItem(int id, const std::string& text) {
    QWidget* face = Client();
    if (!face) return;
    auto* action = new QAction(FromUtf8(text), face);
    connect(action, &QAction::triggered, this, [this, id] { logic_->OnSystemCommand(id); });
    face->addAction(action);
    face->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainDialog::Repaint() {
    update();
}

void MainDialog::ShowMessage(std::uint32_t id) {
    MessageBox::Show(this, id);
}

void MainDialog::ShowMessage(std::uint32_t id, const std::string& path) {
    MessageBox::Show(this, id, MessageBox::IconFor(id), {QDir::toNativeSeparators(FromPath(path))});
}

PublishedChoice MainDialog::ShowPublished(std::uint32_t id, const std::string& folder) {
    const QString details =
        MessageBox::Text(kPublishedFolderText, {QDir::toNativeSeparators(FromPath(folder))});
    switch (MessageBox::Offer(this, id, details, {kOpenFolderText, kOpenInBrowserText})) {
        case 0:
            return PublishedChoice::OpenFolder;
        case 1:
            return PublishedChoice::OpenInBrowser;
        default:
            return PublishedChoice::Close;
    }
}

bool MainDialog::OpenFolder(const std::string& folder) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(folder)));
}

std::uint32_t MainDialog::OpenInBrowser(const std::string& folder, const std::string& page) {
    const QString served = FromPath(folder);
    if (!preview_ || preview_->Folder() != served) {
        // The folder served before goes: one folder at a time.
        preview_.reset();
        preview_ = PreviewServer::Start(served);
        if (!preview_) return kCannotServePage;
    }
    return QDesktopServices::openUrl(preview_->Url(FromPath(page))) ? 0 : kCannotStartBrowser;
}

void MainDialog::ShowFileError(std::uint32_t id, const std::string& file) {
    MessageBox::Show(this, id, QMessageBox::Warning, {QString::fromStdString(file)});
}

std::optional<std::string> MainDialog::ChoosePage(const std::string& initialFile) {
    const auto dialog =
        CFileDialogWithHelp::ForPage(FromPath(initialFile), this, services_.showHelp);
    return RunFileDialog(*dialog);
}

std::optional<std::string> MainDialog::ChooseOutputFolder(const std::string& proposed) {
    const auto dialog =
        CFileDialogWithHelp::ForOutputFolder(FromPath(proposed), this, services_.showHelp);
    return RunFileDialog(*dialog);
}

engine::ProgressSink* MainDialog::OpenProgress(std::uint32_t captionId) {
    progress_ = std::make_unique<ProgressDialog>(this);
    // Without its window the job still runs, unreported.
    if (!progress_->Create()) {
        progress_.reset();
        return nullptr;
    }
    progress_->SetTitle(captionId);
    return progress_.get();
}

void MainDialog::CloseProgress() {
    progress_.reset();
}

std::optional<std::string> MainDialog::RunDetails(std::uint32_t pageSize, std::uint32_t dataSize,
                                                  const std::string& encodeType, PageForm form) {
    DetailsDialog details(this, services_.showHelp);
    details.SetValues(pageSize, dataSize, FromUtf8(encodeType));
    details.SetForm(form);
    if (details.exec() != QDialog::Accepted) return std::nullopt;
    return details.EncodeType().toStdString();
}

void MainDialog::RunAbout() {
    AboutDialog about(this, services_.showHelp);
    about.exec();
}

void MainDialog::ShowHelpContents() {
    if (services_.showHelp) services_.showHelp(kHelpContents, HelpKind::Topic);
}

void MainDialog::CloseHelp() {
    if (services_.closeHelp) services_.closeHelp();
}

void MainDialog::EndDialog(int result) {
    QDialog::done(result == kResultOk ? QDialog::Accepted : QDialog::Rejected);
}

std::string MainDialog::ShortenPath(const std::string& path) {
    const std::string shown = FromPath(path).toStdString();
    const QLineEdit* field = Edit(kPathField);
    if (!field) return shown;
    const QFontMetrics metrics(field->font());
    const QMargins margins = field->textMargins();
    const int width = field->width() - 2 * kEditTextMargin - margins.left() - margins.right();
    return PathEllipsis::Shorten(shown, width, [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(FromUtf8(text));
    });
}

bool MainDialog::PathExists(const std::string& path) const {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(path), error);
}

}  // namespace nemora::app
