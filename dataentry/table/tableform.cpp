#include "table/tableform.h"

#include "entry/dataedit.h"
#include "entry/misc.h"
#include "table/columntypes.h"
#include "util/guard.h"
#include "util/messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QShortcutEvent>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Sets a flag for the lifetime of the object.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

// Marks the cell editors, also while a closed one waits for its deletion.
const char* const kCellEditorProperty = "cellEditor";

const Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                     Qt::WindowCloseButtonHint;

// The values stored in the cells of a table's float, integer, enumeration and text columns, to
// tell whether a store changed any.
class TCellValues {
public:
    explicit TCellValues(const TGridTable& table)
    {
        for (int c = 0; c < table.ColumnCount(); ++c) {
            const TColumn* column = table.GetColumn(c);
            for (int r = 0; r < column->RowCount(); ++r) {
                if (dynamic_cast<const TFloatColumn*>(column))
                    m_floats.push_back(column->GetAsFloat(r));
                else if (dynamic_cast<const TIntColumn*>(column) || dynamic_cast<const TEnumColumn*>(column))
                    m_integers.push_back(column->GetAsInteger(r));
                else if (dynamic_cast<const TStringColumn*>(column))
                    m_texts.push_back(column->GetText(r));
            }
        }
    }
    bool operator==(const TCellValues& other) const
    {
        return m_floats == other.m_floats && m_integers == other.m_integers && m_texts == other.m_texts;
    }

private:
    // Compared value by value (a QList of long double would compare the padding bytes too).
    std::vector<long double> m_floats;
    std::vector<int32_t> m_integers;
    std::vector<QString> m_texts;
};

// Everything a table holds: its row count and the value of every cell, sub-tables included
// (what undoing a row command puts back).
class TTableContents {
public:
    explicit TTableContents(const TGridTable& table) : m_rows(table.RowCount())
    {
        for (int c = 0; c < table.ColumnCount(); ++c) {
            const TColumn* column = table.GetColumn(c);
            TColumnValues values;
            for (int r = 0; r < column->RowCount(); ++r) {
                if (dynamic_cast<const TFloatColumn*>(column)) {
                    values.floats.push_back(column->GetAsFloat(r));
                } else if (dynamic_cast<const TIntColumn*>(column) || dynamic_cast<const TEnumColumn*>(column)) {
                    values.integers.push_back(column->GetAsInteger(r));
                } else if (dynamic_cast<const TStringColumn*>(column)) {
                    values.texts.push_back(column->GetText(r));
                } else if (dynamic_cast<const TTableColumn*>(column)) {
                    const TGridTable* sub = column->GetAsTable(r);
                    values.tables.push_back(sub ? std::make_shared<TTableContents>(*sub) : nullptr);
                }
            }
            m_columns.push_back(std::move(values));
        }
    }

    int RowCount() const { return m_rows; }

    // Puts the values back into a table of the same columns and row count.
    void RestoreValues(TGridTable& table) const
    {
        for (int c = 0; c < table.ColumnCount() && c < int(m_columns.size()); ++c) {
            TColumn* column = table.GetColumn(c);
            const TColumnValues& values = m_columns[size_t(c)];
            const int rows = column->RowCount();
            for (int r = 0; r < rows; ++r) {
                const size_t i = size_t(r);
                if (i < values.floats.size()) {
                    if (!Same(column->GetAsFloat(r), values.floats[i])) column->SetAsFloat(r, values.floats[i]);
                } else if (i < values.integers.size()) {
                    if (column->GetAsInteger(r) != values.integers[i]) column->SetAsInteger(r, values.integers[i]);
                } else if (i < values.texts.size()) {
                    if (column->GetText(r) != values.texts[i]) column->SetText(r, values.texts[i]);
                } else if (i < values.tables.size() && values.tables[i]) {
                    if (TGridTable* sub = column->GetAsTable(r)) values.tables[i]->RestoreInto(*sub);
                }
            }
        }
    }

    // The rows and the values (a sub-table of a row).
    void RestoreInto(TGridTable& table) const
    {
        if (table.RowCount() != m_rows) table.SetRowCount(m_rows);
        RestoreValues(table);
    }

    bool operator==(const TTableContents& other) const
    {
        if (m_rows != other.m_rows || m_columns.size() != other.m_columns.size()) return false;
        for (size_t c = 0; c < m_columns.size(); ++c) {
            const TColumnValues& a = m_columns[c];
            const TColumnValues& b = other.m_columns[c];
            if (a.floats.size() != b.floats.size() || a.integers != b.integers || a.texts != b.texts ||
                a.tables.size() != b.tables.size())
                return false;
            for (size_t i = 0; i < a.floats.size(); ++i)
                if (!Same(a.floats[i], b.floats[i])) return false;
            for (size_t i = 0; i < a.tables.size(); ++i) {
                if (bool(a.tables[i]) != bool(b.tables[i])) return false;
                if (a.tables[i] && !(*a.tables[i] == *b.tables[i])) return false;
            }
        }
        return true;
    }

private:
    // Value by value (the padding bytes of a long double are no part of it); a NaN equals a NaN.
    static bool Same(long double a, long double b) { return a == b || (a != a && b != b); }

    struct TColumnValues {
        std::vector<long double> floats;
        std::vector<int32_t> integers;
        std::vector<QString> texts;
        std::vector<std::shared_ptr<TTableContents>> tables;
    };
    int m_rows;
    std::vector<TColumnValues> m_columns;
};

}  // namespace

// The last row command of the window: what it was, where, and the table before and after it.
struct TTableForm::TUndo {
    TRowCommand kind = TRowCommand::Add;
    int row = 0;  // the current row of the command
    TTableContents before;
    TTableContents after;
};

// The cell editor: Enter moves on as the window says, Tab and Shift+Tab go to the next and the
// previous cell.
class TCellDelegate : public QStyledItemDelegate {
public:
    explicit TCellDelegate(TStringGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor) editor->setProperty(kCellEditorProperty, true);
        m_grid->m_editor = editor;
        return editor;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                m_grid->m_form->GridEnter();
                return true;
            case Qt::Key_Tab:
                m_grid->m_form->GridTab(true);
                return true;
            case Qt::Key_Backtab:
                m_grid->m_form->GridTab(false);
                return true;
            default:
                break;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TStringGrid* m_grid;
};

// ---------------------------------------------------------------------------------------------
// TStringGrid

