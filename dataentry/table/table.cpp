#include "table/table.h"

#include "table/columntypes.h"
#include "table/unittemplates.h"
#include "util/hvlconst.h"
#include "util/numtext.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// TGridTableList

void TGridTableList::Insert(int position, TIntWrapper item)
{
    if (position < 0 || position > m_items.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(position));
    m_items.insert(position, item);
}

void TGridTableList::Check(int i) const
{
    if (i < 0 || i >= m_items.size()) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(i));
}

void TGridTableList::InsertIndex(int position, int32_t index) { Insert(position, {index, 0}); }

void TGridTableList::InsertTable(int position, const TGridTable* table)
{
    const qsizetype index = table ? Table::TableIndexOf(table) : -1;
    Insert(position, {static_cast<int32_t>(index), 0});
}

void TGridTableList::InsertIdentifier(int position, int32_t identifier) { Insert(position, {identifier, 1}); }

void TGridTableList::Delete(int i)
{
    Check(i);
    m_items.removeAt(i);
}

int32_t TGridTableList::GetIndex(int i) const
{
    Check(i);
    const TIntWrapper& item = m_items[i];
    return item.flag == 1 ? static_cast<int32_t>(Table::TableIndexOfIdentifier(item.value)) : item.value;
}

TGridTable* TGridTableList::GetTable(int i) const
{
    Check(i);
    const TIntWrapper& item = m_items[i];
    return item.flag == 1 ? Table::TableByIdentifier(item.value) : Table::TableByIndex(item.value);
}

bool TGridTableList::IsIdentifier(int i) const
{
    Check(i);
    return m_items[i].flag == 1;
}

int32_t TGridTableList::Value(int i) const
{
    Check(i);
    return m_items[i].value;
}

// ---------------------------------------------------------------------------------------------
// TGridTable

namespace {

TGridTable::TEditorFactory& EditorFactory()
{
    static TGridTable::TEditorFactory factory;
    return factory;
}

}  // namespace

TGridTable::TGridTable(QObject* owner) : QObject(owner)
{
    if (auto* ownerTable = qobject_cast<TGridTable*>(owner)) m_unitSystem = ownerTable->UnitSystem();
    m_identifier = Table::TakeIdentifier();
    Table::AddTable(this);
}

TGridTable::~TGridTable()
{
    // An editor never outlives its table: it is closed here, with the editors of the sub-tables.
    CloseEditors();
    SetRowCount(0);
    m_columns.Clear();
    Table::RemoveTable(this);
}

TGridTable* TGridTable::CreateFromTemplate(TGridTable* owner, int32_t number, const TGridTable* templateTable)
{
    auto* table = new TGridTable(owner);
    try {
        table->m_caption = templateTable->m_caption;
        table->m_comments = templateTable->m_comments;
        table->m_topLeft = templateTable->m_topLeft;
        table->m_rowCount = 0;
        table->SetMinRows(templateTable->MinRows());
        table->m_maxRows = templateTable->m_maxRows;
        table->SetRowGroup(templateTable->m_rowGroup);
        table->m_template = const_cast<TGridTable*>(templateTable);
        for (int i = 0; i < templateTable->ColumnCount(); ++i)
            table->AddColumn(templateTable->GetColumn(i)->Clone(table));
        table->m_number = number;
        table->SetRowCount(table->m_minRows);
        table->NotifyRowsChanged();
    } catch (...) {
        delete table;
        throw;
    }
    return table;
}

void TGridTable::SetIdentifier(int32_t identifier)
{
    if (identifier < 0 || identifier == m_identifier) return;
    TGridTable* other = Table::TableByIdentifier(identifier);
    if (other) other->m_identifier = m_identifier;
    Table::IndexIdentifier(m_identifier, other);
    m_identifier = identifier;
    Table::IndexIdentifier(identifier, this);
}

void TGridTable::SetMinRows(int32_t minRows)
{
    if (minRows <= 0) {
        if (!m_loading) throw Exception(QStringLiteral("Value must be greater than 0"));
        minRows = 1;
    }
    m_minRows = minRows;
}

