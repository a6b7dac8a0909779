#pragma once

#include <QWidget>
#include <array>

#include "ui/controls.h"
#include "ui/form1.h"
#include "ui/form_view.h"
#include "ui/start_arguments.h"

class QButtonGroup;
class QListWidget;

// The window in Qt Widgets: creates the controls of the control table (each
// named by its objectName, options as "Option1_0" to "Option1_3"), converts
// texts between UTF-8 and QString, and hands every event to Form1.
class QtView : public QWidget, public vantor::FormView {
    Q_OBJECT

public:
    explicit QtView(const vantor::StartArguments& arguments = {}, QWidget* parent = nullptr);
    ~QtView() override;

    QWidget* ControlWidget(vantor::Control control) const;

    // FormView
    std::string Text(vantor::Control control) override;
    void SetText(vantor::Control control, std::string_view text) override;
    void SetEnabled(vantor::Control control, bool enabled) override;
    void SetFocus(vantor::Control control) override;
    void SetChecked(vantor::Control option) override;
    void ClearList() override;
    void AddListItem(std::string_view text) override;
    int ListIndex() override;
    void SetClipboardText(std::string_view text) override;
    void ShowMessage(std::string_view title, std::string_view text) override;
    std::string ShowFileDialog(const vantor::FileDialogRequest& request) override;
    std::string UpperCase(std::string_view text) override;
    void PassEvents() override;
    void CloseWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // The list's tips, asked of Form1 for the row under the mouse.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QListWidget* List() const;

    std::array<QWidget*, vantor::kControls.size()> mControls{};
    QButtonGroup* mOptions = nullptr;
    vantor::Form1 mForm{*this};
};