TStringGrid::TStringGrid(TTableForm* form) : QTableWidget(form), m_form(form)
{
    setItemDelegate(new TCellDelegate(this));
    // The cell editor is always shown: it opens on the current cell at once, also when a click
    // lands on the current cell without one (mouseReleaseEvent). Not on a click that waits for
    // the double-click interval (SelectedClicked): the keys typed meanwhile would go nowhere,
    // and the editor opening afterwards with its text selected would let the next key replace
    // the value (800 typed there ended as 0).
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setHighlightSections(false);
    if (auto* corner = findChild<QAbstractButton*>()) corner->installEventFilter(this);
}

void TStringGrid::FlushEditor()
{
    if (m_editor) commitData(m_editor);
}

void TStringGrid::CloseCellEditor()
{
    if (!m_editor) return;
    QWidget* editor = m_editor;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TStringGrid::EditCurrentCell()
{
    if (state() == QAbstractItemView::EditingState) return;  // an editor is open already
    const QModelIndex index = currentIndex();
    if (index.isValid() && (model()->flags(index) & Qt::ItemIsEditable)) edit(index);
}

void TStringGrid::LeaveGrid(bool next)
{
    CloseCellEditor();
    setFocus(Qt::OtherFocusReason);
    QTableWidget::focusNextPrevChild(next);
}

bool TStringGrid::focusNextPrevChild(bool next)
{
    // Tab on the grid itself (no cell editor open) moves through the cells as well.
    if (hasFocus() && m_form->Table()) {
        m_form->GridTab(next);
        return true;
    }
    return QTableWidget::focusNextPrevChild(next);
}

bool TStringGrid::OwnsWidget(const QWidget* widget) const
{
    if (!widget) return false;
    if (widget == this || widget == viewport()) return true;
    // A cell editor (or a part of one), open or just closed; row controls are no part of it.
    for (const QWidget* w = widget; w && w != viewport(); w = w->parentWidget())
        if (w->property(kCellEditorProperty).toBool()) return viewport()->isAncestorOf(w);
    return false;
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_reverting || !previous.isValid()) {
        QTableWidget::currentChanged(current, previous);
        return;
    }
    FlushEditor();
    if (m_form->GridSelectCell(previous, current)) {
        QTableWidget::currentChanged(current, previous);
        return;
    }
    // Refused: the current cell goes back; its editor is still open (or opens again).
    FlagScope reverting(m_reverting);
    selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
}

void TStringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (editor == m_editor) m_editor = nullptr;
    QTableWidget::closeEditor(editor, hint);
}

void TStringGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_form->GridEnter();
        event->accept();
        return;
    }
    // A character typed while the grid itself has the focus goes into the current cell, replacing
    // its text, also when its editor is open already (the view would drop the key then).
    const QString text = event->text();
    const bool typed = !text.isEmpty() && text.at(0).isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typed && m_editor && m_editor->isVisible()) {
        QWidget* editor = m_editor;
        editor->setFocus(Qt::OtherFocusReason);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) line->selectAll();
        QCoreApplication::sendEvent(editor, event);
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableWidget::mouseReleaseEvent(event);
    // A click on the current cell whose editor was closed (Escape) opens it again at once.
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()) == currentIndex() &&
        !m_editor && state() != QAbstractItemView::EditingState) {
        EditCurrentCell();
        if (m_editor) m_editor->setFocus(Qt::MouseFocusReason);
    }
}

void TStringGrid::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    // The open cell editor takes the focus that comes to the grid, so what is typed goes into it
    // (the window gives the grid the focus when it opens, after the editor of the first cell).
    if (m_editor && m_editor->isVisible() && !m_editor->hasFocus()) m_editor->setFocus(event->reason());
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event)
{
    // The corner of the two headers shows the table's TopLeft text.
    if (event->type() == QEvent::Paint && watched->isWidgetType() &&
        qobject_cast<QAbstractButton*>(watched) && watched->parent() == this) {
        auto* corner = static_cast<QWidget*>(watched);
        QStylePainter painter(corner);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = m_form->Table() ? m_form->Table()->TopLeft() : QString();
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QTableWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// TTableForm

TTableForm::TTableForm(TGridTable* table, QWidget* parent)
    : QWidget(parent, parent ? Qt::WindowFlags() : kWindowFlags), m_table(table)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_margin = std::max(1, Table::ScreenPixelsPerInch() / 20);

    Grid = new TStringGrid(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    BtnAdd = new QPushButton(QStringLiteral("&Add Row"), this);
    BtnAdd->setObjectName(QStringLiteral("BtnAdd"));
    BtnIns = new QPushButton(QStringLiteral("&Insert Row"), this);
    BtnIns->setObjectName(QStringLiteral("BtnIns"));
    BtnDel = new QPushButton(QStringLiteral("&Delete Row"), this);
    BtnDel->setObjectName(QStringLiteral("BtnDel"));
    lblComments = new QLabel(this);
    lblComments->setObjectName(QStringLiteral("lblComments"));
    imgHelp = new QLabel(this);
    imgHelp->setObjectName(QStringLiteral("imgHelp"));
    for (QPushButton* b : {BtnAdd, BtnIns, BtnDel}) {
        b->setAutoDefault(false);
        b->installEventFilter(this);  // their access keys (eventFilter)
    }
    // The access keys pressed anywhere in the window, ahead of its controls and the shortcuts.
    qApp->installEventFilter(this);

    const int rowHeight = RowHeight();
    Grid->verticalHeader()->setMinimumSectionSize(1);
    Grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    Grid->horizontalHeader()->setMinimumSectionSize(1);

    connect(BtnAdd, &QPushButton::clicked, this, [this] {
        if (ButtonClickAllowed()) BtnAddClick();
    });
    connect(BtnIns, &QPushButton::clicked, this, [this] {
        if (ButtonClickAllowed()) BtnInsClick();
    });
    connect(BtnDel, &QPushButton::clicked, this, [this] {
        if (ButtonClickAllowed()) BtnDelClick();
    });
    // Scrolling lays the window out again (the row controls follow the rows on view).
    for (QScrollBar* bar : {Grid->verticalScrollBar(), Grid->horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (!m_suspendRefresh) Guarded([this] { LayoutForm(); });
        });
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, &TTableForm::FocusChanged);
}

TTableForm::~TTableForm()
{
    // Freeing the controls below moves the focus; the application must not call this form's
    // handler any more once its destructor has started.
    QObject::disconnect(m_focusWatch);
    qApp->removeEventFilter(this);
    m_destroying = true;
    if (m_modalLoop) m_modalLoop->quit();
    if (m_table && m_table->Editor() == this) m_table->DetachEditor();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->deleteLater();
}

void TTableForm::Show()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->show();
        if (QMdiArea* area = sub->mdiArea()) area->setActiveSubWindow(sub);
        return;
    }
    show();
    if (isWindow()) {
        raise();
        activateWindow();
    }
}