void TGridTable::SetHelpPicture(const QImage& picture)
{
    m_helpPicture = picture;
    if (m_editor) m_editor->HelpPictureChanged();
}

void TGridTable::SetNumber(int32_t number)
{
    m_number = number;
    if (m_editor) m_editor->SetCaption(m_caption + QStringLiteral(" ") + NumberPrefix());
}

QString TGridTable::NumberPrefix() const
{
    QString prefix;
    if (auto* owner = qobject_cast<TGridTable*>(parent())) prefix = owner->NumberPrefix();
    if (m_number != 0) prefix += QStringLiteral(" ") + NumText::IntToStr(m_number);
    return prefix;
}

void TGridTable::CheckUnits(int unitSystem) const
{
    if (unitSystem == m_unitSystem) return;
    for (int i = 0; i < ColumnCount(); ++i) {
        const TColumn* column = GetColumn(i);
        if (auto* floats = dynamic_cast<const TFloatColumn*>(column)) {
            const long double factor =
                ColumnTypes::UnitConversionFactor(m_unitSystem, unitSystem, floats->UnitTemplate());
            for (int r = 0; r < floats->RowCount(); ++r) {
                if (!std::isfinite(floats->GetAsFloat(r) * factor))
                    throw Exception(QStringLiteral("The units were not switched: the value %1 in row %2 of \"%3\" "
                                                   "is too large for the new units.")
                                        .arg(floats->GetText(r))
                                        .arg(r + 1)
                                        .arg(Caption()));
            }
        } else if (auto* tables = dynamic_cast<const TTableColumn*>(column)) {
            for (int r = 0; r < tables->RowCount(); ++r)
                if (const TGridTable* sub = tables->GetAsTable(r)) sub->CheckUnits(unitSystem);
        }
    }
}

void TGridTable::SetUnits(int unitSystem)
{
    if (unitSystem == m_unitSystem) return;
    // A template without factor or a value that would overflow raises here, before any value
    // has changed.
    CheckUnits(unitSystem);
    for (int i = 0; i < ColumnCount(); ++i) GetColumn(i)->SetUnits(unitSystem);
    m_unitSystem = unitSystem;
    NotifyRowsChanged();
}

bool TGridTable::IsModified() const
{
    if (m_modified) return true;
    for (int i = 0; i < ColumnCount(); ++i)
        if (GetColumn(i)->IsChanged()) return true;
    return false;
}

void TGridTable::SetModified(bool modified)
{
    if (modified)
        m_modified = true;
    else
        ResetModified();
}

void TGridTable::ResetModified()
{
    m_modified = false;
    for (int i = 0; i < ColumnCount(); ++i) GetColumn(i)->ResetChanged();
}

bool TGridTable::IsValidCell(int column, int row) const
{
    return column >= 0 && column < ColumnCount() && row >= 0 && row < m_rowCount && row < GetColumn(column)->RowCount();
}

