#pragma once

#include <optional>

#include <QDialog>

#include "app/resources/DialogBuilder.h"
#include "app/resources/DialogTemplate.h"

class QMenuBar;

namespace nemora::app {

// A dialog built from one of the templates in res/dialogs. Its controls keep
// their template ids: a button's click arrives as the command of its id, and
// Control finds a control by id.
class TemplateDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    explicit TemplateDialog(QWidget* parent = nullptr);

    // Builds the window from template `templateId`; false, and no window,
    // when the template cannot be had.
    bool Build(int templateId, const DialogBuilder::Attachments& attachments = {});

    QWidget* Control(int id) const;
    template <typename T>
    T* ControlAs(int id) const {
        return qobject_cast<T*>(Control(id));
    }

    const DialogTemplate& Template() const { return template_; }
    const DialogUnits& Units() const { return built_.units; }
    QWidget* Client() const { return built_.client; }
    QMenuBar* MenuBar() const { return built_.menuBar; }

signals:
    // A button of the dialog was clicked: its control id.
    void Command(int id);

protected:
    // The command of control `id`: OK (1) accepts, Cancel (2) rejects.
    virtual void OnCommand(int id);

    void showEvent(QShowEvent* event) override;

private:
    DialogTemplate template_;
    DialogBuilder::Result built_;
    bool placed_ = false;
};

}  // namespace nemora::app