void TTableForm::ShowModal()
{
    if (m_modalLoop) return;
    m_modal = true;
    if (isWindow() && !isVisible()) {
        setWindowFlags(kWindowFlags | Qt::Dialog);
        setWindowModality(Qt::ApplicationModal);
    }
    Show();
    QEventLoop loop;
    m_modalLoop = &loop;
    QPointer<TTableForm> self(this);
    loop.exec(QEventLoop::DialogExec);
    if (self) {
        self->m_modalLoop = nullptr;
        self->m_modal = false;
    }
}

bool TTableForm::IsShowingModal() const { return m_modal && isVisible(); }

void TTableForm::SetCaption(const QString& caption) { setWindowTitle(caption); }

void TTableForm::SetCurrentCell(int gridColumn, int gridRow)
{
    if (!m_table) return;
    const int column = gridColumn - 1;
    const int row = gridRow - m_headerRows;
    if (column < 0 || column >= Grid->columnCount() || row < 0 || row >= Grid->rowCount()) return;
    if (m_table->VisibleColumn(column)->HasControls()) return;  // such cells are not selected
    Grid->setCurrentCell(row, column);
}

void TTableForm::HelpPictureChanged()
{
    if (!m_table) return;
    imgHelp->setPixmap(QPixmap::fromImage(m_table->HelpPicture()));
    imgHelp->adjustSize();
    if (m_shown) LayoutForm();
}

void TTableForm::ColumnAdded(TColumn*)
{
    if (m_shown) Refresh();
}

QRect TTableForm::Placement() const
{
    if (m_modal) return QRect();
    const auto* sub = qobject_cast<const QMdiSubWindow*>(parentWidget());
    const QWidget* frame = sub ? static_cast<const QWidget*>(sub) : this;
    if (!sub && !isWindow()) return QRect();
    if (!frame->isVisible() || frame->isMinimized() || frame->isMaximized()) return QRect();
    return QRect(frame->pos(), frame->size());
}

void TTableForm::SetPlacement(const QRect& placement)
{
    if (!placement.isValid()) return;
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    QWidget* frame = sub ? static_cast<QWidget*>(sub) : this;
    if (!sub && !isWindow()) return;
    if (frame->isMaximized() || frame->isMinimized()) return;  // the state's own place
    frame->move(placement.topLeft());
    // The size is taken as one the user gave: the layout shows what fits it.
    frame->resize(placement.size());
}

// --- showing ---------------------------------------------------------------------------------

void TTableForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) Guarded([this] { FormShow(); });
}

void TTableForm::FormShow()
{
    if (!m_table) return;
    m_table->SetRowCount(std::max(m_table->RowCount(), int(m_table->MinRows())));
    setWindowTitle(m_table->Caption() + QStringLiteral(" ") + m_table->NumberPrefix());

    // The header column is as wide as the TopLeft text and two blanks, at least a third inch.
    const QFontMetrics metrics = Grid->fontMetrics();
    Grid->verticalHeader()->setFixedWidth(
        std::max(metrics.horizontalAdvance(m_table->TopLeft() + QStringLiteral("  ")),
                 Table::ScreenPixelsPerInch() / 3));

    // "\r" separates the lines of the comment.
    QString comments = m_table->Comments();
    comments.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lblComments->setText(comments);
    lblComments->adjustSize();
    lblComments->setVisible(!m_table->Comments().isEmpty());
    imgHelp->setPixmap(QPixmap::fromImage(m_table->HelpPicture()));
    imgHelp->adjustSize();

    m_shownColumns = m_table->VisibleColumnCount();
    m_shownRows = std::min(m_table->RowCount(), 10);

    QPointer<TTableForm> self(this);
    m_table->EditorRowsChanged = [self] {
        if (self && !self->m_suspendRefresh) self->Guarded([&] { self->Refresh(); });
    };
    m_table->EditorCellChanged = [self](int column, int row) {
        if (self) self->CellChanged(column, row);
    };
    m_shown = true;
    Refresh();
    if (Grid->rowCount() > 0 && Grid->columnCount() > 0) {
        // The first cell without row controls becomes the current cell.
        for (int c = 0; c < Grid->columnCount(); ++c)
            if (!m_table->VisibleColumn(c)->HasControls()) {
                Grid->setCurrentCell(0, c);
                break;
            }
    }
    Grid->setFocus(Qt::OtherFocusReason);
}

// --- refresh and layout ----------------------------------------------------------------------

