// The project files: a new project against its hand-written file, round trips of every
// foundation and load type (write, read into a fresh project, write again), the decks run
// through the real engine library, the 80-column layout and the battered-pile lines.
#include "projectbuild.h"
#include "projectfile.h"

#include "engine_harness.h"
#include "entry/misc.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <tuple>

using namespace build;

namespace {

// Every long double field of the project data that a project file carries.
struct Field {
    const char* name;
    long double TProgramData::*member;
};

#define FIELD(f) Field{#f, &TProgramData::f}
const Field kFields[] = {
    FIELD(Mass),       FIELD(Ixx),          FIELD(Iyy),          FIELD(Izz),           FIELD(Ixy),
    FIELD(Ixz),        FIELD(Iyz),          FIELD(Xc),           FIELD(Yc),            FIELD(Zc),
    FIELD(PileLength), FIELD(PileUnitWeight), FIELD(StaticLoad), FIELD(PilePoisson),   FIELD(PileDamping),
    FIELD(ShearCoefficient), FIELD(BaseDepth), FIELD(BedrockDepth), FIELD(CGLocalX),   FIELD(CGLocalY),
    FIELD(CGLocalZ),   FIELD(CBGlobalX),    FIELD(CBGlobalY),    FIELD(CBGlobalZ),     FIELD(CBLocalX),
    FIELD(CBLocalY),   FIELD(CBLocalZ),     FIELD(FreqMax),      FIELD(FreqMin),       FIELD(FreqStep),
    FIELD(Fx),         FIELD(Fy),           FIELD(Fz),           FIELD(Mx),            FIELD(My),
    FIELD(Mz),         FIELD(LoadPointX),   FIELD(LoadPointY),   FIELD(LoadPointZ),    FIELD(TipVs),
    FIELD(TipUnitWeight), FIELD(TipDamping), FIELD(TipPoisson),  FIELD(Radius),        FIELD(LengthX),
    FIELD(WidthY),     FIELD(DrawWidth),    FIELD(PileModulus),  FIELD(TimeStep),      FIELD(RandomFreqMax),
    FIELD(RandomFreqMin), FIELD(ObservationPeriod)};
#undef FIELD

QString Digits8(long double x) { return NumText::FloatToStrGeneral(x, 8); }

void ExpectSameTable(const TGridTable* a, const TGridTable* b, int columns = -1)
{
    ASSERT_EQ(a->RowCount(), b->RowCount()) << a->Caption().toStdString();
    const int n = columns < 0 ? a->ColumnCount() : columns;
    for (int r = 0; r < a->RowCount(); ++r)
        for (int c = 0; c < n; ++c) {
            if (dynamic_cast<const TTableColumn*>(a->GetColumn(c))) {
                ExpectSameTable(a->Cell(c, r)->GetAsTable(), b->Cell(c, r)->GetAsTable());
                continue;
            }
            EXPECT_EQ(a->Cell(c, r)->GetText(), b->Cell(c, r)->GetText())
                << a->Caption().toStdString() << " column " << c << " row " << r;
        }
}

// The read project equals the written one to 8 significant digits, in every value the files
// carry for its kind.
void ExpectSameProject(const TProject& written, const TProject& read)
{
    const TProgramData& a = written.Data();
    const TProgramData& b = read.Data();
    const bool body = a.FoundationWord == QStringLiteral("PILE") || a.FoundationWord == QStringLiteral("MULTILAYER");
    for (const Field& f : kFields) {
        // Only pile and shaft projects carry a length; the others take the drawing default.
        if (!body && f.member == &TProgramData::PileLength) continue;
        // Only the dimensions of the shape in force are carried.
        const bool rectangle = f.member == &TProgramData::LengthX || f.member == &TProgramData::WidthY ||
                               f.member == &TProgramData::DrawWidth;
        if ((a.ShapeCode == 1 && rectangle) || (a.ShapeCode == 0 && f.member == &TProgramData::Radius)) continue;
        EXPECT_EQ(Digits8(a.*f.member), Digits8(b.*f.member)) << f.name;
    }
    EXPECT_EQ(a.UnitSystem, b.UnitSystem);
    EXPECT_EQ(a.ProjectTitle, b.ProjectTitle);
    EXPECT_EQ(a.FoundationWord, b.FoundationWord);
    for (auto member : {&TProgramData::FoundationCode, &TProgramData::MassRowCount, &TProgramData::LoadPointRef,
                        &TProgramData::FixedHead, &TProgramData::ShapeCode, &TProgramData::EndBearing,
                        &TProgramData::MatrixFlag, &TProgramData::LoadCode, &TProgramData::Interaction,
                        &TProgramData::QuadraticFlag})
        EXPECT_EQ(a.*member, b.*member);
    if (a.LoadCode != 1) {
        EXPECT_EQ(a.PointCount, b.PointCount);
        EXPECT_EQ(a.LoadTypeCount, b.LoadTypeCount);
    }
    const TProjectTables& ta = written.Tables();
    const TProjectTables& tb = read.Tables();
    ExpectSameTable(ta.MassCal, tb.MassCal);
    if (a.FoundationWord == QStringLiteral("PILE")) {
        EXPECT_EQ(a.Battered, b.Battered);
        EXPECT_EQ(a.SideCapWeakZone, b.SideCapWeakZone);
        ExpectSameTable(ta.PileData, tb.PileData);
        ExpectSameTable(ta.D, tb.D);
        // Batter angles and planes are carried only with the battered option.
        ExpectSameTable(ta.Pilecoord, tb.Pilecoord, a.Battered ? 4 : 2);
        // Side soil is carried when it has a weak zone or a shear wave velocity.
        const TGridTable* side = ta.pilecapsoil;
        if (a.SideCapWeakZone || side->Cell(1, side->RowCount() - 1)->GetAsFloat() > 1e-5L)
            ExpectSameTable(side, tb.pilecapsoil, a.SideCapWeakZone ? 6 : 5);
    } else if (a.FoundationWord == QStringLiteral("MULTILAYER")) {
        for (auto table : {&TProjectTables::MultiElement, &TProjectTables::D, &TProjectTables::Multisoil})
            ExpectSameTable(ta.*table, tb.*table);
    } else if (a.FoundationWord == QStringLiteral("HALF-SPACE")) {
        EXPECT_EQ(a.HalfSpaceWeakZone, b.HalfSpaceWeakZone);
        ExpectSameTable(ta.D1, tb.D1, a.HalfSpaceWeakZone ? 6 : 5);
    }
    if (a.LoadCode == 2) ExpectSameTable(ta.TLoadtype, tb.TLoadtype);
    if (a.LoadCode == 3) ExpectSameTable(ta.Trandom, tb.Trandom);
}

struct Files {
    QByteArray project, mass, drawing;
};

Files ReadFiles(const QString& tmx)
{
    return {ReadBytes(tmx), ReadBytes(ProjectFile::ChangeFileExt(tmx, QStringLiteral(".tmm"))),
            ReadBytes(ProjectFile::ChangeFileExt(tmx, QStringLiteral(".tmt")))};
}

void ExpectLinesWithin80Columns(const QByteArray& bytes, const char* what)
{
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (i == 0 && line.startsWith("TITLE=")) continue;
        EXPECT_LE(line.size(), 80) << what << " line " << i + 1 << ": " << line.toStdString();
    }
    EXPECT_TRUE(bytes.endsWith("\r\n")) << what;
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << what << ": every line ends with CR LF";
}

