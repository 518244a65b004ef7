// Arbitrary bytes opened as a project file (File > Open). A read that fails must leave the
// current project whole: the same data and tables, the same values, the same modified state and
// tables that still find their templates. A read that succeeds must save, and the saved project
// must open again and save to the very same three files.
#include "fuzz_support.h"

#include "dataunit.h"
#include "project.h"
#include "projectfile.h"
#include "projecttables.h"
#include "table/columntypes.h"
#include "table/table.h"

#include <algorithm>
#include <string>

namespace {

void Row(TGridTable* table, int row, std::initializer_list<long double> values)
{
    int c = 0;
    for (long double v : values) table->Cell(c++, row)->SetAsFloat(v);
}

// The project every input starts from: a half-space under a random load of two spectra, so that
// sub-tables and their templates are in play.
QString Baseline()
{
    static const QString path = [] {
        const QString p = fuzz::Path("baseline.tmx");
        TProject project;
        TProgramData& d = project.Data();
        TProjectTables& t = project.Tables();
        d.ProjectTitle = QStringLiteral("Fuzz baseline");
        d.LengthX = 4;
        d.WidthY = 3;
        d.Mass = 120.5L;
        d.Ixx = d.Iyy = d.Izz = 40;
        d.TipVs = 200;
        d.TipUnitWeight = 18;
        d.TipPoisson = 0.3L;
        d.TipDamping = 0.05L;
        t.D1->SetRowCount(1);
        Row(t.D1, 0, {1, 150, 17, 0.3L, 0.05L});
        d.LoadCode = 3;
        d.RandomFreqMax = 20;
        d.RandomFreqMin = 1;
        d.PointCount = 3;
        d.ObservationPeriod = 10;
        t.Trandom->SetRowCount(2);
        for (int r = 0; r < 2; ++r) {
            t.Trandom->Cell(0, r)->SetAsInteger(r + 1);
            TGridTable* values = t.Trandom->Cell(1, r)->GetAsTable();
            values->SetRowCount(3);
            for (int k = 0; k < 3; ++k) values->Cell(0, k)->SetAsFloat(0.5L * (k + 1) + r);
        }
        t.MassCal->SetRowCount(1);
        Row(t.MassCal, 0, {10, 0, 0, 0.5L, 1, 1, 1});
        project.SaveAs(p);
        return p;
    }();
    return path;
}

// Every value of a table (and of its sub-tables) as text.
void TableText(const TGridTable* table, std::string& out)
{
    out += table->Caption().toStdString() + ":" + std::to_string(table->RowCount()) + "\n";
    for (int r = 0; r < table->RowCount(); ++r) {
        for (int c = 0; c < table->ColumnCount(); ++c) {
            const TDataPtr cell = table->Cell(c, r);
            if (dynamic_cast<const TTableColumn*>(table->GetColumn(c))) {
                if (const TGridTable* sub = cell->GetAsTable()) TableText(sub, out);
                else out += "(no sub-table)";
            } else {
                out += cell->GetText().toStdString() + " ";
            }
        }
        out += "\n";
    }
}

std::string Fingerprint(const TProject& project, bool withName = true)
{
    const TProgramData& d = project.Data();
    std::string out = (withName ? d.FileName.toStdString() : std::string()) + "|" + d.ProjectTitle.toStdString() + "|" +
                      d.FoundationWord.toStdString() + "|" + std::to_string(d.LoadCode) + "|" +
                      std::to_string(d.PointCount) + "|" + std::to_string(d.UnitSystem) + "|" +
                      DataUnit::FormatValue(d.Mass).toStdString() + "|" +
                      DataUnit::FormatValue(d.RandomFreqMax).toStdString() + "\n";
    for (const TGridTable* table : project.Tables().All()) TableText(table, out);
    return out;
}

// The three files of a saved project.
QByteArray Files(const QString& path)
{
    return fuzz::Read(path) + "\n--\n" + fuzz::Read(ProjectFile::ChangeFileExt(path, QStringLiteral(".tmm"))) +
           "\n--\n" + fuzz::Read(ProjectFile::ChangeFileExt(path, QStringLiteral(".tmt")));
}

// The first line where two texts differ, with the line before it.
std::string FirstDifference(const QByteArray& a, const QByteArray& b)
{
    const QList<QByteArray> la = a.split('\n');
    const QList<QByteArray> lb = b.split('\n');
    for (qsizetype i = 0; i < std::max(la.size(), lb.size()); ++i) {
        const QByteArray x = i < la.size() ? la[i] : QByteArray("(end)");
        const QByteArray y = i < lb.size() ? lb[i] : QByteArray("(end)");
        if (x != y)
            return "line " + std::to_string(i + 1) + " after '" + (i > 0 ? la[i - 1].toStdString() : "") + "': '" +
                   x.toStdString() + "' became '" + y.toStdString() + "'";
    }
    return "(no difference)";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Baseline();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TProject project;
    project.Open(Baseline());
    project.Tables().D1->Cell(0, 0)->SetAsFloat(2.25L);  // an edit not yet saved
    project.SetModified(true);
    const bool modified = project.IsModified();
    const TProgramData* dataBefore = &project.Data();
    const TProjectTables* tablesBefore = &project.Tables();
    const std::string before = Fingerprint(project);

    const QString input = fuzz::Path("input.tmx");
    fuzz::Write(input, data, size);
    bool read = false;
    try {
        project.Open(input);
        read = true;
    } catch (const Exception&) {
    }

    if (!read) {
        fuzz::Check(&project.Data() == dataBefore && &project.Tables() == tablesBefore,
                    "a failed read keeps the project's data and tables");
        fuzz::Check(project.IsModified() == modified, "a failed read keeps the modified state");
        const std::string after = Fingerprint(project);
        fuzz::Check(after == before, "a failed read keeps every value:\n" + before + "\nbecame\n" + after);
        // The sub-tables still find their template.
        TGridTable* spectra = project.Tables().Trandom;
        spectra->SetRowCount(spectra->RowCount() + 1);
        const TGridTable* sub = spectra->Cell(1, spectra->RowCount() - 1)->GetAsTable();
        fuzz::Check(sub && sub->TemplateTable() == project.Tables().Tspectrum, "a new spectrum finds its template");
        return 0;
    }

    fuzz::Check(!project.IsModified(), "a project just read is not modified");
    const QString first = fuzz::Path("first.tmx");
    try {
        project.SaveAs(first);
    } catch (const EProjectError&) {
        return 0;  // refused with a message that says why (tables out of step)
    }
    // The saved project opens again with the same values and saves to the very same files.
    TProject again;
    try {
        again.Open(first);
    } catch (const Exception& e) {
        fuzz::Check(false, "a saved project reopens: " + e.message().toStdString());
    }
    const std::string values = Fingerprint(project, false);
    const std::string valuesAgain = Fingerprint(again, false);
    fuzz::Check(values == valuesAgain, "a saved project reads back with the same values: " +
                                           FirstDifference(QByteArray::fromStdString(values),
                                                           QByteArray::fromStdString(valuesAgain)));
    const QString second = fuzz::Path("second.tmx");
    try {
        again.SaveAs(second);
    } catch (const Exception& e) {
        fuzz::Check(false, "a reopened project saves: " + e.message().toStdString());
    }
    const QByteArray written = Files(first);
    const QByteArray rewritten = Files(second);
    fuzz::Check(written == rewritten, "a reopened project saves the same files: " + FirstDifference(written, rewritten));
    return 0;
}