void TTableForm::Refresh()
{
    if (!m_table || !m_shown) return;
    FlagScope suspend(m_suspendRefresh);
    const int visible = m_table->VisibleColumnCount();
    const int rows = m_table->RowCount();
    m_shownColumns = std::min(m_shownColumns, visible);
    m_shownRows = std::min(m_shownRows, rows);
    if (m_shownColumns < 1) m_shownColumns = std::min(1, visible);
    if (m_shownRows < 1) m_shownRows = std::min(1, rows);

    m_headerRows = m_table->HeaderLineCount();
    {
        FlagScope quiet(Grid->m_reverting);
        Grid->setColumnCount(visible);
        Grid->setRowCount(rows);
    }

    // Row headers: the number of the row group.
    const int group = m_table->RowGroup();
    QStringList rowLabels;
    for (int i = 0; i < rows; ++i) rowLabels << QString::number(i / group + 1);
    Grid->setVerticalHeaderLabels(rowLabels);

    const QFontMetrics metrics = Grid->fontMetrics();
    for (int j = 0; j < visible; ++j) {
        TColumn* column = m_table->VisibleColumn(j);
        Grid->setColumnWidth(j, std::max(1, column->MinWidth(metrics)));
        QStringList lines;
        for (int a = 0; a < m_headerRows; ++a)
            lines << (a < column->CaptionLineCount() ? column->GetCaptionLine(a) : QStringLiteral(" "));
        auto* header = new QTableWidgetItem(lines.join(QLatin1Char('\n')));
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Grid->setHorizontalHeaderItem(j, header);

        const bool controls = column->HasControls();
        for (int r = 0; r < rows; ++r) {
            QTableWidgetItem* item = Grid->item(r, j);
            if (!item) {
                item = new QTableWidgetItem;
                Grid->setItem(r, j, item);
            }
            item->setFlags(controls ? Qt::ItemIsEnabled
                                    : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            item->setText(controls ? QString() : column->GetText(r));
        }
    }
    Grid->horizontalHeader()->setVisible(m_headerRows > 0);
    Grid->horizontalHeader()->setFixedHeight(HeaderHeight());

    const bool buttons = m_table->MinRows() != m_table->MaxRows();
    const bool addEnabled = rows != m_table->MaxRows();
    const bool delEnabled = rows > m_table->MinRows();
    // A focused button about to be disabled (Add Row on the last row the table holds) hands
    // the focus to the grid: left to itself, it would pass it on to the next button, Delete
    // Row, and the next press of Space there would delete a row.
    for (auto [button, enabled] : {std::pair{BtnAdd, addEnabled}, std::pair{BtnIns, addEnabled},
                                   std::pair{BtnDel, delEnabled}})
        if ((!enabled || !buttons) && button->hasFocus()) Grid->setFocus(Qt::OtherFocusReason);
    for (QPushButton* b : {BtnAdd, BtnIns, BtnDel}) b->setVisible(buttons);
    BtnAdd->setEnabled(addEnabled);
    BtnIns->setEnabled(addEnabled);
    BtnDel->setEnabled(delEnabled);

    m_suspendRefresh = false;
    LayoutForm();
}

int TTableForm::RowHeight() const
{
    static int height = 0;
    if (height == 0) {
        // Rows are as high as the row controls that may lie over them.
        QComboBox combo;
        QPushButton button(QStringLiteral("1: X"));
        height = std::max({Grid->fontMetrics().height() + 8, combo.sizeHint().height(),
                           button.sizeHint().height()});
    }
    return height;
}

int TTableForm::HeaderHeight() const { return m_headerRows * RowHeight(); }

int TTableForm::FirstRowOnView() const { return std::max(0, Grid->verticalScrollBar()->value()); }

int TTableForm::FirstColumnOnView() const
{
    return std::max(0, Grid->horizontalScrollBar()->value());
}

QSize TTableForm::GridSizeFor(int firstColumn, int columns, int rows) const
{
    const int frame = 2 * Grid->frameWidth();
    const int visible = Grid->columnCount();
    int width = frame + Grid->verticalHeader()->width();
    const int last = std::min(visible, firstColumn + columns);
    for (int j = firstColumn; j < last; ++j) width += Grid->columnWidth(j);
    if (rows < Grid->rowCount()) width += Grid->verticalScrollBar()->sizeHint().width();
    int height = frame + HeaderHeight() + RowHeight() * rows;
    if (columns < visible) height += Grid->horizontalScrollBar()->sizeHint().height();
    return QSize(width, height);
}

void TTableForm::LayoutForm()
{
    if (!m_table || !m_shown || m_layingOut) return;
    FlagScope layingOut(m_layingOut);
    const int m = m_margin;
    const int rows = Grid->rowCount();
    const int columns = Grid->columnCount();

    Grid->setVerticalScrollBarPolicy(m_shownRows < rows ? Qt::ScrollBarAlwaysOn
                                                        : Qt::ScrollBarAlwaysOff);
    Grid->setHorizontalScrollBarPolicy(m_shownColumns < columns ? Qt::ScrollBarAlwaysOn
                                                                : Qt::ScrollBarAlwaysOff);
    const QSize grid = GridSizeFor(FirstColumnOnView(), m_shownColumns, m_shownRows);
    Grid->setGeometry(m, m, grid.width(), grid.height());

    // Buttons m below the grid, then the comment, then the picture.
    int top = m + grid.height() + m;
    int right = Grid->geometry().right() + 1;
    int left = m;
    for (QPushButton* b : {BtnAdd, BtnIns, BtnDel}) {
        const QSize hint = b->sizeHint();
        b->setGeometry(left, top, std::max(81, hint.width()), std::max(21, hint.height()));
        left += b->width() + m;
    }
    right = std::max(right, BtnDel->geometry().right() + 1);
    if (BtnAdd->isVisibleTo(this)) top += BtnAdd->height() + m;
    lblComments->move(m, top);
    if (lblComments->isVisibleTo(this)) {
        top += lblComments->height() + m;
        right = std::max(right, lblComments->geometry().right() + 1);
    }
    imgHelp->move(m, top);
    if (!imgHelp->pixmap().isNull()) {
        top += imgHelp->height() + m;
        right = std::max(right, imgHelp->geometry().right() + 1);
    }
    m_clientSize = QSize(right + m, top);
    // A maximized or minimized frame keeps the size of its state (the form fills a maximized
    // one); its normal size is taken up again when it is restored.
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub || !(sub->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
        resize(m_clientSize);
        if (sub) sub->adjustSize();
    }
    // The headers grow with the grid; what they painted while narrower is painted again.
    Grid->horizontalHeader()->viewport()->update();

    PlaceRowControls();
    if (m_table->OnResize) m_table->OnResize(m_table);
}

void TTableForm::PlaceRowControls()
{
    const int rows = Grid->rowCount();
    const int first = FirstRowOnView();
    const int count = std::min(m_shownRows, rows - first);
    const int firstColumn = FirstColumnOnView();
    for (int j = 0; j < Grid->columnCount(); ++j) {
        TColumn* column = m_table->VisibleColumn(j);
        if (!column->HasControls()) continue;
        if (count <= 0) {
            column->FreeControls();
            continue;
        }
        column->CreateControls(Grid->viewport(), first, count);
        const bool onView = j >= firstColumn && j < firstColumn + m_shownColumns;
        for (int k = 0; k < count; ++k) {
            QWidget* control = column->GetControl(k);
            if (!control) continue;
            if (!onView) {
                control->hide();
                continue;
            }
            const QRect cell(Grid->columnViewportPosition(j), Grid->rowViewportPosition(first + k),
                             Grid->columnWidth(j) - 1, Grid->rowHeight(first + k) - 1);
            control->setGeometry(cell);
            // Tab reaches the control from its neighbouring cells (TabFrom), never through the
            // window's chain, which would put the controls after the row buttons.
            if (control->focusPolicy() & Qt::TabFocus) control->setFocusPolicy(Qt::ClickFocus);
            control->show();
        }
    }
}

void TTableForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_shown || m_layingOut || size() == m_clientSize) return;
    Guarded([this] { FitToSize(size()); });
}

