// Saving and opening a project when something is wrong: tables out of step, mass rows, reads
// that fail part-way, saves that fail, counts beyond a table's rows, relative paths and files a
// user has edited by hand.
#include "projectbuild.h"
#include "projectfile.h"
#include "qt_test.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <unistd.h>

using namespace build;

namespace {

using TestSupport::MessageOf;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A saved project to start from.
QString Saved(TProject& project, const std::string& name, Foundation f, Load l)
{
    const QString path = TempFolder(name) + QStringLiteral("/project.tmx");
    Fill(project, f, l);
    project.SaveAs(path);
    return path;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Tables out of step: the save is refused, the old files stay

TEST(ProjectFaults, TablesOutOfStepRefuseTheSave)
{
    struct Case {
        const char* name;
        Foundation foundation;
        Load load;
        std::function<void(TProject&)> spoil;
        const char* message;
    };
    const Case cases[] = {
        {"pile-soil", Foundation::Pile, Load::Harmonic, [](TProject& p) { p.Tables().D->SetRowCount(2); },
         "The soil table holds 2 layers and the pile data table 3"},
        {"pile-sections", Foundation::Pile, Load::Harmonic, [](TProject& p) { p.Tables().PileData->SetRowCount(4); },
         "The soil table holds 3 layers and the pile data table 4"},
        {"transient-short", Foundation::HalfSpace, Load::Transient,
         [](TProject& p) { p.Tables().TLoadtype->Cell(1, 1)->GetAsTable()->SetRowCount(15); },
         "Transient load 2 holds 15 values, but the number of points is 16"},
        {"transient-points", Foundation::HalfSpace, Load::Transient, [](TProject& p) { p.Data().PointCount = 32; },
         "Transient load 1 holds 16 values, but the number of points is 32"},
        {"random-long", Foundation::Stratum, Load::Random,
         [](TProject& p) { p.Tables().Trandom->Cell(1, 0)->GetAsTable()->SetRowCount(22); },
         "Random spectrum 1 holds 22 values, but the number of points is 21"},
        {"multilayer-column", Foundation::Multilayer, Load::Harmonic,
         [](TProject& p) { p.Tables().Multisoil->SetRowCount(2); },
         "The soil column table holds 2 layers, but the multi-layer foundation has 1 layers"},
        {"multilayer-soil", Foundation::Multilayer, Load::Harmonic, [](TProject& p) { p.Tables().D->SetRowCount(4); },
         "The soil table holds 4 layers, more than the 3 layers"},
        {"not-a-number", Foundation::HalfSpace, Load::Harmonic, [](TProject& p) { p.Data().Fx = NAN; },
         "The project holds a value that is not a number (NAN)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TProject project;
        const QString path = Saved(project, std::string("out-of-step-") + c.name, c.foundation, c.load);
        const QByteArray before[3] = {ReadBytes(path), ReadBytes(ProjectFile::ChangeFileExt(path, ".tmm")),
                                      ReadBytes(ProjectFile::ChangeFileExt(path, ".tmt"))};
        c.spoil(project);
        project.SetModified(true);
        const std::string message = MessageOf([&] { project.Save(); });
        EXPECT_TRUE(Contains(message, c.message)) << message;
        EXPECT_TRUE(Contains(message, "The project is not saved.")) << message;
        EXPECT_TRUE(project.IsModified());
        EXPECT_EQ(ReadBytes(path), before[0]);
        EXPECT_EQ(ReadBytes(ProjectFile::ChangeFileExt(path, ".tmm")), before[1]);
        EXPECT_EQ(ReadBytes(ProjectFile::ChangeFileExt(path, ".tmt")), before[2]);
        EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files).size(), 3) << "no temporary file is left";
    }
}

TEST(ProjectFaults, AFailedWriteLeavesTheOldFilesWhole)
{
    TProject project;
    const QString path = Saved(project, "failed-write", Foundation::HalfSpace, Load::Harmonic);
    const QByteArray before = ReadBytes(path);
    // The drawing-data file cannot be written where a folder of that name stands.
    const QString drawing = ProjectFile::ChangeFileExt(path, ".tmt");
    QFile::remove(drawing);
    QDir().mkdir(drawing);
    project.Data().ProjectTitle = QStringLiteral("Changed");
    project.SetModified(true);
    EXPECT_THROW(project.Save(), EInOutError);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(project.IsModified());

    // Save As to a folder that does not exist keeps the old name.
    EXPECT_THROW(project.SaveAs(QFileInfo(path).path() + "/missing/other.tmx"), EInOutError);
    EXPECT_EQ(project.Data().FileName, path);
}

// ---------------------------------------------------------------------------------------------
// Mass rows and the centres at the end of the file

TEST(ProjectFaults, MassRowsAreKeptWhateverTheFirstMassAndTheCentresAlwaysReadBack)
{
    const QString folder = TempFolder("mass-rows");
    {
        // A first component of no mass: every row is still stored.
        TProject project;
        Fill(project, Foundation::HalfSpace, Load::Harmonic);
        project.Tables().MassCal->Cell(0, 0)->SetAsFloat(0);
        project.SaveAs(folder + "/first-zero.tmx");
        EXPECT_EQ(project.Data().MassRowCount, 2);
        EXPECT_TRUE(Text(ReadBytes(folder + "/first-zero.tmm")).rfind("2\r\n0 0 0 0.5 6 4 1 \r\n50 1 0.5 1.5 2 1 1 \r\n", 0) == 0)
            << Text(ReadBytes(folder + "/first-zero.tmm"));
        TProject read;
        read.Open(folder + "/first-zero.tmx");
        EXPECT_EQ(read.Tables().MassCal->RowCount(), 2);
        EXPECT_EQ(read.Tables().MassCal->Cell(0, 1)->GetText(), "50");
    }
    {
        // The one empty row of a new project stores no component; the centres still read back.
        TProject project;
        project.Data().CGLocalX = 1.25L;
        project.Data().CBLocalY = -2.5L;
        project.Data().CBGlobalZ = 3.75L;
        project.SaveAs(folder + "/none.tmx");
        EXPECT_EQ(project.Data().MassRowCount, 0);
        EXPECT_EQ(Text(ReadBytes(folder + "/none.tmm")), "0\r\n");
        TProject read;
        read.Open(folder + "/none.tmx");
        EXPECT_EQ(read.Data().MassRowCount, 0);
        EXPECT_EQ(read.Tables().MassCal->RowCount(), 1);
        EXPECT_EQ(read.Data().CGLocalX, 1.25L);
        EXPECT_EQ(read.Data().CBLocalY, -2.5L);
        EXPECT_EQ(read.Data().CBGlobalZ, 3.75L);
    }
    {
        // A file that ends right after RUN.
        QByteArray bytes = ReadBytes(folder + "/none.tmx");
        bytes.truncate(bytes.indexOf("RUN \r\n") + 6);
        WriteBytes(folder + "/ends-at-run.tmx", bytes);
        TProject read;
        read.Open(folder + "/ends-at-run.tmx");
        EXPECT_EQ(read.Data().MassRowCount, 0);
        EXPECT_EQ(read.Tables().MassCal->RowCount(), 1);
        EXPECT_EQ(read.Data().CGLocalX, 0.0L);
    }
}

// ---------------------------------------------------------------------------------------------
// Opening: the current project stays when the file cannot be read

TEST(ProjectFaults, AReadThatFailsPartWayKeepsTheCurrentProject)
{
    const QString folder = TempFolder("failed-read");
    TProject other;
    Fill(other, Foundation::Pile, Load::Transient);
    other.SaveAs(folder + "/other.tmx");
    QByteArray truncated = ReadBytes(folder + "/other.tmx");
    truncated.truncate(truncated.indexOf("LOAD \r\n") + 40);
    WriteBytes(folder + "/truncated.tmx", truncated);

    int closed = 0;
    int cleared = 0;
    TProject project;
    QObject::connect(&project, &TProject::AboutToReplace, [&] { ++closed; });
    QObject::connect(&project, &TProject::ModifiedSet, [&](bool modified) { cleared += modified ? 0 : 1; });
    Fill(project, Foundation::HalfSpace, Load::Random);
    project.Data().FileName = folder + "/current.tmx";
    project.SetModified(true);
    closed = cleared = 0;
    TProgramData* data = &project.Data();
    TGridTable* spectra = project.Tables().Trandom;

    const std::string message = MessageOf([&] { project.Open(folder + "/truncated.tmx"); });
    const int lastLine = static_cast<int>(truncated.count('\n')) + 1;
    EXPECT_EQ(message, "The file " + folder.toStdString() + "/truncated.tmx cannot be read:\rError on Line " +
                           std::to_string(lastLine) + "\rThis file either invalid or incomplete.");
    EXPECT_EQ(&project.Data(), data);
    EXPECT_EQ(project.Tables().Trandom, spectra);
    EXPECT_EQ(project.Data().FileName, folder + "/current.tmx");
    EXPECT_EQ(project.Data().FoundationWord, "HALF-SPACE");
    EXPECT_TRUE(project.IsModified());
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(cleared, 0);

    // The tables still find their templates: a new spectrum gets its own table of values.
    spectra->SetRowCount(3);
    ASSERT_NE(spectra->Cell(1, 2)->GetAsTable(), nullptr);
    EXPECT_EQ(spectra->Cell(1, 2)->GetAsTable()->TemplateTable(), project.Tables().Tspectrum);
    spectra->SetRowCount(2);

    // A later save writes the current project, not what was read of the other file.
    project.Save();
    TProject again;
    again.Open(folder + "/current.tmx");
    EXPECT_EQ(again.Data().FoundationWord, "HALF-SPACE");
    EXPECT_EQ(again.Data().LoadCode, 3);

    // A successful open closes the child windows and clears the modified state.
    project.SetModified(true);
    cleared = 0;
    project.Open(folder + "/other.tmx");
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(project.IsModified());
    EXPECT_EQ(project.Data().FoundationWord, "PILE");
    EXPECT_EQ(cleared, 1) << "the owner heard that the new project is not modified";
}

TEST(ProjectFaults, CountsBeyondATablesRowsAreRefused)
{
    TProject source;
    const QString path = Saved(source, "counts", Foundation::Pile, Load::Transient);
    const QByteArray good = ReadBytes(path);
    struct Case {
        const char* from;
        const char* to;
        const char* message;
    };
    const Case cases[] = {
        {"LAYERS=3\r\n", "LAYERS=201\r\n", "The count 201 does not fit the table \"Pile Data\", which holds 0 to 200 rows."},
        {"FIXED=4\r\n", "FIXED=501\r\n", "The count 501 does not fit the table \"Pile Coordinations\""},
        {"FIXED=4\r\n", "FIXED=-1\r\n", "The count -1 does not fit the table \"Pile Coordinations\""},
        {"CONSTANTS \r\n16 \r\n", "CONSTANTS \r\n2000000000 \r\n", "The count 2000000000 does not fit the table \"Load Amplitude\""},
        {"0.01 \r\n2 \r\n", "0.01 \r\n70000 \r\n", "The count 70000 does not fit the table \"Transient Loading Data\""},
        // The engine takes 1024 transient points and 10 transient loads.
        {"CONSTANTS \r\n16 \r\n", "CONSTANTS \r\n1025 \r\n",
         "The count 1025 does not fit the table \"Load Amplitude\", which holds 0 to 1024 rows."},
        {"0.01 \r\n2 \r\n", "0.01 \r\n11 \r\n",
         "The count 11 does not fit the table \"Transient Loading Data\", which holds 0 to 10 rows."},
        {"EMBEDDED\r\n1 \r\n", "EMBEDDED\r\n21 \r\n", "The count 21 does not fit the table \"Side Weakened Soil Parameters\""},
        {"RUN \r\n2\r\n", "RUN \r\n31\r\n", "The count 31 does not fit the table \"Mass Components"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        QByteArray edited = good;
        ASSERT_TRUE(edited.contains(c.from));
        edited.replace(c.from, c.to);
        const QString editedPath = QFileInfo(path).path() + "/edited.tmx";
        WriteBytes(editedPath, edited);
        TProject project;
        const std::string message = MessageOf([&] { project.Open(editedPath); });
        EXPECT_TRUE(Contains(message, c.message)) << message;
        // The message names the line of the count: the last line of the edited text.
        const qsizetype countEnd = edited.indexOf(c.to) + qstrlen(c.to) - 2;
        const int line = static_cast<int>(edited.left(countEnd).count('\n')) + 1;
        EXPECT_TRUE(message.rfind("The file " + editedPath.toStdString() + " cannot be read:\rError on Line " +
                                      std::to_string(line) + "\r",
                                  0) == 0)
            << message << " " << line;
        EXPECT_EQ(project.Data().FileName, DataUnit::kNewFileName);
    }
}

// A short file that declares a huge load table: refused at the count, before a single row or
// sub-table is made, with the line of the count. The engine takes 100 spectra of 200 points and
// 10 transient loads of 1024 points.
TEST(ProjectFaults, HugeLoadCountsAreRefusedBeforeAnyRowIsMade)
{
    const QByteArray head = "TITLE=Huge\r\nGRAVITY=9.8\r\nFOUNDATION=HALF-SPACE\r\nCIRCULAR=2\r\nMASS \r\n"
                            "10 1 1 1 0 0 0\r\nCONSTANTS \r\n0 0 0 \r\nSOIL \r\nCONSTANTS=1\r\n"
                            "1 1 150 18 0.3 0.05\r\nBELOW=150 18 0.3 0.05\r\nLOAD \r\n";
    struct Case {
        const char* name;
        QByteArray load;
        int line;  // of the count
        const char* message;
    };
    const Case cases[] = {
        {"65536 spectra", "RANDOM \r\nCONSTANTS \r\n20 \r\n1 \r\n3 \r\n10 \r\n65536 \r\n1 1 \r\n1 \r\n2 \r\n3 \r\n", 20,
         "The count 65536 does not fit the table \"Random Loading data\", which holds 0 to 100 rows."},
        {"101 spectra", "RANDOM \r\nCONSTANTS \r\n20 \r\n1 \r\n3 \r\n10 \r\n101 \r\n1 1 \r\n1 \r\n2 \r\n3 \r\n", 20,
         "The count 101 does not fit the table \"Random Loading data\", which holds 0 to 100 rows."},
        {"100000 random points", "RANDOM \r\nCONSTANTS \r\n20 \r\n1 \r\n100000 \r\n10 \r\n1 \r\n1 1 \r\n1 \r\n", 18,
         "The count 100000 does not fit the table \"Random Spectrum Data\", which holds 0 to 200 rows."},
        {"201 random points", "RANDOM \r\nCONSTANTS \r\n20 \r\n1 \r\n201 \r\n10 \r\n1 \r\n1 1 \r\n1 \r\n", 18,
         "The count 201 does not fit the table \"Random Spectrum Data\", which holds 0 to 200 rows."},
        {"65536 transient loads", "TRANSIENT \r\nCONSTANTS \r\n2 \r\n0.01 \r\n65536 \r\n1 \r\n1 \r\n2 \r\n", 18,
         "The count 65536 does not fit the table \"Transient Loading Data\", which holds 0 to 10 rows."},
        {"100000 transient points", "TRANSIENT \r\nCONSTANTS \r\n100000 \r\n0.01 \r\n1 \r\n1 \r\n1 \r\n", 16,
         "The count 100000 does not fit the table \"Load Amplitude\", which holds 0 to 1024 rows."},
        {"100000 mass rows", "HARMONIC \r\nCONSTANTS \r\nQUADRATIC \r\n62.8 6.28 6.28 \r\n1 0 0 \r\n0 0 0 \r\nRUN \r\n100000\r\n1 2 3 4 5 6 7\r\n", 21,
         "The count 100000 does not fit the table \"Mass Components"},
    };
    const QString folder = TempFolder("huge-counts");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray file = head + c.load;
        const QString path = folder + "/huge.tmx";
        WriteBytes(path, file);
        TProject project;
        Fill(project, Foundation::HalfSpace, Load::Random);
        project.SetModified(true);
        const qsizetype tables = Table::TableCount();
        const std::string message = MessageOf([&] { project.Open(path); });
        EXPECT_TRUE(message.rfind("The file " + path.toStdString() + " cannot be read:\rError on Line " +
                                      std::to_string(c.line) + "\r",
                                  0) == 0)
            << message;
        EXPECT_TRUE(Contains(message, c.message)) << message;
        EXPECT_EQ(Table::TableCount(), tables);  // no sub-table was left behind
        EXPECT_TRUE(project.IsModified());
        EXPECT_EQ(project.Data().FoundationWord, "HALF-SPACE");
    }
    EXPECT_LT(head.size() + cases[0].load.size(), 400);  // as short as the file that froze File > Open
}

// The load tables hold what the engine takes; a point count beyond it is refused at the save,
// so that no saved project fails to open.
TEST(ProjectFaults, LoadTablesStopAtTheEngineLimits)
{
    TProject project;
    const TProjectTables& t = project.Tables();
    EXPECT_EQ(t.TLoadtype->MaxRows(), 10);
    EXPECT_EQ(t.Trandom->MaxRows(), 100);
    EXPECT_EQ(t.Dtransient->MaxRows(), 1024);
    EXPECT_EQ(t.Tspectrum->MaxRows(), 200);
    t.Trandom->SetRowCount(1);
    EXPECT_EQ(t.Trandom->Cell(1, 0)->GetAsTable()->MaxRows(), 200);  // sub-tables take their template's

    const QString folder = TempFolder("engine-limits");
    Fill(project, Foundation::HalfSpace, Load::Random);
    project.SaveAs(folder + "/random.tmx");
    project.Data().PointCount = 201;
    for (int r = 0; r < t.Trandom->RowCount(); ++r) t.Trandom->Cell(1, r)->GetAsTable()->SetRowCount(201);
    const std::string message = MessageOf([&] { project.Save(); });
    EXPECT_TRUE(Contains(message, "The number of points (201) must lie between 0 and 200.")) << message;
    project.Data().PointCount = 200;
    for (int r = 0; r < t.Trandom->RowCount(); ++r) t.Trandom->Cell(1, r)->GetAsTable()->SetRowCount(200);
    project.Save();
    TProject again;
    again.Open(folder + "/random.tmx");
    EXPECT_EQ(again.Data().PointCount, 200);
    EXPECT_EQ(again.Tables().Trandom->Cell(1, 0)->GetAsTable()->RowCount(), 200);
}

TEST(ProjectFaults, ARelativePathIsOpenedAndKeptAsAnAbsolutePath)
{
    TProject source;
    const QString path = Saved(source, "relative", Foundation::Stratum, Load::Harmonic);
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QFileInfo(path).path()));
    TProject project;
    project.Open("project.tmx");
    QDir::setCurrent(old);
    EXPECT_EQ(project.Data().FileName, path);
    EXPECT_TRUE(QFileInfo(project.Data().FileName).isAbsolute());
    project.Save();
    EXPECT_EQ(project.Data().MassFileName, ProjectFile::ChangeFileExt(path, ".tmm"));
}

