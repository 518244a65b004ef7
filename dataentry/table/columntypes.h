// Column classes of the grid tables (unit ColumnTypes): `TEnumColumn`, `TIntColumn`,
// `TFloatColumn`, `TStringColumn` and `TTableColumn`, all derived from `TColumn`
// (dataentry/table/column.h).
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// Text typed into a cell is evaluated with Misc::EvaluateExpression; a bad entry raises
// EAssignError with the message shown to the user and stores nothing. Row controls are Qt
// widgets: a QComboBox per row on view for an enumeration column, a QPushButton per row on view
// for a sub-table column.
#pragma once

#include "entry/misc.h"
#include "table/column.h"
#include "table/table.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class QComboBox;
class QPushButton;

// One item of a fixed list per row; the stored value is the 1-based item number.
class TEnumColumn final : public TColumn {
public:
    explicit TEnumColumn(TGridTable* table);
    TEnumColumn(TGridTable* table, TReader& reader);
    ~TEnumColumn() override;
    static const TColumnClass* Class();
    const TColumnClass* ColumnClass() const override { return Class(); }

    QStringList Items() const { return m_items; }
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    // New items; open combo boxes take them and the owning table is told.
    void SetItems(const QStringList& items);
    std::function<void(TColumn*)> OnItemsChanged;

    void InsertRows(TGridTable* table, int firstRow, int count) override;
    void DeleteRow(int row) override;
    int32_t GetAsInteger(int row) const override;
    // An item number outside 1 to the item count raises EAssignError
    // "Entry must be between 1 and <count>."; an unchanged value is neither stored nor announced.
    void SetAsInteger(int row, int32_t value) override;
    QString GetText(int row) const override;
    void SetText(int row, const QString& text) override;
    bool ControlsAllocated() const override;
    QWidget* GetControl(int index) const override;
    int MinWidth(const QFontMetrics& canvas) const override;
    void WriteData(TWriter& writer) const override;
    bool HasControls() const override { return true; }
    TColumn* Clone(TGridTable* table) const override;
    void CreateControls(QWidget* parent, int firstRow, int count) override;
    void FreeControls() override;

    QComboBox* ComboBox(int index) const;
    int ComboBoxCount() const { return static_cast<int>(m_combos.size()); }
    // What choosing item `index` (0-based) of the combo box showing `row` does; a choice that
    // changes a value marks the owning table modified.
    void ComboBoxChosen(int row, int index);

private:
    void ShowValueInCombo(int row);
    QStringList m_items;
    QList<int32_t> m_values;
    QList<QPointer<QComboBox>> m_combos;
    QPointer<QWidget> m_controlParent;
};

// A 32-bit integer per row with a range (tested on entries while the table's editor is open).
class TIntColumn final : public TColumn {
public:
    explicit TIntColumn(TGridTable* table);
    TIntColumn(TGridTable* table, TReader& reader);
    static const TColumnClass* Class();
    const TColumnClass* ColumnClass() const override { return Class(); }

    int32_t DefaultValue() const { return m_default; }
    void SetDefaultValue(int32_t value) { m_default = value; }
    int32_t Minimum() const { return m_minimum; }
    void SetMinimum(int32_t value) { m_minimum = value; }
    int32_t Maximum() const { return m_maximum; }
    void SetMaximum(int32_t value) { m_maximum = value; }

    void InsertRows(TGridTable* table, int firstRow, int count) override;
    void DeleteRow(int row) override;
    int32_t GetAsInteger(int row) const override;
    void SetAsInteger(int row, int32_t value) override;
    QString GetText(int row) const override;
    void SetText(int row, const QString& text) override;
    bool ControlsAllocated() const override { return false; }
    int MinWidth(const QFontMetrics& canvas) const override;
    void WriteData(TWriter& writer) const override;
    TColumn* Clone(TGridTable* table) const override;

private:
    int32_t m_default = 0;
    int32_t m_minimum = INT32_MIN;
    int32_t m_maximum = INT32_MAX;
    QList<int32_t> m_values;
};

// An 80-bit value per row with a unit template, a default value and an optional top-depth
// pairing: a top-depth column holds the top depth of each layer and the next column the bottom
// depth, kept contiguous (the bottom of a layer is the top of the layer below).
class TFloatColumn final : public TColumn {
public:
    explicit TFloatColumn(TGridTable* table);
    TFloatColumn(TGridTable* table, TReader& reader);
    static const TColumnClass* Class();
    const TColumnClass* ColumnClass() const override { return Class(); }

    long double DefaultValue() const { return m_default; }
    void SetDefaultValue(long double value) { m_default = value; }
    bool TopDepth() const { return m_topDepth; }
    void SetTopDepth(bool topDepth) { m_topDepth = topDepth; }
    QString UnitTemplate() const { return m_unitTemplate; }
    void SetUnitTemplate(const QString& unitTemplate) { m_unitTemplate = unitTemplate; }
    // The check of an entry (SetText: typed or pasted into the table editor) before it is
    // stored: raises EAssignError with the reason when the value cannot be taken for the row.
    // Not part of the column's definition: not streamed, not cloned.
    std::function<void(int row, long double value)> EntryCheck;

