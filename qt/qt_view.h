#pragma once

#include <QWidget>
#include <array>

#include "ui/controls.h"
#include "ui/form1.h"
#include "ui/form_view.h"
#include "ui/start_arguments.h"

class AllActionsWindow;
class ByLogWindow;
class QAction;
class QButtonGroup;
class QCompleter;
class QListWidget;
class QMenu;
class QStringListModel;

// The window in Qt Widgets: creates the controls of the control table (each
// named by its objectName, options as "Option1_0" to "Option1_3") and the
// menu of the command table, converts texts between UTF-8 and QString, and
// hands every event to Form1. The table's size is its first and least; made
// larger, the controls follow their anchors. Its size and place are remembered.
class QtView : public QWidget, public vantor::FormView {
    Q_OBJECT

public:
    explicit QtView(const vantor::StartArguments& arguments = {}, QWidget* parent = nullptr);
    ~QtView() override;

    QWidget* ControlWidget(vantor::Control control) const;
    // The item list's context menu, one action per command in table order.
    QMenu* Menu() const { return mMenu; }
    QAction* CommandAction(vantor::Command command) const;
    // Whether an analysis started by Go! is still running.
    bool Scanning() const { return mForm.Scanning(); }
    // The By log window once it has been opened, else nullptr.
    ByLogWindow* ByLog() const { return mByLog; }
    // The All Actions window once it has been opened, else nullptr.
    AllActionsWindow* AllActions() const { return mAllActions; }
    // What offers the player IDs under the Player ID box.
    QCompleter* PlayerCompleter() const { return mPlayers; }

    // FormView
    std::string Text(vantor::Control control) override;
    void SetText(vantor::Control control, std::string_view text) override;
    void SetEnabled(vantor::Control control, bool enabled) override;
    void SetFocus(vantor::Control control) override;
    void SetChecked(vantor::Control option) override;
    void SetListItems(const std::vector<std::string>& items) override;
    void AppendListItems(const std::vector<std::string>& items) override;
    void ReplaceListItems(const std::vector<std::pair<int, std::string>>& items) override;
    int ListIndex() override;
    void SetListIndex(int index) override;
    void ShowSuggestions(const std::vector<std::string>& players) override;
    void SetClipboardText(std::string_view text) override;
    void ShowMessage(std::string_view title, std::string_view text, vantor::MessageKind kind) override;
    std::string ShowFileDialog(const vantor::FileDialogRequest& request) override;
    std::string DocumentsFolder() override;
    std::string UpperCase(std::string_view text) override;
    void Post(std::function<void()> work) override;
    void CloseWindow() override;
    void ShowByLog(vantor::ByLogForm& form) override;
    void ShowAllActions(vantor::AllActionsForm& form) override;
    std::optional<std::string> LoadSetting(std::string_view name) override;
    void SaveSetting(std::string_view name, std::string_view value) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // The list's tips, asked of Form1 for the row under the mouse.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    void CreatePlayerCompleter();
    QListWidget* List() const;
    // Dialogs belong to whichever of the program's windows is in front.
    QWidget* DialogParent();

    std::array<QWidget*, vantor::kControls.size()> mControls{};
    QButtonGroup* mOptions = nullptr;
    QMenu* mMenu = nullptr;
    std::array<QAction*, vantor::kCommands.size()> mCommands{};
    QCompleter* mPlayers = nullptr;
    QStringListModel* mPlayersOffered = nullptr;  // in Form1's order
    vantor::Form1 mForm{*this};
    // Shows mForm's ByLogForm, so it goes first (see the destructor).
    ByLogWindow* mByLog = nullptr;
    AllActionsWindow* mAllActions = nullptr;  // likewise
};
