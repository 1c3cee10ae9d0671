#include "app/dialogs/DetailsDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/Attachments.h"
#include "app/help/ContextHelp.h"
#include "app/help/HelpTable.h"
#include "app/resources/MessageBox.h"
#include "app/resources/ResourceText.h"

namespace nemora::app {
namespace {

// The entry whose stored name is exactly `name`; the empty name stands for
// the first. -1 for any other name.
int ExactEntry(const QString& name) {
    if (name.isEmpty()) return 0;
    for (std::size_t entry = 0; entry < DetailsDialog::kEncodeTypes.size(); ++entry) {
        if (name == QLatin1String(DetailsDialog::kEncodeTypes[entry])) {
            return static_cast<int>(entry);
        }
    }
    return -1;
}

// The first entry whose shown text begins with `name`, in any case; -1 when
// none does.
int PrefixEntry(const QComboBox& combo, const QString& name) {
    for (int entry = 0; entry < combo.count(); ++entry) {
        if (combo.itemText(entry).startsWith(name, Qt::CaseInsensitive)) return entry;
    }
    return -1;
}

std::uint32_t ReadSize(QWidget* field, std::uint32_t current) {
    auto* edit = qobject_cast<QLineEdit*>(field);
    bool ok = false;
    const uint value = edit ? edit->text().toUInt(&ok) : 0;
    return ok ? value : current;
}

void ShowSize(QWidget* field, std::uint32_t size) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->setText(QString::number(size));
}

}  // namespace

DetailsDialog::DetailsDialog(QWidget* owner, ShowHelpFunction showHelp)
    : TemplateDialog(owner), showHelp_(std::move(showHelp)) {
    Build(kTemplate, {{kLogoControl, LogoButtonAttachment()}});
    combo_ = ControlAs<QComboBox>(kEncodeTypeControl);
    new ContextHelp(this, kDetailsHelp, showHelp_);
}

void DetailsDialog::SetValues(std::uint32_t sourceSize, std::uint32_t createdSize,
                              const QString& encodeType) {
    sourceSize_ = sourceSize;
    createdSize_ = createdSize;
    encodeType_ = encodeType;
}

void DetailsDialog::showEvent(QShowEvent* event) {
    TemplateDialog::showEvent(event);
    // Each showing starts from the members; a window brought back from the
    // task bar keeps what the user has done.
    if (!event->spontaneous()) Initialise();
}

void DetailsDialog::Initialise() {
    ShowMembers();
    // An exact name picks its own entry even where another begins with it.
    if (const int entry = ExactEntry(encodeType_); entry >= 0 && combo_) {
        combo_->setCurrentIndex(entry);
    }
    ReadControls();
    if (QWidget* ok = Control(kOkControl)) ok->setFocus();
}

void DetailsDialog::ShowMembers() {
    ShowSize(Control(kSourceSizeControl), sourceSize_);
    ShowSize(Control(kCreatedSizeControl), createdSize_);
    if (auto* form = ControlAs<QLabel>(kFormControl)) {
        form->setText(
            ResourceText(form_ == PageForm::Strong ? kStrongFormText : kStandardFormText));
    }
    if (!combo_) return;
    const int entry = PrefixEntry(*combo_, encodeType_);
    combo_->setCurrentIndex(entry);
    if (entry < 0) combo_->setEditText(encodeType_);
}

void DetailsDialog::ReadControls() {
    sourceSize_ = ReadSize(Control(kSourceSizeControl), sourceSize_);
    createdSize_ = ReadSize(Control(kCreatedSizeControl), createdSize_);
    if (combo_) encodeType_ = combo_->currentText();
}

int DetailsDialog::SelectedEntry() const {
    // Qt keeps the entry current while its text is typed over; the entry
    // counts only while the field still shows it.
    const int entry = combo_ ? combo_->currentIndex() : -1;
    if (entry < 0 || combo_->currentText() != combo_->itemText(entry)) return -1;
    return entry;
}

void DetailsDialog::OnCommand(int id) {
    if (id == kOkControl) OnOk();
    if (id == kLogoControl) {
        AboutDialog about(this, showHelp_);
        about.exec();
    }
}

void DetailsDialog::OnOk() {
    ReadControls();
    const bool tooLong = encodeType_.size() > kMaxEncodeType;
    if (tooLong) {
        MessageBox::Show(this, kTooLongMessage, QMessageBox::Warning,
                         {QString::number(kMaxEncodeType)});
    }
    if (tooLong || encodeType_.isEmpty()) {
        if (combo_) combo_->setCurrentIndex(0);
        ReadControls();
        return;
    }
    const int entry = SelectedEntry();
    if (entry >= 0 && static_cast<std::size_t>(entry) < kEncodeTypes.size()) {
        encodeType_ = QLatin1String(kEncodeTypes[static_cast<std::size_t>(entry)]);
    }
    accept();
}

}  // namespace nemora::app
