#include "plotdialogs.h"

#include "plotform.h"

#include "entry/dataedit.h"
#include "util/messages.h"
#include "util/numtext.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

// --- Graph Caption ---------------------------------------------------------------------------

TfrmGraphCaption::TfrmGraphCaption(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Graph Caption"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Enter Graph Caption"), this);
    Edit = new QLineEdit(this);
    label->setBuddy(Edit);
    layout->addWidget(label);
    layout->addWidget(Edit);
    auto* group = new QGroupBox(QStringLiteral("Caption Location"), this);
    auto* gl = new QHBoxLayout(group);
    TopButton = new QRadioButton(QStringLiteral("Top"), group);
    BottomButton = new QRadioButton(QStringLiteral("Bottom"), group);
    BottomButton->setChecked(true);
    gl->addWidget(TopButton);
    gl->addWidget(BottomButton);
    layout->addWidget(group);
    OkButton = new QPushButton(QStringLiteral("&OK"), this);
    OkButton->setDefault(true);
    auto* bl = new QHBoxLayout;
    bl->addStretch();
    bl->addWidget(OkButton);
    bl->addStretch();
    layout->addLayout(bl);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumWidth(260);
}

// --- Legend ----------------------------------------------------------------------------------

TfrmLineNames::TfrmLineNames(QStringList& names, QWidget* parent) : QDialog(parent), m_names(names)
{
    setWindowTitle(QStringLiteral("Legend"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 5, 10, 5);
    layout->setSpacing(5);
    auto* top = new QLabel(QStringLiteral("Select line to modify:"), this);
    List = new QListWidget(this);
    List->addItems(names);
    auto* below = new QLabel(QStringLiteral("Type new legend below:"), this);
    Edit = new QLineEdit(this);
    OkButton = new QPushButton(QStringLiteral("&OK"), this);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    OkButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);
    layout->addWidget(top);
    layout->addWidget(List, 1);
    layout->addWidget(below);
    layout->addWidget(Edit);
    auto* bl = new QHBoxLayout;
    bl->setContentsMargins(10, 0, 10, 0);
    bl->addWidget(OkButton);
    bl->addStretch();
    bl->addWidget(CancelButton);
    layout->addLayout(bl);
    setMinimumSize(195, 167);
    resize(240, 260);

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(List, &QListWidget::itemClicked, this, [this] { ShowSelected(); });
    connect(List, &QListWidget::itemDoubleClicked, this, [this] { ShowSelected(); });
    connect(List, &QListWidget::currentRowChanged, this, [this] { ShowSelected(); });
    connect(Edit, &QLineEdit::returnPressed, this, [this] { CommitEdit(); });
    Edit->installEventFilter(this);
    if (List->count() > 0) List->setCurrentRow(0);
    ShowSelected();
}

void TfrmLineNames::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.left() + (s.width() - width()) / 2, s.top() + (s.height() - height()) / 2);
    }
    if (List->count() > 0 && List->currentRow() < 0) List->setCurrentRow(0);
    ShowSelected();
}

void TfrmLineNames::ShowSelected()
{
    const int row = List->currentRow();
    if (row < 0) return;
    Edit->setText(List->item(row)->text());
    QPalette pal = Edit->palette();
    pal.setColor(QPalette::Text, PlotForm::PlotColour(row));
    Edit->setPalette(pal);
}

bool TfrmLineNames::CommitEdit()
{
    const int row = List->currentRow();
    if (row < 0 || m_committing) return true;
    if (!Edit->text().isEmpty()) {
        List->item(row)->setText(Edit->text());
        return true;
    }
    m_committing = true;
    Messages::Information(this, QStringLiteral("The line must have a name!"));
    Edit->setText(List->item(row)->text());
    m_committing = false;
    return false;
}

bool TfrmLineNames::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit && event->type() == QEvent::FocusOut) CommitEdit();
    return QDialog::eventFilter(watched, event);
}

void TfrmLineNames::done(int result)
{
    // A typed name counts also when the dialog is closed straight from the edit.
    if (result == QDialog::Accepted) CommitEdit();
    for (int r = 0; r < List->count() && r < m_names.size(); ++r) m_names[r] = List->item(r)->text();
    QDialog::done(result);
}

// --- Active Curves ---------------------------------------------------------------------------

const QString TfrmActiveLines::Yes = QStringLiteral(" yes : ");
const QString TfrmActiveLines::No = QStringLiteral(" no  : ");