// A size given by the user (an edge dragged): four candidate layouts, without scroll bars, with
// the vertical bar, with the horizontal bar and with both, each showing what fits the dragged
// size on the dragged sides; the one that overshoots the dragged rectangle least is taken (ties
// in that order) and the window takes its size.
void TTableForm::FitToSize(const QSize& size)
{
    const int rows = Grid->rowCount();
    const int columns = Grid->columnCount();
    // The grid holds the row-number column and at least one column of the table.
    if (columns + 1 < 2) throw Exception(QStringLiteral("There must be at least 2 columns in grid"));
    if (rows == 0) return;
    // A side is dragged when its size differs from the window's and from the size last asked
    // for: while an edge is dragged, the window system keeps asking for the other size of the
    // drag's start, which the layout may have changed (a scroll bar coming or going).
    const bool sideDragged = size.width() != m_clientSize.width() && size.width() != m_askedSize.width();
    const bool endDragged = size.height() != m_clientSize.height() && size.height() != m_askedSize.height();
    m_askedSize = size;
    const int m = m_margin;
    // What lies beside and below the grid stays as laid out.
    const int below = m_clientSize.height() - (m + Grid->height());
    int fixedRight = BtnDel->isVisibleTo(this) ? BtnDel->geometry().right() + 1 : 0;
    if (lblComments->isVisibleTo(this)) fixedRight = std::max(fixedRight, lblComments->geometry().right() + 1);
    if (!imgHelp->pixmap().isNull()) fixedRight = std::max(fixedRight, imgHelp->geometry().right() + 1);
    const int frame = 2 * Grid->frameWidth();
    const int vbarWidth = Grid->verticalScrollBar()->sizeHint().width();
    const int hbarHeight = Grid->horizontalScrollBar()->sizeHint().height();

    struct Candidate {
        int first = 0, columns = 0, rows = 0;
        QSize size;
        long long excess = 0;
    };
    auto fitColumns = [&](Candidate& c, bool vbar) {
        int available = size.width() - 2 * m - frame - Grid->verticalHeader()->width() - (vbar ? vbarWidth : 0);
        int first = FirstColumnOnView();
        int used = 0, shown = 0;
        for (int j = first; j < columns && used + Grid->columnWidth(j) <= available; ++j) {
            used += Grid->columnWidth(j);
            ++shown;
        }
        while (first > 0 && used + Grid->columnWidth(first - 1) <= available) {
            used += Grid->columnWidth(--first);
            ++shown;
        }
        c.first = first;
        c.columns = std::max(1, shown);
    };
    auto fitRows = [&](Candidate& c, bool hbar) {
        const int available = size.height() - m - below - frame - HeaderHeight() - (hbar ? hbarHeight : 0);
        c.rows = std::clamp(available / RowHeight(), 1, rows);
    };
    Candidate candidates[4];  // no bar, vertical bar, horizontal bar, both
    for (int k = 0; k < 4; ++k) {
        const bool vbar = k == 1 || k == 3, hbar = k >= 2;
        Candidate& c = candidates[k];
        if (!hbar) {
            c.first = 0;
            c.columns = columns;
        } else if (sideDragged) {
            fitColumns(c, vbar);
        } else {
            c.first = FirstColumnOnView();
            c.columns = m_shownColumns;
        }
        if (!vbar)
            c.rows = rows;
        else if (endDragged)
            fitRows(c, hbar);
        else
            c.rows = m_shownRows;
        const QSize grid = GridSizeFor(c.first, c.columns, c.rows);
        c.size = QSize(std::max(m + grid.width(), fixedRight) + m, m + grid.height() + below);
        // Both rectangles anchored at the fixed corner: the area the candidate adds.
        c.excess = (long long)std::max(c.size.width(), size.width()) * std::max(c.size.height(), size.height()) -
                   (long long)size.width() * size.height();
    }
    const Candidate* best = &candidates[0];
    for (const Candidate& c : candidates)
        if (c.excess < best->excess) best = &c;
    if (best->first != FirstColumnOnView()) {
        FlagScope suspend(m_suspendRefresh);
        Grid->horizontalScrollBar()->setValue(best->first);
    }
    m_shownRows = best->rows;
    m_shownColumns = best->columns;
    LayoutForm();
}

QSize TTableForm::sizeHint() const
{
    return m_clientSize.isValid() ? m_clientSize : QWidget::sizeHint();
}

// --- cells -----------------------------------------------------------------------------------

bool TTableForm::StoreCell(int column, int row)
{
    if (!m_table || column < 0 || column >= Grid->columnCount() || row < 0 ||
        row >= m_table->RowCount())
        return true;
    try {
        TColumn* tableColumn = m_table->VisibleColumn(column);
        // Row controls store (and mark the table) themselves.
        if (tableColumn->HasControls()) return true;
        const QTableWidgetItem* item = Grid->item(row, column);
        const QString text = item ? item->text() : QString();
        // A text that shows the stored value unchanged is not parsed again, so values keep
        // their full precision.
        if (text == tableColumn->GetText(row)) return true;
        // Only a store that changes a value (of this cell or of a cell linked to it) marks the
        // table modified: an entry of the same value, such as "2*9" over 18, leaves it as it was.
        const TCellValues before(*m_table);
        tableColumn->SetText(row, text);
        if (TCellValues(*m_table) != before) m_table->SetModified(true);
        return true;
    } catch (const EAssignError& e) {
        FlagScope active(m_messageActive);
        DataEdit::ExitMessageGuard guard;
        Messages::Warning(this, e.message(), CellName(column, row));
    } catch (const Exception& e) {
        ShowError(e.message());
    }
    return false;
}

QString TTableForm::CellName(int column, int row) const
{
    const TColumn* tableColumn = m_table->VisibleColumn(column);
    QStringList lines;
    for (int a = 0; a < tableColumn->CaptionLineCount(); ++a) lines << tableColumn->GetCaptionLine(a);
    // The row as its header shows it (the number of its row group).
    const QTableWidgetItem* header = Grid->verticalHeaderItem(row);
    const QString rowLabel = header ? header->text() : QString::number(row + 1);
    return Messages::PlainCaption(lines.join(QLatin1Char(' '))) + QStringLiteral(", row ") + rowLabel;
}

