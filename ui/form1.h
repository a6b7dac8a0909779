#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "analysis/window_state.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace vantor {
class clsHash;
}

// The program's one window: log folder, player ID and action in, item list
// and the clicked item's total out. Controls carry their names as
// objectName ("txtLogDir", "Command1", "List1", "Option1_0", ...).
class Form1 : public QWidget, public vantor::WindowState {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The default log folder: the user's profile or home folder followed by
    // My Documents/Halvern/ZENTHARA/LOG and a trailing separator.
    static QString DefaultLogDir();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void Form_Load();
    void Form_Unload();
    void Command1_Click();
    void btnBrowse_Click();
    void List1_Click();
    void Option1_Click(int Index);

    // What the analysis uses of the window.
    std::string PlayerId() override;
    std::string ActionTag() override;
    void SetStatus(std::string_view caption) override;
    void AppendItem(std::string_view item) override;
    bool PassEvents() override;

    QLabel* Label1;
    QLineEdit* txtLogDir;
    QPushButton* btnBrowse;
    QPushButton* Command1;
    QLineEdit* txtPID;
    QLabel* Label2;
    QListWidget* List1;
    QLineEdit* Text1;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    std::array<QRadioButton*, 4> Option1;
    QButtonGroup* mOptionGroup;

    std::unique_ptr<vantor::clsHash> mItems;
    std::string mActionTag;
    bool mScanning = false;       // inside Go!
    bool mCloseRequested = false;  // closed during a scan: close when it stops
};