void TGridTable::AddColumn(TColumn* column)
{
    if (!column) return;
    m_columns.Add(column);
    column->OnCellChanged = [this](TColumn* c, int row) { ColumnCellChanged(c, row); };
    column->OnFocusCell = [this](TColumn* c, int row) { ColumnFocusCell(c, row); };
    column->OnGetRowGroup = [this](TColumn*) { return static_cast<int>(m_rowGroup); };
    if (auto* enumColumn = dynamic_cast<TEnumColumn*>(column))
        enumColumn->OnItemsChanged = [this](TColumn* c) { ColumnItemsChanged(c); };
    if (auto* tc = dynamic_cast<TTableColumn*>(column)) {
        tc->ButtonClickHook = [this, tc](int row, QObject* data) {
            if (OnButtonClick) OnButtonClick(this, ColumnIndexOf(tc), row, data);
        };
        tc->ButtonCaptionHook = [this, tc](int row, QObject* data) {
            QString caption;
            if (OnGetButtonCaption) OnGetButtonCaption(this, ColumnIndexOf(tc), row, data, caption);
            return caption;
        };
        tc->ChangedHook = [this, tc](int row, QObject* data) {
            bool changed = false;
            if (OnGetChanged) OnGetChanged(this, ColumnIndexOf(tc), row, data, changed);
            return changed;
        };
        tc->HideHook = [this, tc](int row, QObject* data) {
            if (OnHide) OnHide(this, ColumnIndexOf(tc), row, data);
        };
        tc->InitRowHook = [this, tc](int row, int enumType) {
            QObject* data = nullptr;
            if (OnInitRow) OnInitRow(this, ColumnIndexOf(tc), row, enumType, data);
            return data;
        };
        tc->ResetChangedHook = [this, tc](int row, QObject* data) {
            if (OnResetChanged) OnResetChanged(this, ColumnIndexOf(tc), row, data);
        };
        tc->SetRowHook = [this, tc](QObject* data, int row) {
            if (OnSetRow) OnSetRow(this, ColumnIndexOf(tc), data, row);
        };
        tc->SetUnitsHook = [this, tc](int row, QObject* data, int unitSystem) {
            if (OnSetUnits) OnSetUnits(this, ColumnIndexOf(tc), row, data, unitSystem);
        };
    }
    while (column->RowCount() < m_rowCount)
        column->InsertRows(this, column->RowCount(), std::min<int>(m_rowGroup, m_rowCount - column->RowCount()));
    if (m_editor && column->HasControls()) m_editor->ColumnAdded(column);
}

TFloatColumn* TGridTable::AddFloatColumn(const QStringList& captions, const QString& unitTemplate, bool visible)
{
    auto* column = new TFloatColumn(this);
    column->SetCaptions(captions);
    column->SetUnitTemplate(unitTemplate);
    column->SetVisible(visible);
    AddColumn(column);
    return column;
}

TEnumColumn* TGridTable::AddEnumColumn(const QStringList& captions, const QStringList& items)
{
    auto* column = new TEnumColumn(this);
    column->SetCaptions(captions);
    column->SetItems(items);
    AddColumn(column);
    if (ColumnCount() == 1) SizeTemplateLists();
    return column;
}

TIntColumn* TGridTable::AddIntColumn(const QStringList& captions, int32_t minimum, int32_t maximum, int32_t defaultValue)
{
    auto* column = new TIntColumn(this);
    column->SetCaptions(captions);
    column->SetMinimum(minimum);
    column->SetMaximum(maximum);
    column->SetDefaultValue(defaultValue);
    AddColumn(column);
    return column;
}

TStringColumn* TGridTable::AddStringColumn(const QStringList& captions, const QString& defaultText)
{
    auto* column = new TStringColumn(this);
    column->SetCaptions(captions);
    column->SetDefaultText(defaultText);
    AddColumn(column);
    return column;
}

TTableColumn* TGridTable::AddTableColumn(const QStringList& captions, int32_t templateIdentifier)
{
    auto* column = new TTableColumn(this);
    column->SetCaptions(captions);
    AddColumn(column);
    SizeTemplateLists();
    const int count = column->Templates().Count();
    column->Templates().Clear();
    for (int i = 0; i < count; ++i) column->Templates().AddIdentifier(templateIdentifier);
    for (int row = 0; row < column->RowCount(); ++row) column->InitRow(row);
    return column;
}

int TGridTable::VisibleColumnCount() const
{
    int count = 0;
    for (int i = 0; i < ColumnCount(); ++i)
        if (GetColumn(i)->Visible()) ++count;
    return count;
}

TColumn* TGridTable::VisibleColumn(int i) const
{
    if (i >= 0)
        for (int c = 0; c < ColumnCount(); ++c)
            if (GetColumn(c)->Visible() && i-- == 0) return GetColumn(c);
    throw EListError(QStringLiteral("Index out of bounds"));
}