// ---------------------------------------------------------------------------------------------
// Files a user has edited by hand

TEST(ProjectFaults, ExtraBlanksAndLfLineEndsReadAsWritten)
{
    TProject source;
    const QString path = Saved(source, "hand-edited", Foundation::Pile, Load::Random);
    const QByteArray written = ReadBytes(path);
    QList<QByteArray> lines = written.split('\n');
    QByteArray edited;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty() && i == lines.size() - 1) break;
        if (i > 0) {
            line.replace(" ", "   ").replace("=", " = ");
            line = "  " + line + " \t ";
        }
        edited += line + "\n";
    }
    const QString editedPath = QFileInfo(path).path() + "/edited.tmx";
    WriteBytes(editedPath, edited);
    TProject read;
    read.Open(editedPath);
    read.SaveAs(QFileInfo(path).path() + "/again.tmx");
    EXPECT_EQ(Text(ReadBytes(QFileInfo(path).path() + "/again.tmx")), Text(written));
}

// A project whose lines end with a CR alone (tr '\n' '\r') reads as the same project, for each
// kind of foundation and loading.
TEST(ProjectFaults, CrOnlyLineEndsReadAsLineEnds)
{
    for (Foundation f : {Foundation::HalfSpace, Foundation::Pile, Foundation::Stratum, Foundation::Multilayer}) {
        for (Load l : {Load::Harmonic, Load::Transient, Load::Random}) {
            SCOPED_TRACE(std::string(Name(f)) + " " + Name(l));
            TProject source;
            const QString path = Saved(source, std::string("cr-only-") + Name(f) + "-" + Name(l), f, l);
            const QByteArray written = ReadBytes(path);
            QByteArray cr = written;
            cr.replace("\r\n", "\r");
            const QString crPath = QFileInfo(path).path() + "/cr.tmx";
            WriteBytes(crPath, cr);
            TProject read;
            read.Open(crPath);
            read.SaveAs(QFileInfo(path).path() + "/again.tmx");
            EXPECT_EQ(Text(ReadBytes(QFileInfo(path).path() + "/again.tmx")), Text(written));
        }
    }
}

