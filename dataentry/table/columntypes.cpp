#include "table/columntypes.h"

#include "entry/misc.h"
#include "table/unittemplates.h"
#include "util/hvlconst.h"
#include "util/hvlstring.h"
#include "util/numtext.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace ColumnTypes {

long double EvaluateEntry(const QString& text)
{
    try {
        return Misc::EvaluateExpression(text);
    } catch (const EAssignError&) {
        throw;
    } catch (const EConvertError&) {
        if (text.isEmpty()) throw EAssignError(QStringLiteral("Entry cannot be blank."));
        throw EAssignError(text + QStringLiteral(" is not a valid number."));
    }
}

}  // namespace ColumnTypes

namespace {

// Tells a column when one of its row controls takes the focus.
class TFocusWatcher : public QObject {
public:
    TFocusWatcher(QObject* parent, std::function<void()> onFocus) : QObject(parent), m_onFocus(std::move(onFocus)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) {
            try {
                m_onFocus();
            } catch (const Exception& e) {
                Table::ShowError(e.message());
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onFocus;
};

int RowTag(const QObject* control) { return control->property("row").toInt(); }

// Frees a row control once control returns to the event loop (it may be the sender of the
// signal being handled); it is hidden and cut off from its column at once.
template <class W> void FreeControl(QPointer<W>& control)
{
    if (control) {
        control->hide();
        QObject::disconnect(control, nullptr, control, nullptr);
        for (QObject* child : control->children())
            if (auto* watcher = dynamic_cast<TFocusWatcher*>(child)) {
                control->removeEventFilter(watcher);
                delete watcher;
            }
        control->deleteLater();
    }
    control = nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TEnumColumn

const TColumnClass* TEnumColumn::Class()
{
    static const TColumnClass c{
        "TEnumColumn", [](TGridTable* t) -> TColumn* { return new TEnumColumn(t); },
        [](TGridTable* t, TReader& r) -> TColumn* { return new TEnumColumn(t, r); }};
    return &c;
}

TEnumColumn::TEnumColumn(TGridTable* table) : TColumn(table) { FillRows(table); }

TEnumColumn::TEnumColumn(TGridTable* table, TReader& reader) : TColumn(table, reader)
{
    reader.ReadListBegin();
    while (!reader.EndOfList()) m_items.append(reader.ReadString());
    reader.ReadListEnd();
    FillRows(table);
}

TEnumColumn::~TEnumColumn() { FreeControls(); }

void TEnumColumn::SetItems(const QStringList& items)
{
    m_items = items;
    for (const QPointer<QComboBox>& combo : m_combos) {
        if (!combo) continue;
        combo->clear();
        combo->addItems(m_items);
        ShowValueInCombo(RowTag(combo));
    }
    if (OnItemsChanged) OnItemsChanged(this);
}

void TEnumColumn::InsertRows(TGridTable* table, int firstRow, int count)
{
    CheckInsert(firstRow);
    for (int i = 0; i < count; ++i) m_values.insert(firstRow + i, 1);
    TColumn::InsertRows(table, firstRow, count);
}

void TEnumColumn::DeleteRow(int row)
{
    CheckRow(row);
    m_values.removeAt(row);
    TColumn::DeleteRow(row);
}

int32_t TEnumColumn::GetAsInteger(int row) const
{
    CheckRow(row);
    return m_values[row];
}

void TEnumColumn::SetAsInteger(int row, int32_t value)
{
    int first = 0;
    int last = 0;
    StoredRows(row, first, last);
    if (value < 1 || value > ItemCount())
        throw EAssignError(HvlConst::Format("Entry must be between %d and %d.", 1, ItemCount()));
    for (int r = first; r <= last; ++r) {
        if (m_values[r] == value) continue;
        m_values[r] = value;
        ShowValueInCombo(r);
        Changed(r);
    }
}

void TEnumColumn::ShowValueInCombo(int row)
{
    if (row < 0 || row >= RowCount()) return;
    const int32_t value = m_values[row];
    for (const QPointer<QComboBox>& combo : m_combos)
        if (combo && RowTag(combo) == row) combo->setCurrentIndex(value >= 1 && value <= ItemCount() ? value - 1 : -1);
}

QString TEnumColumn::GetText(int row) const { return NumText::IntToStr(GetAsInteger(row)); }

void TEnumColumn::SetText(int row, const QString& text)
{
    CheckRow(row);
    const long double x = ColumnTypes::EvaluateEntry(text);
    if (!HvlString::IsWholeNumber(x)) throw EAssignError(QStringLiteral("Value must be an integer."));
    SetAsInteger(row, static_cast<int32_t>(x));
}

bool TEnumColumn::ControlsAllocated() const { return !m_controlParent.isNull(); }

QWidget* TEnumColumn::GetControl(int index) const { return ComboBox(index); }

QComboBox* TEnumColumn::ComboBox(int index) const
{
    if (index < 0 || index >= m_combos.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_combos[index];
}

int TEnumColumn::MinWidth(const QFontMetrics& canvas) const
{
    return std::max(TColumn::MinWidth(canvas), Table::ScreenPixelsPerInch() * 3 / 2);
}

void TEnumColumn::WriteData(TWriter& writer) const
{
    WriteCommon(writer);
    writer.WriteListBegin();
    for (const QString& item : m_items) writer.WriteString(item);
    writer.WriteListEnd();
}

TColumn* TEnumColumn::Clone(TGridTable* table) const
{
    auto* clone = static_cast<TEnumColumn*>(TColumn::Clone(table));
    clone->m_items = m_items;
    return clone;
}

void TEnumColumn::ComboBoxChosen(int row, int index)
{
    if (row < 0) throw Exception(QStringLiteral("Unexpected row for combobox"));
    const QList<int32_t> before = m_values;
    SetAsInteger(row, index + 1);
    // The user's choice in the editor: the table is modified when a value changed.
    if (m_table && m_values != before) m_table->SetModified(true);
}

void TEnumColumn::CreateControls(QWidget* parent, int firstRow, int count)
{
    if (ControlsAllocated() && parent != m_controlParent)
        throw Exception(QStringLiteral("Error attempt to change parent with controls already allocated"));
    if (!parent) throw Exception(QStringLiteral("null parent"));
    // Boxes that went with a freed parent window are forgotten.
    if (!m_controlParent) FreeControls();
    m_combos.removeIf([](const QPointer<QComboBox>& combo) { return combo.isNull(); });
    m_controlParent = parent;
    count = std::max(0, count);
    while (m_combos.size() > count) {
        FreeControl(m_combos.last());
        m_combos.removeLast();
    }
    while (m_combos.size() < count) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->addItems(m_items);
        combo->setMaxVisibleItems(11);
        combo->hide();
        QObject::connect(combo, &QComboBox::activated, combo, [this, combo](int index) {
            try {
                ComboBoxChosen(RowTag(combo), index);
            } catch (const Exception& e) {
                Table::ShowError(e.message());
            }
        });
        combo->installEventFilter(new TFocusWatcher(combo, [this, combo] {
            if (OnFocusCell) OnFocusCell(this, RowTag(combo));
        }));
        m_combos.append(combo);
    }
    for (int i = 0; i < count; ++i) {
        QComboBox* combo = m_combos[i];
        combo->setProperty("row", firstRow + i);
        combo->hide();
        ShowValueInCombo(firstRow + i);
        combo->raise();
    }
}

void TEnumColumn::FreeControls()
{
    m_controlParent = nullptr;
    for (QPointer<QComboBox>& combo : m_combos) FreeControl(combo);
    m_combos.clear();
}

// ---------------------------------------------------------------------------------------------
// TIntColumn

const TColumnClass* TIntColumn::Class()
{
    static const TColumnClass c{
        "TIntColumn", [](TGridTable* t) -> TColumn* { return new TIntColumn(t); },
        [](TGridTable* t, TReader& r) -> TColumn* { return new TIntColumn(t, r); }};
    return &c;
}

TIntColumn::TIntColumn(TGridTable* table) : TColumn(table) { FillRows(table); }

TIntColumn::TIntColumn(TGridTable* table, TReader& reader) : TColumn(table, reader)
{
    m_default = reader.ReadInteger();
    m_minimum = reader.ReadInteger();
    m_maximum = reader.ReadInteger();
    FillRows(table);
}

void TIntColumn::InsertRows(TGridTable* table, int firstRow, int count)
{
    CheckInsert(firstRow);
    for (int i = 0; i < count; ++i) m_values.insert(firstRow + i, m_default);
    TColumn::InsertRows(table, firstRow, count);
}

void TIntColumn::DeleteRow(int row)
{
    CheckRow(row);
    m_values.removeAt(row);
    TColumn::DeleteRow(row);
}

int32_t TIntColumn::GetAsInteger(int row) const
{
    CheckRow(row);
    return m_values[row];
}

void TIntColumn::SetAsInteger(int row, int32_t value)
{
    int first = 0;
    int last = 0;
    StoredRows(row, first, last);
    for (int r = first; r <= last; ++r) {
        m_values[r] = value;
        Changed(r);
    }
}

QString TIntColumn::GetText(int row) const { return NumText::IntToStr(GetAsInteger(row)); }

void TIntColumn::SetText(int row, const QString& text)
{
    CheckRow(row);
    const long double x = ColumnTypes::EvaluateEntry(text);
    if (m_table && m_table->Editor()) {
        if (std::fabs(HvlConst::FracPart(x)) > 1e-10L) throw EAssignError(QStringLiteral("Entry must be an integer."));
        if (x < m_minimum || x > m_maximum)
            throw EAssignError(HvlConst::Format("Entry must be between %d and %d.", m_minimum, m_maximum));
    }
    // Rounded, the value must still be a 32-bit integer.
    const long double rounded = NumText::RoundHalfEven(x);
    if (rounded < static_cast<long double>(INT32_MIN) || rounded > static_cast<long double>(INT32_MAX))
        throw EAssignError(HvlConst::Format("Entry must be between %d and %d.", INT32_MIN, INT32_MAX));
    SetAsInteger(row, static_cast<int32_t>(rounded));
}

int TIntColumn::MinWidth(const QFontMetrics& canvas) const
{
    return std::max(TColumn::MinWidth(canvas), Table::ScreenPixelsPerInch() / 2);
}

void TIntColumn::WriteData(TWriter& writer) const
{
    WriteCommon(writer);
    writer.WriteInteger(m_default);
    writer.WriteInteger(m_minimum);
    writer.WriteInteger(m_maximum);
}

TColumn* TIntColumn::Clone(TGridTable* table) const
{
    auto* clone = static_cast<TIntColumn*>(TColumn::Clone(table));
    clone->m_default = m_default;
    clone->m_minimum = m_minimum;
    clone->m_maximum = m_maximum;
    return clone;
}

// ---------------------------------------------------------------------------------------------
// TFloatColumn

namespace {

const QString kFloatColumnTag = QStringLiteral("FLOATCOLUMN2");
const QString kFlexColumnTag = QStringLiteral("FLEXCOLUMN2");

}  // namespace

const TColumnClass* TFloatColumn::Class()
{
    static const TColumnClass c{
        "TFloatColumn", [](TGridTable* t) -> TColumn* { return new TFloatColumn(t); },
        [](TGridTable* t, TReader& r) -> TColumn* { return new TFloatColumn(t, r); }};
    return &c;
}

TFloatColumn::TFloatColumn(TGridTable* table) : TColumn(table) { FillRows(table); }

TFloatColumn::TFloatColumn(TGridTable* table, TReader& reader) : TColumn(table, reader)
{
    m_topDepth = reader.ReadBoolean();
    const QString text = reader.ReadString();
    if (text == kFloatColumnTag) {
        m_unitTemplate = reader.ReadString();
        m_default = reader.ReadFloat();
    } else {
        m_unitTemplate = text;  // older record: the template, no default value
    }
    FillRows(table);
}

TFloatColumn* TFloatColumn::Partner() const
{
    if (!m_topDepth || !m_table) return nullptr;
    const int index = m_table->ColumnIndexOf(this);
    if (index < 0 || index + 1 >= m_table->ColumnCount()) return nullptr;
    auto* next = dynamic_cast<TFloatColumn*>(m_table->GetColumn(index + 1));
    if (!next) throw Exception(QStringLiteral("If column if a topdepth then the next column must be a float column"));
    return next;
}

TFloatColumn* TFloatColumn::TopColumn() const
{
    if (!m_table) return nullptr;
    const int index = m_table->ColumnIndexOf(this);
    if (index < 1) return nullptr;
    auto* previous = dynamic_cast<TFloatColumn*>(m_table->GetColumn(index - 1));
    return previous && previous->m_topDepth ? previous : nullptr;
}

void TFloatColumn::InsertRows(TGridTable* table, int firstRow, int count)
{
    CheckInsert(firstRow);
    TFloatColumn* partner = Partner();
    TFloatColumn* top = TopColumn();
    for (int i = 0; i < count; ++i) {
        const int r = firstRow + i;
        long double value = m_default;
        if (partner && r >= 1 && r <= partner->RowCount() - 1)
            value = partner->m_values[r - 1];  // the bottom of the layer above
        else if (top && r + 1 < top->RowCount())
            value = top->m_values[r + 1];  // the top of the layer below
        m_values.insert(r, value);
    }
    TColumn::InsertRows(table, firstRow, count);
}

void TFloatColumn::DeleteRow(int row)
{
    CheckRow(row);
    if (m_topDepth && m_table) {
        TFloatColumn* partner = nullptr;
        try {
            partner = Partner();
        } catch (const Exception&) {
            partner = nullptr;
        }
        // The layer below starts where the layer above ends.
        if (partner && row > 0 && row < RowCount() - 1 && row - 1 < partner->RowCount())
            m_values[row + 1] = partner->m_values[row - 1];
    }
    m_values.removeAt(row);
    TColumn::DeleteRow(row);
}

QString TFloatColumn::GetCaptionLine(int index) const
{
    const QString line = TColumn::GetCaptionLine(index);
    if (index != CaptionLineCount() - 1 || m_unitTemplate.isEmpty()) return line;
    const int system = m_table ? m_table->UnitSystem() : 1;
    return HvlConst::Format("%s (%s)  ", line, ColumnTypes::ExpandUnitTemplate(m_unitTemplate, system));
}

long double TFloatColumn::GetAsFloat(int row) const
{
    CheckRow(row);
    return m_values[row];
}

void TFloatColumn::SetAsFloat(int row, long double value)
{
    int first = 0;
    int last = 0;
    StoredRows(row, first, last);
    if (GroupValue()) {
        for (int r = first; r <= last; ++r) {
            m_values[r] = value;
            Changed(r);
        }
        return;
    }
    TFloatColumn* partner = nullptr;
    try {
        partner = Partner();
    } catch (const Exception&) {
        partner = nullptr;
    }
    m_values[row] = value;
    if (partner && row >= 1 && row - 1 < partner->RowCount()) {
        partner->m_values[row - 1] = value;
        partner->Changed(row - 1);
    } else if (TFloatColumn* top = TopColumn(); top && row + 1 < top->RowCount()) {
        top->m_values[row + 1] = value;
        top->Changed(row + 1);
    }
    Changed(row);
}

QString TFloatColumn::GetText(int row) const { return NumText::FloatToStrGeneral(GetAsFloat(row), 8); }

void TFloatColumn::SetText(int row, const QString& text)
{
    CheckRow(row);
    const long double value = ColumnTypes::EvaluateEntry(text);
    if (EntryCheck) EntryCheck(row, value);
    SetAsFloat(row, value);
}

int TFloatColumn::MinWidth(const QFontMetrics& canvas) const
{
    return std::max(TColumn::MinWidth(canvas), Table::ScreenPixelsPerInch() / 2);
}

void TFloatColumn::SetUnits(int unitSystem)
{
    const int from = m_table ? m_table->UnitSystem() : 1;
    const long double factor = ColumnTypes::UnitConversionFactor(from, unitSystem, m_unitTemplate);
    for (int r = 0; r < RowCount(); ++r) {
        m_values[r] *= factor;
        Changed(r);
    }
}

void TFloatColumn::WriteData(TWriter& writer) const
{
    WriteCommon(writer);
    writer.WriteBoolean(m_topDepth);
    writer.WriteString(kFloatColumnTag);
    writer.WriteString(m_unitTemplate);
    writer.WriteFloat(m_default);
}

TColumn* TFloatColumn::Clone(TGridTable* table) const
{
    auto* clone = static_cast<TFloatColumn*>(TColumn::Clone(table));
    clone->m_topDepth = m_topDepth;
    clone->m_unitTemplate = m_unitTemplate;
    clone->m_default = m_default;
    return clone;
}

// ---------------------------------------------------------------------------------------------
// TStringColumn

const TColumnClass* TStringColumn::Class()
{
    static const TColumnClass c{
        "TStringColumn", [](TGridTable* t) -> TColumn* { return new TStringColumn(t); },
        [](TGridTable* t, TReader& r) -> TColumn* { return new TStringColumn(t, r); }};
    return &c;
}

TStringColumn::TStringColumn(TGridTable* table) : TColumn(table) { FillRows(table); }

TStringColumn::TStringColumn(TGridTable* table, TReader& reader) : TColumn(table, reader)
{
    m_default = reader.ReadString();
    m_width = reader.ReadFloat();
    FillRows(table);
}

void TStringColumn::InsertRows(TGridTable* table, int firstRow, int count)
{
    CheckInsert(firstRow);
    for (int i = 0; i < count; ++i) m_values.insert(firstRow + i, m_default);
    TColumn::InsertRows(table, firstRow, count);
}

void TStringColumn::DeleteRow(int row)
{
    CheckRow(row);
    m_values.removeAt(row);
    TColumn::DeleteRow(row);
}

QString TStringColumn::GetText(int row) const
{
    CheckRow(row);
    return m_values[row];
}

void TStringColumn::SetText(int row, const QString& text)
{
    int first = 0;
    int last = 0;
    StoredRows(row, first, last);
    for (int r = first; r <= last; ++r) {
        m_values[r] = text;
        Changed(r);
    }
}

int TStringColumn::MinWidth(const QFontMetrics& canvas) const
{
    // A width read from a stream may be anything: kept within what a screen can show.
    const long double pixels = Table::ScreenPixelsPerInch() * m_width;
    const int width = std::isfinite(pixels) ? static_cast<int>(std::lround(std::clamp(pixels, 0.0L, 100000.0L))) : 0;
    return std::max(TColumn::MinWidth(canvas), width);
}

void TStringColumn::WriteData(TWriter& writer) const
{
    WriteCommon(writer);
    writer.WriteString(m_default);
    writer.WriteFloat(m_width);
}

TColumn* TStringColumn::Clone(TGridTable* table) const
{
    auto* clone = static_cast<TStringColumn*>(TColumn::Clone(table));
    clone->m_default = m_default;
    clone->m_width = m_width;
    return clone;
}

// ---------------------------------------------------------------------------------------------
// TTableColumn

const TColumnClass* TTableColumn::Class()
{
    static const TColumnClass c{
        "TTableColumn", [](TGridTable* t) -> TColumn* { return new TTableColumn(t); },
        [](TGridTable* t, TReader& r) -> TColumn* { return new TTableColumn(t, r); }};
    return &c;
}

TTableColumn::TTableColumn(TGridTable* table) : TColumn(table) { FillRows(table); }

TTableColumn::TTableColumn(TGridTable* table, TReader& reader) : TColumn(table, reader)
{
    const QString text = reader.ReadString();
    if (text == kFlexColumnTag) {
        reader.ReadListBegin();
        while (!reader.EndOfList()) m_templates.AddIdentifier(reader.ReadInteger());
        reader.ReadListEnd();
    } else {
        // Older record: one position in the list of live tables.
        const int32_t position = reader.ReadInteger();
        auto* first = table && table->ColumnCount() > 0 ? dynamic_cast<TEnumColumn*>(table->GetColumn(0)) : nullptr;
        if (first) {
            for (int k = 1; k <= first->ItemCount(); ++k) {
                if (table->HardwiredButton())
                    m_templates.AddIndex(position);
                else
                    m_templates.AddIdentifier(k);
            }
        } else {
            m_templates.AddIndex(position);
        }
    }
    FillRows(table);
}

TTableColumn::~TTableColumn()
{
    FreeControls();
    for (qsizetype i = m_rows.size() - 1; i >= 0; --i) {
        QObject* object = m_rows[i];
        m_rows[i] = nullptr;
        delete object;
    }
}

const TGridTable* TTableColumn::TemplateFor(int item) const
{
    const int index = item - 1;
    if (index < 0 || index >= m_templates.Count()) return nullptr;
    const TGridTable* templateTable = m_templates.GetTable(index);
    if (!templateTable) return nullptr;
    // A template that is this table, or that this table or one of its owners was copied from,
    // would make copies without end.
    for (const QObject* o = m_table; o; o = o->parent()) {
        const auto* owner = qobject_cast<const TGridTable*>(o);
        if (!owner) break;
        if (owner == templateTable || owner->TemplateTable() == templateTable) return nullptr;
    }
    return templateTable;
}

void TTableColumn::SetRowObject(int row, QObject* object)
{
    QObject* old = m_rows[row];
    m_rows[row] = object;
    if (old != object) delete old;
}

void TTableColumn::InitRow(int row)
{
    if (row < 0 || row >= m_rows.size()) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(row));
    int item = 1;
    if (m_table && m_table->ColumnCount() > 0)
        if (auto* first = dynamic_cast<TEnumColumn*>(m_table->GetColumn(0)); first && row < first->RowCount())
            item = first->GetAsInteger(row);
    if (const TGridTable* templateTable = TemplateFor(item)) {
        TGridTable* sub = TGridTable::CreateFromTemplate(m_table, row + 1, templateTable);
        SetRowObject(row, sub);
        if (OnSubTableMade) OnSubTableMade(row, item, sub);
    } else if (InitRowHook) {
        QObject* object = InitRowHook(row, item);
        try {
            if (SetRowHook) SetRowHook(object, row);
        } catch (...) {
            delete object;
            throw;
        }
        SetRowObject(row, object);
    } else {
        SetRowObject(row, nullptr);
    }
    for (const QPointer<QPushButton>& button : m_buttons)
        if (button && RowTag(button) == row) button->setText(ButtonCaption(row));
}

void TTableColumn::Renumber(int fromRow)
{
    for (int i = std::max(0, fromRow); i < m_rows.size(); ++i) {
        if (auto* sub = qobject_cast<TGridTable*>(m_rows[i]))
            sub->SetNumber(i + 1);
        else if (m_rows[i] && SetRowHook)
            SetRowHook(m_rows[i], i);
    }
}

void TTableColumn::InsertRows(TGridTable* table, int firstRow, int count)
{
    CheckInsert(firstRow);
    count = std::max(0, count);
    for (int i = 0; i < count; ++i) m_rows.insert(firstRow + i, nullptr);
    try {
        for (int i = 0; i < count; ++i) InitRow(firstRow + i);
    } catch (...) {
        for (int i = count - 1; i >= 0; --i) delete m_rows.takeAt(firstRow + i);
        throw;
    }
    Renumber(firstRow + count);
    TColumn::InsertRows(table, firstRow, count);
}

void TTableColumn::DeleteRow(int row)
{
    CheckRow(row);
    delete m_rows.takeAt(row);
    Renumber(row);
    TColumn::DeleteRow(row);
}

TGridTable* TTableColumn::GetAsTable(int row) const
{
    CheckRow(row);
    return qobject_cast<TGridTable*>(m_rows[row]);
}

QObject* TTableColumn::GetObject(int row) const
{
    CheckRow(row);
    return m_rows[row];
}

bool TTableColumn::IsChanged() const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (auto* sub = qobject_cast<TGridTable*>(m_rows[i])) {
            if (sub->IsModified()) return true;
        } else if (m_rows[i] && ChangedHook && ChangedHook(i, m_rows[i])) {
            return true;
        }
    }
    return false;
}

bool TTableColumn::ControlsAllocated() const { return !m_controlParent.isNull(); }

QWidget* TTableColumn::GetControl(int index) const { return Button(index); }

QPushButton* TTableColumn::Button(int index) const
{
    if (index < 0 || index >= m_buttons.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_buttons[index];
}

void TTableColumn::CloseEditors()
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (auto* sub = qobject_cast<TGridTable*>(m_rows[i]))
            sub->CloseEditors();
        else if (m_rows[i] && HideHook)
            HideHook(i, m_rows[i]);
    }
}