int TGridTable::VisibleIndexOf(const TColumn* column) const
{
    int index = 0;
    for (int c = 0; c < ColumnCount(); ++c) {
        const TColumn* current = GetColumn(c);
        if (!current->Visible()) continue;
        if (current == column) return index;
        ++index;
    }
    return -1;
}

int TGridTable::HeaderLineCount() const
{
    int lines = 0;
    for (int c = 0; c < ColumnCount(); ++c)
        if (GetColumn(c)->Visible()) lines = std::max(lines, GetColumn(c)->CaptionLineCount());
    return lines;
}

namespace {

// A top-depth column needs a float column after it; checked before any column gains rows, so
// that a refused insertion leaves every column as it was.
void CheckTopDepthPairs(const TGridTable& table)
{
    for (int c = 0; c + 1 < table.ColumnCount(); ++c) {
        auto* column = dynamic_cast<TFloatColumn*>(table.GetColumn(c));
        if (column && column->TopDepth() && !dynamic_cast<TFloatColumn*>(table.GetColumn(c + 1)))
            throw Exception(QStringLiteral("If column if a topdepth then the next column must be a float column"));
    }
}

}  // namespace

void TGridTable::SetRowCount(int rowCount)
{
    rowCount = std::max(0, rowCount);
    if (rowCount > m_rowCount) CheckTopDepthPairs(*this);
    m_rowCount = rowCount;
    for (int c = 0; c < ColumnCount(); ++c) {
        TColumn* column = GetColumn(c);
        while (column->RowCount() > rowCount) column->DeleteRow(column->RowCount() - 1);
        while (column->RowCount() < rowCount)
            column->InsertRows(this, column->RowCount(), std::min<int>(m_rowGroup, rowCount - column->RowCount()));
    }
}

void TGridTable::AddRowGroup()
{
    CheckTopDepthPairs(*this);
    m_rowCount += m_rowGroup;
    for (int c = 0; c < ColumnCount(); ++c) GetColumn(c)->InsertRows(this, GetColumn(c)->RowCount(), m_rowGroup);
    NotifyRowsChanged();
}

void TGridTable::InsertRowGroup(int row)
{
    const int first = m_rowGroup * (row / m_rowGroup);
    if (row < 0 || first > m_rowCount) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(row));
    CheckTopDepthPairs(*this);
    m_rowCount += m_rowGroup;
    for (int c = 0; c < ColumnCount(); ++c) GetColumn(c)->InsertRows(this, first, m_rowGroup);
    NotifyRowsChanged();
}

void TGridTable::DeleteRowGroup(int row)
{
    if (row < 0 || row >= m_rowCount) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(row));
    const int first = m_rowGroup * (row / m_rowGroup);
    const int count = std::min<int>(m_rowGroup, m_rowCount - first);
    m_rowCount -= count;
    for (int c = 0; c < ColumnCount(); ++c) {
        TColumn* column = GetColumn(c);
        for (int i = 0; i < count && first < column->RowCount(); ++i) column->DeleteRow(first);
    }
    NotifyRowsChanged();
}

void TGridTable::SizeTemplateLists()
{
    if (ColumnCount() == 0) return;
    auto* first = dynamic_cast<TEnumColumn*>(GetColumn(0));
    const int n = first ? first->ItemCount() : 1;
    for (int c = 0; c < ColumnCount(); ++c) {
        auto* column = dynamic_cast<TTableColumn*>(GetColumn(c));
        if (!column) continue;
        TGridTableList& templates = column->Templates();
        while (templates.Count() < n) templates.AddIndex(-1);
        while (templates.Count() > n) templates.Delete(templates.Count() - 1);
    }
}

TTableColumn* TGridTable::FirstTableColumn() const
{
    for (int c = 0; c < ColumnCount(); ++c)
        if (auto* column = dynamic_cast<TTableColumn*>(GetColumn(c))) return column;
    return nullptr;
}

