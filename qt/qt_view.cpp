#include "qt/qt_view.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStringListModel>
#include <QStyle>
#include <QToolTip>

#include "qt/all_actions_window.h"
#include "qt/by_log_window.h"
#include "qt/qt_text.h"
#include "ui/font_fit.h"

using vantor::Command;
using vantor::Control;
using vantor::ControlEntry;
using vantor::ControlKind;
using vantor::FromQString;
using vantor::ToQString;

namespace {

// The status line keeps its place and size whatever it says: a text too
// long for it ends in "...", and its tip shows the whole of it.
class StatusLine : public QLabel {
public:
    using QLabel::QLabel;

    const QString& Whole() const { return mWhole; }
    void SetWhole(const QString& text) {
        mWhole = text;
        setToolTip(text);
        Elide();
    }

protected:
    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange) Elide();
    }

private:
    void Elide() { setText(fontMetrics().elidedText(mWhole, Qt::ElideRight, contentsRect().width())); }

    QString mWhole;
};

// Pixels at 96 dpi; Qt scales them for the screen.
constexpr int kDpi = 96;
const QSize kFormSize(vantor::TwipsToPixels(vantor::kFormWidth, kDpi), vantor::TwipsToPixels(vantor::kFormHeight, kDpi));

QRect Geometry(const ControlEntry& entry, QSize client = kFormSize) {
    const vantor::PixelRect place = vantor::PlaceControl(entry, client.width(), client.height(), kDpi);
    return QRect(place.left, place.top, place.width, place.height);
}

// Places the table's controls by their anchors in whatever size the window
// has, the table's size being its least.
class TableLayout : public QLayout {
public:
    using QLayout::QLayout;
    ~TableLayout() override {
        while (QLayoutItem* item = takeAt(0)) delete item;
    }

    // Items in table order, one per control.
    void addItem(QLayoutItem* item) override { mItems.push_back(item); }
    int count() const override { return static_cast<int>(mItems.size()); }
    QLayoutItem* itemAt(int index) const override {
        return index >= 0 && index < count() ? mItems[static_cast<std::size_t>(index)] : nullptr;
    }
    QLayoutItem* takeAt(int index) override {
        if (index < 0 || index >= count()) return nullptr;
        QLayoutItem* item = mItems[static_cast<std::size_t>(index)];
        mItems.erase(mItems.begin() + index);
        return item;
    }
    QSize sizeHint() const override { return kFormSize; }
    QSize minimumSize() const override { return kFormSize; }
    void setGeometry(const QRect& area) override {
        QLayout::setGeometry(area);
        for (std::size_t i = 0; i < mItems.size() && i < vantor::kControls.size(); ++i) {
            // The widget's own, not the item's: that would bend the table's sizes to the widgets' hints.
            if (QWidget* widget = mItems[i]->widget()) {
                widget->setGeometry(Geometry(vantor::kControls[i], area.size()).translated(area.topLeft()));
            }
        }
    }

private:
    std::vector<QLayoutItem*> mItems;
};

// How many pixels the widest fixed caption overflows its control in `font`
// (zero or less: they all fit), the text's height counted against a label's.
int Overflow(const QWidget& form, const QFont& font) {
    const QFontMetrics metrics(font);
    const QStyle* style = form.style();
    const int indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                          style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    int overflow = metrics.height() - Geometry(vantor::EntryOf(Control::Label1)).height();
    for (const ControlEntry& entry : vantor::kControls) {
        if (entry.kind != ControlKind::Label && entry.kind != ControlKind::Option) continue;
        const int room = Geometry(entry).width() - (entry.kind == ControlKind::Option ? indicator : 0);
        overflow = std::max(overflow, metrics.horizontalAdvance(ToQString(entry.caption)) - room);
    }
    return overflow;
}

QFont ToQFont(const QWidget& form, const vantor::FontChoice& choice) {
    QFont font = choice.face.empty() ? form.font() : QFont(ToQString(choice.face));
    font.setPointSizeF(choice.points);
    return font;
}

// The platform's font if the captions fit in it, else a smaller or narrower
// one that is installed.
QFont ReadableFont(const QWidget& form) {
    const double own = form.font().pointSizeF();
    std::vector<vantor::FontChoice> candidates{{"", own > 0 ? own : 9.0}, {"", 8.0}};
    for (const char* family : {"Segoe UI", "Tahoma", "DejaVu Sans Condensed", "Liberation Sans Narrow",
                               "Nimbus Sans Narrow", "Arial Narrow"}) {
        for (const double points : {9.0, 8.0, 7.5}) {
            const vantor::FontChoice choice{family, points};
            // Only a font that is there: a stand-in's measures need not match what is drawn.
            if (QFontInfo(ToQFont(form, choice)).family().startsWith(ToQString(choice.face))) candidates.push_back(choice);
        }
    }
    return ToQFont(form, vantor::FitFont(candidates, [&form](const vantor::FontChoice& choice) {
                       return Overflow(form, ToQFont(form, choice));
                   }));
}

