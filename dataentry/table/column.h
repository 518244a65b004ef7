// Column model of the grid tables (unit Table): the base class `TColumn`, the cell handle
// `TData`, the registry of column classes with their stream ids, the list of every live
// `TGridTable` with its look-ups, and the typed values of the "Col" stream (`TWriter`,
// `TReader`).
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// A column keeps one `TData` per row; the row of a `TData` is its position in that list, so a
// handle follows its row when rows are inserted above it. Cells are handed out as shared
// pointers: when a row is deleted (or its column freed) the handle is detached, and any later
// use raises EListError "Cell of a deleted row" instead of touching freed memory.
//
// Everything here runs on the user-interface thread.
#pragma once

#include "util/exceptions.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class QFontMetrics;
class QObject;
class QWidget;
class TColumn;
class TGridTable;

// A cell asked for a kind of value that its column does not hold ("Data of wrong type").
class EInvalidCast : public Exception {
public:
    using Exception::Exception;
};

// A "Col" stream that ends early or holds a value of another kind than expected.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------------------------
// Typed values of the "Col" stream: a one-byte tag, then the payload (integers little-endian).

enum class TValueType : uint8_t {
    vaNull = 0,        // list end
    vaList = 1,        // list begin
    vaInt8 = 2,        // 1 byte, signed
    vaInt16 = 3,       // 2 bytes, signed
    vaInt32 = 4,       // 4 bytes, signed
    vaExtended = 5,    // 10 bytes, 80-bit extended
    vaString = 6,      // 1-byte length, Latin-1 bytes
    vaFalse = 8,
    vaTrue = 9,
    vaLString = 12,    // 4-byte length, Latin-1 bytes
    vaUTF8String = 20  // 4-byte length, UTF-8 bytes (only for text beyond Latin-1)
};

// Writes the typed values into a byte buffer.
class TWriter {
public:
    void WriteListBegin();
    void WriteListEnd();
    // Shortest of the three integer tags that holds the value.
    void WriteInteger(int32_t value);
    void WriteBoolean(bool value);
    // Latin-1 text with tag 6 (up to 255 bytes) or 12; text with characters beyond Latin-1 is
    // written as UTF-8 with tag 20, so no character is lost.
    void WriteString(const QString& value);
    // Tag 5 and the value as an 80-bit extended real.
    void WriteFloat(long double value);

    const QByteArray& Data() const { return m_data; }

private:
    void WriteTag(TValueType tag);
    QByteArray m_data;
};

// Reads the typed values from a byte buffer. A value of another kind raises EReadError
// "Invalid property value"; the end of the data raises EReadError "Stream read error".
class TReader {
public:
    explicit TReader(const QByteArray& data) : m_data(data) {}

    TValueType NextValue() const;
    bool EndOfList() const;  // true when the next value is a list end
    void ReadListBegin();
    void ReadListEnd();
    int32_t ReadInteger();    // tags 2, 3, 4
    bool ReadBoolean();       // tags 8, 9
    QString ReadString();     // tags 6, 12, 20
    long double ReadFloat();  // tag 5, or an integer

    qsizetype Position() const { return m_pos; }
    bool AtEnd() const { return m_pos >= m_data.size(); }

private:
    uint8_t ReadByte();
    QByteArray ReadBytes(qsizetype count);
    TValueType ReadTag();
    [[noreturn]] static void Invalid();

    QByteArray m_data;
    qsizetype m_pos = 0;
};

// ---------------------------------------------------------------------------------------------
// Column classes: a class is described by a static descriptor with its two constructors.

struct TColumnClass {
    const char* Name;
    TColumn* (*Create)(TGridTable* table);                      // new column for the table
    TColumn* (*CreateFromReader)(TGridTable* table, TReader& reader);  // column from its record
};

// Handle of one table cell; obtained from TGridTable::Cell or TColumn::Cell.
class TData {
public:
    explicit TData(TColumn* column) : m_column(column) {}
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;
    virtual ~TData() = default;

    // The owning column; none once the row was deleted.
    TColumn* Column() const { return m_column; }
    // The row of this cell, -1 once the row was deleted.
    int Row() const;
    bool IsValid() const { return m_column != nullptr; }

    TGridTable* GetAsTable() const;
    long double GetAsFloat() const;
    int32_t GetAsInteger() const;
    QString GetText() const;
    void SetAsFloat(long double value);
    void SetAsInteger(int32_t value);

private:
    friend class TColumn;
    int CheckedRow() const;
    TColumn* m_column;
};

using TDataPtr = std::shared_ptr<TData>;

// Base of the five column classes (dataentry/table/columntypes.h). A column belongs to one
// table's column list, which frees it.
class TColumn {
public:
    explicit TColumn(TGridTable* table);
    // Reads the common part of a column record: caption list, Visible, group-value.
    TColumn(TGridTable* table, TReader& reader);
    TColumn(const TColumn&) = delete;
    TColumn& operator=(const TColumn&) = delete;
    virtual ~TColumn();

    virtual const TColumnClass* ColumnClass() const = 0;

