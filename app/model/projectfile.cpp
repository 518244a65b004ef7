#include "projectfile.h"

#include "dataunit.h"
#include "projecttables.h"
#include "weakzones.h"
#include "util/numtext.h"
#include "util/safewrite.h"
#include "util/wordread.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <memory>

using DataUnit::FormatValue;

namespace {

QString L(const char* text) { return QString::fromLatin1(text); }

// Load frequencies are kept in hertz and go into the deck in radians per second, with this
// factor (not 2 pi) both ways.
constexpr long double kRadiansPerHertz = 6.28L;
QString N(int64_t value) { return NumText::IntToStr(value); }

// ---------------------------------------------------------------------------------------------
// Writer

[[noreturn]] void Refuse(const QString& text) { throw EProjectError(text + L(" The project is not saved.")); }

// Number text of a value the writer puts into a file; a value that is no number stops the save.
QString V(long double x)
{
    if (!std::isfinite(x)) Refuse(L("The project holds a value that is not a number (") + FormatValue(x) + L(")."));
    return FormatValue(x);
}

// Display text of a cell.
QString T(const TGridTable* table, int column, int row)
{
    const TDataPtr cell = table->Cell(column, row);
    if (dynamic_cast<const TFloatColumn*>(table->GetColumn(column))) return V(cell->GetAsFloat());
    return cell->GetText();
}

long double F(const TGridTable* table, int column, int row) { return table->Cell(column, row)->GetAsFloat(); }

// The value as the files carry it (8 significant digits). Values the writer derives (sums,
// multiples) are made of these, so that a project read back gives the same files: a value
// converted to English units holds more digits than its text.
long double Written(long double x) { return NumText::StrToFloat(V(x)); }
long double WrittenCell(const TGridTable* table, int column, int row) { return Written(F(table, column, row)); }

// Lines of one file, joined with CR LF.
class TLines {
public:
    void Line(const QString& text) { m_lines << text; }
    // A row of values: one blank between items, a trailing blank when asked; a row too long for
    // one line goes on in the next lines, every line within the line width.
    void Row(const QStringList& items, bool trailingBlank = false)
    {
        const int trail = trailingBlank ? 1 : 0;
        QString line;
        for (const QString& item : items) {
            if (!line.isEmpty() && line.size() + 1 + item.size() + trail > ProjectFile::kLineWidth) {
                m_lines << (trailingBlank ? line + QLatin1Char(' ') : line);
                line.clear();
            }
            if (!line.isEmpty()) line += QLatin1Char(' ');
            line += item;
        }
        m_lines << (trailingBlank ? line + QLatin1Char(' ') : line);
    }
    QByteArray Bytes() const
    {
        QByteArray bytes;
        for (const QString& line : m_lines) bytes += line.toUtf8() + "\r\n";
        return bytes;
    }

private:
    QStringList m_lines;
};

QStringList Cells(const TGridTable* table, int row, int first, int last)
{
    QStringList items;
    for (int c = first; c <= last; ++c) items << T(table, c, row);
    return items;
}

// The title on one line: line breaks become blanks.
QString OneLine(QString title)
{
    return title.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

bool IsPile(const TProgramData& d) { return d.FoundationWord == L("PILE"); }
bool IsMultilayer(const TProgramData& d) { return d.FoundationWord == L("MULTILAYER"); }
bool IsStratum(const TProgramData& d) { return d.FoundationWord == L("STRATUM"); }

// The rows of the mass table stored with the project: all of them, unless the table is the one
// empty row of a new project.
int32_t MassRows(const TProgramData& d)
{
    const TGridTable* mass = d.Tables().MassCal;
    if (mass->RowCount() != 1) return mass->RowCount();
    for (int c = 0; c < mass->ColumnCount(); ++c)
        if (F(mass, c, 0) != 0.0L) return 1;
    return 0;
}

// Whether every row holds what a new row starts with (each column's default).
bool RowsAreEmpty(const TGridTable* table)
{
    for (int c = 0; c < table->ColumnCount(); ++c) {
        const auto* column = dynamic_cast<const TFloatColumn*>(table->GetColumn(c));
        const long double empty = column ? column->DefaultValue() : 0.0L;
        for (int r = 0; r < table->RowCount(); ++r)
            if (F(table, c, r) != empty) return false;
    }
    return true;
}

void ScanBattered(TProgramData& d)
{
    const TGridTable* piles = d.Tables().Pilecoord;
    for (int r = 0; r < piles->RowCount(); ++r)
        if (std::fabs(F(piles, 2, r)) > 1e-7L) d.Battered = 1;
}

QString PlaneWord(const TGridTable* piles, int row)
{
    return piles->Cell(3, row)->GetAsInteger() == 2 ? L("YZ") : L("XZ");
}

// The four weak values of a soil row: ratio, Poisson's ratio again, twice the damping and the
// weak thickness ratio w (0 where the ratio says the soil is not weakened).
QStringList WeakValues(const TGridTable* t, int row, int ratio, int poisson, int damping, long double w,
                       long double threshold)
{
    const long double r = F(t, ratio, row);
    return {T(t, ratio, row), T(t, poisson, row), V(2.0L * WrittenCell(t, damping, row)), V(r > threshold ? 0.0L : w)};
}

void WriteMassRows(TLines& out, const TProgramData& d)
{
    const TGridTable* mass = d.Tables().MassCal;
    for (int r = 0; r < d.MassRowCount; ++r) out.Row(Cells(mass, r, 0, 6), true);
}

void WriteCentres(TLines& out, const TProgramData& d)
{
    const long double rows[3][3] = {{d.CGLocalX, d.CGLocalY, d.CGLocalZ},
                                    {d.CBLocalX, d.CBLocalY, d.CBLocalZ},
                                    {d.CBGlobalX, d.CBGlobalY, d.CBGlobalZ}};
    for (const auto& row : rows) {
        QString line;
        for (long double x : row) line += ProjectFile::ExtendedText(x) + QLatin1Char(' ');
        out.Line(line);
    }
}

QByteArray ProjectText(TProgramData& d)
{
    const TProjectTables& t = d.Tables();
    TLines out;
    out.Line(L("TITLE=") + OneLine(d.ProjectTitle));
    if (d.MatrixFlag == 1) out.Line(L("MATRIX"));
    out.Line(d.UnitSystem == 1 ? L("GRAVITY=32.2") : L("GRAVITY=9.8"));
    out.Line(L("FOUNDATION=") + d.FoundationWord);
    if (d.ShapeCode == 0)
        out.Line(L("RECTANGULAR=") + V(d.LengthX) + L(",") + V(d.WidthY));
    else
        out.Line(L("CIRCULAR=") + V(d.Radius));
    out.Line(L("MASS "));
    out.Row({V(d.Mass), V(d.Ixx), V(d.Iyy), V(d.Izz), V(d.Ixy), V(d.Ixz), V(d.Iyz)});

    const bool pile = IsPile(d);
    const bool multi = IsMultilayer(d);
    const bool stratum = IsStratum(d);
    if (pile) {
        out.Line(L("LAYERS=") + N(t.PileData->RowCount()));
        out.Line((d.FixedHead == 1 ? L("FIXED=") : L("PINNED=")) + N(t.Pilecoord->RowCount()));
        for (int r = 0; r < t.Pilecoord->RowCount(); ++r)
            out.Row(QStringList{N(r + 1)} + Cells(t.Pilecoord, r, 0, 1), true);
    }
    if (multi) out.Line(L("LAYER=") + N(t.MultiElement->RowCount()));

    out.Line(L("CONSTANTS "));
    if (pile || multi) {
        out.Row({V(d.Xc), V(d.Yc), V(d.Zc), V(d.PileLength), V(d.PileUnitWeight)}, true);
        out.Row({V(d.StaticLoad), V(d.PilePoisson), V(d.PileDamping), V(d.ShearCoefficient), V(d.PileModulus)});
    } else if (stratum) {
        out.Row({V(d.Xc), V(d.Yc), V(d.Zc), V(d.BaseDepth), V(d.BedrockDepth)}, true);
    } else {
        out.Row({V(d.Xc), V(d.Yc), V(d.Zc)}, true);
    }

    if (multi) {
        out.Line(L("ELEMENT"));
        for (int r = 0; r < t.MultiElement->RowCount(); ++r)
            out.Row(QStringList{N(r + 1)} + Cells(t.MultiElement, r, 0, 6));
    }
    if (pile) {
        out.Line(L("ELEMENT"));
        for (int r = 0; r < t.PileData->RowCount(); ++r) out.Row(QStringList{N(r + 1)} + Cells(t.PileData, r, 0, 6));
        out.Line(d.EndBearing == 0 ? L("FLOATING") : L("END-BEARING"));
        ScanBattered(d);
        if (d.Battered == 1) {
            out.Line(L("BATTERED"));
            for (int r = 0; r < t.Pilecoord->RowCount(); ++r) {
                out.Line(N(r + 1) + L(" ") + PlaneWord(t.Pilecoord, r) + L("  "));
                out.Line(T(t.Pilecoord, 2, r) + L(" "));
            }
        }
        if (d.Interaction == 1) out.Line(L("INTERACTION "));
    }

    out.Line(L("SOIL "));
    if (stratum) {
        out.Line(L("CONSTANTS "));
    } else if (multi) {
        if (t.D->RowCount() > 0) out.Line(L("WEAK "));
        out.Line(L("CONSTANTS=") + N(t.D->RowCount()));
        for (int r = 0; r < t.D->RowCount(); ++r)
            out.Row(QStringList{N(r + 1)} + Cells(t.D, r, 0, 4) + WeakValues(t.D, r, 4, 2, 3, 1.0L, 0.99999L).mid(1));
        const int below = t.MultiElement->RowCount() - t.D->RowCount();
        for (int k = 0; k < below; ++k) out.Row(QStringList{N(t.D->RowCount() + k + 1)} + Cells(t.Multisoil, k, 0, 5));
    } else if (pile) {
        out.Line(L("WEAK"));
        out.Line(L("CONSTANTS"));
        for (int r = 0; r < t.D->RowCount(); ++r)
            out.Row(QStringList{N(r + 1)} + Cells(t.D, r, 0, 4) + WeakValues(t.D, r, 4, 2, 3, 1.0L, 0.999999L).mid(1));
    } else {
        for (int r = 0; r < t.D1->RowCount(); ++r)
            if (WeakZones::SwitchesOn(F(t.D1, 5, r))) d.HalfSpaceWeakZone = 1;
        if (d.HalfSpaceWeakZone == 1) out.Line(L("WEAK "));
        out.Line(L("CONSTANTS=") + N(t.D1->RowCount()));
        for (int r = 0; r < t.D1->RowCount(); ++r) {
            if (d.HalfSpaceWeakZone == 1)
                out.Row(QStringList{N(r + 1)} + Cells(t.D1, r, 0, 5) + WeakValues(t.D1, r, 5, 3, 4, 0.1L, 0.999999L).mid(1));
            else
                out.Row(QStringList{N(r + 1)} + Cells(t.D1, r, 0, 4));
        }
    }

    const QStringList below = {V(d.TipVs), V(d.TipUnitWeight), V(d.TipPoisson), V(d.TipDamping)};
    if (stratum)
        out.Row(below);
    else
        out.Line(L("BELOW=") + below.join(QLatin1Char(' ')));

    if (pile && t.pilecapsoil->RowCount() > 0) {
        const TGridTable* side = t.pilecapsoil;
        for (int r = 0; r < side->RowCount(); ++r)
            if (WeakZones::SwitchesOn(F(side, 5, r))) d.SideCapWeakZone = 1;
        const long double lastVs = F(side, 1, side->RowCount() - 1);
        if (d.SideCapWeakZone == 1) {
            out.Line(L("SIDE-CAP"));
            out.Line(L("EMBEDDED"));
            out.Line(N(side->RowCount()) + L(" "));
            for (int r = 0; r < side->RowCount(); ++r)
                out.Row(QStringList{N(r + 1)} + Cells(side, r, 0, 5) + WeakValues(side, r, 5, 3, 4, 0.1L, 0.999999L).mid(1));
        } else if (lastVs > 1e-5L) {
            out.Line(L("EMBEDDED"));
            out.Line(N(side->RowCount()) + L(" "));
            for (int r = 0; r < side->RowCount(); ++r) out.Row(QStringList{N(r + 1)} + Cells(side, r, 0, 4));
        }
    }

    out.Line(L("LOAD "));
    out.Line(d.LoadCode == 2 ? L("TRANSIENT ") : d.LoadCode == 3 ? L("RANDOM ") : L("HARMONIC "));
    out.Line(L("CONSTANTS "));
    if (d.LoadCode == 2) {
        out.Line(N(d.PointCount) + L(" "));
        out.Line(V(d.TimeStep) + L(" "));
        out.Line(N(t.TLoadtype->RowCount()) + L(" "));
        for (int r = 0; r < t.TLoadtype->RowCount(); ++r) {
            out.Line(N(t.TLoadtype->Cell(0, r)->GetAsInteger()) + L(" "));
            const TGridTable* amplitudes = t.TLoadtype->Cell(1, r)->GetAsTable();
            for (int k = 0; amplitudes && k < amplitudes->RowCount(); ++k) out.Line(T(amplitudes, 0, k) + L(" "));
        }
    } else if (d.LoadCode == 3) {
        // In hertz in the project, in radians per second in the deck, as the harmonic ones.
        out.Line(V(d.RandomFreqMax * kRadiansPerHertz) + L(" "));
        out.Line(V(d.RandomFreqMin * kRadiansPerHertz) + L(" "));
        out.Line(N(d.PointCount) + L(" "));
        out.Line(V(d.ObservationPeriod) + L(" "));
        out.Line(N(t.Trandom->RowCount()) + L(" "));
        for (int r = 0; r < t.Trandom->RowCount(); ++r) {
            const QString code = N(t.Trandom->Cell(0, r)->GetAsInteger());
            out.Line(code + L(" ") + code + L(" "));
            const TGridTable* values = t.Trandom->Cell(1, r)->GetAsTable();
            for (int k = 0; values && k < values->RowCount(); ++k) out.Line(T(values, 0, k) + L(" "));
        }
    } else {
        out.Line(d.QuadraticFlag == 1 ? L("QUADRATIC ") : L("NONQUADRATIC "));
        out.Row({V(d.FreqMax * kRadiansPerHertz), V(d.FreqMin * kRadiansPerHertz), V(d.FreqStep * kRadiansPerHertz)},
                true);
        out.Row({V(d.Fx), V(d.Fy), V(d.Fz)}, true);
        out.Row({V(d.Mx), V(d.My), V(d.Mz)}, true);
        QStringList point = {V(d.LoadPointX), V(d.LoadPointY), V(d.LoadPointZ), V(d.LoadPointRef)};
        if (d.LoadPointRef == 1) point << V(d.CBLocalX) << V(d.CBLocalY) << V(d.CBLocalZ);
        out.Row(point, true);
    }

    out.Line(L("RUN "));
    d.MassRowCount = MassRows(d);
    out.Line(N(d.MassRowCount));
    WriteMassRows(out, d);
    WriteCentres(out, d);
    // The comment lines of the file read, after the data as they were.
    for (const QString& line : d.KeptLines) out.Line(line);
    return out.Bytes();
}

QByteArray MassText(TProgramData& d)
{
    TLines out;
    d.MassRowCount = MassRows(d);
    out.Line(N(d.MassRowCount));
    if (d.MassRowCount > 0) {
        WriteMassRows(out, d);
        WriteCentres(out, d);
    }
    return out.Bytes();
}

QByteArray DrawingText(TProgramData& d)
{
    const TProjectTables& t = d.Tables();
    TLines out;
    const bool pile = IsPile(d);
    const bool multi = IsMultilayer(d);
    const TGridTable* layers = pile ? t.pilecapsoil : multi ? t.MultiElement : t.D1;
    d.Embedment = 0;
    for (int r = 0; r < layers->RowCount(); ++r) d.Embedment += WrittenCell(layers, 0, r);
    // The width of a rectangle is its width in y, also for a project that was never read from a
    // file.
    d.DrawWidth = d.WidthY;
    if (d.ShapeCode == 0) {
        out.Line(L("RECTANGULAR "));
        if (d.Embedment < 1e-5L) d.Embedment = 0.15L * Written(d.DrawWidth);
        out.Line(L(" ") + V(d.LengthX) + L(" ") + V(d.DrawWidth) + L(" ") + V(d.Embedment));
    } else {
        out.Line(L("CIRCULAR "));
        if (d.Embedment < 1e-5L) d.Embedment = 0.15L * Written(d.Radius);
        out.Line(L(" ") + V(d.Radius) + L(" ") + V(d.Radius) + L(" ") + V(d.Embedment));
    }
    if (pile) {
        out.Line(N(t.Pilecoord->RowCount()));
        out.Line(V(d.PileLength) + L(" "));
        for (int r = 0; r < t.Pilecoord->RowCount(); ++r) out.Row(QStringList{N(r + 1)} + Cells(t.Pilecoord, r, 0, 1), true);
        out.Line(L("ELEMENT"));
        out.Line(N(t.PileData->RowCount()));
        for (int r = 0; r < t.PileData->RowCount(); ++r) out.Row(QStringList{N(r + 1)} + Cells(t.PileData, r, 0, 6));
        ScanBattered(d);
        if (d.Battered == 1) {
            out.Line(L("BATTERED"));
            for (int r = 0; r < t.Pilecoord->RowCount(); ++r) {
                const QString plane = t.Pilecoord->Cell(3, r)->GetAsInteger() == 2 ? L("90") : L("0");
                out.Line(N(r + 1) + L(" ") + plane + L(" ") + T(t.Pilecoord, 2, r) + L(" "));
            }
        }
        out.Line(L("SOIL"));
        out.Line(d.FoundationWord);
        const int n = t.pilecapsoil->RowCount();
        out.Line(N(n));
        out.Line(N(n + 2));
        for (int r = 0; r < n; ++r) out.Line(N(r + 1) + L(" ") + T(t.pilecapsoil, 0, r) + L(" "));
        out.Line(N(n + 1) + L(" ") + V(d.PileLength));
        out.Line(N(n + 2) + L(" ") + V(0.2L * Written(d.PileLength)));
    } else {
        out.Line(L(" 0"));
        out.Line(L("SOIL"));
        out.Line(d.FoundationWord);
        if (multi) {
            const int m = t.D->RowCount();
            out.Line(N(m));
            out.Line(N(m + 2));
            for (int r = 0; r < m; ++r) out.Line(N(r + 1) + L(" ") + T(t.MultiElement, 0, r) + L(" "));
            out.Line(N(m + 1) + L(" ") + V(d.PileLength));
            out.Line(N(m + 2) + L(" ") + V(0.2L * Written(d.PileLength)));
        } else {
            const int n = t.D1->RowCount();
            if (n > 0 && F(t.D1, 0, 0) > 0.0L) {
                out.Line(N(n));
                out.Line(N(n + 2));
                for (int r = 0; r < n; ++r) out.Line(N(r + 1) + L(" ") + T(t.D1, 0, r) + L(" "));
                out.Line(N(n + 1) + L(" ") + V(d.PileLength));
                out.Line(N(n + 2) + L(" ") + V(0.2L * Written(d.PileLength)));
            } else {
                out.Line(L(" 0"));
                out.Line(N(n + 1));
                out.Line(N(n) + L(" ") + V(d.PileLength));
                out.Line(N(n + 1) + L(" ") + V(0.2L * Written(d.PileLength)));
            }
        }
    }
    return out.Bytes();
}

// `values` is the template of the loads' tables of values: its row limit bounds the points.
void CheckLoadRows(const TGridTable* loads, const TGridTable* values, int32_t points, const char* what)
{
    const int32_t limit = TProjectTables::RowLimit(values);
    if (points < 0 || points > limit)
        Refuse(HvlConst::Format("The number of points (%d) must lie between 0 and %d.", points, limit));
    if (loads->RowCount() > TProjectTables::RowLimit(loads))
        Refuse(HvlConst::Format("The table \"%s\" holds %d rows, more than the %d it may hold.", loads->Caption(),
                                loads->RowCount(), TProjectTables::RowLimit(loads)));
    for (int r = 0; r < loads->RowCount(); ++r) {
        const TGridTable* sub = loads->Cell(1, r)->GetAsTable();
        const int rows = sub ? sub->RowCount() : 0;
        if (rows != points)
            Refuse(HvlConst::Format("%s %d holds %d values, but the number of points is %d: every %s must hold "
                                    "exactly as many values as there are points.",
                                    what, r + 1, rows, points, QString::fromLatin1(what).toLower()));
    }
}

// ---------------------------------------------------------------------------------------------
// Reader

QStringList SplitWords(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    return text.trimmed().split(blanks, Qt::SkipEmptyParts);
}

// The project file read line by line and word by word, with the messages of its faults.
class TProjectReader {
public:
    explicit TProjectReader(const QString& path) : m_words(path) {}

    [[noreturn]] void Fail(const QString& text) const
    {
        throw EProjectError(HvlConst::Format("Error on Line %d", m_lineNumber) + QChar(13) + text);
    }

    QString Raw()
    {
        m_lineNumber = static_cast<int>(m_words.LineCursor()) + 1;
        return m_words.ReadLine();
    }
    QString Trimmed() { return Raw().trimmed(); }

    void Expect(const char* keyword)
    {
        const QString line = Trimmed();
        if (line != L(keyword)) Fail(L("\"") + L(keyword) + L("\" was expected but not found."));
    }

    // The text after "KEY=" (blanks allowed around "="), trimmed; none when the line is another.
    static bool KeyValue(const QString& line, const char* key, QString& value)
    {
        const QString t = line.trimmed();
        const QString k = L(key);
        if (!t.startsWith(k)) return false;
        const QString rest = t.mid(k.size()).trimmed();
        if (!rest.startsWith(QLatin1Char('='))) return false;
        value = rest.mid(1).trimmed();
        return true;
    }

    long double Number(const QString& text) const
    {
        long double v = 0;
        if (!NumText::TryStrToFloat(text, v)) Fail(L("'") + text + L("' is not a valid floating point value"));
        return v;
    }

    // "KEY=count" on the line, with the count checked against the table's rows.
    int32_t Count(const QString& line, const char* key, const TGridTable* table)
    {
        QString value;
        if (!KeyValue(line, key, value)) Fail(L("\"") + L(key) + L("=\" was expected but not found."));
        return CheckedCount(Whole(value), table);
    }

    int32_t Whole(const QString& text) const
    {
        const long double v = Number(text);
        if (v != std::trunc(v) || v < -2147483648.0L || v > 2147483647.0L)
            Fail(L("'") + text + L("' is not a valid integer value"));
        return static_cast<int32_t>(v);
    }

    int32_t CheckedCount(int32_t count, const TGridTable* table) const
    {
        const int32_t limit = TProjectTables::RowLimit(table);
        if (count < 0 || count > limit)
            Fail(HvlConst::Format("The count %d does not fit the table \"%s\", which holds 0 to %d rows.", count,
                                  table->Caption(), limit));
        return count;
    }

    // The next word as a number; the line of that word becomes the line of a later message.
    long double Float()
    {
        const long double v = m_words.ReadFloat();
        m_lineNumber = static_cast<int>(m_words.LineCursor()) + 1;
        return v;
    }
    int32_t Integer()
    {
        const int32_t v = m_words.ReadInteger();
        m_lineNumber = static_cast<int>(m_words.LineCursor()) + 1;
        return v;
    }
    // Moves to the start of the line after the last word read.
    void SkipRest() { Raw(); }

    // The words of every line that is left, up to a "$" comment line, with their line numbers;
    // that line and all after it, as they are, in `kept`.
    void TakeRest(QStringList& words, QList<int>& lines, QStringList& kept)
    {
        while (!m_words.Eof()) {
            const QString raw = Raw();
            const QString line = raw.trimmed();
            if (line.startsWith(QLatin1Char('$'))) {
                kept << raw;
                while (!m_words.Eof()) kept << Raw();
                break;
            }
            for (const QString& word : SplitWords(line)) {
                words << word;
                lines << m_lineNumber;
            }
        }
    }

    // The number of the file's last line (where a file cut short ends).
    int LastLine() const { return static_cast<int>(m_words.LineCount()); }

private:
    TWordReader m_words;
    int m_lineNumber = 0;
};

}  // namespace

namespace ProjectFile {

QString ChangeFileExt(const QString& path, const QString& ext)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString folder = path.left(path.size() - name.size());
    return folder + base + ext;
}

QString ExtendedText(long double x)
{
    if (!std::isfinite(x) || x == 0.0L) return L(" 0.00000000000000E+0000");
    // 15 significant digits: the digits and the exponent of the general text.
    QString text = NumText::FloatToStrGeneral(std::fabs(x), 15);
    int exponent = 0;
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    if (e >= 0) {
        exponent = NumText::StrToInt(text.mid(e + 1));
        text = text.left(e);
    }
    // text is now d[.ddd] or 0.000ddd or ddd.dd: one digit before the point.
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QString intPart = point < 0 ? text : text.left(point);
    QString fracPart = point < 0 ? QString() : text.mid(point + 1);
    QString digits;
    if (intPart == L("0")) {
        qsizetype lead = 0;
        while (lead < fracPart.size() && fracPart[lead] == QLatin1Char('0')) ++lead;
        digits = fracPart.mid(lead);
        exponent += -static_cast<int>(lead) - 1;
    } else {
        digits = intPart + fracPart;
        exponent += static_cast<int>(intPart.size()) - 1;
    }
    digits = digits.leftJustified(15, QLatin1Char('0'), true);
    QString exp = N(std::abs(exponent)).rightJustified(4, QLatin1Char('0'));
    return (x < 0 ? L("-") : L(" ")) + digits.left(1) + L(".") + digits.mid(1) + L("E") +
           (exponent < 0 ? L("-") : L("+")) + exp;
}

QString TitleAsRead(const QString& title)
{
    QByteArray bytes = OneLine(title).toUtf8();
    if (bytes.size() <= kTitleWidth) return OneLine(title);
    bytes.truncate(kTitleWidth);
    // A character cut in the middle of its bytes is dropped.
    QString kept = QString::fromUtf8(bytes);
    while (!kept.isEmpty() && kept.back() == QChar::ReplacementCharacter) kept.chop(1);
    return kept;
}

QString TitleNotice(const QString& title)
{
    if (OneLine(title).toUtf8().size() <= kTitleWidth) return QString();
    return HvlConst::Format("The title is longer than the %d characters the analysis reads: the report will show "
                            "the title as \"%s\".",
                            kTitleWidth, TitleAsRead(title));
}

void CheckProject(const TProgramData& d)
{
    const TProjectTables& t = d.Tables();
    if (IsPile(d) && t.D->RowCount() != t.PileData->RowCount())
        Refuse(HvlConst::Format("The soil table holds %d layers and the pile data table %d: a pile project needs "
                                "one soil layer for each pile layer.",
                                t.D->RowCount(), t.PileData->RowCount()));
    if (IsMultilayer(d)) {
        const int adjacent = t.D->RowCount();
        const int layers = t.MultiElement->RowCount();
        if (adjacent > layers)
            Refuse(HvlConst::Format("The soil table holds %d layers, more than the %d layers of the multi-layer "
                                    "foundation.",
                                    adjacent, layers));
        const int below = layers - adjacent;
        const bool fits = below > 0 ? t.Multisoil->RowCount() == below
                                    : t.Multisoil->RowCount() <= t.Multisoil->MinRows() && RowsAreEmpty(t.Multisoil);
        if (!fits)
            Refuse(HvlConst::Format("The soil column table holds %d layers, but the multi-layer foundation has %d "
                                    "layers below the %d soil layers.",
                                    t.Multisoil->RowCount(), below, adjacent));
    }
    if (d.LoadCode == 2) CheckLoadRows(t.TLoadtype, t.Dtransient, d.PointCount, "Transient load");
    if (d.LoadCode == 3) CheckLoadRows(t.Trandom, t.Tspectrum, d.PointCount, "Random spectrum");
}

TProjectTexts BuildTexts(TProgramData& d)
{
    // A zero length of pile or shaft takes the drawing default before any file is written, so
    // that the project file carries the same length as the drawing file.
    if (d.PileLength < 1e-5L) d.PileLength = (d.ShapeCode == 0 ? 2.0L * Written(d.LengthX) : 3.0L * Written(d.Radius));
    TProjectTexts texts;
    texts.Project = ProjectText(d);
    d.MassFileName = ChangeFileExt(d.FileName, L(".tmm"));
    texts.Mass = MassText(d);
    d.DrawingFileName = ChangeFileExt(d.FileName, L(".tmt"));
    texts.Drawing = DrawingText(d);
    return texts;
}


}  // namespace ProjectFile

