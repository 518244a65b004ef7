#include "table/column.h"

#include "table/columntypes.h"
#include "table/table.h"
#include "util/hvlconst.h"

#include <QFontMetrics>
#include <QHash>
#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

#include <array>
#include <cmath>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// TWriter

void TWriter::WriteTag(TValueType tag) { m_data.append(static_cast<char>(tag)); }

void TWriter::WriteListBegin() { WriteTag(TValueType::vaList); }

void TWriter::WriteListEnd() { WriteTag(TValueType::vaNull); }

namespace {

void AppendLittleEndian(QByteArray& data, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) data.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

void TWriter::WriteInteger(int32_t value)
{
    if (value >= -128 && value <= 127) {
        WriteTag(TValueType::vaInt8);
        AppendLittleEndian(m_data, static_cast<uint8_t>(static_cast<int8_t>(value)), 1);
    } else if (value >= -32768 && value <= 32767) {
        WriteTag(TValueType::vaInt16);
        AppendLittleEndian(m_data, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
    } else {
        WriteTag(TValueType::vaInt32);
        AppendLittleEndian(m_data, static_cast<uint32_t>(value), 4);
    }
}

void TWriter::WriteBoolean(bool value) { WriteTag(value ? TValueType::vaTrue : TValueType::vaFalse); }

void TWriter::WriteString(const QString& value)
{
    bool latin1 = true;
    for (QChar c : value)
        if (c.unicode() > 0xFF) latin1 = false;
    const QByteArray bytes = latin1 ? value.toLatin1() : value.toUtf8();
    if (!latin1) {
        WriteTag(TValueType::vaUTF8String);
        AppendLittleEndian(m_data, static_cast<uint32_t>(bytes.size()), 4);
    } else if (bytes.size() <= 255) {
        WriteTag(TValueType::vaString);
        AppendLittleEndian(m_data, static_cast<uint8_t>(bytes.size()), 1);
    } else {
        WriteTag(TValueType::vaLString);
        AppendLittleEndian(m_data, static_cast<uint32_t>(bytes.size()), 4);
    }
    m_data.append(bytes);
}

void TWriter::WriteFloat(long double value)
{
    WriteTag(TValueType::vaExtended);
    unsigned char bytes[10];
    Table::EncodeExtended(value, bytes);
    m_data.append(reinterpret_cast<const char*>(bytes), 10);
}

// ---------------------------------------------------------------------------------------------
// TReader

void TReader::Invalid() { throw EReadError(QStringLiteral("Invalid property value")); }

uint8_t TReader::ReadByte()
{
    if (m_pos >= m_data.size()) throw EReadError(QStringLiteral("Stream read error"));
    return static_cast<uint8_t>(m_data[m_pos++]);
}

QByteArray TReader::ReadBytes(qsizetype count)
{
    if (count < 0 || count > m_data.size() - m_pos) throw EReadError(QStringLiteral("Stream read error"));
    QByteArray bytes = m_data.mid(m_pos, count);
    m_pos += count;
    return bytes;
}

TValueType TReader::ReadTag() { return static_cast<TValueType>(ReadByte()); }

TValueType TReader::NextValue() const
{
    if (m_pos >= m_data.size()) throw EReadError(QStringLiteral("Stream read error"));
    return static_cast<TValueType>(static_cast<uint8_t>(m_data[m_pos]));
}

bool TReader::EndOfList() const { return NextValue() == TValueType::vaNull; }

void TReader::ReadListBegin()
{
    if (ReadTag() != TValueType::vaList) Invalid();
}

void TReader::ReadListEnd()
{
    if (ReadTag() != TValueType::vaNull) Invalid();
}

int32_t TReader::ReadInteger()
{
    const TValueType tag = ReadTag();
    switch (tag) {
    case TValueType::vaInt8:
        return static_cast<int8_t>(ReadByte());
    case TValueType::vaInt16: {
        const QByteArray b = ReadBytes(2);
        return static_cast<int16_t>(static_cast<uint8_t>(b[0]) | (static_cast<uint8_t>(b[1]) << 8));
    }
    case TValueType::vaInt32: {
        const QByteArray b = ReadBytes(4);
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[i]);
        return static_cast<int32_t>(v);
    }
    default:
        Invalid();
    }
}

bool TReader::ReadBoolean()
{
    const TValueType tag = ReadTag();
    if (tag == TValueType::vaTrue) return true;
    if (tag == TValueType::vaFalse) return false;
    Invalid();
}

QString TReader::ReadString()
{
    const TValueType tag = ReadTag();
    qsizetype length = 0;
    switch (tag) {
    case TValueType::vaString:
        length = ReadByte();
        return QString::fromLatin1(ReadBytes(length));
    case TValueType::vaLString:
    case TValueType::vaUTF8String: {
        const QByteArray b = ReadBytes(4);
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[i]);
        if (v > static_cast<uint32_t>(m_data.size() - m_pos)) throw EReadError(QStringLiteral("Stream read error"));
        const QByteArray text = ReadBytes(static_cast<qsizetype>(v));
        return tag == TValueType::vaLString ? QString::fromLatin1(text) : QString::fromUtf8(text);
    }
    default:
        Invalid();
    }
}