// "description\0pattern" pairs to Qt's "description (pattern);;...".
QString QtFilter(const std::string& filter) {
    const QStringList parts = ToQString(filter).split(QChar(u'\0'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QStringList ToQStrings(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) list << ToQString(text);
    return list;
}

// The window's size, place and whether it was maximised, as Qt keeps them.
const QString kGeometrySetting = QStringLiteral("geometry");

}  // namespace

QtView::QtView(const vantor::StartArguments& arguments, QWidget* parent) : QWidget(parent) {
    CreateControls();
    CreateMenu();
    CreatePlayerCompleter();
    mForm.Form_Load(arguments);
    restoreGeometry(QSettings().value(kGeometrySetting).toByteArray());  // where it was last closed, if anywhere
}

// The By log and All Actions windows go before Form1, whose forms they show.
QtView::~QtView() {
    delete mByLog;
    delete mAllActions;
}

void QtView::CreateControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ToQString(vantor::kFormCaption));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {  // the window manager picks one for each place
        icon.addFile(QStringLiteral(":/icons/vantor-%1.png").arg(size), QSize(size, size));
    }
    setWindowIcon(icon);
    auto* layout = new TableLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetMinimumSize);  // the table's size is the least
    resize(kFormSize);

    mOptions = new QButtonGroup(this);
    QWidget* previous = nullptr;
    for (const ControlEntry& entry : vantor::kControls) {  // in tab order
        const QString caption = ToQString(entry.caption);
        QWidget* widget = nullptr;
        switch (entry.kind) {
            case ControlKind::Label:
                widget = entry.id == Control::Label3 ? new StatusLine(this) : new QLabel(caption, this);
                break;
            case ControlKind::TextBox: {
                auto* box = new QLineEdit(caption, this);
                box->setReadOnly(entry.id == Control::Text1);  // the total is an answer: copied, not typed
                widget = box;
                break;
            }
            case ControlKind::Button: {
                auto* button = new QPushButton(caption, this);
                button->setAutoDefault(false);  // no default button: Enter presses nothing
                widget = button;
                break;
            }
            case ControlKind::List: {
                auto* list = new QListWidget(this);
                list->setSelectionMode(QAbstractItemView::SingleSelection);
                // A name wider than the list scrolls into view, and shows whole in its tip.
                list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
                widget = list;
                break;
            }
            case ControlKind::Option: {
                auto* option = new QRadioButton(caption, this);
                mOptions->addButton(option, entry.index);
                widget = option;
                break;
            }
        }
        widget->setObjectName(ToQString(entry.name) +
                              (entry.index >= 0 ? QStringLiteral("_") + QString::number(entry.index) : QString()));
        widget->setGeometry(Geometry(entry));
        layout->addWidget(widget);
        if (entry.kind != ControlKind::Label) {
            if (previous != nullptr) setTabOrder(previous, widget);
            previous = widget;
        }
        mControls[static_cast<std::size_t>(entry.id)] = widget;
    }
    setFont(ReadableFont(*this));

    connect(static_cast<QPushButton*>(ControlWidget(Control::Command1)), &QPushButton::clicked, this,
            [this] { mForm.Command1_Click(); });
    connect(static_cast<QPushButton*>(ControlWidget(Control::btnBrowse)), &QPushButton::clicked, this,
            [this] { mForm.btnBrowse_Click(); });
    connect(List(), &QListWidget::currentRowChanged, this, [this] { mForm.List1_Click(); });
    List()->viewport()->installEventFilter(this);
    // Mouse or keyboard: whichever option becomes selected sets the tag.
    connect(mOptions, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked) mForm.Option1_Click(index);
    });
}