void TTableColumn::ResetChanged()
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (auto* sub = qobject_cast<TGridTable*>(m_rows[i]))
            sub->ResetModified();
        else if (m_rows[i] && ResetChangedHook)
            ResetChangedHook(i, m_rows[i]);
    }
}

int TTableColumn::MinWidth(const QFontMetrics& canvas) const
{
    return std::max(TColumn::MinWidth(canvas), 2 * Table::ScreenPixelsPerInch());
}

void TTableColumn::SetUnits(int unitSystem)
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (auto* sub = qobject_cast<TGridTable*>(m_rows[i]))
            sub->SetUnits(unitSystem);
        else if (m_rows[i] && SetUnitsHook)
            SetUnitsHook(i, m_rows[i], unitSystem);
    }
}

void TTableColumn::WriteData(TWriter& writer) const
{
    WriteCommon(writer);
    writer.WriteString(kFlexColumnTag);
    writer.WriteListBegin();
    for (int i = 0; i < m_templates.Count(); ++i) {
        const TGridTable* templateTable = m_templates.GetTable(i);
        writer.WriteInteger(templateTable ? templateTable->Identifier() : -1);
    }
    writer.WriteListEnd();
}

TColumn* TTableColumn::Clone(TGridTable* table) const
{
    auto* clone = static_cast<TTableColumn*>(TColumn::Clone(table));
    clone->m_templates = m_templates;
    return clone;
}