long double TReader::ReadFloat()
{
    const TValueType tag = NextValue();
    if (tag == TValueType::vaInt8 || tag == TValueType::vaInt16 || tag == TValueType::vaInt32)
        return ReadInteger();
    if (ReadTag() != TValueType::vaExtended) Invalid();
    const QByteArray b = ReadBytes(10);
    return Table::DecodeExtended(reinterpret_cast<const unsigned char*>(b.constData()));
}

// ---------------------------------------------------------------------------------------------
// TData

int TData::Row() const { return m_column ? m_column->RowOf(this) : -1; }

int TData::CheckedRow() const
{
    const int row = Row();
    if (row < 0) throw EListError(QStringLiteral("Cell of a deleted row"));
    return row;
}

TGridTable* TData::GetAsTable() const { return m_column->GetAsTable(CheckedRow()); }
long double TData::GetAsFloat() const
{
    const int row = CheckedRow();
    return m_column->GetAsFloat(row);
}
int32_t TData::GetAsInteger() const
{
    const int row = CheckedRow();
    return m_column->GetAsInteger(row);
}
QString TData::GetText() const
{
    const int row = CheckedRow();
    return m_column->GetText(row);
}
void TData::SetAsFloat(long double value)
{
    const int row = CheckedRow();
    m_column->SetAsFloat(row, value);
}
void TData::SetAsInteger(int32_t value)
{
    const int row = CheckedRow();
    m_column->SetAsInteger(row, value);
}

// ---------------------------------------------------------------------------------------------
// TColumn

namespace {

[[noreturn]] void WrongType() { throw EInvalidCast(QStringLiteral("Data of wrong type")); }

}  // namespace

TColumn::TColumn(TGridTable* table) : m_table(table) {}

TColumn::TColumn(TGridTable* table, TReader& reader) : m_table(table)
{
    reader.ReadListBegin();
    while (!reader.EndOfList()) m_captions.append(reader.ReadString());
    reader.ReadListEnd();
    m_visible = reader.ReadBoolean();
    m_groupValue = reader.ReadBoolean();
}

TColumn::~TColumn()
{
    for (const TDataPtr& cell : m_cells) cell->m_column = nullptr;
}

void TColumn::InsertRows(TGridTable*, int firstRow, int count)
{
    CheckInsert(firstRow);
    for (int i = 0; i < count; ++i) m_cells.insert(firstRow + i, std::make_shared<TData>(this));
}

void TColumn::DeleteRow(int row)
{
    CheckRow(row);
    m_cells[row]->m_column = nullptr;
    m_cells.removeAt(row);
}

int TColumn::CaptionLineCount() const { return static_cast<int>(m_captions.size()); }

