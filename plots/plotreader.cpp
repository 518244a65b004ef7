#include "plotreader.h"

#include "pltdata.h"
#include "util/numtext.h"
#include "util/wordread.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

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

// A file that does not fit the project it is read for.
class EOutOfDate : public Exception {
public:
    using Exception::Exception;
};

// A file that ends before the records the project's layout needs: of another layout, or cut short.
class EEndsEarly : public EOutOfDate {
public:
    using EOutOfDate::EOutOfDate;
};

// Whether a file that ended early was cut short rather than written for another layout: the
// engine ends every line, and writes for N points 7, 18 or 25 values a point (response records,
// stiffness and damping records, or both) after the count.
bool CutShort(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (!bytes.endsWith('\n') && !bytes.endsWith('\r')) return true;
    const QList<QByteArray> words = bytes.simplified().split(' ');
    bool counted = false;
    const long long n = words.isEmpty() ? 0 : words.first().toLongLong(&counted);
    if (!counted || n <= 1) return false;
    const long long values = words.size() - 1;
    return values != 7 * n && values != 18 * n && values != 25 * n;
}

// The next word as a finite number; else EInOutError naming the line, the item and the word.
// Running out of words means the file holds fewer records than the project's layout needs.
long double Value(TWordReader& in)
{
    if (in.Eof()) throw EEndsEarly(QString());
    QString word;
    try {
        in.NextWord(word);
    } catch (const EInOutError&) {
        throw EEndsEarly(QString());
    }
    long double v = 0;
    if (!NumText::TryStrToFloat(word, v) || !std::isfinite(v))
        throw EInOutError(HvlConst::Format("Error on Line %d Item %d", int(in.LineCursor() + 1), int(in.WordCursor())) +
                          QChar(13) + QStringLiteral("\"%1\" is not a number.").arg(word));
    return v;
}

// A record's frequency, which every record of the same point repeats (the response records with
// fewer digits than the stiffness and damping records).
long double Frequency(TWordReader& in, long double expected)
{
    const long double w = Value(in);
    if (expected >= 0 && std::fabs(w - expected) > 0.01L * std::max(1.0L, std::fabs(expected)))
        throw EOutOfDate(QString());
    return w;
}

long double ReadValues(TWordReader& in, const QList<TGraphPlot*>& p, int first, int j, long double expected)
{
    const long double w = Frequency(in, expected);
    const long double x = w / kRadiansPerHertz;
    for (int k = first; k < first + 8; ++k) {
        TFloatPoint* point = p[k]->Points(0, j);
        point->X = x;
        point->Y = Value(in);
    }
    return w;
}

void CopyCurve(TGraphPlot* from, TGraphPlot* to, int curve, int j)
{
    *to->Points(curve, j) = *from->Points(0, j);
}

}  // namespace

void ClearPlots(const QList<TGraphPlot*>& p)
{
    for (int k = 0; k < p.size(); ++k) {
        p[k]->SetLineCount(0);
        p[k]->SetLineCount(k == DxyzR || k == MxyzR ? 3 : 1);
        p[k]->SetPointCount(0);
    }
}

bool ReadPlotData(const QString& path, const TPlotProject& project, const QList<TGraphPlot*>& p, QString* problem)
{
    if (p.size() != PlotCount) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(p.size()));
    const int32_t units = project.UnitSystem;
    const auto say = [problem](const QString& text) {
        if (problem) *problem = text;
    };
    if (problem) problem->clear();
    try {
        TWordReader in(path);
        for (int k = RealKXX; k <= DampCYP; ++k) p[k]->SetLineCount(1);
        p[DxyzR]->SetLineCount(3);
        p[MxyzR]->SetLineCount(3);

        const int32_t n = in.ReadInteger();
        if (n > kMaxPoints) throw EOutOfDate(QString());
        QList<long double> frequencies;
        p[RealKXX]->SetPointCount(n);
        if (n > 1) {
            p[DxyzR]->SetPointCount(n);
            p[MxyzR]->SetPointCount(n);
            if (project.MatrixFlag > 0) {
                for (int k = RealKYY; k <= DampCYP; ++k) p[k]->SetPointCount(n);
                for (int j = 0; j < n; ++j) {
                    frequencies << ReadValues(in, p, RealKXX, j, -1);
                    try {
                        in.ReadLine();  // the rest of the stiffness record's line
                    } catch (const EInOutError&) {
                        throw EEndsEarly(QString());  // the file ends within the records
                    }
                    ReadValues(in, p, DampCXX, j, frequencies.back());
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
                    const long double x = Frequency(in, frequencies.isEmpty() ? -1 : frequencies[j]) /
                                          kRadiansPerHertz;
                    for (int g : {DxyzR, MxyzR}) {
                        for (int c = 0; c < 3; ++c) {
                            TFloatPoint* point = p[g]->Points(c, j);
                            point->X = x;
                            point->Y = Value(in);
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
            // Words left over belong to records of another layout.
            bool more = true;
            try {
                in.NextWord();
            } catch (const EInOutError&) {
                more = false;
            }
            if (more) throw EOutOfDate(QString());
        }
    } catch (const EOutOfDate& e) {
        ClearPlots(p);
        if (dynamic_cast<const EEndsEarly*>(&e) && CutShort(path)) {
            say(QStringLiteral("The plot data in %1 cannot be read:").arg(QDir::toNativeSeparators(path)) + QChar(13) +
                QStringLiteral("The file ends in the middle of its records: it was cut short, and no plots are shown. "
                               "Run the analysis again to see its plots."));
            return false;
        }
        say(QStringLiteral("The plot data in %1 do not fit the project as it is now (its stiffness matrix option "
                           "and its loading): they are out of date, and no plots are shown. Run the analysis "
                           "again to see its plots.")
                .arg(QDir::toNativeSeparators(path)));
        return false;
    } catch (const EInOutError& e) {
        say(QStringLiteral("The plot data in %1 cannot be read:").arg(QDir::toNativeSeparators(path)) + QChar(13) +
            e.message());
        return false;
    }
    for (TGraphPlot* plot : p) plot->SetUnits(units);
    return true;
}

}  // namespace PlotReader
