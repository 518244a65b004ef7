// Arbitrary bytes read as the "Col" stream of a grid table (the column definitions). The
// project's thirteen tables live meanwhile, so that table columns find templates by position and
// by identifier. A stream that reads must give a table that takes rows, and its own stream must
// read back into a table that writes the very same stream.
#include "fuzz_support.h"

#include "projecttables.h"
#include "table/columntypes.h"
#include "table/table.h"

#include <memory>
#include <string>

namespace {

TProjectTables* g_tables = nullptr;

// Rows in, a value into every cell that takes one, rows out again: what an editor does.
void UseRows(TGridTable& table)
{
    try {
        table.SetRowCount(3);
        for (int c = 0; c < table.ColumnCount(); ++c) {
            TColumn* column = table.GetColumn(c);
            if (dynamic_cast<TFloatColumn*>(column)) table.Cell(c, 1)->SetAsFloat(2.5L);
            if (dynamic_cast<TStringColumn*>(column)) column->SetText(2, QStringLiteral("x"));
            (void)table.Cell(c, 0)->GetText();
        }
        table.SetUnits(table.UnitSystem() == 1 ? 2 : 1);
        table.DeleteRowGroup(0);
        table.SetRowCount(0);
    } catch (const Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_tables = new TProjectTables;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    auto table = std::make_unique<TGridTable>();
    try {
        table->LoadColumns(bytes);
    } catch (const Exception&) {
        return 0;
    }
    const QByteArray written = table->SaveColumns();
    UseRows(*table);

    auto again = std::make_unique<TGridTable>();
    try {
        again->LoadColumns(written);
    } catch (const Exception& e) {
        fuzz::Check(false, "a written stream reads back: " + e.message().toStdString());
    }
    fuzz::Check(again->ColumnCount() == table->ColumnCount(), "the columns read back");
    const QByteArray rewritten = again->SaveColumns();
    fuzz::Check(rewritten == written, "a stream read back writes the same stream");
    UseRows(*again);
    return 0;
}