QString TColumn::GetCaptionLine(int index) const
{
    if (index < 0 || index >= m_captions.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_captions[index];
}

TGridTable* TColumn::GetAsTable(int) const { WrongType(); }
long double TColumn::GetAsFloat(int) const { WrongType(); }
void TColumn::SetAsFloat(int, long double) { WrongType(); }
int32_t TColumn::GetAsInteger(int) const { WrongType(); }
void TColumn::SetAsInteger(int, int32_t) { WrongType(); }
QObject* TColumn::GetObject(int) const { WrongType(); }
QString TColumn::GetText(int) const { return QString(); }
void TColumn::SetText(int, const QString&) {}
bool TColumn::IsChanged() const { return false; }
QStringList& TColumn::GetCaptions() { return m_captions; }
QWidget* TColumn::GetControl(int) const { return nullptr; }
int TColumn::GetRowGroup() const { return OnGetRowGroup ? OnGetRowGroup(const_cast<TColumn*>(this)) : 1; }
void TColumn::CloseEditors() {}
void TColumn::ResetChanged() {}

int TColumn::MinWidth(const QFontMetrics& canvas) const
{
    int width = 0;
    for (int i = 0; i < CaptionLineCount(); ++i)
        width = std::max(width, canvas.horizontalAdvance(GetCaptionLine(i) + QStringLiteral("  ")));
    return width;
}

void TColumn::SetUnits(int) {}

void TColumn::WriteData(TWriter& writer) const { WriteCommon(writer); }

void TColumn::WriteCommon(TWriter& writer) const
{
    writer.WriteListBegin();
    for (const QString& line : m_captions) writer.WriteString(line);
    writer.WriteListEnd();
    writer.WriteBoolean(m_visible);
    writer.WriteBoolean(m_groupValue);
}

bool TColumn::HasControls() const { return false; }

TColumn* TColumn::Clone(TGridTable* table) const
{
    TColumn* clone = ColumnClass()->Create(table);
    CopyBaseTo(clone);
    return clone;
}

void TColumn::CopyBaseTo(TColumn* clone) const
{
    clone->m_visible = m_visible;
    clone->m_captions = m_captions;
}

void TColumn::CreateControls(QWidget*, int, int) {}
void TColumn::FreeControls() {}

TDataPtr TColumn::Cell(int row) const
{
    CheckRow(row);
    return m_cells[row];
}

int TColumn::RowOf(const TData* data) const
{
    for (qsizetype i = 0; i < m_cells.size(); ++i)
        if (m_cells[i].get() == data) return static_cast<int>(i);
    return -1;
}

void TColumn::Changed(int row)
{
    if (OnCellChanged) OnCellChanged(this, row);
}

void TColumn::StoredRows(int row, int& first, int& last) const
{
    CheckRow(row);
    first = last = row;
    if (!m_groupValue) return;
    const int group = std::max(1, GetRowGroup());
    first = group * (row / group);
    last = std::min(first + group - 1, RowCount() - 1);
}

void TColumn::CheckRow(int row) const
{
    if (row < 0 || row >= RowCount()) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(row));
}

void TColumn::CheckInsert(int firstRow) const
{
    if (firstRow < 0 || firstRow > RowCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(firstRow));
}

void TColumn::FillRows(TGridTable* table)
{
    if (!table) return;
    const int group = std::max(1, table->RowGroup());
    while (RowCount() < table->RowCount())
        InsertRows(table, RowCount(), std::min(group, table->RowCount() - RowCount()));
}

// ---------------------------------------------------------------------------------------------
// Registry, table list, helpers

