#pragma once

#include <array>
#include <cstdint>

#include <QString>

#include "app/help/HelpKind.h"
#include "app/mainwindow/PageForm.h"
#include "app/resources/TemplateDialog.h"
#include "engine/TextId.h"

class QComboBox;
class QShowEvent;

namespace nemora::app {

// The Details dialog (template 139): the page's size as read and the size of
// the data a save writes, and the character-code name recorded with the data:
// one of five offered names or any typed one of 1 to 256 characters. The list
// shows each name with a description; OK gives the bare name. Esc or the
// close box closes it with Rejected. The logo opens the About box. A line
// below the buttons names the form a save writes.
class DetailsDialog : public TemplateDialog {
    Q_OBJECT

public:
    static constexpr int kTemplate = 139;
    static constexpr int kOkControl = kOk;
    static constexpr int kSourceSizeControl = 1000;
    static constexpr int kCreatedSizeControl = 1001;
    static constexpr int kEncodeTypeControl = 1055;
    static constexpr int kLogoControl = 1049;
    // Ours, below the template's own controls.
    static constexpr int kFormControl = 1102;
    // "保存形式: 標準" and "保存形式: 強力 (Argon2id + XChaCha20-Poly1305)".
    static constexpr std::uint32_t kStandardFormText =
        engine::StringId(engine::TextId::StandardFormText);
    static constexpr std::uint32_t kStrongFormText =
        engine::StringId(engine::TextId::StrongFormText);

    // The longest name accepted.
    static constexpr int kMaxEncodeType = 256;
    // "%1 文字以内で入力してください。"
    static constexpr std::uint32_t kTooLongMessage = engine::StringId(engine::TextId::TooLong);
    // The name stored for each entry of the list, in list order.
    static constexpr std::array<const char*, 5> kEncodeTypes = {
        "shift_jis", "iso-8859-1", "iso-2022-jp", "cseucpkdfmtjapanese", "UTF8"};

    DetailsDialog(QWidget* owner, ShowHelpFunction showHelp);

    // The values shown; set before the dialog is shown.
    void SetValues(std::uint32_t sourceSize, std::uint32_t createdSize, const QString& encodeType);
    void SetForm(PageForm form) { form_ = form; }

    std::uint32_t SourceSize() const { return sourceSize_; }
    std::uint32_t CreatedSize() const { return createdSize_; }
    // After OK: the name to store.
    QString EncodeType() const { return encodeType_; }

protected:
    void OnCommand(int id) override;
    void showEvent(QShowEvent* event) override;

private:
    void Initialise();
    void OnOk();
    void ShowMembers();
    void ReadControls();
    // The list entry the field shows, or -1 when it shows a typed text.
    int SelectedEntry() const;

    ShowHelpFunction showHelp_;
    QComboBox* combo_ = nullptr;
    std::uint32_t sourceSize_ = 0;
    std::uint32_t createdSize_ = 0;
    QString encodeType_ = QStringLiteral("shift_jis");
    PageForm form_ = PageForm::Standard;
};

}  // namespace nemora::app