bool TTableForm::CommitCell()
{
    Grid->FlushEditor();
    return StoreCell(Grid->currentColumn(), Grid->currentRow());
}

void TTableForm::ShowCellText(int column, int row)
{
    TColumn* tableColumn = m_table->VisibleColumn(column);
    if (tableColumn->HasControls()) return;
    if (QTableWidgetItem* item = Grid->item(row, column)) item->setText(tableColumn->GetText(row));
}

void TTableForm::ShowAllCellTexts()
{
    const int rows = std::min(Grid->rowCount(), m_table->RowCount());
    for (int j = 0; j < Grid->columnCount(); ++j)
        for (int r = 0; r < rows; ++r) ShowCellText(j, r);
}

void TTableForm::CellChanged(int columnIndex, int row)
{
    if (!m_table || !m_shown || columnIndex < 0 || columnIndex >= m_table->ColumnCount()) return;
    const int visibleIndex = m_table->VisibleIndexOf(m_table->GetColumn(columnIndex));
    if (visibleIndex < 0 || visibleIndex >= Grid->columnCount() || row < 0 || row >= Grid->rowCount())
        return;
    ShowCellText(visibleIndex, row);
}

bool TTableForm::GridSelectCell(const QModelIndex& previous, const QModelIndex& current)
{
    if (!m_table || !m_shown) return true;
    if (!StoreCell(previous.column(), previous.row())) return false;
    bool allowed = true;
    if (current.isValid() && current.column() < Grid->columnCount() &&
        m_table->VisibleColumn(current.column())->HasControls())
        allowed = false;
    // Values linked to the stored one (the top-depth pairing) appear at once.
    ShowAllCellTexts();
    return allowed;
}

int TTableForm::CurrentDataRow() const { return Grid->currentRow(); }

void TTableForm::GridEnter()
{
    if (!m_table) return;
    // The cell is stored here: in a table of one cell Enter stays where it is, and no change of
    // the current cell would store it.
    if (!CommitCell()) {
        Grid->EditCurrentCell();
        return;
    }
    const int rows = Grid->rowCount();
    const int columns = Grid->columnCount();
    int row = Grid->currentRow();
    int column = Grid->currentColumn();
    if (row < 0 || column < 0 || rows == 0) return;
    if (row < rows - 1) {
        ++row;
    } else {
        row = 0;
        column = column < columns - 1 ? column + 1 : 0;
    }
    Grid->setCurrentCell(row, column);
    Grid->EditCurrentCell();
}

void TTableForm::GridTab(bool next)
{
    if (!m_table) return;
    const int row = Grid->currentRow();
    const int column = Grid->currentColumn();
    if (row < 0 || column < 0 || Grid->rowCount() == 0 || Grid->columnCount() == 0) {
        Grid->LeaveGrid(next);
        return;
    }
    TabFrom(row, column, next);
}