void QtView::CreateMenu() {
    mMenu = new QMenu(this);
    QMenu* submenu = nullptr;  // the one being filled, a choice of one
    QActionGroup* choice = nullptr;
    std::string_view submenuCaption;
    for (std::size_t i = 0; i < vantor::kCommands.size(); ++i) {
        const vantor::CommandEntry& entry = vantor::kCommands[i];
        QMenu* menu = mMenu;
        if (!entry.submenu.empty()) {
            if (entry.submenu != submenuCaption) {
                if (entry.separatorBefore) mMenu->addSeparator();
                submenu = mMenu->addMenu(ToQString(entry.submenu));
                submenuCaption = entry.submenu;
                choice = new QActionGroup(submenu);
                choice->setExclusive(true);
            } else if (entry.separatorBefore) {
                submenu->addSeparator();
            }
            menu = submenu;
        } else if (entry.separatorBefore) {
            mMenu->addSeparator();
        }
        QAction* action = menu->addAction(ToQString(entry.caption));
        action->setCheckable(entry.checkable);
        if (!entry.submenu.empty()) choice->addAction(action);
        if (entry.ctrlKey != 0) {
            action->setShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(entry.ctrlKey))));
            // Copy is the list's own (the text boxes copy their text); the
            // others work wherever the focus is.
            const bool copy = entry.id == Command::Copy;
            action->setShortcutContext(copy ? Qt::WidgetShortcut : Qt::WindowShortcut);
            (copy ? static_cast<QWidget*>(List()) : this)->addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, id = entry.id] { mForm.Menu_Click(id); });
        mCommands[i] = action;
    }
    // Greyed and checked as Form1 says while the menu shows; enabled again
    // after, so that a shortcut always reaches Form1.
    const auto showState = [this] {
        for (std::size_t i = 0; i < vantor::kCommands.size(); ++i) {
            mCommands[i]->setEnabled(mForm.MenuEnabled(vantor::kCommands[i].id));
            mCommands[i]->setChecked(mForm.MenuChecked(vantor::kCommands[i].id));
        }
    };
    connect(mMenu, &QMenu::aboutToShow, this, showState);
    if (submenu != nullptr) connect(submenu, &QMenu::aboutToShow, this, showState);
    connect(mMenu, &QMenu::aboutToHide, this, [this] {
        for (QAction* action : mCommands) action->setEnabled(true);
    });
    List()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { mMenu->popup(List()->viewport()->mapToGlobal(at)); });
}

// Form1 chooses the IDs and their order: the completer shows them as they
// come (unfiltered, unsorted) and says which was picked; the box is left to
// Form1 to fill, as it is not the completer's own.
void QtView::CreatePlayerCompleter() {
    auto* box = static_cast<QLineEdit*>(ControlWidget(Control::txtPID));
    mPlayers = new QCompleter(this);
    mPlayersOffered = new QStringListModel(mPlayers);
    mPlayers->setModel(mPlayersOffered);
    mPlayers->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    mPlayers->setModelSorting(QCompleter::UnsortedModel);
    mPlayers->setMaxVisibleItems(10);
    mPlayers->setWidget(box);
    mPlayers->popup()->setFont(font());  // a window of its own: the window's font is not passed on to it
    connect(box, &QLineEdit::textEdited, this, [this] { mForm.txtPID_Change(); });
    connect(mPlayers, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { mForm.txtPID_Choose(index.row()); });
}

QWidget* QtView::ControlWidget(Control control) const { return mControls[static_cast<std::size_t>(control)]; }

QAction* QtView::CommandAction(Command command) const {
    const auto entry = std::find_if(vantor::kCommands.begin(), vantor::kCommands.end(),
                                    [command](const vantor::CommandEntry& e) { return e.id == command; });
    return mCommands[static_cast<std::size_t>(entry - vantor::kCommands.begin())];
}

QListWidget* QtView::List() const { return static_cast<QListWidget*>(ControlWidget(Control::List1)); }

QWidget* QtView::DialogParent() {
    if (mByLog != nullptr && mByLog->isActiveWindow()) return mByLog;
    if (mAllActions != nullptr && mAllActions->isActiveWindow()) return mAllActions;
    return this;
}

