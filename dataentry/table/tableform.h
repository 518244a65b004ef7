// Editor window of a grid table (unit Table): `TTableForm`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The window shows one `TGridTable` (table/table.h) in a grid: the horizontal header holds the
// caption lines of the visible columns (one header row per line, float columns with their
// units), the vertical header the row-group numbers, its corner the table's TopLeft text. Under
// the grid sit the buttons "&Add Row", "&Insert Row", "&Delete Row" (shown only when MinRows and
// MaxRows differ), the table's comment and its help picture. The buttons' access keys (Alt+A,
// Alt+I, Alt+D) click them wherever the focus is in the window, except that a key which the
// menu bar of the main window also has ("&Data": Alt+D) opens that menu while the focus is in
// the grid, as in a spreadsheet; a focused button that becomes disabled hands the focus to the
// grid. Ctrl+Z undoes the last row command (Add, Insert or Delete Row: the rows and every value
// they held come back) while the table still holds what the command left; a cell editor with
// typing of its own to undo takes Ctrl+Z first.
//
// Text typed into a cell is committed through the column's SetText when the current cell
// changes, when the focus leaves the grid, when the window is deactivated and when it closes. A
// text the column refuses is reported through the message interface (util/messages.h) and keeps
// the user in the cell (a warning that names the column caption and the row): the current cell does not move, the grid takes the focus back, and the
// window does not close. A commit marks the table modified only when it changed a stored value
// (passing through a cell, or typing what evaluates to the value it holds, changes nothing), and
// so does a drop-down list. Enumeration and sub-table columns are edited through the row controls
// that their columns make (drop-down lists, buttons), laid over the grid cells.
//
// Install the editor once at start-up (TableForm::InstallEditor); from then on
// TGridTable::ShowEditor opens a TTableForm (inside the table's FormParent when set, else as a
// child window of the MDI area given to TableForm::InstallEditor, else as a window of its own) and
// TGridTable::ShowEditorModal opens one modally. The window frees itself when closed; one that
// TGridTable::ReopenEditor makes again comes back at the place and size of the one it replaces.
// The window sizes itself to what it shows only while its frame is normal: a maximized frame keeps
// the size of the area, with the form filling it.
#pragma once

#include "table/table.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include <memory>

class QEventLoop;
class QKeyEvent;
class QMenu;
class QMdiArea;
class TTableForm;

// The grid of the editor window: the current cell only moves when the window allows it.
class TStringGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit TStringGrid(TTableForm* form);

    // Writes the text of an open cell editor into its cell.
    void FlushEditor();
    // Closes an open cell editor after writing its text into the cell.
    void CloseCellEditor();
    // Opens the cell editor on the current cell.
    void EditCurrentCell();
    // Moves the focus to the next or previous control of the window (after the last cell).
    void LeaveGrid(bool next);
    bool OwnsWidget(const QWidget* widget) const;

    // The open cell editor, none when no cell is being edited.
    QWidget* CellEditor() const { return m_editor; }

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TCellDelegate;
    friend class TTableForm;
    TTableForm* m_form;
    QPointer<QWidget> m_editor;
    bool m_reverting = false;
};

class TTableForm : public QWidget, public TTableEditor {
    Q_OBJECT

public:
    // The window for the table; `parent` is the table's FormParent or none.
    TTableForm(TGridTable* table, QWidget* parent = nullptr);
    ~TTableForm() override;

    // --- TTableEditor
    void Show() override;
    void ShowModal() override;
    bool IsShowingModal() const override;
    void SetCaption(const QString& caption) override;
    void SetCurrentCell(int gridColumn, int gridRow) override;
    void HelpPictureChanged() override;
    void ColumnAdded(TColumn* column) override;
    // The frame in the MDI area, or the window's position and size; none inside a form parent,
    // while shown modally and while minimized or maximized.
    QRect Placement() const override;
    // Moves the window there and lays it out for that size (the rows and columns that fit).
    void SetPlacement(const QRect& placement) override;

    // --- controls
    TStringGrid* Grid;
    QPushButton* BtnAdd;
    QPushButton* BtnIns;
    QPushButton* BtnDel;
    QLabel* lblComments;
    QLabel* imgHelp;

    TGridTable* Table() const { return m_table; }
    int HeaderRows() const { return m_headerRows; }
    int ShownColumns() const { return m_shownColumns; }
    int ShownRows() const { return m_shownRows; }
    // The margin around and between the controls: the screen's pixels per inch / 20.
    int Margin() const { return m_margin; }