namespace {

const char* const kIncomplete = "This file either invalid or incomplete.";

// Words taken from the tail of the file, one after another.
class TTail {
public:
    TTail(QStringList words, QList<int> lines) : m_words(std::move(words)), m_lines(std::move(lines))
    {
    }
    qsizetype Left() const { return m_words.size() - m_next; }
    QString Word()
    {
        if (m_next >= m_words.size()) throw EInOutError(QString::fromLatin1(kIncomplete));
        return m_words[m_next++];
    }
    long double Float()
    {
        const QString word = Word();
        long double v = 0;
        if (!NumText::TryStrToFloat(word, v)) Fail("A floating point number was expected but not found.");
        return v;
    }
    int32_t Integer()
    {
        const QString word = Word();
        long double v = 0;
        if (!NumText::TryStrToFloat(word, v) || v != std::trunc(v) || v < -2147483648.0L || v > 2147483647.0L)
            Fail("An integer was expected but not found.");
        return static_cast<int32_t>(v);
    }
    int Line() const { return m_next > 0 ? m_lines[m_next - 1] : 0; }

private:
    [[noreturn]] void Fail(const char* reason) const
    {
        throw EInOutError(HvlConst::Format("Error on Line %d", Line()) + QChar(13) + QString::fromLatin1(reason));
    }
    QStringList m_words;
    QList<int> m_lines;
    qsizetype m_next = 0;
};

void SetRows(TGridTable* table, int32_t rows) { table->SetRowCount(rows); }

void ReadRow(TProjectReader& in, TGridTable* table, int row, int first, int count, int dropped)
{
    for (int c = first; c < first + count; ++c) table->Cell(c, row)->SetAsFloat(in.Float());
    for (int i = 0; i < dropped; ++i) in.Float();
    in.SkipRest();
}

// Rows of a table: the row number (not used), `count` values into the columns from `first`, and
// `dropped` values read and left.
void ReadRows(TProjectReader& in, TGridTable* table, int first, int count, int dropped)
{
    for (int r = 0; r < table->RowCount(); ++r) {
        in.Integer();
        ReadRow(in, table, r, first, count, dropped);
    }
}

void ReadLoadRows(TProjectReader& in, TGridTable* loads, int32_t points, bool twoCodes)
{
    for (int r = 0; r < loads->RowCount(); ++r) {
        const int32_t code = in.Integer();
        try {
            loads->Cell(0, r)->SetAsInteger(code);
        } catch (const Exception& e) {
            in.Fail(e.message());
        }
        if (twoCodes) in.Integer();
        TGridTable* values = loads->Cell(1, r)->GetAsTable();
        if (!values) in.Fail(QStringLiteral("The row has no table of values."));
        values->SetRowCount(points);
        for (int k = 0; k < points; ++k) values->Cell(0, k)->SetAsFloat(in.Float());
    }
    in.SkipRest();
}

void ReadBody(TProjectReader& in, TProgramData& d)
{
    TProjectTables& t = d.Tables();

    // Header.
    QString line = in.Raw();
    {
        const QString lead = line.trimmed();
        QString rest = lead.mid(5).trimmed();
        if (!lead.startsWith(L("TITLE")) || !rest.startsWith(QLatin1Char('=')))
            throw EProjectError(L("The file is not a TREMEX project file: its first line does not begin with "
                                  "\"TITLE=\"."));
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        // As the title will be written again: a line break in it (a lone carriage return) is a blank.
        d.ProjectTitle = OneLine(line.mid(eq + 1, 248));
    }
    line = in.Trimmed();
    d.MatrixFlag = line == L("MATRIX") ? 1 : 0;
    if (d.MatrixFlag == 1) line = in.Trimmed();
    QString value;
    if (!TProjectReader::KeyValue(line, "GRAVITY", value)) in.Fail(L("\"GRAVITY=\" was expected but not found."));
    d.SetUnits(in.Number(value) >= 10.0L ? 1 : 2);

    line = in.Trimmed();
    if (!TProjectReader::KeyValue(line, "FOUNDATION", value) ||
        !QStringList({L("HALF-SPACE"), L("PILE"), L("STRATUM"), L("MULTILAYER")}).contains(value))
        in.Fail(L("\"FOUNDATION=\" and one of HALF-SPACE, PILE, STRATUM or MULTILAYER was expected but not found."));
    d.FoundationWord = value;
    const bool pile = IsPile(d);
    const bool multi = IsMultilayer(d);
    const bool stratum = IsStratum(d);

    line = in.Trimmed();
    if (TProjectReader::KeyValue(line, "CIRCULAR", value)) {
        d.Radius = in.Number(value);
        d.ShapeCode = 1;
    } else if (TProjectReader::KeyValue(line, "RECTANGULAR", value)) {
        d.ShapeCode = 0;
        const int32_t comma = DataUnit::FindComma(value);
        if (comma > value.size()) in.Fail(L("The length and the width of the rectangle were expected but not found."));
        d.LengthX = in.Number(value.left(comma - 1).trimmed());
        d.WidthY = in.Number(value.mid(comma).trimmed());
        d.DrawWidth = d.WidthY;
    } else {
        in.Fail(L("\"CIRCULAR=\" or \"RECTANGULAR=\" was expected but not found."));
    }

    in.Expect("MASS");
    for (long double* v : {&d.Mass, &d.Ixx, &d.Iyy, &d.Izz, &d.Ixy, &d.Ixz, &d.Iyz}) *v = in.Float();
    in.SkipRest();

    // Foundation block.
    if (pile) {
        SetRows(t.PileData, in.Count(in.Trimmed(), "LAYERS", t.PileData));
        d.FoundationCode = 2;
        line = in.Trimmed();
        int32_t piles = 0;
        if (line.startsWith(L("FIXED"))) {
            d.FixedHead = 1;
            piles = in.Count(line, "FIXED", t.Pilecoord);
        } else {
            d.FixedHead = 0;
            piles = in.Count(line, "PINNED", t.Pilecoord);
        }
        SetRows(t.Pilecoord, piles);
        ReadRows(in, t.Pilecoord, 0, 2, 0);
    }
    if (multi) {
        SetRows(t.MultiElement, in.Count(in.Trimmed(), "LAYER", t.MultiElement));
        d.FoundationCode = 4;
    }
    in.Expect("CONSTANTS");
    if (pile || multi) {
        for (long double* v : {&d.Xc, &d.Yc, &d.Zc, &d.PileLength, &d.PileUnitWeight, &d.StaticLoad, &d.PilePoisson,
                               &d.PileDamping, &d.ShearCoefficient, &d.PileModulus})
            *v = in.Float();
    } else if (stratum) {
        for (long double* v : {&d.Xc, &d.Yc, &d.Zc, &d.BaseDepth, &d.BedrockDepth}) *v = in.Float();
        d.FoundationCode = 3;
    } else {
        for (long double* v : {&d.Xc, &d.Yc, &d.Zc}) *v = in.Float();
        d.FoundationCode = 1;
    }
    in.SkipRest();
    if (pile || multi) {
        in.Expect("ELEMENT");
        ReadRows(in, pile ? t.PileData : t.MultiElement, 0, 7, 0);
    }

    // Soil block.
    if (pile) {
        line = in.Trimmed();
        d.EndBearing = line == L("END-BEARING") ? 1 : 0;
        if (line == L("FLOATING") || line == L("END-BEARING")) line = in.Trimmed();
        if (line == L("BATTERED")) {
            d.Battered = 1;
            for (int r = 0; r < t.Pilecoord->RowCount(); ++r) {
                // The pile number, then the plane word, with or without a blank between them.
                const QString planeLine = in.Trimmed();
                qsizetype i = 0;
                while (i < planeLine.size() && planeLine[i].isDigit()) ++i;
                if (i == 0) in.Fail(L("A pile number and a batter plane were expected but not found."));
                const QString plane = planeLine.mid(i).trimmed().left(2);
                if (plane == L("XZ"))
                    t.Pilecoord->Cell(3, r)->SetAsInteger(1);
                else if (plane == L("YZ"))
                    t.Pilecoord->Cell(3, r)->SetAsInteger(2);
                const QStringList angle = SplitWords(in.Raw());
                if (angle.isEmpty()) in.Fail(L("A batter angle was expected but not found."));
                t.Pilecoord->Cell(2, r)->SetAsFloat(in.Number(angle.first()));
            }
            line = in.Trimmed();
        }
        d.Interaction = line.startsWith(L("INTERACTION")) ? 1 : 0;
        if (d.Interaction == 1) line = in.Trimmed();
        if (line != L("SOIL")) in.Fail(L("\"SOIL\" was expected but not found."));
        // One soil layer per pile layer.
        SetRows(t.D, in.CheckedCount(t.PileData->RowCount(), t.D));
        in.Expect("WEAK");
        in.Expect("CONSTANTS");
        ReadRows(in, t.D, 0, 5, 3);
    } else if (multi) {
        in.Expect("SOIL");
        line = in.Trimmed();
        if (line == L("WEAK")) line = in.Trimmed();
        SetRows(t.D, in.Count(line, "CONSTANTS", t.D));
        SetRows(t.Multisoil, std::max(0, t.MultiElement->RowCount() - t.D->RowCount()));
        ReadRows(in, t.D, 0, 5, 3);
        ReadRows(in, t.Multisoil, 0, 6, 0);
    } else if (!stratum) {
        in.Expect("SOIL");
        line = in.Trimmed();
        d.HalfSpaceWeakZone = line == L("WEAK") ? 1 : 0;
        if (d.HalfSpaceWeakZone == 1) line = in.Trimmed();
        SetRows(t.D1, in.Count(line, "CONSTANTS", t.D1));
        if (d.HalfSpaceWeakZone == 1)
            ReadRows(in, t.D1, 0, 6, 3);
        else
            ReadRows(in, t.D1, 0, 5, 0);
    }
    if (stratum) {
        in.Expect("SOIL");
        in.Expect("CONSTANTS");
        for (long double* v : {&d.TipVs, &d.TipUnitWeight, &d.TipPoisson, &d.TipDamping}) *v = in.Float();
        in.SkipRest();
    } else {
        if (!TProjectReader::KeyValue(in.Trimmed(), "BELOW", value)) in.Fail(L("\"BELOW=\" was expected but not found."));
        const QStringList below = SplitWords(value);
        if (below.size() < 4) in.Fail(L("Four values of the soil below were expected but not found."));
        long double* fields[4] = {&d.TipVs, &d.TipUnitWeight, &d.TipPoisson, &d.TipDamping};
        for (int i = 0; i < 4; ++i) *fields[i] = in.Number(below[i]);
    }

    line = in.Trimmed();
    if (pile && (line.startsWith(L("SIDE-CAP")) || line.startsWith(L("EMBEDDED")))) {
        const bool weak = line.startsWith(L("SIDE-CAP"));
        if (weak) {
            d.SideCapWeakZone = 1;
            if (!in.Trimmed().startsWith(L("EMBEDDED"))) in.Fail(L("\"EMBEDDED\" was expected but not found."));
        }
        SetRows(t.pilecapsoil, in.CheckedCount(in.Integer(), t.pilecapsoil));
        in.SkipRest();
        ReadRows(in, t.pilecapsoil, 0, weak ? 6 : 5, weak ? 3 : 0);
        line = in.Trimmed();
    }
    if (line != L("LOAD")) in.Fail(L("\"LOAD\" was expected but not found."));

    // Load block.
    d.LoadWord = in.Raw();
    const QString word = d.LoadWord.trimmed();
    in.Expect("CONSTANTS");
    if (word.startsWith(L("TRANSIENT"))) {
        d.LoadCode = 2;
        d.PointCount = in.CheckedCount(in.Integer(), t.Dtransient);
        d.TimeStep = in.Float();
        d.LoadTypeCount = in.CheckedCount(in.Integer(), t.TLoadtype);
        SetRows(t.TLoadtype, d.LoadTypeCount);
        ReadLoadRows(in, t.TLoadtype, d.PointCount, false);
        in.Expect("RUN");
    } else if (word.startsWith(L("RANDOM"))) {
        d.LoadCode = 3;
        d.RandomFreqMax = in.Float() / kRadiansPerHertz;
        d.RandomFreqMin = in.Float() / kRadiansPerHertz;
        d.PointCount = in.CheckedCount(in.Integer(), t.Tspectrum);
        d.ObservationPeriod = in.Float();
        d.LoadTypeCount = in.CheckedCount(in.Integer(), t.Trandom);
        SetRows(t.Trandom, d.LoadTypeCount);
        ReadLoadRows(in, t.Trandom, d.PointCount, true);
        in.Expect("RUN");
    } else if (word.startsWith(L("HARMONIC"))) {
        d.LoadCode = 1;
        line = in.Trimmed();
        if (line != L("QUADRATIC") && line != L("NONQUADRATIC"))
            in.Fail(L("\"QUADRATIC\" or \"NONQUADRATIC\" was expected but not found."));
        d.QuadraticFlag = line == L("QUADRATIC") ? 1 : 0;
        for (long double* v : {&d.FreqMax, &d.FreqMin, &d.FreqStep}) *v = in.Float() / kRadiansPerHertz;
        for (long double* v : {&d.Fx, &d.Fy, &d.Fz, &d.Mx, &d.My, &d.Mz}) *v = in.Float();
        in.SkipRest();
        // The point of application: every word up to the RUN line (a long row goes on in the
        // next line); the centre of base that may follow is read from the end of the file.
        d.LoadPointX = d.LoadPointY = d.LoadPointZ = 0;
        d.LoadPointRef = 0;
        QStringList point;
        for (line = in.Trimmed(); line != L("RUN"); line = in.Trimmed()) point << SplitWords(line);
        if (!point.isEmpty()) {
            if (point.size() < 3) in.Fail(L("The point of application of the load was expected but not found."));
            d.LoadPointX = in.Number(point[0]);
            d.LoadPointY = in.Number(point[1]);
            d.LoadPointZ = in.Number(point[2]);
            if (point.size() > 3) d.LoadPointRef = in.Whole(point[3]);
        }
    } else {
        in.Fail(L("\"HARMONIC\", \"TRANSIENT\" or \"RANDOM\" was expected but not found."));
    }

    // Mass components and the computed centres, to the end of the file.
    d.MassRowCount = 0;
    QStringList words;
    QList<int> lines;
    d.KeptLines.clear();
    in.TakeRest(words, lines, d.KeptLines);
    TTail tail(words, lines);
    if (tail.Left() > 0) {
        const int32_t rows = tail.Integer();
        if (rows < 0 || rows > TProjectTables::RowLimit(t.MassCal))
            throw EProjectError(HvlConst::Format("Error on Line %d", tail.Line()) + QChar(13) +
                                HvlConst::Format("The count %d does not fit the table \"%s\", which holds 0 to %d "
                                                 "rows.",
                                                 rows, t.MassCal->Caption(), TProjectTables::RowLimit(t.MassCal)));
        d.MassRowCount = rows;
        SetRows(t.MassCal, rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 7; ++c) t.MassCal->Cell(c, r)->SetAsFloat(tail.Float());
        // The centres follow also when no mass component is stored.
        long double* centres[3][3] = {{&d.CGLocalX, &d.CGLocalY, &d.CGLocalZ},
                                      {&d.CBLocalX, &d.CBLocalY, &d.CBLocalZ},
                                      {&d.CBGlobalX, &d.CBGlobalY, &d.CBGlobalZ}};
        for (auto& row : centres)
            if (tail.Left() > 0)
                for (long double* v : row) *v = tail.Float();
    }
}

}  // namespace

