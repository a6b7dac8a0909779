#include "qt/qt_view.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolTip>

using vantor::Control;
using vantor::ControlKind;
using vantor::ControlEntry;

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) { return text.toStdString(); }

// Twips at 96 dpi; Qt scales pixels for the screen.
QRect Geometry(const ControlEntry& entry) {
    constexpr int kDpi = 96;
    return QRect(vantor::TwipsToPixels(entry.left, kDpi), vantor::TwipsToPixels(entry.top, kDpi),
                 vantor::TwipsToPixels(entry.width, kDpi), vantor::TwipsToPixels(entry.height, kDpi));
}

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
        overflow = std::max(overflow, metrics.horizontalAdvance(FromUtf8(entry.caption)) - room);
    }
    return overflow;
}

// The controls keep their sizes, which suit a small 8-point font. Keep the
// platform's font where the captions fit in it, else the first smaller or
// narrower one in which they do (the closest, should none fit).
QFont ReadableFont(const QWidget& form) {
    QList<QFont> candidates{form.font()};
    QFont smaller = form.font();
    smaller.setPointSize(8);
    candidates << smaller;
    for (const char* family : {"Segoe UI", "Tahoma", "DejaVu Sans Condensed", "Liberation Sans Narrow",
                               "Nimbus Sans Narrow", "Arial Narrow"}) {
        for (const double points : {9.0, 8.0, 7.5}) {
            QFont font(QString::fromLatin1(family));
            font.setPointSizeF(points);
            candidates << font;
        }
    }
    QFont best = smaller;
    int bestOverflow = Overflow(form, smaller);
    for (const QFont& font : candidates) {
        // Only a font that is there: a stand-in's measures need not match what is drawn.
        if (!QFontInfo(font).family().startsWith(font.family())) continue;
        const int overflow = Overflow(form, font);
        if (overflow <= 0) return font;
        if (overflow < bestOverflow) {
            best = font;
            bestOverflow = overflow;
        }
    }
    return best;
}

// "description\0pattern" pairs to Qt's "description (pattern);;...".
QString QtFilter(const std::string& filter) {
    const QStringList parts = FromUtf8(filter).split(QChar(u'\0'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace

QtView::QtView(const vantor::StartArguments& arguments, QWidget* parent) : QWidget(parent) {
    CreateControls();
    mForm.Form_Load(arguments);
}

QtView::~QtView() = default;

void QtView::CreateControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(FromUtf8(vantor::kFormCaption));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/vantor-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/vantor-32.png"), QSize(32, 32));
    setWindowIcon(icon);
    resize(vantor::TwipsToPixels(vantor::kFormWidth, 96), vantor::TwipsToPixels(vantor::kFormHeight, 96));

    mOptions = new QButtonGroup(this);
    QWidget* previous = nullptr;
    for (const ControlEntry& entry : vantor::kControls) {  // in tab order
        const QString caption = FromUtf8(entry.caption);
        QWidget* widget = nullptr;
        switch (entry.kind) {
            case ControlKind::Label: widget = new QLabel(caption, this); break;
            case ControlKind::TextBox: widget = new QLineEdit(caption, this); break;
            case ControlKind::Button: {
                auto* button = new QPushButton(caption, this);
                button->setAutoDefault(false);  // no default button: Enter presses nothing
                widget = button;
                break;
            }
            case ControlKind::List: {
                auto* list = new QListWidget(this);
                list->setSelectionMode(QAbstractItemView::SingleSelection);
                list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long names are cut, as in a list box
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
        widget->setObjectName(FromUtf8(entry.name) +
                              (entry.index >= 0 ? QStringLiteral("_") + QString::number(entry.index) : QString()));
        widget->setGeometry(Geometry(entry));
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
    // Ctrl+C while the list has the focus, and the first entry of its menu.
    auto* copy = new QAction(QStringLiteral("Copy"), List());
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    List()->addAction(copy);
    connect(copy, &QAction::triggered, this, [this] { mForm.List1_Copy(); });
    List()->viewport()->installEventFilter(this);
    auto* about = new QAction(FromUtf8(vantor::kAboutTitle) + QStringLiteral("..."), List());
    List()->setContextMenuPolicy(Qt::ActionsContextMenu);
    List()->addAction(about);
    connect(about, &QAction::triggered, this,
            [this] { QMessageBox::about(this, FromUtf8(vantor::kAboutTitle), FromUtf8(vantor::AboutText())); });
    // Mouse or keyboard: whichever option becomes selected sets the tag.
    connect(mOptions, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
        if (checked) mForm.Option1_Click(index);
    });
}

QWidget* QtView::ControlWidget(Control control) const { return mControls[static_cast<std::size_t>(control)]; }

QListWidget* QtView::List() const { return static_cast<QListWidget*>(ControlWidget(Control::List1)); }

std::string QtView::Text(Control control) {
    QWidget* widget = ControlWidget(control);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return ToUtf8(box->text());
    if (auto* label = qobject_cast<QLabel*>(widget)) return ToUtf8(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return ToUtf8(button->text());
    return {};
}

void QtView::SetText(Control control, std::string_view text) {
    QWidget* widget = ControlWidget(control);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) box->setText(FromUtf8(text));
    if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(FromUtf8(text));
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(FromUtf8(text));
}

void QtView::SetEnabled(Control control, bool enabled) { ControlWidget(control)->setEnabled(enabled); }

void QtView::SetFocus(Control control) { ControlWidget(control)->setFocus(); }

void QtView::SetChecked(Control option) {
    const QSignalBlocker quiet(mOptions);
    static_cast<QRadioButton*>(ControlWidget(option))->setChecked(true);
}

void QtView::ClearList() { List()->clear(); }

void QtView::AddListItem(std::string_view text) { List()->addItem(FromUtf8(text)); }

int QtView::ListIndex() { return List()->currentRow(); }

void QtView::SetClipboardText(std::string_view text) { QGuiApplication::clipboard()->setText(FromUtf8(text)); }

void QtView::ShowMessage(std::string_view title, std::string_view text) {
    QMessageBox::critical(this, FromUtf8(title), FromUtf8(text));
}

std::string QtView::ShowFileDialog(const vantor::FileDialogRequest& request) {
    QFileDialog dialog(this, FromUtf8(request.title), FromUtf8(request.initialDir), QtFilter(request.filter));
    if (request.open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    dialog.setDefaultSuffix(FromUtf8(request.defaultExt));
    dialog.selectFile(FromUtf8(request.initialFileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return ToUtf8(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

std::string QtView::UpperCase(std::string_view text) { return ToUtf8(FromUtf8(text).toUpper()); }

void QtView::PassEvents() { QApplication::processEvents(); }

void QtView::CloseWindow() { close(); }

bool QtView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != List()->viewport() || event->type() != QEvent::ToolTip) return QWidget::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = FromUtf8(mForm.ItemTip(List()->indexAt(help->pos()).row()));
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
    event->accept();
}