namespace Table {

namespace {

struct TColumnTypeStorage {
    const TColumnClass* columnClass;
    int32_t id;
};

QList<TColumnTypeStorage>* g_registry = nullptr;

QList<TColumnTypeStorage>& Registry()
{
    if (!g_registry) {
        g_registry = new QList<TColumnTypeStorage>;
        RegisterColumnTypes();
    }
    return *g_registry;
}

QList<TGridTable*>& Tables()
{
    static QList<TGridTable*> tables;
    return tables;
}

// The live tables by Identifier (identifiers are unique among live tables).
QHash<int32_t, TGridTable*>& TablesByIdentifier()
{
    static QHash<int32_t, TGridTable*> tables;
    return tables;
}

int32_t g_identifierCounter = 0;

std::function<void(const QString&)>& ErrorHandler()
{
    static std::function<void(const QString&)> handler;
    return handler;
}

// The five classes of the program, in the order of their ids.
std::array<const TColumnClass*, 5> FiveClasses()
{
    return {TEnumColumn::Class(), TIntColumn::Class(), TFloatColumn::Class(), TTableColumn::Class(),
            TStringColumn::Class()};
}

}  // namespace

void RegisterColumnTypes()
{
    if (!g_registry) {
        Registry();  // makes the registry, which registers the five classes
        return;
    }
    for (int32_t id = 0; id < 5; ++id) RegisterColumnType(FiveClasses()[id], id);
}

void RegisterColumnType(const TColumnClass* columnClass, int32_t id) { Registry().append({columnClass, id}); }

void UnregisterColumnType(const TColumnClass* columnClass)
{
    QList<TColumnTypeStorage>& registry = Registry();
    for (qsizetype i = registry.size() - 1; i >= 0; --i)
        if (registry[i].columnClass == columnClass) registry.removeAt(i);
}

int32_t ColumnTypeId(const TColumnClass* columnClass)
{
    for (const TColumnTypeStorage& entry : Registry())
        if (entry.columnClass == columnClass) return entry.id;
    return -1;
}

const TColumnClass* ColumnClassOf(int32_t id)
{
    for (const TColumnTypeStorage& entry : Registry())
        if (entry.id == id) return entry.columnClass;
    return nullptr;
}

void FinalizeColumnTypes()
{
    for (const TColumnClass* columnClass : FiveClasses()) UnregisterColumnType(columnClass);
    const bool empty = Registry().isEmpty();
    delete g_registry;
    g_registry = nullptr;
    if (!empty) throw Exception(QStringLiteral("Column Type list not empty"));
}

qsizetype TableCount() { return Tables().size(); }

TGridTable* TableByIndex(qsizetype index)
{
    const QList<TGridTable*>& tables = Tables();
    if (index < 0 || index >= tables.size()) return nullptr;
    return tables[index];
}

qsizetype TableIndexOf(const TGridTable* table) { return Tables().indexOf(const_cast<TGridTable*>(table)); }

qsizetype TableIndexOfIdentifier(int32_t identifier)
{
    const TGridTable* table = TableByIdentifier(identifier);
    return table ? TableIndexOf(table) : -1;
}

TGridTable* TableByIdentifier(int32_t identifier)
{
    if (identifier < 0) return nullptr;
    return TablesByIdentifier().value(identifier, nullptr);
}

void AddTable(TGridTable* table)
{
    Tables().append(table);
    TablesByIdentifier().insert(table->Identifier(), table);
}

void RemoveTable(TGridTable* table)
{
    QList<TGridTable*>& tables = Tables();
    // Tables mostly go in the reverse order of their making: look from the end.
    const qsizetype index = tables.lastIndexOf(table);
    if (index >= 0) tables.removeAt(index);
    auto it = TablesByIdentifier().find(table->Identifier());
    if (it != TablesByIdentifier().end() && it.value() == table) TablesByIdentifier().erase(it);
}

void IndexIdentifier(int32_t identifier, TGridTable* table)
{
    if (table)
        TablesByIdentifier().insert(identifier, table);
    else
        TablesByIdentifier().remove(identifier);
}

int32_t TakeIdentifier()
{
    // The counter only grows, so each identifier is passed over at most once.
    while (TablesByIdentifier().contains(g_identifierCounter)) ++g_identifierCounter;
    return g_identifierCounter++;
}

int ScreenPixelsPerInch()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return std::max(1, qRound(screen->logicalDotsPerInch()));
    return 96;
}

void ShowError(const QString& message)
{
    if (ErrorHandler())
        ErrorHandler()(message);
    else
        qWarning("%s", message.toUtf8().constData());
}

void SetErrorHandler(std::function<void(const QString&)> handler) { ErrorHandler() = std::move(handler); }

void EncodeExtended(long double value, unsigned char bytes[10])
{
    uint64_t significand = 0;
    uint32_t exponent = 0;
    const bool negative = std::signbit(value);
    const long double magnitude = std::fabs(value);
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        significand = 0xC000000000000000ULL;
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        significand = 0x8000000000000000ULL;
    } else if (magnitude != 0.0L) {
        int e = 0;
        const long double m = std::frexp(magnitude, &e);  // magnitude = m * 2^e, 0.5 <= m < 1
        int biased = e - 1 + 16383;
        if (biased >= 1) {
            significand = static_cast<uint64_t>(std::ldexp(m, 64));
            exponent = static_cast<uint32_t>(biased);
        } else {
            // Denormal: value = significand * 2^(-16382 - 63).
            significand = static_cast<uint64_t>(std::ldexp(magnitude, 16382 + 63));
            exponent = 0;
        }
    }
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>((significand >> (8 * i)) & 0xFF);
    const uint32_t top = exponent | (negative ? 0x8000u : 0u);
    bytes[8] = static_cast<unsigned char>(top & 0xFF);
    bytes[9] = static_cast<unsigned char>((top >> 8) & 0xFF);
}

long double DecodeExtended(const unsigned char bytes[10])
{
    uint64_t significand = 0;
    for (int i = 7; i >= 0; --i) significand = (significand << 8) | bytes[i];
    const uint32_t top = static_cast<uint32_t>(bytes[8]) | (static_cast<uint32_t>(bytes[9]) << 8);
    const bool negative = (top & 0x8000u) != 0;
    const int exponent = static_cast<int>(top & 0x7FFFu);
    long double value;
    if (exponent == 0x7FFF) {
        value = (significand << 1) == 0 ? HUGE_VALL : std::nanl("");
    } else {
        const int e = (exponent == 0 ? -16382 : exponent - 16383) - 63;
        value = std::ldexp(static_cast<long double>(significand), e);
    }
    return negative ? -value : value;
}

}  // namespace Table