QString TTableColumn::ButtonCaption(int row) const
{
    CheckRow(row);
    QObject* object = m_rows[row];
    QString caption;
    if (auto* sub = qobject_cast<TGridTable*>(object))
        caption = sub->Caption();
    else if (ButtonCaptionHook)
        caption = ButtonCaptionHook(row, object);
    return HvlConst::Format("%d: %s", row + 1, caption);
}

void TTableColumn::ButtonClick(int row)
{
    CheckRow(row);
    QObject* object = m_rows[row];
    if (auto* sub = qobject_cast<TGridTable*>(object)) {
        const bool modal = m_table && m_table->Editor() && m_table->Editor()->IsShowingModal();
        if (modal)
            sub->ShowEditorModal();
        else
            sub->ShowEditor();
    } else if (ButtonClickHook) {
        ButtonClickHook(row, object);
    }
}

void TTableColumn::CreateControls(QWidget* parent, int firstRow, int count)
{
    if (ControlsAllocated() && parent != m_controlParent)
        throw Exception(QStringLiteral("Attempt to change parent with controls already allocated"));
    if (!parent) throw Exception(QStringLiteral("null parent"));
    if (firstRow < 0 || firstRow >= RowCount()) throw Exception(HvlConst::Format("ATopRow %d", firstRow));
    if (count <= 0 || firstRow + count > RowCount()) throw Exception(HvlConst::Format("ACount %d", count));
    // Buttons that went with a freed parent window are forgotten.
    if (!m_controlParent) FreeControls();
    m_buttons.removeIf([](const QPointer<QPushButton>& button) { return button.isNull(); });
    m_controlParent = parent;
    while (m_buttons.size() > count) {
        FreeControl(m_buttons.last());
        m_buttons.removeLast();
    }
    while (m_buttons.size() < count) {
        auto* button = new QPushButton(parent);
        button->hide();
        QObject::connect(button, &QPushButton::clicked, button, [this, button] {
            try {
                ButtonClick(RowTag(button));
            } catch (const Exception& e) {
                Table::ShowError(e.message());
            }
        });
        m_buttons.append(button);
    }
    for (int i = 0; i < count; ++i) {
        QPushButton* button = m_buttons[i];
        button->setProperty("row", firstRow + i);
        button->setText(ButtonCaption(firstRow + i));
        button->raise();
    }
}

void TTableColumn::FreeControls()
{
    m_controlParent = nullptr;
    for (QPointer<QPushButton>& button : m_buttons) FreeControl(button);
    m_buttons.clear();
}
