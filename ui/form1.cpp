#include "ui/form1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>

#include "analysis/log_folder.h"
#include "analysis/windows1252.h"
#include "store/cls_hash.h"
#include "store/run_error.h"
#include "ui/comm_dlgs.h"
#include "ui/messages.h"

namespace {

constexpr const char* kCaption = "Vantor Log Analyzer";
constexpr int kItemBytesRole = Qt::UserRole;  // a list item's name as stored

// The layout is kept in twips; 15 twips make one pixel at 96 dpi, and Qt
// scales pixels for the screen.
QRect Twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

struct OptionInfo {
    const char* caption;
    const char* tag;
};
constexpr std::array<OptionInfo, 4> kOptions = {{
    {"Picked Up", "[Pickup]"},
    {"Sold to NPC", "[Sell]"},
    {"Bought from NPC", "[Buy]"},
    {"Bought from Player Shop", "[MR_Buy]"},
}};

QString FromWindows1252(std::string_view bytes) {
    const std::string utf8 = vantor::Windows1252ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Whether every caption of the window fits its control in `font`.
bool CaptionsFit(const QWidget& form, const QFont& font) {
    const QFontMetrics metrics(font);
    const QStyle* style = form.style();
    const int indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                          style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        if (metrics.horizontalAdvance(label->text()) > label->width()) return false;
    }
    for (const QRadioButton* option : form.findChildren<QRadioButton*>()) {
        if (metrics.horizontalAdvance(option->text()) + indicator > option->width()) return false;
    }
    return metrics.height() <= 17;  // the labels' height
}

// The controls keep their sizes, which suit a small 8-point font. Keep the
// platform's font where the captions fit in it, else the first smaller or
// narrower one in which they do.
QFont ReadableFont(const QWidget& form) {
    QList<QFont> candidates{form.font()};
    QFont smaller = form.font();
    smaller.setPointSize(8);
    candidates << smaller;
    for (const char* family : {"Segoe UI", "Tahoma", "DejaVu Sans Condensed", "Liberation Sans Narrow",
                               "Nimbus Sans Narrow", "Arial Narrow"}) {
        for (const int points : {9, 8}) candidates << QFont(QString::fromLatin1(family), points);
    }
    for (const QFont& font : candidates) {
        if (QFontInfo(font).family().startsWith(font.family()) && CaptionsFit(form, font)) return font;
    }
    return smaller;
}

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* widget = new Widget(text, parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
    CreateControls();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::CreateControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kCaption));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/vantor-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/vantor-32.png"), QSize(32, 32));
    setWindowIcon(icon);
    resize(Twips(0, 0, 7845, 4320).size());

    // Created in tab order.
    Label1 = Place<QLabel>(this, "Label1", QStringLiteral("Log Directory:"), Twips(120, 120, 1095, 255));
    txtLogDir = Place<QLineEdit>(this, "txtLogDir", {}, Twips(1320, 120, 6135, 285));
    btnBrowse = Place<QPushButton>(this, "btnBrowse", QStringLiteral("..."), Twips(7440, 120, 255, 285));
    Command1 = Place<QPushButton>(this, "Command1", QStringLiteral("Go!"), Twips(2640, 480, 975, 285));
    txtPID = Place<QLineEdit>(this, "txtPID", {}, Twips(1320, 480, 1215, 285));
    Label2 = Place<QLabel>(this, "Label2", QStringLiteral("Player ID:"), Twips(120, 480, 1095, 255));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(Twips(2760, 1440, 3015, 2400));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    Text1 = Place<QLineEdit>(this, "Text1", {}, Twips(6000, 1440, 1455, 285));
    Label3 = Place<QLabel>(this, "Label3", {}, Twips(3720, 480, 3615, 255));
    Label4 = Place<QLabel>(this, "Label4", QStringLiteral("Quantity:"), Twips(6000, 1200, 1455, 255));
    Label5 = Place<QLabel>(this, "Label5", QStringLiteral("Items:"), Twips(2760, 1200, 1455, 255));
    Label6 = Place<QLabel>(this, "Label6", QStringLiteral("Find:"), Twips(120, 1200, 1455, 255));
    mOptionGroup = new QButtonGroup(this);
    for (int index = 0; index < 4; ++index) {
        Option1[index] = Place<QRadioButton>(this, "", QString::fromLatin1(kOptions[index].caption),
                                             Twips(240, 1560 + 360 * index, 2055, 255));
        Option1[index]->setObjectName(QStringLiteral("Option1_") + QString::number(index));
        mOptionGroup->addButton(Option1[index], index);
    }

    const QWidget* const tabOrder[] = {txtLogDir, btnBrowse, Command1, txtPID, List1, Text1,
                                       Option1[0], Option1[1], Option1[2], Option1[3]};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(const_cast<QWidget*>(tabOrder[i - 1]), const_cast<QWidget*>(tabOrder[i]));
    }
    setFont(ReadableFont(*this));

    // No default button: Enter and Escape press nothing.
    Command1->setAutoDefault(false);
    btnBrowse->setAutoDefault(false);

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(btnBrowse, &QPushButton::clicked, this, &Form1::btnBrowse_Click);
    connect(List1, &QListWidget::currentRowChanged, this, &Form1::List1_Click);
    // Mouse or keyboard: whichever option becomes selected sets the tag.
    connect(mOptionGroup, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked) Option1_Click(index);
    });
}