TEST(ProjectFaults, FilesThatAreNoProjectGiveAClearMessage)
{
    const QString folder = TempFolder("not-a-project");
    TProject source;
    Fill(source, Foundation::HalfSpace, Load::Harmonic);
    source.SaveAs(folder + "/good.tmx");
    const QByteArray good = ReadBytes(folder + "/good.tmx");
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* message;
    };
    QByteArray badNumber = good;
    badNumber.replace("0.5 160 18", "0.5 16O 18");
    QByteArray badWord = good;
    badWord.replace("FOUNDATION=HALF-SPACE", "FOUNDATION=RAFT");
    QByteArray badGravity = good;
    badGravity.replace("GRAVITY=9.8", "GRAVITY=nine");
    QByteArray noSoil = good;
    noSoil.replace("SOIL \r\n", "SOLI \r\n");
    const Case cases[] = {
        {"empty", QByteArray(), "The file is not a TREMEX project file: its first line does not begin with \"TITLE=\"."},
        {"text", "Dear engineer,\r\nplease find the report attached.\r\n", "is not a TREMEX project file"},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "is not a TREMEX project file"},
        {"truncated", good.left(good.indexOf("BELOW")), "This file either invalid or incomplete."},
        {"bad-number", badNumber, "A floating point number was expected but not found."},
        {"bad-foundation", badWord, "one of HALF-SPACE, PILE, STRATUM or MULTILAYER was expected"},
        {"bad-gravity", badGravity, "Error on Line 3\r'nine' is not a valid floating point value"},
        {"keyword", noSoil, "\"SOIL\" was expected but not found."},
    };
    TProject project;
    Fill(project, Foundation::Multilayer, Load::Transient);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/" + c.name + ".tmx";
        WriteBytes(path, c.bytes);
        const std::string message = MessageOf([&] { project.Open(path); });
        EXPECT_TRUE(Contains(message, c.message)) << message;
        EXPECT_EQ(project.Data().FoundationWord, "MULTILAYER");
        EXPECT_EQ(project.Tables().MultiElement->RowCount(), 3);
    }
    EXPECT_TRUE(Contains(MessageOf([&] { project.Open(folder + "/missing.tmx"); }), "missing.tmx"));
    EXPECT_EQ(project.Data().LoadCode, 2);
}