void TTableForm::TabFrom(int row, int column, bool next)
{
    const int rows = Grid->rowCount();
    const int columns = Grid->columnCount();
    // The next (previous) cell in reading order, as the screen shows them: a cell of a column
    // edited through row controls gives the focus to its control; beyond the last (first) cell
    // the focus leaves the grid.
    for (;;) {
        column += next ? 1 : -1;
        if (column >= columns) {
            column = 0;
            ++row;
        } else if (column < 0) {
            column = columns - 1;
            --row;
        }
        if (row < 0 || row >= rows) {
            Grid->LeaveGrid(next);
            return;
        }
        if (!m_table->VisibleColumn(column)->HasControls()) break;
        if (QWidget* control = RowControl(column, row)) {
            // Leaving the cell stores it; a refused cell takes the focus back (GridExit).
            Grid->CloseCellEditor();
            control->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    if (!Grid->OwnsWidget(QApplication::focusWidget())) Grid->setFocus(Qt::TabFocusReason);
    Grid->FlushEditor();
    Grid->setCurrentCell(row, column);
    Grid->EditCurrentCell();
}

QWidget* TTableForm::RowControl(int column, int row)
{
    TColumn* tableColumn = m_table->VisibleColumn(column);
    auto onView = [&]() -> QWidget* {
        const int k = row - FirstRowOnView();
        if (k < 0 || k >= std::min(m_shownRows, Grid->rowCount() - FirstRowOnView())) return nullptr;
        if (column < FirstColumnOnView() || column >= FirstColumnOnView() + m_shownColumns) return nullptr;
        QWidget* control = tableColumn->GetControl(k);
        return control && control->isEnabled() ? control : nullptr;
    };
    if (QWidget* control = onView()) return control;
    // Scrolled out of view: the grid scrolls to it (the controls follow the rows on view).
    Grid->scrollTo(Grid->model()->index(row, column));
    return onView();
}

bool TTableForm::RowControlCell(const QWidget* widget, int& column, int& row) const
{
    if (!widget || !m_table || !Grid->viewport()->isAncestorOf(widget)) return false;
    const int first = FirstRowOnView();
    const int count = std::min(m_shownRows, Grid->rowCount() - first);
    for (int j = 0; j < Grid->columnCount(); ++j) {
        TColumn* tableColumn = m_table->VisibleColumn(j);
        if (!tableColumn->HasControls()) continue;
        for (int k = 0; k < count; ++k) {
            const QWidget* control = tableColumn->GetControl(k);
            if (control && (control == widget || control->isAncestorOf(widget))) {
                column = j;
                row = first + k;
                return true;
            }
        }
    }
    return false;
}

// --- buttons ---------------------------------------------------------------------------------

template <class F> void TTableForm::RowCommand(TRowCommand kind, int row, F&& command)
{
    const TTableContents before(*m_table);
    m_undo.reset();
    command();
    if (m_table) m_undo = std::make_shared<TUndo>(TUndo{kind, row, before, TTableContents(*m_table)});
}

bool TTableForm::CanUndoRowCommand() const
{
    return m_undo && m_table && TTableContents(*m_table) == m_undo->after;
}

bool TTableForm::UndoRowCommand()
{
    if (!m_table || !m_undo) return false;
    // What is being typed counts as a change since the command.
    if (!m_modal && !CommitCell()) return false;
    if (!CanUndoRowCommand()) {
        m_undo.reset();
        return false;
    }
    const std::shared_ptr<TUndo> undo = std::move(m_undo);
    bool done = false;
    Guarded([&] {
        Grid->CloseCellEditor();
        const int group = m_table->RowGroup();
        switch (undo->kind) {
        case TRowCommand::Delete:
            // The rows come back into view: the window grows as for Add Row.
            if (m_shownRows >= m_table->RowCount()) m_shownRows = std::min(m_shownRows + group, 10);
            m_table->InsertRowGroup(undo->row);
            break;
        case TRowCommand::Insert:
            m_table->DeleteRowGroup(undo->row);
            break;
        case TRowCommand::Add:
            m_table->DeleteRowGroup(m_table->RowCount() - 1);
            break;
        }
        if (m_table->RowCount() != undo->before.RowCount()) m_table->SetRowCount(undo->before.RowCount());
        undo->before.RestoreValues(*m_table);
        m_table->SetModified(true);
        Refresh();
        ShowAllCellTexts();
        // The row of the command becomes the current row again.
        const int row = std::clamp(undo->kind == TRowCommand::Add ? (m_table->RowCount() - 1) / group * group : undo->row, 0,
                                   std::max(0, Grid->rowCount() - 1));
        int column = std::max(0, Grid->currentColumn());
        if (column < Grid->columnCount() && !m_table->VisibleColumn(column)->HasControls()) {
            Grid->setCurrentCell(row, column);
            Grid->scrollTo(Grid->model()->index(row, column));
        }
        done = true;
    });
    return done;
}

void TTableForm::BtnAddClick()
{
    if (!m_table) return;
    // The rows-changed notification waits until the rows are in; the window refreshes once.
    m_suspendRefresh = true;
    Guarded([this] {
        RowCommand(TRowCommand::Add, m_table->RowCount(), [this] {
            if (m_shownRows >= m_table->RowCount())
                m_shownRows = std::min(m_shownRows + int(m_table->RowGroup()), 10);
            m_table->AddRowGroup();
        });
    });
    m_suspendRefresh = false;
    if (!m_table) return;
    m_table->SetModified(true);
    Guarded([this] {
        Refresh();
        // New rows below the view: the last row becomes the bottom row on view.
        if (Grid->rowCount() > FirstRowOnView() + m_shownRows)
            Grid->verticalScrollBar()->setValue(Grid->rowCount() - m_shownRows);
    });
}

void TTableForm::BtnInsClick()
{
    if (!m_table) return;
    Guarded([this] {
        const int row = CurrentDataRow();
        if (row < 0 || row >= m_table->RowCount())
            throw Exception(QStringLiteral("Grid.Row not in valid range"));
        m_table->SetModified(true);
        RowCommand(TRowCommand::Insert, row, [this, row] {
            if (m_shownRows >= m_table->RowCount())
                m_shownRows = std::min(m_shownRows + int(m_table->RowGroup()), 10);
            m_table->InsertRowGroup(row);
        });
    });
}

void TTableForm::BtnDelClick()
{
    if (!m_table) return;
    Guarded([this] {
        const int row = CurrentDataRow();
        if (row < 0 || row >= m_table->RowCount())
            throw Exception(QStringLiteral("Grid.Row not in valid range"));
        m_table->SetModified(true);
        RowCommand(TRowCommand::Delete, row, [this, row] { m_table->DeleteRowGroup(row); });
    });
}

// --- focus, activation and closing -----------------------------------------------------------

bool TTableForm::ButtonClickAllowed() const
{
    // A click first moves the focus to the button, which commits the cell; when the cell was
    // refused, the grid has the focus again and the click does nothing.
    return m_modal || m_accessKeyClick || !Grid->OwnsWidget(QApplication::focusWidget());
}

QPushButton* TTableForm::AccessKeyButton(const QKeyEvent* key) const
{
    if (key->modifiers() != Qt::AltModifier) return nullptr;
    const QKeySequence pressed(key->keyCombination());
    for (QPushButton* button : {BtnAdd, BtnIns, BtnDel})
        if (button->isVisible() && QKeySequence::mnemonic(button->text()) == pressed) return button;
    return nullptr;
}

QAction* TTableForm::MenuBarItem(const QKeyEvent* key) const
{
    if (key->modifiers() != Qt::AltModifier) return nullptr;
    const QKeySequence pressed(key->keyCombination());
    for (QMenuBar* bar : window()->findChildren<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!bar->isVisible()) continue;
        for (QAction* item : bar->actions())
            if (item->isVisible() && item->isEnabled() && QKeySequence::mnemonic(item->text()) == pressed)
                return item;
    }
    return nullptr;
}

bool TTableForm::IsMenuOfWindow(const QMenu* menu) const
{
    // The menu opens from the menu bar of the window that holds this one, or from a menu of it.
    for (const QWidget* w = menu; w; ) {
        const QAction* from = qobject_cast<const QMenu*>(w) ? static_cast<const QMenu*>(w)->menuAction() : nullptr;
        if (!from) return false;
        const QWidget* owner = nullptr;
        for (QObject* o : from->associatedObjects())
            if (auto* widget = qobject_cast<QWidget*>(o); widget && widget != w) owner = widget;
        if (!owner) return false;
        if (qobject_cast<const QMenuBar*>(owner)) return owner->window() == window();
        w = owner;
    }
    return false;
}

bool TTableForm::IsWindowCommandKey(const QKeyEvent* key) const
{
    if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::ShiftModifier || key->modifiers() == Qt::KeypadModifier) {
        // Function keys only: the others are typed into the cell.
        if (key->key() < Qt::Key_F1 || key->key() > Qt::Key_F35) return false;
    }
    if (IsUndoKey(key)) return false;
    const QKeySequence pressed(key->keyCombination());
    for (QAction* action : window()->findChildren<QAction*>()) {
        if (!action->isEnabled() || isAncestorOf(qobject_cast<QWidget*>(action->parent()))) continue;
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut.matches(pressed) == QKeySequence::ExactMatch) return true;
    }
    return false;
}

bool TTableForm::IsUndoKey(const QKeyEvent* key) const
{
    return QKeySequence(key->keyCombination()).matches(QKeySequence(QKeySequence::Undo)) == QKeySequence::ExactMatch ||
           key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Z);
}

void TTableForm::PressAccessKey(QPushButton* button)
{
    // The cell being edited is stored first; a refused cell keeps the user in it (its message
    // shown) and the button is not clicked.
    if (button->isEnabled() && (m_modal || CommitCell())) {
        FlagScope keyClick(m_accessKeyClick);
        button->click();
    } else if (Grid->OwnsWidget(QApplication::focusWidget())) {
        Grid->EditCurrentCell();
    }
}