QString Form1::DefaultLogDir() {
#ifdef _WIN32
    return qEnvironmentVariable("USERPROFILE") + QStringLiteral("\\My Documents\\Halvern\\ZENTHARA\\LOG\\");
#else
    return QDir::homePath() + QStringLiteral("/My Documents/Halvern/ZENTHARA/LOG/");
#endif
}

void Form1::Form_Load() {
    txtLogDir->setText(DefaultLogDir());
    mItems = std::make_unique<vantor::clsHash>();
    mActionTag = "[Pickup]";
    // Shown selected from the start; Form_Load has set its tag itself.
    const QSignalBlocker quiet(mOptionGroup);
    Option1[0]->setChecked(true);
}

void Form1::Form_Unload() { mItems.reset(); }

void Form1::closeEvent(QCloseEvent* event) {
    if (mScanning) {
        // The scan still uses the store: stop it after the current file, then close.
        mCloseRequested = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void Form1::Option1_Click(int Index) {
    if (Index >= 0 && Index < static_cast<int>(kOptions.size())) mActionTag = kOptions[Index].tag;
}

void Form1::Command1_Click() {
    if (!mItems) return;
    List1->clear();
    mItems->Clear();
    mScanning = true;
    Command1->setEnabled(false);
    try {
        vantor::ProcessLogFolder(txtLogDir->text().toStdString(), *this, *mItems);
    } catch (const vantor::RunError& error) {
        vantor::ShowErrorMessage(this, QString::fromLatin1(kCaption), vantor::DescribeRunError(error));
    }
    Command1->setEnabled(true);
    mScanning = false;
    if (mCloseRequested) close();
}

void Form1::List1_Click() {
    const QListWidgetItem* item = List1->currentItem();
    if (List1->currentRow() == -1 || item == nullptr || !mItems) return;
    const QByteArray name = item->data(kItemBytesRole).toByteArray();
    const std::int32_t total =
        mItems->GetValue(std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
    Text1->setText(QString::number(total));
}

void Form1::btnBrowse_Click() {
    QString chosen = CommDlgs::ShowFileDialog(
        this, 1, QStringLiteral("Open Vantor log file"), QStringLiteral("*.txt"), QStringLiteral("Vantor Log Files") + QChar(u'\0') + QStringLiteral("*.txt"),
        txtLogDir->text(), QString());
    if (chosen.isEmpty()) return;
    chosen = QDir::toNativeSeparators(chosen);
    QString separator(QDir::separator());
#ifdef _WIN32
    // Windows file names ignore case; the folder is shown in capitals.
    const bool caseSensitive = false;
#else
    // Here file names distinguish case: an upper-cased folder would not exist.
    const bool caseSensitive = true;
#endif
    const int position = CommDlgs::FindLast(chosen, separator, caseSensitive, false);
    txtLogDir->setText(chosen.left(position));
}

std::string Form1::PlayerId() {
    // A tab never occurs inside a field, so an ID the logs' code page cannot
    // write becomes one that matches no record.
    return vantor::Utf8ToWindows1252(txtPID->text().toStdString()).value_or("\t");
}

std::string Form1::ActionTag() { return mActionTag; }

void Form1::SetStatus(std::string_view caption) {
    Label3->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

void Form1::AppendItem(std::string_view item) {
    auto* entry = new QListWidgetItem(FromWindows1252(item));
    entry->setData(kItemBytesRole,
                   QByteArray(item.data(), static_cast<qsizetype>(item.size())));
    List1->addItem(entry);
}

bool Form1::PassEvents() {
    QApplication::processEvents();
    return !mCloseRequested;
}