harness::EngineRun RunEngine(const Files& files)
{
    harness::RunOptions options;
    options.mass_file = Text(files.mass);
    harness::EngineRun run = harness::run_engine(Text(files.project), options);
    // The run's folder is no longer needed: the report and the plot data came back with it.
    if (run.folder.rfind("/tmp/tremex-run-", 0) == 0) QDir(QString::fromStdString(run.folder)).removeRecursively();
    return run;
}

using Kind = std::tuple<Foundation, Load, bool>;

class RoundTrip : public ::testing::TestWithParam<Kind> {};

}  // namespace

// ---------------------------------------------------------------------------------------------
// A new project saved as is

TEST(ProjectFile, NewProjectSavedAsIs)
{
    const QString folder = TempFolder("new-project");
    TProject project;
    project.SaveAs(folder + QStringLiteral("/new.tmx"));
    const Files files = ReadFiles(folder + QStringLiteral("/new.tmx"));
    const char* e = " 0.00000000000000E+0000  0.00000000000000E+0000  0.00000000000000E+0000 \r\n";
    const std::string expected = std::string("TITLE=New Pile\r\n"
                                             "MATRIX\r\n"
                                             "GRAVITY=9.8\r\n"
                                             "FOUNDATION=HALF-SPACE\r\n"
                                             "RECTANGULAR=0,0\r\n"
                                             "MASS \r\n"
                                             "0 0 0 0 0 0 0\r\n"
                                             "CONSTANTS \r\n"
                                             "0 0 0 \r\n"
                                             "SOIL \r\n"
                                             "WEAK \r\n"
                                             "CONSTANTS=1\r\n"
                                             // The new row's weak-zone ratio 1: no weak zone.
                                             "1 0 0 0 0 0 1 0 0 0\r\n"
                                             "BELOW=0 0 0 0\r\n"
                                             "LOAD \r\n"
                                             "HARMONIC \r\n"
                                             "CONSTANTS \r\n"
                                             "NONQUADRATIC \r\n"
                                             "0 0 0 \r\n"
                                             "0 0 0 \r\n"
                                             "0 0 0 \r\n"
                                             "0 0 0 0 \r\n"
                                             "RUN \r\n"
                                             "0\r\n") +
                                 e + e + e;
    EXPECT_EQ(Text(files.project), expected);
    EXPECT_EQ(Text(files.mass), "0\r\n");
    EXPECT_EQ(Text(files.drawing), "RECTANGULAR \r\n 0 0 0\r\n 0\r\nSOIL\r\nHALF-SPACE\r\n 0\r\n2\r\n1 0\r\n2 0\r\n");
    EXPECT_FALSE(project.IsModified());
    EXPECT_EQ(project.Data().MassFileName, folder + QStringLiteral("/new.tmm"));
    EXPECT_EQ(project.Data().DrawingFileName, folder + QStringLiteral("/new.tmt"));
}