bool TTableForm::eventFilter(QObject* watched, QEvent* event)
{
    // The access keys of the row buttons ("&Add Row": Alt+A) click them at once wherever the
    // focus is in this window and leave the focus where it is. They come before the frame's
    // own keys (Alt+D opens the main window's Data menu elsewhere), and before the cell editor,
    // which would take Alt+A as the letter a. Left to the buttons, the key would be ambiguous
    // beside the menu bar, or start a click that the grid's focus then refuses.
    const QEvent::Type type = event->type();
    // A menu of the window that holds this one, or a shortcut of one of its commands (File >
    // Save, Ctrl+S), while a cell is being edited: the cell is stored first, so that the command
    // works on what the user typed (left in the cell, the typed value was saved or run as the
    // old one). A text the column refuses keeps the user in the cell; the command does not run.
    if (!m_destroying && m_shown && !m_modal && m_table && (type == QEvent::Show || type == QEvent::ShortcutOverride) &&
        Grid->OwnsWidget(QApplication::focusWidget())) {
        if (auto* menu = qobject_cast<QMenu*>(watched); menu && type == QEvent::Show &&
                                                        IsMenuOfWindow(menu)) {
            if (!CommitCell()) QTimer::singleShot(0, menu, &QMenu::close);
        } else if (type == QEvent::ShortcutOverride && watched == QApplication::focusWidget() &&
                   IsWindowCommandKey(static_cast<QKeyEvent*>(event))) {
            if (!CommitCell()) {
                event->accept();
                Grid->setFocus(Qt::OtherFocusReason);
                Grid->EditCurrentCell();
                return true;
            }
        }
    }
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && !m_destroying && m_shown &&
        watched->isWidgetType() && isAncestorOf(static_cast<QWidget*>(watched))) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A key that the menu bar has too opens its menu while the focus is in the grid, as in a
        // spreadsheet (Alt+D: the Data menu, not Delete Row).
        if (QAction* item = !m_modal && Grid->OwnsWidget(QApplication::focusWidget()) && AccessKeyButton(key)
                                ? MenuBarItem(key)
                                : nullptr) {
            key->accept();
            if (type == QEvent::KeyPress && !key->isAutoRepeat() && CommitCell()) {
                for (QMenuBar* bar : window()->findChildren<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly))
                    if (bar->actions().contains(item)) bar->setActiveAction(item);
            }
            return true;
        }
        // Ctrl+Z: the last row command undone, unless a cell editor has typing of its own to undo.
        if (IsUndoKey(key)) {
            auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            const bool ownUndo = line && Grid->OwnsWidget(line) && line->isUndoAvailable();
            if (!ownUndo && CanUndoRowCommand()) {
                key->accept();
                if (type == QEvent::KeyPress) UndoRowCommand();
                return true;
            }
        }
        // Tab on a row control goes on to the cell after it, as on the screen.
        if (type == QEvent::KeyPress && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            int column = -1, row = -1;
            if (RowControlCell(static_cast<QWidget*>(watched), column, row)) {
                TabFrom(row, column, key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
                return true;
            }
        }
        if (QPushButton* button = AccessKeyButton(key)) {
            key->accept();
            // The override claims the key from the shortcuts; the press that follows clicks.
            if (type == QEvent::KeyPress && !key->isAutoRepeat()) PressAccessKey(button);
            return true;
        }
    }
    // A button's own shortcut (the focus elsewhere in a window of its own).
    if (type == QEvent::Shortcut && !m_destroying) {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (button == BtnAdd || button == BtnIns || button == BtnDel)) {
            PressAccessKey(button);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TTableForm::FocusChanged(QWidget* old, QWidget* now)
{
    if (!m_shown || !m_table || m_messageActive || m_destroying || DataEdit::ExitMessageActive())
        return;
    // Only a move to another control of this window leaves the grid; a change of the active
    // window is the deactivation's business.
    if (Grid->OwnsWidget(old) && now && !Grid->OwnsWidget(now) && isAncestorOf(now)) GridExit();
}

void TTableForm::GridExit()
{
    if (!m_modal && !CommitCell()) {
        Grid->setFocus(Qt::OtherFocusReason);
        Grid->EditCurrentCell();
    }
}

void TTableForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isWindow() && !isActiveWindow())
        FormDeactivate();
}

void TTableForm::FormDeactivate()
{
    if (m_destroying || !m_shown || !m_table || m_messageActive || DataEdit::ExitMessageActive())
        return;
    if (!m_modal && !CommitCell()) {
        Show();
        Grid->setFocus(Qt::OtherFocusReason);
        Grid->EditCurrentCell();
    }
}

void TTableForm::closeEvent(QCloseEvent* event)
{
    if (m_table && m_shown && !CommitCell()) {
        event->ignore();
        Grid->setFocus(Qt::OtherFocusReason);
        Grid->EditCurrentCell();
        return;
    }
    // The window goes: row controls freed, the table forgets its editor.
    m_destroying = true;
    Grid->CloseCellEditor();
    if (m_table && m_table->Editor() == this) m_table->DetachEditor();
    m_table = nullptr;
    if (m_modalLoop) m_modalLoop->quit();
    event->accept();
}

void TTableForm::ShowError(const QString& text)
{
    FlagScope active(m_messageActive);
    DataEdit::ExitMessageGuard guard;
    Messages::Error(this, text);
}

template <class F> void TTableForm::Guarded(F&& action)
{
    Guard::Run(std::forward<F>(action), [this](const QString& text) { ShowError(text); });
}

// ---------------------------------------------------------------------------------------------

namespace TableForm {

void InstallEditor(QMdiArea* area)
{
    QPointer<QMdiArea> where(area);
    TGridTable::SetEditorFactory([where](TGridTable* table, bool modal) -> TTableEditor* {
        if (QWidget* parent = table->FormParent()) {
            auto* form = new TTableForm(table, parent);
            form->move(0, 0);
            return form;
        }
        auto* form = new TTableForm(table);
        if (!modal && where) {
            QMdiSubWindow* sub = where->addSubWindow(form, kWindowFlags & ~Qt::Window);
            sub->setAttribute(Qt::WA_DeleteOnClose);
        }
        return form;
    });
    Table::SetErrorHandler([](const QString& message) { Messages::Error(nullptr, message); });
}

}  // namespace TableForm