void TGridTable::ColumnCellChanged(TColumn* column, int row)
{
    const int index = ColumnIndexOf(column);
    if (index == 0 && dynamic_cast<TEnumColumn*>(column)) {
        // The row's sub-table follows the chosen item.
        if (TTableColumn* tableColumn = FirstTableColumn(); tableColumn && row < tableColumn->RowCount())
            tableColumn->InitRow(row);
    }
    if (EditorCellChanged) EditorCellChanged(index, row);
}

void TGridTable::ColumnFocusCell(TColumn* column, int row)
{
    if (!m_editor) return;
    const int visibleIndex = VisibleIndexOf(column);
    if (visibleIndex >= 0) m_editor->SetCurrentCell(visibleIndex + 1, row + HeaderLineCount());
}

void TGridTable::ColumnItemsChanged(TColumn* column)
{
    if (ColumnIndexOf(column) == 0) SizeTemplateLists();
}

void TGridTable::NotifyRowsChanged()
{
    if (EditorRowsChanged) {
        const std::function<void()> notify = EditorRowsChanged;
        notify();
    }
}

void TGridTable::ReadColumns(TReader& reader)
{
    int32_t count = 0;
    try {
        count = reader.ReadInteger();
    } catch (const Exception&) {
        throw Exception(QStringLiteral("Error reading column count"));
    }
    for (int32_t i = 0; i < count; ++i) {
        TColumn* column = nullptr;
        try {
            const int32_t id = reader.ReadInteger();
            const TColumnClass* columnClass = Table::ColumnClassOf(id);
            if (!columnClass) throw Exception(QStringLiteral("Error Column Class not defined"));
            column = columnClass->CreateFromReader(this, reader);
            AddColumn(column);
        } catch (const Exception& e) {
            if (column) {
                const qsizetype index = m_columns.IndexOf(column);
                if (index >= 0)
                    m_columns.Delete(index);
                else
                    delete column;
            }
            throw Exception(HvlConst::Format("Error occured when creating column %d: %s", i, e.message()));
        }
        SizeTemplateLists();
    }
    NotifyRowsChanged();
}

void TGridTable::WriteColumns(TWriter& writer) const
{
    writer.WriteInteger(ColumnCount());
    for (int c = 0; c < ColumnCount(); ++c) {
        const TColumn* column = GetColumn(c);
        writer.WriteInteger(Table::ColumnTypeId(column->ColumnClass()));
        column->WriteData(writer);
    }
}

void TGridTable::LoadColumns(const QByteArray& data)
{
    TReader reader(data);
    ReadColumns(reader);
}

QByteArray TGridTable::SaveColumns() const
{
    TWriter writer;
    WriteColumns(writer);
    return writer.Data();
}

void TGridTable::SetEditorFactory(TEditorFactory factory) { EditorFactory() = std::move(factory); }

void TGridTable::ShowEditorAs(bool modal)
{
    if (VisibleColumnCount() == 0) return;
    if (!m_editor) {
        if (!EditorFactory()) throw Exception(QStringLiteral("No table editor is available"));
        m_editor = EditorFactory()(this, modal);
        if (!m_editor) return;
    }
    if (modal)
        m_editor->ShowModal();
    else
        m_editor->Show();
}

void TGridTable::ShowEditor() { ShowEditorAs(false); }

void TGridTable::ShowEditorModal() { ShowEditorAs(true); }

void TGridTable::CloseEditors()
{
    if (TTableEditor* editor = m_editor) {
        DetachEditor();
        delete editor;
    }
    for (int c = 0; c < ColumnCount(); ++c) GetColumn(c)->CloseEditors();
}

void TGridTable::ReopenEditor()
{
    if (!m_editor) return;
    const QRect placement = m_editor->Placement();
    CloseEditors();
    ShowEditor();
    if (m_editor && placement.isValid()) m_editor->SetPlacement(placement);
}

void TGridTable::DetachEditor()
{
    for (int c = 0; c < ColumnCount(); ++c) GetColumn(c)->FreeControls();
    EditorRowsChanged = nullptr;
    EditorCellChanged = nullptr;
    m_editor = nullptr;
}