TEST(ProjectFile, NumberTexts)
{
    EXPECT_EQ(ProjectFile::ExtendedText(15), " 1.50000000000000E+0001");
    EXPECT_EQ(ProjectFile::ExtendedText(-0.000125L), "-1.25000000000000E-0004");
    EXPECT_EQ(ProjectFile::ExtendedText(1.0L / 3.0L), " 3.33333333333333E-0001");
    EXPECT_EQ(ProjectFile::ExtendedText(0), " 0.00000000000000E+0000");
    EXPECT_EQ(ProjectFile::ExtendedText(NAN), " 0.00000000000000E+0000");
    EXPECT_EQ(ProjectFile::ExtendedText(123456789012345678.0L), " 1.23456789012346E+0017");
    EXPECT_EQ(DataUnit::FormatValue(1e-7L), "1E-7");
    EXPECT_EQ(DataUnit::FormatValue(10 * 6.28L), "62.8");
    EXPECT_EQ(DataUnit::FormatValue(-12345678.9L), "-12345679");
    EXPECT_EQ(ProjectFile::ChangeFileExt(QStringLiteral("/a.b/pump.tmx"), QStringLiteral(".tmm")), "/a.b/pump.tmm");
    EXPECT_EQ(ProjectFile::ChangeFileExt(QStringLiteral("/a.b/pump"), QStringLiteral(".tmt")), "/a.b/pump.tmt");
}

// A value at the top of the long double range, entered in a field (18 digits) and in a cell,
// is saved with 8 digits cut rather than rounded above the range, and the project reopens with
// the value the file holds.
TEST(ProjectFile, TheLargestValueIsSavedAndReopened)
{
    const long double top = std::numeric_limits<long double>::max();
    // What a number field takes: the expression evaluator, then the field's 18-digit text.
    const long double entered = Misc::EvaluateExpression(QStringLiteral("1.18973149535723176502E4932"));
    EXPECT_EQ(entered, top);
    const QString shown = NumText::FloatToStrGeneral(entered, 18);
    EXPECT_EQ(shown, "1.18973149535723176E4932");
    EXPECT_TRUE(std::isfinite(Misc::EvaluateExpression(shown)));
    // The evaluator writes intermediate results back with 18 digits: they read back too.
    const long double product = Misc::EvaluateExpression(QStringLiteral("1.18973149535723176502E4932 * 1"));
    EXPECT_LE(top - product, top * 1e-17L);

    TProject project;
    Fill(project, Foundation::HalfSpace, Load::Harmonic);
    project.Data().Mass = entered;
    project.Data().Ixx = -entered;
    TGridTable* mass = project.Tables().MassCal;
    mass->GetColumn(0)->SetText(0, QStringLiteral("1.18973149535723176502e4932"));  // typed into a cell
    EXPECT_EQ(mass->Cell(0, 0)->GetAsFloat(), top);
    const QString path = TempFolder("largest-value") + "/largest.tmx";
    project.SaveAs(path);
    const QByteArray file = ReadBytes(path);
    EXPECT_TRUE(file.contains("\r\n1.1897314E4932 -1.1897314E4932 ")) << Text(file);

    TProject again;
    ASSERT_NO_THROW(again.Open(path));
    const long double written = NumText::StrToFloat(QStringLiteral("1.1897314E4932"));
    EXPECT_EQ(again.Data().Mass, written);
    EXPECT_EQ(again.Data().Ixx, -written);
    EXPECT_EQ(again.Tables().MassCal->Cell(0, 0)->GetAsFloat(), written);
    EXPECT_LT(std::fabs(written - top), top * 1e-7L);
    // Saved again, the files are the same.
    const QString second = TempFolder("largest-value-again") + "/largest.tmx";
    again.SaveAs(second);
    EXPECT_EQ(ReadBytes(second), file);
}

