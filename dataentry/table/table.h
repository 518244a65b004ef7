// Grid table component (unit Table): `TGridTable`, the list of template references
// `TGridTableList`, and the interface `TTableEditor` of the table's editor window.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// A table holds typed columns (dataentry/table/columntypes.h) with a common row count, row
// limits, rows in groups, a unit system, a modified flag and an editor window made on demand.
// Cells are reached through Cell(column, row), which hands out a `TData`:
//
//     TGridTable* mass = new TGridTable(mainWindow);
//     mass->SetCaption("Mass components");
//     mass->AddFloatColumn({"Mass"}, "F6");
//     mass->SetRowCount(3);
//     mass->Cell(0, 2)->SetAsFloat(12.5L);
//     QString text = mass->Cell(0, 2)->GetText();
//     mass->SetUnits(1);  // converts the float columns by their unit templates
//
// The column definitions travel as the stream property "Col" (ReadColumns / WriteColumns, or
// LoadColumns / SaveColumns on a byte array). The editor window is made by the factory set with
// SetEditorFactory; without one ShowEditor raises an Exception.
#pragma once

#include "table/column.h"
#include "util/hvlconst.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

class TEnumColumn;
class TFloatColumn;
class TIntColumn;
class TStringColumn;
class TTableColumn;

// References to template tables, each a position in the list of live tables or an Identifier,
// resolved each time it is used.
class TGridTableList {
public:
    void AddIndex(int32_t index) { InsertIndex(Count(), index); }
    void InsertIndex(int position, int32_t index);
    void AddTable(const TGridTable* table) { InsertTable(Count(), table); }
    void InsertTable(int position, const TGridTable* table);  // stored as its position, -1 for none
    void AddIdentifier(int32_t identifier) { InsertIdentifier(Count(), identifier); }
    void InsertIdentifier(int position, int32_t identifier);
    void Delete(int i);
    void Clear() { m_items.clear(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    // The position in the list of live tables (-1 when unresolved).
    int32_t GetIndex(int i) const;
    // The table referred to, none when unresolved.
    TGridTable* GetTable(int i) const;
    bool IsIdentifier(int i) const;
    int32_t Value(int i) const;

private:
    struct TIntWrapper {
        int32_t value;
        int32_t flag;  // 1: an Identifier, 0: a position in the list of live tables
    };
    void Insert(int position, TIntWrapper item);
    void Check(int i) const;
    QList<TIntWrapper> m_items;
};

// The editor window of a table (made by the factory given to TGridTable::SetEditorFactory).
// The table frees the editor in CloseEditors and when it is destroyed; an editor that goes by
// other means (closed by the user, freed with its parent window) calls TGridTable::DetachEditor
// first, while the table's Editor() is still itself.
class TTableEditor {
public:
    virtual ~TTableEditor() = default;
    virtual void Show() = 0;
    virtual void ShowModal() = 0;
    virtual bool IsShowingModal() const = 0;
    virtual void SetCaption(const QString& caption) = 0;
    // Moves the grid's current cell (grid column and grid row, header rows included).
    virtual void SetCurrentCell(int gridColumn, int gridRow) = 0;
    virtual void HelpPictureChanged() {}
    // A column was taken in while the editor is open: make its row controls for the rows on view.
    virtual void ColumnAdded(TColumn*) {}
    // Where the editor's window lies (position and size in its parent or on the screen); an
    // invalid rectangle when it has no place of its own. ReopenEditor gives it to the new editor.
    virtual QRect Placement() const { return QRect(); }
    virtual void SetPlacement(const QRect&) {}
};

class TGridTable : public QObject {
    Q_OBJECT

public:
    // Makes the editor of a table; `modal` tells that it is made for ShowEditorModal.
    using TEditorFactory = std::function<TTableEditor*(TGridTable* table, bool modal)>;

    // Unit system of the owner when the owner is a TGridTable, else 1; Identifier from the
    // counter; appended to the list of live tables.
    explicit TGridTable(QObject* owner = nullptr);
    ~TGridTable() override;

    // A sub-table made as a copy of the template's definition (captions, limits, columns).
    static TGridTable* CreateFromTemplate(TGridTable* owner, int32_t number, const TGridTable* templateTable);

    // --- properties
    QString Comments() const { return m_comments; }
    void SetComments(const QString& comments) { m_comments = comments; }
    int32_t Identifier() const { return m_identifier; }
    // A negative value is ignored; another table holding the value takes this table's old one.
    void SetIdentifier(int32_t identifier);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    int32_t MaxRows() const { return m_maxRows; }
    void SetMaxRows(int32_t maxRows) { m_maxRows = maxRows; }
    int32_t MinRows() const { return m_minRows; }
    // Values of 0 or less raise Exception "Value must be greater than 0" (1 while loading).
    void SetMinRows(int32_t minRows);
    QImage HelpPicture() const { return m_helpPicture; }
    void SetHelpPicture(const QImage& picture);
    bool HardwiredButton() const { return m_hardwiredButton; }
    void SetHardwiredButton(bool hardwired) { m_hardwiredButton = hardwired; }
    QWidget* FormParent() const { return m_formParent; }
    void SetFormParent(QWidget* parent) { m_formParent = parent; }
    int32_t RowGroup() const { return m_rowGroup; }
    void SetRowGroup(int32_t rowGroup) { m_rowGroup = rowGroup < 1 ? 1 : rowGroup; }
    QString TopLeft() const { return m_topLeft; }
    void SetTopLeft(const QString& topLeft) { m_topLeft = topLeft; }
    // While set, SetMinRows takes values of 0 or less as 1 (loading a stored description).
    void SetLoading(bool loading) { m_loading = loading; }
    bool Loading() const { return m_loading; }

    // --- events (no table of the program assigns them; rows of a TTableColumn without template)
    std::function<void(TGridTable*)> OnResize;
    std::function<void(TGridTable*, int col, int row, QObject* data)> OnButtonClick;
    std::function<void(TGridTable*, int col, int row, QObject* data, QString& caption)> OnGetButtonCaption;
    std::function<void(TGridTable*, int col, int row, QObject* data, bool& changed)> OnGetChanged;
    std::function<void(TGridTable*, int col, int row, QObject* data)> OnHide;
    std::function<void(TGridTable*, int col, int row, int enumType, QObject*& data)> OnInitRow;
    std::function<void(TGridTable*, int col, int row, QObject* data)> OnResetChanged;
    std::function<void(TGridTable*, int col, QObject* data, int row)> OnSetRow;
    std::function<void(TGridTable*, int col, int row, QObject* data, int unitSystem)> OnSetUnits;

    // --- state
    int32_t Number() const { return m_number; }
    void SetNumber(int32_t number);
    // The owner's prefix (for a sub-table) and, when Number is not 0, a blank and Number.
    QString NumberPrefix() const;
    int UnitSystem() const { return m_unitSystem; }
    // Converts the float columns (and sub-tables) from the current system; nothing when equal.
    // Raises Exception, with nothing changed, when a value would not be finite in the new
    // system (see CheckUnits).
    void SetUnits(int unitSystem);
    // Raises Exception when a value of a float column (or of a sub-table) would not be finite
    // after the switch to `unitSystem`, or a column's unit template has no factor.
    void CheckUnits(int unitSystem) const;
    bool IsModified() const;
    // true sets the flag; false clears it and the changed state of every column (recursively).
    void SetModified(bool modified);
    void ResetModified();

    // --- columns and cells
    int ColumnCount() const { return static_cast<int>(m_columns.Count()); }
    TColumn* GetColumn(int index) const { return m_columns.GetItem(index); }
    int ColumnIndexOf(const TColumn* column) const { return static_cast<int>(m_columns.IndexOf(column)); }
    TDataPtr Cell(int column, int row) const { return GetColumn(column)->Cell(row); }
    bool IsValidCell(int column, int row) const;
    // Takes the column in (notifications, template hooks, rows) and appends it.
    void AddColumn(TColumn* column);
    // Definitions in code: a new column with these captions, taken in.
    TFloatColumn* AddFloatColumn(const QStringList& captions, const QString& unitTemplate = QString(),
                                 bool visible = true);
    TEnumColumn* AddEnumColumn(const QStringList& captions, const QStringList& items);
    TIntColumn* AddIntColumn(const QStringList& captions, int32_t minimum, int32_t maximum, int32_t defaultValue = 0);
    TStringColumn* AddStringColumn(const QStringList& captions, const QString& defaultText = QString());
    // Every template reference of the column refers to the table with this Identifier.
    TTableColumn* AddTableColumn(const QStringList& captions, int32_t templateIdentifier);

    int VisibleColumnCount() const;
    TColumn* VisibleColumn(int i) const;  // EListError "Index out of bounds" outside the count
    int VisibleIndexOf(const TColumn* column) const;
    int HeaderLineCount() const;

    // --- rows
    int RowCount() const { return m_rowCount; }
    void SetRowCount(int rowCount);
    void AddRowGroup();
    void InsertRowGroup(int row);
    void DeleteRowGroup(int row);
    void SizeTemplateLists();

    // --- the "Col" stream
    void ReadColumns(TReader& reader);
    void WriteColumns(TWriter& writer) const;
    void LoadColumns(const QByteArray& data);
    QByteArray SaveColumns() const;

    // --- editor
    static void SetEditorFactory(TEditorFactory factory);
    void ShowEditor();
    void ShowEditorModal();
    void CloseEditors();
    // Frees an open editor and makes a new one in the same place (after a change of the units).
    void ReopenEditor();
    TTableEditor* Editor() const { return m_editor; }
    // Records the editor (the factory's editor is recorded already).
    void AttachEditor(TTableEditor* editor) { m_editor = editor; }
    // The editor goes: row controls freed, editor notifications and reference cleared.
    void DetachEditor();
    // Notifications set by the open editor.
    std::function<void()> EditorRowsChanged;
    std::function<void(int column, int row)> EditorCellChanged;
    void NotifyRowsChanged();

    // The template this table was copied from (none for a table not made from a template).
    const TGridTable* TemplateTable() const { return m_template; }

private:
    void ColumnCellChanged(TColumn* column, int row);
    void ColumnFocusCell(TColumn* column, int row);
    void ColumnItemsChanged(TColumn* column);
    TTableColumn* FirstTableColumn() const;
    void ShowEditorAs(bool modal);

    QString m_comments;
    int32_t m_identifier;
    QString m_caption;
    int32_t m_maxRows = 0;
    int32_t m_minRows = 1;
    QImage m_helpPicture;
    bool m_hardwiredButton = false;
    QPointer<QWidget> m_formParent;
    int32_t m_rowGroup = 1;
    QString m_topLeft;
    bool m_loading = false;

    int32_t m_number = 0;
    bool m_modified = false;
    int m_rowCount = 0;
    int m_unitSystem = 1;
    TObjectList<TColumn> m_columns;
    TTableEditor* m_editor = nullptr;
    QPointer<TGridTable> m_template;
};