    void InsertRows(TGridTable* table, int firstRow, int count) override;
    void DeleteRow(int row) override;
    QString GetCaptionLine(int index) const override;
    long double GetAsFloat(int row) const override;
    void SetAsFloat(int row, long double value) override;
    QString GetText(int row) const override;
    void SetText(int row, const QString& text) override;
    bool ControlsAllocated() const override { return false; }
    int MinWidth(const QFontMetrics& canvas) const override;
    void SetUnits(int unitSystem) override;
    void WriteData(TWriter& writer) const override;
    TColumn* Clone(TGridTable* table) const override;

private:
    // The bottom-depth column of a top-depth column (none when this is the last column); raises
    // Exception when the next column is no float column.
    TFloatColumn* Partner() const;
    // The top-depth column of which this column is the partner, none otherwise.
    TFloatColumn* TopColumn() const;

    long double m_default = 0.0L;
    bool m_topDepth = false;
    QString m_unitTemplate;
    QList<long double> m_values;
};

// Free text per row.
class TStringColumn final : public TColumn {
public:
    explicit TStringColumn(TGridTable* table);
    TStringColumn(TGridTable* table, TReader& reader);
    static const TColumnClass* Class();
    const TColumnClass* ColumnClass() const override { return Class(); }

    QString DefaultText() const { return m_default; }
    void SetDefaultText(const QString& text) { m_default = text; }
    long double Width() const { return m_width; }  // inches
    void SetWidth(long double inches) { m_width = inches; }

    void InsertRows(TGridTable* table, int firstRow, int count) override;
    void DeleteRow(int row) override;
    QString GetText(int row) const override;
    void SetText(int row, const QString& text) override;
    bool ControlsAllocated() const override { return false; }
    int MinWidth(const QFontMetrics& canvas) const override;
    void WriteData(TWriter& writer) const override;
    TColumn* Clone(TGridTable* table) const override;

private:
    QString m_default;
    long double m_width = 1.0L;
    QStringList m_values;
};

// Each row holds a sub-table made from a template table (one template reference per item of
// the table's first column when that is a TEnumColumn, else one), another object supplied by
// the row-initialisation hook, or nothing.
class TTableColumn final : public TColumn {
public:
    explicit TTableColumn(TGridTable* table);
    TTableColumn(TGridTable* table, TReader& reader);
    ~TTableColumn() override;
    static const TColumnClass* Class();
    const TColumnClass* ColumnClass() const override { return Class(); }

    TGridTableList& Templates() { return m_templates; }
    const TGridTableList& Templates() const { return m_templates; }

    void InsertRows(TGridTable* table, int firstRow, int count) override;
    void DeleteRow(int row) override;
    TGridTable* GetAsTable(int row) const override;  // none when the row holds no sub-table
    QObject* GetObject(int row) const override;
    bool IsChanged() const override;
    bool ControlsAllocated() const override;
    QWidget* GetControl(int index) const override;
    void CloseEditors() override;
    void ResetChanged() override;
    int MinWidth(const QFontMetrics& canvas) const override;
    void SetUnits(int unitSystem) override;
    void WriteData(TWriter& writer) const override;
    bool HasControls() const override { return true; }
    TColumn* Clone(TGridTable* table) const override;
    void CreateControls(QWidget* parent, int firstRow, int count) override;
    void FreeControls() override;

    // Makes the row's object again from the template of the row's item.
    void InitRow(int row);
    // "%d: %s" with row + 1 and the caption of the row's sub-table (or the caption hook's).
    QString ButtonCaption(int row) const;
    // Opens the row's sub-table editor (modally when the own table's editor shows modally), or
    // tells the button-click hook.
    void ButtonClick(int row);
    QPushButton* Button(int index) const;
    int ButtonCount() const { return static_cast<int>(m_buttons.size()); }

    // Forwarding hooks for rows whose object is not a sub-table (set by the owning table).
    std::function<void(int row, QObject* data)> ButtonClickHook;
    std::function<QString(int row, QObject* data)> ButtonCaptionHook;
    std::function<bool(int row, QObject* data)> ChangedHook;
    std::function<void(int row, QObject* data)> HideHook;
    std::function<QObject*(int row, int enumType)> InitRowHook;
    std::function<void(int row, QObject* data)> ResetChangedHook;
    std::function<void(QObject* data, int row)> SetRowHook;
    std::function<void(int row, QObject* data, int unitSystem)> SetUnitsHook;
    // Called when a row's sub-table has been made from the template of the row's item (a new
    // row, or a row whose item changed); not cloned, not streamed.
    std::function<void(int row, int item, TGridTable* sub)> OnSubTableMade;

private:
    void Renumber(int fromRow);
    void SetRowObject(int row, QObject* object);
    const TGridTable* TemplateFor(int item) const;

    TGridTableList m_templates;
    QList<QObject*> m_rows;
    QList<QPointer<QPushButton>> m_buttons;
    QPointer<QWidget> m_controlParent;
};

namespace ColumnTypes {

// The value of a cell entry: the evaluator's EAssignError passes unchanged; a conversion error
// becomes EAssignError "Entry cannot be blank." (empty text) or the text followed by
// " is not a valid number.".
long double EvaluateEntry(const QString& text);

}  // namespace ColumnTypes