// ---------------------------------------------------------------------------------------------
// Round trips and engine runs of every foundation and load type

TEST_P(RoundTrip, WriteReadWriteGivesTheSameFilesAndTheEngineRunsTheDeck)
{
    const auto [foundation, load, digits8] = GetParam();
    const std::string name = std::string(Name(foundation)) + "-" + Name(load) + (digits8 ? "-8digits" : "");
    const QString folder = TempFolder("roundtrip-" + name);

    TProject original;
    Fill(original, foundation, load, digits8);
    original.SaveAs(folder + QStringLiteral("/first.tmx"));
    const Files first = ReadFiles(folder + QStringLiteral("/first.tmx"));

    TProject read;
    read.Open(folder + QStringLiteral("/first.tmx"));
    EXPECT_FALSE(read.IsModified());
    ExpectSameProject(original, read);
    read.SaveAs(folder + QStringLiteral("/second.tmx"));
    const Files second = ReadFiles(folder + QStringLiteral("/second.tmx"));
    EXPECT_EQ(Text(first.project), Text(second.project));
    EXPECT_EQ(Text(first.mass), Text(second.mass));
    EXPECT_EQ(Text(first.drawing), Text(second.drawing));

    ExpectLinesWithin80Columns(first.project, "project file");
    ExpectLinesWithin80Columns(first.mass, "mass file");
    ExpectLinesWithin80Columns(first.drawing, "drawing file");

    const harness::EngineRun run = RunEngine(first);
    EXPECT_EQ(run.result, 0) << Text(first.project) << run.report;
    EXPECT_EQ(run.report.find("ERROR"), std::string::npos) << run.report;
    EXPECT_EQ(run.report.find("UNRECOGNIZED"), std::string::npos) << run.report;
    EXPECT_EQ(run.report.find("IGNORED"), std::string::npos) << run.report;
    EXPECT_TRUE(run.plot_exists);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFoundationAndLoad, RoundTrip,
    ::testing::Combine(::testing::Values(Foundation::HalfSpace, Foundation::Pile, Foundation::Stratum,
                                         Foundation::Multilayer),
                       ::testing::Values(Load::Harmonic, Load::Transient, Load::Random), ::testing::Values(false, true)),
    [](const ::testing::TestParamInfo<Kind>& info) {
        return std::string(Name(std::get<0>(info.param))) + "_" + Name(std::get<1>(info.param)) +
               (std::get<2>(info.param) ? "_8digits" : "");
    });

// ---------------------------------------------------------------------------------------------
// Battered piles: the plane line as the engine reads it

TEST(ProjectFile, BatteredPilesReachTheEngineAndTheOlderPlaneLineStillReads)
{
    const QString folder = TempFolder("battered");
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic);
    project.SaveAs(folder + QStringLiteral("/battered.tmx"));
    const Files files = ReadFiles(folder + QStringLiteral("/battered.tmx"));
    EXPECT_NE(Text(files.project).find("BATTERED\r\n1 XZ  \r\n5 \r\n2 XZ  \r\n-5 \r\n3 YZ  \r\n5 \r\n4 YZ  \r\n0 \r\n"),
              std::string::npos)
        << Text(files.project);

    const harness::EngineRun run = RunEngine(files);
    ASSERT_EQ(run.result, 0);
    for (const char* line : {" PILE NO.  1 BATTERED IN XZ PLANE", " ANGLE BETWEEN PILE AND VERTICAL =    5.00 deg.",
                             " PILE NO.  2 BATTERED IN XZ PLANE", " ANGLE BETWEEN PILE AND VERTICAL =   -5.00 deg.",
                             " PILE NO.  3 BATTERED IN YZ PLANE", " PILE NO.  4 BATTERED IN YZ PLANE"})
        EXPECT_NE(run.report.find(line), std::string::npos) << line << "\n" << run.report;

    // The older plane line without a blank ("1XZ  ") is one word for the engine, which then
    // drops the battered option; the reader still takes it.
    QByteArray old = files.project;
    for (const char* plane : {"1 XZ", "2 XZ", "3 YZ", "4 YZ"}) {
        QByteArray joined(plane);
        joined.remove(1, 1);
        old.replace(QByteArray(plane) + "  \r\n", joined + "  \r\n");
    }
    ASSERT_NE(old, files.project);
    const harness::EngineRun oldRun = RunEngine({old, files.mass, files.drawing});
    EXPECT_NE(oldRun.report.find(" ERROR ENCOUNTERED WHILE READING BATTERED PILE DATA"), std::string::npos);
    WriteBytes(folder + QStringLiteral("/old.tmx"), old);
    TProject read;
    read.Open(folder + QStringLiteral("/old.tmx"));
    const TGridTable* piles = read.Tables().Pilecoord;
    ASSERT_EQ(piles->RowCount(), 4);
    const int planes[4] = {1, 1, 2, 2};
    const char* angles[4] = {"5", "-5", "5", "0"};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(piles->Cell(3, r)->GetAsInteger(), planes[r]);
        EXPECT_EQ(piles->Cell(2, r)->GetText().toStdString(), angles[r]);
    }
    EXPECT_EQ(read.Data().Battered, 1);
}

