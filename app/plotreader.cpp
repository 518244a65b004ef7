#include "plotreader.h"

#include "plotform.h"
#include "pltdata.h"
#include "util/wordread.h"

namespace PlotReader {

namespace {

// Graph indices in the order of PltData::CreateResultPlots.
enum : int {
    RealKXX, RealKYY, RealKWW, RealKPPX, RealKPPY, RealKZT, RealKXP, RealKYP,
    DampCXX, DampCYY, DampCWW, DampCPPX, DampCPPY, DampCZT, DampCXP, DampCYP,
    DxyzR, MxyzR, PlotCount
};

// Frequencies come in radians per second; the graphs show hertz.
constexpr long double kRadiansPerHertz = 6.2832L;

// The engine's response tables hold 1024 points: a count beyond this is a damaged file, refused
// before anything is allocated.
constexpr int32_t kMaxPoints = 1024;

void ReadValues(TWordReader& in, const QList<TGraphPlot*>& p, int first, int j)
{
    const long double x = in.ReadFloat() / kRadiansPerHertz;
    for (int k = first; k < first + 8; ++k) {
        TFloatPoint* point = p[k]->Points(0, j);
        point->X = x;
        point->Y = in.ReadFloat();
    }
}

void CopyCurve(TGraphPlot* from, TGraphPlot* to, int curve, int j)
{
    *to->Points(curve, j) = *from->Points(0, j);
}

}  // namespace

bool ReadPlotData(const QString& path, const TPlotProject& project, const QList<TGraphPlot*>& p)
{
    if (p.size() != PlotCount) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(p.size()));
    const int32_t units = project.UnitSystem;
    try {
        TWordReader in(path);
        for (int k = RealKXX; k <= DampCYP; ++k) p[k]->SetLineCount(1);
        p[DxyzR]->SetLineCount(3);
        p[MxyzR]->SetLineCount(3);

        const int32_t n = in.ReadInteger();
        if (n > kMaxPoints) return false;
        p[RealKXX]->SetPointCount(n);
        if (n > 1) {
            p[DxyzR]->SetPointCount(n);
            p[MxyzR]->SetPointCount(n);
            if (project.MatrixFlag > 0) {
                for (int k = RealKYY; k <= DampCYP; ++k) p[k]->SetPointCount(n);
                for (int j = 0; j < n; ++j) {
                    ReadValues(in, p, RealKXX, j);
                    in.ReadLine();  // the rest of the stiffness record's line
                    ReadValues(in, p, DampCXX, j);
                }
                const int threes[4][3] = {{RealKXX, RealKYY, RealKWW},
                                          {RealKPPX, RealKPPY, RealKZT},
                                          {DampCXX, DampCYY, DampCWW},
                                          {DampCPPX, DampCPPY, DampCZT}};
                const char* names[4][3] = {{"Kxx", "Kyy", "Kww"},
                                           {"Kppx", "Kppy", "Kzt"},
                                           {"Cxx", "Cyy", "Cww"},
                                           {"Cppx", "Cppy", "Czt"}};
                for (int g = 0; g < 4; ++g) {
                    TGraphPlot* three = p[threes[g][0]];
                    three->SetLineCount(3);
                    for (int j = 0; j < n; ++j) {
                        CopyCurve(p[threes[g][1]], three, 1, j);
                        CopyCurve(p[threes[g][2]], three, 2, j);
                    }
                    for (int c = 0; c < 3; ++c) three->Lines(c)->Name = QString::fromLatin1(names[g][c]);
                }
            }
            if (project.LoadCode == 1) {
                for (int j = 0; j < n; ++j) {
                    const long double x = in.ReadFloat() / kRadiansPerHertz;
                    for (int g : {DxyzR, MxyzR}) {
                        for (int c = 0; c < 3; ++c) {
                            TFloatPoint* point = p[g]->Points(c, j);
                            point->X = x;
                            point->Y = in.ReadFloat();
                        }
                    }
                }
                const char* d[3] = {"X-Dir.", "Y-Dir.", "Z-Dir."};
                const char* m[3] = {"About X-Dir.", "About Y-Dir.", "About Z-Dir"};
                for (int c = 0; c < 3; ++c) {
                    p[DxyzR]->Lines(c)->Name = QString::fromLatin1(d[c]);
                    p[MxyzR]->Lines(c)->Name = QString::fromLatin1(m[c]);
                }
            }
        }
    } catch (const EInOutError&) {
        return false;
    }
    for (TGraphPlot* plot : p) plot->SetUnits(units);
    return true;
}

}  // namespace PlotReader