std::string QtView::Text(Control control) {
    QWidget* widget = ControlWidget(control);
    if (auto* status = dynamic_cast<StatusLine*>(widget)) return FromQString(status->Whole());
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return FromQString(box->text());
    if (auto* label = qobject_cast<QLabel*>(widget)) return FromQString(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return FromQString(button->text());
    return {};
}

void QtView::SetText(Control control, std::string_view text) {
    QWidget* widget = ControlWidget(control);
    if (auto* status = dynamic_cast<StatusLine*>(widget)) {
        status->SetWhole(ToQString(text));
    } else if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        box->setText(ToQString(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(ToQString(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ToQString(text));
    }
}

void QtView::SetEnabled(Control control, bool enabled) { ControlWidget(control)->setEnabled(enabled); }

void QtView::SetFocus(Control control) { ControlWidget(control)->setFocus(); }

void QtView::SetChecked(Control option) {
    const QSignalBlocker quiet(mOptions);
    static_cast<QRadioButton*>(ControlWidget(option))->setChecked(true);
}

void QtView::SetListItems(const std::vector<std::string>& items) {
    List()->clear();
    List()->addItems(ToQStrings(items));
}

void QtView::AppendListItems(const std::vector<std::string>& items) { List()->addItems(ToQStrings(items)); }

void QtView::ReplaceListItems(const std::vector<std::pair<int, std::string>>& items) {
    for (const auto& [index, text] : items) {
        if (QListWidgetItem* item = List()->item(index)) item->setText(ToQString(text));
    }
}

int QtView::ListIndex() { return List()->currentRow(); }

void QtView::SetListIndex(int index) {
    const QSignalBlocker quiet(List());  // not a click
    List()->setCurrentRow(index);
}

void QtView::ShowSuggestions(const std::vector<std::string>& players) {
    mPlayersOffered->setStringList(ToQStrings(players));
    if (players.empty() || !ControlWidget(Control::txtPID)->hasFocus()) {  // the player went on elsewhere
        mPlayers->popup()->hide();
    } else {
        mPlayers->complete();
    }
}

void QtView::SetClipboardText(std::string_view text) { QGuiApplication::clipboard()->setText(ToQString(text)); }

void QtView::ShowMessage(std::string_view title, std::string_view text, vantor::MessageKind kind) {
    const QMessageBox::Icon icon = kind == vantor::MessageKind::Error     ? QMessageBox::Critical
                                   : kind == vantor::MessageKind::Warning ? QMessageBox::Warning
                                                                          : QMessageBox::Information;
    QMessageBox box(icon, ToQString(title), ToQString(text), QMessageBox::Ok, DialogParent());
    box.setTextFormat(Qt::PlainText);  // item names are the logs' text, never markup
    // Part of it can be selected and copied; Ctrl+C copies all of it, as
    // Qt's box does only on Windows.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* copy = new QAction(&box);
    copy->setShortcut(QKeySequence::Copy);
    box.addAction(copy);
    connect(copy, &QAction::triggered, &box, [&box] { QGuiApplication::clipboard()->setText(box.text()); });
    box.exec();
}

std::string QtView::ShowFileDialog(const vantor::FileDialogRequest& request) {
    QFileDialog dialog(DialogParent(), ToQString(request.title), ToQString(request.initialDir), QtFilter(request.filter));
    if (request.open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    dialog.setDefaultSuffix(ToQString(request.defaultExt));
    dialog.selectFile(ToQString(request.initialFileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return FromQString(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

std::string QtView::DocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return FromQString(QDir::toNativeSeparators(QDir(documents).exists() ? documents : QDir::homePath()));
}

std::string QtView::UpperCase(std::string_view text) { return FromQString(ToQString(text).toUpper()); }

// Queued to this widget: it runs when the window handles its events, and
// is dropped with the widget.
void QtView::Post(std::function<void()> work) { QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection); }

void QtView::CloseWindow() { close(); }

void QtView::ShowByLog(vantor::ByLogForm& form) {
    if (mByLog == nullptr) mByLog = new ByLogWindow(form, this);
    mByLog->Open();
}

void QtView::ShowAllActions(vantor::AllActionsForm& form) {
    if (mAllActions == nullptr) mAllActions = new AllActionsWindow(form, this);
    mAllActions->Open();
}

// QSettings in the platform's place for the organisation and application
// that main() names.
std::optional<std::string> QtView::LoadSetting(std::string_view name) {
    const QVariant value = QSettings().value(ToQString(name));
    if (!value.isValid()) return std::nullopt;
    return FromQString(value.toString());
}

void QtView::SaveSetting(std::string_view name, std::string_view value) {
    QSettings().setValue(ToQString(name), ToQString(value));
}

bool QtView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != List()->viewport() || event->type() != QEvent::ToolTip) return QWidget::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = ToQString(mForm.ItemTip(List()->indexAt(help->pos()).row()));
    if (tip.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(help->globalPos(), tip, List()->viewport());
    }
    return true;
}

void QtView::closeEvent(QCloseEvent* event) {
    if (!mForm.Form_QueryUnload()) {
        event->ignore();
        return;
    }
    mForm.Form_Unload();
    QSettings().setValue(kGeometrySetting, saveGeometry());
    if (mByLog != nullptr) mByLog->close();
    if (mAllActions != nullptr) mAllActions->close();
    event->accept();
}