    // Stores the current cell's text in its column; false (after the column's message) when the
    // text is refused.
    bool CommitCell();
    void Refresh();
    void LayoutForm();

    // Ctrl+Z: undoes the last row command; false (nothing done) when there is none or the table
    // changed since.
    bool UndoRowCommand();
    bool CanUndoRowCommand() const;

    // Handlers.
    void BtnAddClick();
    void BtnInsClick();
    void BtnDelClick();
    // Enter in the grid: next row; from the last row the first row of the next column; from the
    // last column the first row of column 1.
    void GridEnter();
    // Tab (next) or Shift+Tab in the grid: stores the cell and goes to the next (previous) cell
    // in the order of the screen (a row control over a cell takes the focus); from the last
    // (first) cell the focus leaves the grid.
    void GridTab(bool next);
    // The same from the cell (data row, visible column), which may be a row control's.
    void TabFrom(int row, int column, bool next);
    // The current cell may move from `previous` to `current` (stores the previous cell's text).
    bool GridSelectCell(const QModelIndex& previous, const QModelIndex& current);

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormDeactivate();
    void GridExit();
    void FocusChanged(QWidget* old, QWidget* now);
    // Stores the text of the grid cell (visible column, data row); false after the message.
    bool StoreCell(int column, int row);
    // The cell in messages: the column's caption lines and the row as its header shows it.
    QString CellName(int column, int row) const;
    void ShowCellText(int column, int row);
    void ShowAllCellTexts();
    void CellChanged(int columnIndex, int row);
    void PlaceRowControls();
    void FitToSize(const QSize& size);
    int CurrentDataRow() const;
    int FirstRowOnView() const;
    int FirstColumnOnView() const;
    int RowHeight() const;
    int HeaderHeight() const;
    QSize GridSizeFor(int firstColumn, int columns, int rows) const;
    void ShowError(const QString& text);
    // A click on a row button counts unless the grid took the focus back from it.
    bool ButtonClickAllowed() const;
    // The visible row button whose access key the key event is, none when it is no such key.
    QPushButton* AccessKeyButton(const QKeyEvent* key) const;
    // The button's access key pressed: the current cell stored, then the click.
    void PressAccessKey(QPushButton* button);
    template <class F> void Guarded(F&& action);
    enum class TRowCommand { Add, Insert, Delete };
    // Runs a row command at the current row `row` and keeps what undoes it.
    template <class F> void RowCommand(TRowCommand kind, int row, F&& command);
    // The menu bar item whose access key the key event is, none when the window has no menu bar
    // or the bar no such item.
    QAction* MenuBarItem(const QKeyEvent* key) const;
    bool IsUndoKey(const QKeyEvent* key) const;
    // A menu that opens from the menu bar of the window that holds this one (or from one of its
    // menus).
    bool IsMenuOfWindow(const QMenu* menu) const;
    // The key is the shortcut of a command of the window that holds this one (Ctrl+S).
    bool IsWindowCommandKey(const QKeyEvent* key) const;
    // The enabled row control over a cell, the grid scrolled to it first; none when there is none.
    QWidget* RowControl(int column, int row);
    // The cell of the row control that holds `widget`; false when it is in no row control.
    bool RowControlCell(const QWidget* widget, int& column, int& row) const;

    struct TUndo;
    std::shared_ptr<TUndo> m_undo;

    QPointer<TGridTable> m_table;
    int m_headerRows = 0;
    int m_shownColumns = 0;
    int m_shownRows = 0;
    int m_margin = 4;
    QSize m_clientSize;
    QSize m_askedSize;  // the size last asked for by the user (FitToSize)
    bool m_shown = false;
    bool m_modal = false;
    bool m_layingOut = false;
    bool m_messageActive = false;
    bool m_accessKeyClick = false;
    bool m_destroying = false;
    QMetaObject::Connection m_focusWatch;
    bool m_suspendRefresh = false;
    QEventLoop* m_modalLoop = nullptr;
};

namespace TableForm {

// Makes TTableForm the editor that TGridTable::ShowEditor and ShowEditorModal open, and sends
// the messages of the tables' row controls through the message interface. Non-modal editors
// without FormParent open in `area` (none, or once it is freed: windows of their own).
void InstallEditor(QMdiArea* area = nullptr);

}  // namespace TableForm
