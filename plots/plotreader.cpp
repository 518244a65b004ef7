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

// What a file that does not fit the project's layout is, from its own words and lines. The
// engine ends every line, writes a count N of at most 1024 points on the first, then 0, 7, 18
// or 25 values a point (nothing, response records, stiffness and damping records, or both),
// each record on a line of its own: 9 words (stiffness, damping) or 7 (response).
enum class TMisfit {
    OtherLayout,  // whole records of another layout: out of date
    CutShort,     // ends within a line, or before the records of the project's layout
    WrongCount,   // a count no run gives, or one that does not match the records that follow
};

// `perPoint`: the values a point of the project's layout has (0, 7, 18 or 25).
TMisfit Misfit(const QString& path, bool endedEarly, int perPoint, long long& count)
{
    count = -1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return endedEarly ? TMisfit::CutShort : TMisfit::OtherLayout;
    const QByteArray bytes = file.readAll();
    if (!bytes.endsWith('\n') && !bytes.endsWith('\r')) return TMisfit::CutShort;
    QList<QByteArray> lines;
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.trimmed().isEmpty()) lines << line.simplified();
    const QList<QByteArray> words = bytes.simplified().split(' ');
    bool counted = false;
    count = words.isEmpty() ? 0 : words.first().toLongLong(&counted);
    if (!counted) return endedEarly ? TMisfit::CutShort : TMisfit::OtherLayout;
    if (count < 0 || count > kMaxPoints) return TMisfit::WrongCount;
    // The layout whose whole records the file holds, in values a point (-1: none).
    const long long values = words.size() - 1;
    int whole = -1;
    for (int k : {0, 7, 18, 25})
        if (values == k * count) whole = k;
    if (endedEarly) {
        // A run writes every record of its layout: a file that ends before those of the
        // project's layout are whole was cut short, at a line end or within a line. So was one
        // whose records are those a cut at a line end leaves of the project's layout (the count
        // alone, or the stiffness and damping records without the response), which a file of
        // such a layout cannot be told from. Only the whole records of another layout are
        // another run's.
        const bool prefix = whole == 0 || (whole == 18 && perPoint == 25);
        return whole < 0 || prefix ? TMisfit::CutShort : TMisfit::OtherLayout;
    }
    // Words left over, or a record of another frequency: another layout, or a count that does
    // not match the records. A file laid out as the engine writes it tells the two apart by its
    // lines; one made by hand (records split over lines, words after a stiffness record) is
    // taken for another layout.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype n = lines[i].count(' ') + 1;
        if (n != 7 && n != 9) return TMisfit::OtherLayout;
    }
    if (lines.isEmpty() || lines.first().contains(' ')) return TMisfit::OtherLayout;
    const long long records = lines.size() - 1;
    for (long long perLine : {0, 1, 2, 3})
        if (records == perLine * count) return TMisfit::OtherLayout;
    return TMisfit::WrongCount;
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
        if (n > kMaxPoints || n < 0) throw EOutOfDate(QString());  // a count no run gives
        QList<long double> frequencies;
        // A count of 0 or 1 (a run that solved no frequency, or one) fills nothing: the graphs
        // of an earlier file must not pass for its plots.
        if (n <= 1) ClearPlots(p);
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
        long long count = -1;
        const int perPoint = (project.MatrixFlag > 0 ? 18 : 0) + (project.LoadCode == 1 ? 7 : 0);
        switch (Misfit(path, dynamic_cast<const EEndsEarly*>(&e) != nullptr, perPoint, count)) {
        case TMisfit::CutShort:
            say(QStringLiteral("The plot data in %1 cannot be read:").arg(QDir::toNativeSeparators(path)) + QChar(13) +
                QStringLiteral("The file ends in the middle of its records: it was cut short, and no plots are shown. "
                               "Run the analysis again to see its plots."));
            return false;
        case TMisfit::WrongCount:
            say(QStringLiteral("The plot data in %1 cannot be read:").arg(QDir::toNativeSeparators(path)) + QChar(13) +
                QStringLiteral("Its count of points (%1) does not match the records it holds: the file is damaged or "
                               "cut short, and no plots are shown. Run the analysis again to see its plots.")
                    .arg(count));
            return false;
        case TMisfit::OtherLayout: break;
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