    // Inserts count new cells at the first row; subclasses insert their row values first.
    virtual void InsertRows(TGridTable* table, int firstRow, int count);
    // Frees the row's cell; subclasses also delete their row value.
    virtual void DeleteRow(int row);
    virtual int CaptionLineCount() const;
    virtual QString GetCaptionLine(int index) const;
    // The typed accessors raise EInvalidCast "Data of wrong type" unless a class overrides them.
    virtual TGridTable* GetAsTable(int row) const;
    virtual long double GetAsFloat(int row) const;
    virtual void SetAsFloat(int row, long double value);
    virtual int32_t GetAsInteger(int row) const;
    virtual void SetAsInteger(int row, int32_t value);
    virtual QObject* GetObject(int row) const;
    virtual QString GetText(int row) const;  // empty
    // Parses and stores; bad input raises EAssignError with the user's message. Base: nothing.
    virtual void SetText(int row, const QString& text);
    virtual bool IsChanged() const;
    virtual QStringList& GetCaptions();
    const QStringList& Captions() const { return m_captions; }
    void SetCaptions(const QStringList& captions) { m_captions = captions; }
    virtual bool ControlsAllocated() const = 0;
    virtual QWidget* GetControl(int index) const;  // none
    virtual int GetRowGroup() const;
    virtual void CloseEditors();
    virtual void ResetChanged();
    // Pixels: the widest caption line with two blanks appended, 0 without lines.
    virtual int MinWidth(const QFontMetrics& canvas) const;
    virtual void SetUnits(int unitSystem);
    // Writes the column record (common part, then the class part).
    virtual void WriteData(TWriter& writer) const;
    virtual bool HasControls() const;
    // A new column of the same class for the table, with Visible and the captions copied
    // (group-value is not copied); subclasses copy their own settings.
    virtual TColumn* Clone(TGridTable* table) const;
    virtual void CreateControls(QWidget* parent, int firstRow, int count);
    virtual void FreeControls();

    int RowCount() const { return static_cast<int>(m_cells.size()); }
    // The cell of a row; a row outside the column raises EListError.
    TDataPtr Cell(int row) const;
    int RowOf(const TData* data) const;
    void Changed(int row);

    TGridTable* OwnerTable() const { return m_table; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    bool GroupValue() const { return m_groupValue; }
    void SetGroupValue(bool groupValue) { m_groupValue = groupValue; }

    // Set by the owning table when it takes the column in.
    std::function<void(TColumn*, int)> OnCellChanged;
    std::function<void(TColumn*, int)> OnFocusCell;
    std::function<int(TColumn*)> OnGetRowGroup;

protected:
    // The rows that a store into `row` sets: the row alone, or its whole row group when the
    // group-value flag is set (cut at the last row).
    void StoredRows(int row, int& first, int& last) const;
    // Raises EListError unless 0 <= row < RowCount().
    void CheckRow(int row) const;
    // Raises EListError unless 0 <= firstRow <= RowCount() (a position where rows may go).
    void CheckInsert(int firstRow) const;
    // Gives a column made for the table as many rows as the table holds, in row groups.
    void FillRows(TGridTable* table);
    // Writes the common part of the record.
    void WriteCommon(TWriter& writer) const;
    // Copies Visible and the captions into a clone.
    void CopyBaseTo(TColumn* clone) const;

    TGridTable* m_table;

private:
    QList<TDataPtr> m_cells;
    QStringList m_captions;
    bool m_groupValue = false;
    bool m_visible = true;
};

namespace Table {

// Column registry: the column classes and their stream ids (0 TEnumColumn, 1 TIntColumn,
// 2 TFloatColumn, 3 TTableColumn, 4 TStringColumn). It is created, with the five classes
// registered, on first use.
void RegisterColumnTypes();
void RegisterColumnType(const TColumnClass* columnClass, int32_t id);
void UnregisterColumnType(const TColumnClass* columnClass);
// The id of the first entry of the class, -1 when none.
int32_t ColumnTypeId(const TColumnClass* columnClass);
// The class of the first entry with the id, none when absent.
const TColumnClass* ColumnClassOf(int32_t id);
// End of the unit: removes the five registrations and frees the registry; raises Exception
// "Column Type list not empty" when other entries remained (the registry is freed all the same
// and made again on the next use).
void FinalizeColumnTypes();

// The list of every live table, in creation order.
qsizetype TableCount();
TGridTable* TableByIndex(qsizetype index);  // none outside the list
qsizetype TableIndexOf(const TGridTable* table);  // -1 when absent
qsizetype TableIndexOfIdentifier(int32_t identifier);  // -1 for a negative identifier or none
TGridTable* TableByIdentifier(int32_t identifier);     // none for a negative identifier or none
// Used by TGridTable only.
void AddTable(TGridTable* table);
void RemoveTable(TGridTable* table);
// Records that `table` now holds `identifier` (none: no table holds it any more).
void IndexIdentifier(int32_t identifier, TGridTable* table);
// The identifier for a new table: the counter's value (from 0), passed over while a live table
// holds it; the counter then moves past it.
int32_t TakeIdentifier();

// The screen's logical pixels per inch (96 without a screen).
int ScreenPixelsPerInch();

// Shows the message of an error caught in a row control's handler (a message box in the
// program; a warning on the console until the program sets its own handler).
void ShowError(const QString& message);
void SetErrorHandler(std::function<void(const QString&)> handler);

// The 80-bit extended format: 64-bit significand with explicit integer bit, then 15-bit biased
// exponent and sign, little-endian (10 bytes).
void EncodeExtended(long double value, unsigned char bytes[10]);
long double DecodeExtended(const unsigned char bytes[10]);

}  // namespace Table