TEST(ProjectFile, BatterScanSwitchesOnAboveOneTenMillionthAndStaysOn)
{
    const QString folder = TempFolder("batter-scan");
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic);
    TGridTable* piles = project.Tables().Pilecoord;
    for (int r = 0; r < piles->RowCount(); ++r) piles->Cell(2, r)->SetAsFloat(0);
    piles->Cell(2, 1)->SetAsFloat(1e-7L);
    const QString path = folder + QStringLiteral("/scan.tmx");
    project.SaveAs(path);
    EXPECT_EQ(project.Data().Battered, 0);
    EXPECT_EQ(Text(ReadBytes(path)).find("BATTERED"), std::string::npos);
    piles->Cell(2, 1)->SetAsFloat(1.1e-7L);
    project.Save();
    EXPECT_EQ(project.Data().Battered, 1);
    piles->Cell(2, 1)->SetAsFloat(0);
    project.Save();
    EXPECT_EQ(project.Data().Battered, 1);
    EXPECT_NE(Text(ReadBytes(path)).find("BATTERED"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Long rows: 8 significant digits, negative signs, every value reaches the engine

TEST(ProjectFile, RowsOfEightDigitValuesGoOnInTheNextLineAndEveryValueReachesTheEngine)
{
    const QString folder = TempFolder("eight-digits");
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic, true);
    project.SaveAs(folder + QStringLiteral("/eight.tmx"));
    const Files files = ReadFiles(folder + QStringLiteral("/eight.tmx"));
    const std::string deck = Text(files.project);
    // An element row of eight values is longer than 80 columns: its last value goes on.
    EXPECT_NE(deck.find("3 4.2345678 0.25234567 0.25234567 0.19635123 0.0030681234 0.0030681234\r\n0.0061361234\r\n"),
              std::string::npos)
        << deck;
    ExpectLinesWithin80Columns(files.project, "project file");

    const harness::EngineRun run = RunEngine(files);
    ASSERT_EQ(run.result, 0) << run.report;
    // The last value of each long row, as the engine echoes it.
    for (const char* echo : {"6.14E-03",                                      // torsional stiffness, last element
                             "   4        1.523       1.523",                 // last pile location
                             "  3      181.235      17.235   0.412     0.051",  // last soil layer
                             // Mx moved to the centre of gravity: it needs all seven values of the
                             // load-point row, which goes on in the next line.
                             "MOMENT ABOUT X-AXIS  ...........-1.049E+01"})
        EXPECT_NE(run.report.find(echo), std::string::npos) << echo << "\n" << run.report;
}

// ---------------------------------------------------------------------------------------------
// Stored projects in the older layout, and the less common switches

TEST(ProjectFile, TheExampleProjectsReadAndTheirRewritesRunAsTheyDid)
{
    const QDir examples(QStringLiteral(TREMEX_SOURCE_DIR) + QStringLiteral("/examples"));
    const QStringList names = examples.entryList({QStringLiteral("*.tmx")}, QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 7);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString folder = TempFolder("example-" + name.toStdString());
        TProject project;
        project.Open(examples.filePath(name));
        project.SaveAs(folder + QStringLiteral("/rewritten.tmx"));
        TProject again;
        again.Open(folder + QStringLiteral("/rewritten.tmx"));
        ExpectSameProject(project, again);

        harness::RunOptions options;
        options.mass_file = Text(ReadBytes(ProjectFile::ChangeFileExt(examples.filePath(name), ".tmm")));
        const harness::EngineRun original = harness::run_engine(Text(ReadBytes(examples.filePath(name))), options);
        QDir(QString::fromStdString(original.folder)).removeRecursively();
        const harness::EngineRun rewritten = RunEngine(ReadFiles(folder + QStringLiteral("/rewritten.tmx")));
        EXPECT_EQ(rewritten.result, original.result);
        EXPECT_EQ(rewritten.plot, original.plot);
    }
}

