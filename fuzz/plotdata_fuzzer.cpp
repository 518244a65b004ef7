// Arbitrary bytes read as the engine's plot-data file into the 18 result graphs. The first byte
// chooses what the project asks of the reader (unit system, stiffness matrix or not, load
// type); the rest is the file. After a successful read every curve of a graph holds the graph's
// point count and every point is reachable.
#include "fuzz_support.h"

#include "plotform.h"
#include "plotreader.h"
#include "pltdata.h"

#include <QObject>

#include <memory>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::Folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    PlotReader::TPlotProject project;
    project.UnitSystem = 1 + (data[0] & 1);
    project.MatrixFlag = (data[0] >> 1) & 1;
    project.LoadCode = 1 + ((data[0] >> 2) % 3);
    const QString path = fuzz::Path("input.tmq");
    fuzz::Write(path, data + 1, size - 1);

    auto owner = std::make_unique<QObject>();
    const QList<TGraphPlot*> plots = PltData::CreateResultPlots(owner.get());
    if (!PlotReader::ReadPlotData(path, project, plots)) return 0;
    for (const TGraphPlot* plot : plots) {
        const int n = plot->PointCount();
        fuzz::Check(n >= 0, "a point count is never negative");
        for (int i = 0; i < plot->LineCount(); ++i) {
            const TLine* line = plot->Lines(i);
            fuzz::Check(line->PointCount() == n, "every curve holds the graph's points");
            if (n > 0) {
                volatile long double x = line->Points(n - 1)->X;
                (void)x;
            }
        }
    }
    return 0;
}