namespace ProjectFile {

void ReadProject(TProgramData& d, const QString& path)
{
    d.FileName = path;
    d.Tables().ClearRows();
    // Every message names the file; one about a line gives it ("Error on Line n"), and a file
    // that ends too early the line where it ends.
    const QString lead = L("The file ") + QDir::toNativeSeparators(path) + L(" cannot be read:") + QChar(13);
    std::unique_ptr<TProjectReader> reader;
    try {
        reader = std::make_unique<TProjectReader>(path);
    } catch (const EInOutError& e) {
        throw EInOutError(lead + e.message());
    }
    const auto where = [&](const QString& text) {
        if (text == QString::fromLatin1(kIncomplete))
            return lead + HvlConst::Format("Error on Line %d", reader->LastLine()) + QChar(13) + text;
        return lead + text;
    };
    try {
        try {
            ReadBody(*reader, d);
        } catch (const EInOutError&) {
            throw;
        } catch (const EProjectError&) {
            throw;
        } catch (const Exception& e) {
            reader->Fail(e.message());
        }
    } catch (const EInOutError& e) {
        throw EInOutError(where(e.message()));
    } catch (const EProjectError& e) {
        throw EProjectError(where(e.message()));
    }
    d.Tables().RaiseToMinRows();
    d.Tables().MarkMomentAmplitudes();
    d.SetModified(false);
}

namespace {

// The three files of a project in the order they are written and renamed.
QStringList SaveOrder(const QString& projectFile)
{
    return {ChangeFileExt(projectFile, L(".tmm")), ChangeFileExt(projectFile, L(".tmt")), projectFile};
}

QByteArray HashOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

}  // namespace

TFilesState FilesState(const QString& projectFile)
{
    TFilesState state;
    const QString paths[3] = {projectFile, ChangeFileExt(projectFile, L(".tmm")), ChangeFileExt(projectFile, L(".tmt"))};
    for (int i = 0; i < 3; ++i) {
        QFile file(paths[i]);
        if (!file.exists()) continue;
        if (!file.open(QIODevice::ReadOnly)) {
            state.Hash[i] = "unreadable: " + file.errorString().toUtf8();
            continue;
        }
        const QByteArray bytes = file.readAll();
        state.Hash[i] = file.error() == QFileDevice::NoError ? HashOf(bytes) : "unreadable: " + file.errorString().toUtf8();
    }
    return state;
}

TFilesState StateOf(const TProjectTexts& texts)
{
    TFilesState state;
    state.Hash = {HashOf(texts.Project), HashOf(texts.Mass), HashOf(texts.Drawing)};
    return state;
}

QString SaveRecordPathOf(const QString& projectFile)
{
    return ChangeFileExt(SafeWrite::TargetOf(projectFile), L(".tmsave"));
}

void RecoverSave(const QString& projectFile)
{
    SafeWrite::RecoverGroup(SaveRecordPathOf(projectFile), SaveOrder(projectFile));
}

TFilesState WriteFiles(TProgramData& d, const TWriteOptions& options)
{
    CheckProject(d);
    const TProjectTexts texts = BuildTexts(d);
    // Each file goes to a temporary name beside it, checked to the last byte on the disk; only
    // when all three are written are they renamed into place, through the commit record.
    const QStringList paths = SaveOrder(d.FileName);
    const QByteArray* bytes[3] = {&texts.Mass, &texts.Drawing, &texts.Project};
    SafeWrite::TFileGroup group(SaveRecordPathOf(d.FileName), paths);
    if (options.BeforeWrite) options.BeforeWrite();
    for (int i = 0; i < 3; ++i) group.Add(paths[i]).Write(*bytes[i]);
    for (const QString& path : options.Remove) group.Remove(path);
    group.Commit();
    d.SetModified(false);
    return StateOf(texts);
}

}  // namespace ProjectFile