// A damaged project file: the message names the file and, where the fault is on a line, that
// line (a file cut short: the line where it ends), then the reader's own text.
TEST(ProjectFaults, MessagesOfDamagedFilesNameTheFileAndTheLine)
{
    const QString folder = TempFolder("damaged");
    const QByteArray pile = ReadBytes(QStringLiteral(TREMEX_SOURCE_DIR "/examples/single-pile-harmonic.tmx"));
    ASSERT_FALSE(pile.isEmpty());
    const auto upTo = [&](const char* text) { return pile.left(pile.indexOf(text) + qsizetype(strlen(text))); };
    QByteArray random(700, '\0');
    for (int i = 0; i < random.size(); ++i) random[i] = char((i * 7919 + 13) % 251);
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* message;  // after "The file PATH cannot be read:" and a CR
    };
    const Case cases[] = {
        {"first-300-bytes", pile.left(300), "Error on Line 17\rThis file either invalid or incomplete."},
        {"after-the-shape-line", upTo("CIRCULAR=0.6\n"), "Error on Line 5\rThis file either invalid or incomplete."},
        {"inside-a-soil-row", upTo("2 150 18 0.4"), "Error on Line 23\rThis file either invalid or incomplete."},
        {"empty", QByteArray(),
         "The file is not a TREMEX project file: its first line does not begin with \"TITLE=\"."},
        {"random", random, "The file is not a TREMEX project file: its first line does not begin with \"TITLE=\"."},
        {"cut-in-the-mass-rows", pile.left(pile.indexOf("RUN")) + "RUN \n2\n1 2 3\n",
         "Error on Line 36\rThis file either invalid or incomplete."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/" + c.name + ".tmx";
        WriteBytes(path, c.bytes);
        TProject project;
        EXPECT_EQ(MessageOf([&] { project.Open(path); }),
                  "The file " + path.toStdString() + " cannot be read:\r" + std::string(c.message));
    }
}