TEST(ProjectFile, LessCommonSwitchesRoundTripAndRun)
{
    struct Case {
        const char* name;
        Foundation foundation;
        Load load;
        std::function<void(TProject&)> change;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    };
    const auto noBatter = [](TProject& p) {
        for (int r = 0; r < p.Tables().Pilecoord->RowCount(); ++r) p.Tables().Pilecoord->Cell(2, r)->SetAsFloat(0);
    };
    const Case cases[] = {
        {"pinned-floating-no-interaction", Foundation::Pile, Load::Harmonic,
         [&](TProject& p) {
             noBatter(p);
             p.Data().FixedHead = 0;
             p.Data().EndBearing = 0;
             p.Data().Interaction = 0;
             p.Data().ShapeCode = 1;
             p.Data().Radius = 3;
             p.Data().QuadraticFlag = 1;
             p.Data().LoadPointRef = 0;
             p.Data().FreqMax = 10;
             p.Tables().pilecapsoil->Cell(1, 0)->SetAsFloat(0);  // no side soil
             p.Tables().pilecapsoil->Cell(5, 0)->SetAsFloat(0);
         },
         {"PINNED=4\r\n", "FLOATING\r\nSOIL \r\n", "CIRCULAR=3\r\n", "QUADRATIC \r\n62.8 ", "\r\n0 0 0.5 0 \r\nRUN"},
         {"INTERACTION", "EMBEDDED", "SIDE-CAP", "BATTERED"}},
        {"embedded-without-weak-zone", Foundation::Pile, Load::Random,
         [&](TProject& p) {
             noBatter(p);
             p.Tables().pilecapsoil->Cell(5, 0)->SetAsFloat(0);
         },
         {"BELOW=600 21 0.33 0.05\r\nEMBEDDED\r\n1 \r\n1 1 150 18 0.35 0.05\r\nLOAD "},
         {"SIDE-CAP"}},
        {"english-no-matrix-no-weak", Foundation::HalfSpace, Load::Transient,
         [](TProject& p) {
             p.SetUnits(1);
             p.Data().MatrixFlag = 0;
             p.Data().HalfSpaceWeakZone = 0;
             for (int r = 0; r < p.Tables().D1->RowCount(); ++r) p.Tables().D1->Cell(5, r)->SetAsFloat(0);
         },
         {"GRAVITY=32.2\r\n", "SOIL \r\nCONSTANTS=2\r\n1 1.6404199 524.93438 "},
         {"MATRIX", "WEAK"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = TempFolder(std::string("switches-") + c.name);
        TProject project;
        Fill(project, c.foundation, c.load);
        c.change(project);
        project.SaveAs(folder + QStringLiteral("/first.tmx"));
        const Files first = ReadFiles(folder + QStringLiteral("/first.tmx"));
        const std::string deck = Text(first.project);
        for (const char* text : c.present) EXPECT_NE(deck.find(text), std::string::npos) << text << "\n" << deck;
        for (const char* text : c.absent) EXPECT_EQ(deck.find(text), std::string::npos) << text << "\n" << deck;
        TProject read;
        read.Open(folder + QStringLiteral("/first.tmx"));
        ExpectSameProject(project, read);
        read.SaveAs(folder + QStringLiteral("/second.tmx"));
        EXPECT_EQ(Text(ReadFiles(folder + QStringLiteral("/second.tmx")).project), deck);
        const harness::EngineRun run = RunEngine(first);
        EXPECT_EQ(run.result, 0) << run.report;
        EXPECT_EQ(run.report.find("ERROR"), std::string::npos) << run.report;
    }
}

TEST(ProjectFile, WeakZoneThresholdsAndTheDrawingDefaults)
{
    struct Case {
        Foundation foundation;
        long double ratio;
        const char* row;
    };
    const Case cases[] = {
        {Foundation::HalfSpace, 0.999999L, "1 0.5 160 18 0.3 0.05 0.999999 0.3 0.1 0.1\r\n"},
        {Foundation::HalfSpace, 0.9999995L, "1 0.5 160 18 0.3 0.05 0.9999995 0.3 0.1 0\r\n"},
        {Foundation::Pile, 0.999999L, "1 140 17 0.4 0.05 0.999999 0.4 0.1 1\r\n"},
        {Foundation::Pile, 0.9999995L, "1 140 17 0.4 0.05 0.9999995 0.4 0.1 0\r\n"},
        {Foundation::Multilayer, 0.99999L, "1 150 17 0.35 0.05 0.99999 0.35 0.1 1\r\n"},
        {Foundation::Multilayer, 0.999995L, "1 150 17 0.35 0.05 0.999995 0.35 0.1 0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const QString folder = TempFolder("weak-threshold");
        TProject project;
        Fill(project, c.foundation, Load::Harmonic);
        TGridTable* soil = c.foundation == Foundation::HalfSpace ? project.Tables().D1 : project.Tables().D;
        soil->Cell(c.foundation == Foundation::HalfSpace ? 5 : 4, 0)->SetAsFloat(c.ratio);
        project.SaveAs(folder + QStringLiteral("/weak.tmx"));
        EXPECT_NE(Text(ReadBytes(folder + QStringLiteral("/weak.tmx"))).find(c.row), std::string::npos)
            << Text(ReadBytes(folder + QStringLiteral("/weak.tmx")));
    }

    // A pile project without a length: the drawing takes 2 x length x (rectangle), 3 x radius
    // (circle), and the project keeps that length; the width of a rectangle is its width in y.
    const QString folder = TempFolder("drawing-defaults");
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic);
    project.Data().PileLength = 0;
    project.Data().WidthY = 4;
    project.SaveAs(folder + QStringLiteral("/drawing.tmx"));
    EXPECT_EQ(project.Data().PileLength, 10.0L);
    EXPECT_EQ(project.Data().Embedment, 1.0L);
    const std::string drawing = Text(ReadBytes(folder + QStringLiteral("/drawing.tmt")));
    EXPECT_EQ(drawing.rfind("RECTANGULAR \r\n 5 4 1\r\n4\r\n10 \r\n1 -1.5 -1.5 \r\n", 0), 0u) << drawing;
    EXPECT_NE(drawing.find("BATTERED\r\n1 0 5 \r\n2 0 -5 \r\n3 90 5 \r\n4 90 0 \r\nSOIL\r\nPILE\r\n1\r\n3\r\n1 1 \r\n2 10\r\n3 2\r\n"),
              std::string::npos)
        << drawing;
    project.Data().ShapeCode = 1;
    project.Data().Radius = 2;
    project.Data().PileLength = 0;
    project.Tables().pilecapsoil->Cell(0, 0)->SetAsFloat(0);
    project.Save();
    EXPECT_EQ(Text(ReadBytes(folder + QStringLiteral("/drawing.tmt"))).rfind("CIRCULAR \r\n 2 2 0.3\r\n4\r\n6 \r\n", 0), 0u);
}

// A weak zone doubles the soil's damping. Entered with more digits than a file holds, the
// damping is written with 8 (0.031234567) and its double is that of the written value
// (0.062469134, where twice the entered value would give 0.062469135): the reopened project,
// which knows only the written damping, saves the very same files.
TEST(ProjectFile, TheDoubledDampingOfAWeakZoneIsThatOfTheWrittenDamping)
{
    struct Case {
        const char* name;
        Foundation foundation;
        TGridTable* TProjectTables::*table;
        int damping, ratio;
        const char* row;
    };
    const Case cases[] = {
        {"halfspace", Foundation::HalfSpace, &TProjectTables::D1, 4, 5,
         "1 0.5 160 18 0.3 0.031234567 0.5 0.3 0.062469134 0.1\r\n"},
        {"pile", Foundation::Pile, &TProjectTables::D, 3, 4, "1 140 17 0.4 0.031234567 0.5 0.4 0.062469134 1\r\n"},
        {"pile-side", Foundation::Pile, &TProjectTables::pilecapsoil, 4, 5, " 0.031234567 0.5 "},
        {"multilayer", Foundation::Multilayer, &TProjectTables::D, 3, 4,
         "1 150 17 0.35 0.031234567 0.5 0.35 0.062469134 1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = TempFolder(std::string("weak-damping-") + c.name);
        TProject project;
        Fill(project, c.foundation, Load::Harmonic);
        TGridTable* soil = project.Tables().*c.table;
        soil->Cell(c.damping, 0)->SetAsFloat(0.0312345674L);
        soil->Cell(c.ratio, 0)->SetAsFloat(0.5L);
        project.SaveAs(folder + QStringLiteral("/first.tmx"));
        const Files first = ReadFiles(folder + QStringLiteral("/first.tmx"));
        EXPECT_NE(Text(first.project).find(c.row), std::string::npos) << Text(first.project);
        EXPECT_NE(Text(first.project).find(" 0.062469134 "), std::string::npos) << Text(first.project);
        EXPECT_EQ(Text(first.project).find("0.062469135"), std::string::npos) << Text(first.project);

        TProject again;
        again.Open(folder + QStringLiteral("/first.tmx"));
        EXPECT_EQ((again.Tables().*c.table)->Cell(c.damping, 0)->GetAsFloat(), NumText::StrToFloat(QStringLiteral("0.031234567")));
        again.SaveAs(folder + QStringLiteral("/second.tmx"));
        const Files second = ReadFiles(folder + QStringLiteral("/second.tmx"));
        EXPECT_EQ(Text(first.project), Text(second.project));
        EXPECT_EQ(Text(first.mass), Text(second.mass));
        EXPECT_EQ(Text(first.drawing), Text(second.drawing));
    }
}

// A lone carriage return in the title line (a file edited by hand) is read as the blank it is
// written as: the project holds the title its next save writes.
TEST(ProjectFile, ALineBreakInTheTitleReadsAsTheBlankItIsSavedAs)
{
    const QString folder = TempFolder("title-line-break");
    TProject project;
    Fill(project, Foundation::HalfSpace, Load::Harmonic);
    project.Data().ProjectTitle = QStringLiteral("Pump A");
    project.SaveAs(folder + QStringLiteral("/plain.tmx"));
    const QByteArray plain = ReadBytes(folder + QStringLiteral("/plain.tmx"));
    QByteArray edited = plain;
    ASSERT_TRUE(edited.startsWith("TITLE=Pump A\r\n"));
    edited.replace(0, 12, "TITLE=Pump\rA");
    WriteBytes(folder + QStringLiteral("/edited.tmx"), edited);
    for (const char* other : {".tmm", ".tmt"})
        WriteBytes(folder + QStringLiteral("/edited") + other, ReadBytes(folder + QStringLiteral("/plain") + other));

    TProject read;
    read.Open(folder + QStringLiteral("/edited.tmx"));
    EXPECT_EQ(read.Data().ProjectTitle, QStringLiteral("Pump A"));
    read.SaveAs(folder + QStringLiteral("/again.tmx"));
    EXPECT_EQ(Text(ReadBytes(folder + QStringLiteral("/again.tmx"))), Text(plain));
}

namespace {

// The "$" comment lines of a file, trimmed, in order.
QStringList CommentLines(const QByteArray& bytes)
{
    QStringList comments;
    for (const QByteArray& line : bytes.split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(QLatin1Char('$'))) comments << text;
    }
    return comments;
}

// The comment lines after the data of a hand-written project (each bundled example has them)
// go through a save unchanged, after the data the writer writes; a file saved so reads and
// saves again to the same bytes.
TEST(ProjectFile, CommentLinesAfterTheDataAreKeptThroughASave)
{
    const QDir examples(QStringLiteral(TREMEX_SOURCE_DIR "/examples"));
    const QStringList names = examples.entryList({QStringLiteral("*.tmx")});
    ASSERT_GE(names.size(), 7);
    const QString folder = TempFolder("kept-comments");
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray original = ReadBytes(examples.filePath(name));
        const QStringList comments = CommentLines(original);
        ASSERT_GE(comments.size(), 2) << "each example explains itself";
        TProject project;
        project.Open(examples.filePath(name));
        project.SaveAs(folder + QStringLiteral("/") + name);
        const QByteArray saved = ReadBytes(folder + QStringLiteral("/") + name);
        EXPECT_EQ(CommentLines(saved), comments);
        // At the end, after the data the writer writes (the centres' lines last).
        const qsizetype first = saved.indexOf("\r\n$") + 2;
        ASSERT_GT(first, saved.indexOf("RUN "));
        EXPECT_EQ(CommentLines(saved.mid(first)).size(), saved.mid(first).count("\r\n"));
        EXPECT_TRUE(saved.left(first).endsWith("E+0000 \r\n") || saved.left(first).contains("E-"))
            << saved.left(first).right(80).toStdString();
        TProject again;
        again.Open(folder + QStringLiteral("/") + name);
        again.SaveAs(folder + QStringLiteral("/again-") + name);
        EXPECT_EQ(Text(ReadBytes(folder + QStringLiteral("/again-") + name)), Text(saved));
    }
    // A new project has none.
    TProject fresh;
    Fill(fresh, Foundation::HalfSpace, Load::Harmonic);
    fresh.SaveAs(folder + QStringLiteral("/fresh.tmx"));
    EXPECT_TRUE(CommentLines(ReadBytes(folder + QStringLiteral("/fresh.tmx"))).isEmpty());
}

}  // namespace