TfrmActiveLines::TfrmActiveLines(const QStringList& names, QStringList& states, QWidget* parent)
    : QDialog(parent), m_names(names), m_states(states), m_work(states)
{
    setWindowTitle(QStringLiteral("Active Curves"));
    while (m_work.size() < m_names.size()) m_work.append(Yes);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(new QLabel(QStringLiteral("Select Curve to Active/Desactive"), this));
    auto* heads = new QHBoxLayout;
    heads->addWidget(new QLabel(QStringLiteral("Active :"), this));
    heads->addWidget(new QLabel(QStringLiteral("Curve"), this), 1);
    layout->addLayout(heads);
    List = new QListWidget(this);
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (int r = 0; r < m_names.size(); ++r) List->addItem(QString());
    for (int r = 0; r < m_names.size(); ++r) RewriteRow(r);
    layout->addWidget(List, 1);
    ToggleButton = new QPushButton(QStringLiteral("Activate/Desactivate Selected"), this);
    AllButton = new QPushButton(QStringLiteral("Activate All"), this);
    NoneButton = new QPushButton(QStringLiteral("Desactivate All"), this);
    OkButton = new QPushButton(QStringLiteral("&OK"), this);
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    for (QPushButton* b : {ToggleButton, AllButton, NoneButton, OkButton, CancelButton})
        b->setAutoDefault(false);
    auto* t = new QHBoxLayout;
    t->setContentsMargins(5, 0, 0, 0);
    t->addWidget(ToggleButton);
    t->addStretch();
    layout->addLayout(t);
    auto* a = new QHBoxLayout;
    a->addWidget(AllButton);
    a->addStretch();
    a->addWidget(NoneButton);
    layout->addLayout(a);
    auto* o = new QHBoxLayout;
    o->setContentsMargins(10, 0, 10, 0);
    o->addWidget(OkButton);
    o->addStretch();
    o->addWidget(CancelButton);
    layout->addLayout(o);
    setMinimumSize(190, 234);
    resize(300, 320);
    if (List->count() > 0) List->setCurrentRow(0);

    connect(List, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { ToggleRow(List->row(item)); });
    connect(ToggleButton, &QPushButton::clicked, this, [this] { ToggleSelected(); });
    connect(AllButton, &QPushButton::clicked, this, [this] { SetAll(true); });
    connect(NoneButton, &QPushButton::clicked, this, [this] { SetAll(false); });
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmActiveLines::RewriteRow(int row)
{
    if (row < 0 || row >= List->count()) return;
    List->item(row)->setText(m_work.value(row) + QStringLiteral("   ") + m_names.value(row));
}

void TfrmActiveLines::ToggleRow(int row)
{
    if (row < 0 || row >= m_work.size()) return;
    m_work[row] = m_work[row] == Yes ? No : Yes;
    RewriteRow(row);
}

void TfrmActiveLines::ToggleSelected()
{
    const QList<QListWidgetItem*> selected = List->selectedItems();
    if (selected.size() == 1) {
        ToggleRow(List->currentRow());
        return;
    }
    for (QListWidgetItem* item : selected) ToggleRow(List->row(item));
}

void TfrmActiveLines::SetAll(bool listed)
{
    for (int r = 0; r < m_work.size(); ++r) {
        m_work[r] = listed ? Yes : No;
        RewriteRow(r);
    }
}

void TfrmActiveLines::done(int result)
{
    if (result == QDialog::Accepted) m_states = m_work;
    QDialog::done(result);
}

// --- Save Attributes -------------------------------------------------------------------------

TdlgFormat::TdlgFormat(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Save Attributes"));
    auto* grid = new QGridLayout(this);
    auto field = [this, grid](int row, const QString& caption) {
        auto* label = new QLabel(this);
        auto* edit = new TDataEdit(this);
        edit->SetEditLabel(label);
        edit->SetCaption(caption);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    HeightEdit = field(0, QStringLiteral("&Height (in)"));
    HeightEdit->SetMinVal(2);
    HeightEdit->SetNumber(4);
    WidthEdit = field(1, QStringLiteral("&Width (in)"));
    WidthEdit->SetMinVal(2);
    WidthEdit->SetNumber(6);
    PpiEdit = field(2, QStringLiteral("&Pixels Per Inch"));
    PpiEdit->SetIntegerOnly(true);
    PpiEdit->SetMinVal(10);
    PpiEdit->SetMaxVal(2147483647.0L);
    PpiEdit->SetNumber(72);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    OkButton->setDefault(true);
    auto* bl = new QHBoxLayout;
    bl->addStretch();
    bl->addWidget(OkButton);
    bl->addWidget(CancelButton);
    grid->addLayout(bl, 3, 0, 1, 2);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    for (TDataEdit* edit : {HeightEdit, WidthEdit, PpiEdit}) edit->installEventFilter(this);
}

bool TdlgFormat::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && OkButton->isEnabled()) {
            OkButton->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TdlgFormat::OkClick()
{
    // The dialog stays open while a field holds an entry it refuses.
    for (TDataEdit* edit : {HeightEdit, WidthEdit, PpiEdit})
        if (!DataEdit::IsValidEntry(edit)) return;
    long double ppi, height, width;
    try {
        ppi = PpiEdit->Number();
        height = HeightEdit->Number();
        width = WidthEdit->Number();
    } catch (const Exception& e) {
        Messages::Information(this, e.message());
        return;
    }
    const long double h = NumText::RoundHalfEven(ppi * height);
    const long double w = NumText::RoundHalfEven(ppi * width);
    // A bitmap beyond what an image can hold, or of more than 1 GiB of pixels, counts as memory
    // that cannot be had (memory is promised lazily here, so a huge image would fail only
    // while it is drawn).
    constexpr long double kMaxSide = 2147483647.0L;
    constexpr long double kMaxBytes = 1024.0L * 1024.0L * 1024.0L;
    if (!(h >= 1 && w >= 1 && h <= kMaxSide && w <= kMaxSide) || h * w * 4 > kMaxBytes) {
        done(Abort);
        return;
    }
    BitmapHeight = int(h);
    BitmapWidth = int(w);
    Bitmap = QImage(BitmapWidth, BitmapHeight, QImage::Format_RGB32);
    if (Bitmap.isNull()) {
        done(Abort);
        return;
    }
    accept();
}