TEST(ProjectFaults, GravityOfTenOrMoreReadsAsEnglishAndMatrixWithABlankStillCounts)
{
    TProject source;
    const QString path = Saved(source, "gravity", Foundation::HalfSpace, Load::Harmonic);
    const QByteArray good = ReadBytes(path);
    struct Case {
        const char* from;
        const char* to;
        int unitSystem;
        int matrix;
    };
    const Case cases[] = {{"GRAVITY=9.8", "GRAVITY=10", 1, 1},
                          {"GRAVITY=9.8", "GRAVITY=9.99", 2, 1},
                          {"MATRIX\r\n", "MATRIX \r\n", 2, 1},
                          {"MATRIX\r\n", "", 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        QByteArray edited = good;
        edited.replace(c.from, c.to);
        WriteBytes(path, edited);
        TProject project;
        project.Open(path);
        EXPECT_EQ(project.Data().UnitSystem, c.unitSystem);
        EXPECT_EQ(project.Tables().D1->UnitSystem(), c.unitSystem);
        EXPECT_EQ(project.Data().MatrixFlag, c.matrix);
        // The values are taken in the file's units.
        EXPECT_EQ(project.Data().LengthX, 6.0L);
        EXPECT_EQ(project.Tables().D1->Cell(1, 0)->GetText(), "160");
    }
}
