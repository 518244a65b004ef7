// Rows of a load table, each with a sub-table made from a template found by its identifier, made
// for growing row counts (the freeing is not timed). The time per row stays flat when a new
// table's identifier and the template look-up cost the same whatever the number of live tables.
#include "table/columntypes.h"
#include "table/table.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SubTablesMade(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    TGridTable amplitudes;
    amplitudes.SetIdentifier(8);
    amplitudes.AddFloatColumn({QStringLiteral("Load Amplitude")}, QStringLiteral("F"));
    for (auto _ : state) {
        auto* loads = new TGridTable;
        loads->AddEnumColumn({QStringLiteral("Load type")}, {QStringLiteral("X"), QStringLiteral("Y")});
        loads->AddTableColumn({QStringLiteral("Load amplitude")}, 8);
        loads->SetRowCount(rows);
        benchmark::DoNotOptimize(loads->Cell(1, rows - 1)->GetAsTable());
        state.PauseTiming();
        delete loads;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_SubTablesMade)->RangeMultiplier(4)->Range(1024, 65536)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
