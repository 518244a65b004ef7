// What the user typed is what the engine reads: titles of every kind, random-load frequencies
// and moment loads, in both unit systems, through write, read, write and the real engine
// library; the pile length and the derived drawing values that must not change from save to
// save.
#include "projectbuild.h"
#include "projectfile.h"

#include "engine_harness.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace build;

namespace {

struct Files {
    QByteArray project, mass, drawing;
};

Files ReadFiles(const QString& tmx)
{
    return {ReadBytes(tmx), ReadBytes(ProjectFile::ChangeFileExt(tmx, QStringLiteral(".tmm"))),
            ReadBytes(ProjectFile::ChangeFileExt(tmx, QStringLiteral(".tmt")))};
}

harness::EngineRun RunEngine(const Files& files)
{
    harness::RunOptions options;
    options.mass_file = Text(files.mass);
    harness::EngineRun run = harness::run_engine(Text(files.project), options);
    if (run.folder.rfind("/tmp/tremex-run-", 0) == 0) QDir(QString::fromStdString(run.folder)).removeRecursively();
    return run;
}

// The title line of the report's title page: two lines below the banner's closing stars.
std::string ReportTitle(const harness::EngineRun& run)
{
    const std::vector<std::string> lines = run.report_lines();
    const std::string stars = " " + std::string(49, '*');
    bool date = false;
    for (size_t i = 0; i + 2 < lines.size(); ++i) {
        if (lines[i].find("RUN DATE") != std::string::npos) date = true;
        if (date && lines[i] == stars) return lines[i + 2];
    }
    return "(no title page)";
}

std::string RightTrimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The deck without its first line.
QByteArray AfterTitle(const QByteArray& deck) { return deck.mid(deck.indexOf('\n') + 1); }

// Write, read, write: the files of the second save equal those of the first.
struct RoundTripResult {
    Files first, second;
    QString titleRead;
};

RoundTripResult WriteReadWrite(TProject& project, const QString& folder)
{
    RoundTripResult r;
    project.SaveAs(folder + QStringLiteral("/first.tmx"));
    r.first = ReadFiles(folder + QStringLiteral("/first.tmx"));
    TProject read;
    read.Open(folder + QStringLiteral("/first.tmx"));
    r.titleRead = read.Data().ProjectTitle;
    read.SaveAs(folder + QStringLiteral("/second.tmx"));
    r.second = ReadFiles(folder + QStringLiteral("/second.tmx"));
    return r;
}

void ExpectSameFiles(const RoundTripResult& r, const std::string& what)
{
    EXPECT_EQ(Text(r.first.project), Text(r.second.project)) << what;
    EXPECT_EQ(Text(r.first.mass), Text(r.second.mass)) << what;
    EXPECT_EQ(Text(r.first.drawing), Text(r.second.drawing)) << what;
}

QString Digits10(long double x) { return NumText::FloatToStrGeneral(x, 10); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Titles

TEST(ProjectFileEngine, TitlesOfEveryKindReachTheEngineAndTheReportAsTyped)
{
    const QString seventyFour = QStringLiteral("Title of exactly seventy-four characters, the most a line of 80 holds.");
    ASSERT_LE(seventyFour.size(), 74);
    const QString full = seventyFour.leftJustified(74, QLatin1Char('.'));
    const QStringList titles = {
        QString(),                                   // empty: the next line (MATRIX, GRAVITY) stays a keyword
        QStringLiteral("Fan, line 2"),               // comma
        QStringLiteral("Plant,STOP"),                // a keyword after the comma
        QStringLiteral("A=B*C $ not a comment"),     // "=", "*" and "$"
        QStringLiteral("T"),                         // a lone code letter
        QStringLiteral("Pump T 2 F, H-block"),       // lone letters among words
        QStringLiteral("2(ab) 12 13"),               // a repeat group and leading numbers
        QStringLiteral("   indented title"),         // leading blanks
        QString::fromUtf8("Lüfter für Kühlturm"),    // UTF-8 within 74 bytes
        full,                                        // 74 characters
    };
    for (const int units : {2, 1}) {
        for (const Foundation foundation : {Foundation::HalfSpace, Foundation::Pile}) {
            // The same project with a plain title: every other line of the deck must be the same.
            TProject plain;
            Fill(plain, foundation, Load::Harmonic);
            plain.Data().ProjectTitle = QStringLiteral("Plain");
            plain.SetUnits(units);
            const QString plainFolder = TempFolder("titles-plain");
            plain.SaveAs(plainFolder + QStringLiteral("/plain.tmx"));
            const QByteArray plainDeck = ReadBytes(plainFolder + QStringLiteral("/plain.tmx"));

            for (int i = 0; i < titles.size(); ++i) {
                const QString& title = titles[i];
                const std::string what = std::string(Name(foundation)) + " units " + std::to_string(units) + " title \"" +
                                         title.toStdString() + "\"";
                TProject project;
                Fill(project, foundation, Load::Harmonic);
                project.Data().ProjectTitle = title;
                project.SetUnits(units);
                EXPECT_TRUE(ProjectFile::TitleNotice(title).isEmpty()) << what;
                const RoundTripResult r = WriteReadWrite(project, TempFolder("titles-" + std::to_string(i)));
                EXPECT_EQ(r.titleRead, title) << what;
                ExpectSameFiles(r, what);
                EXPECT_EQ(r.first.project.left(r.first.project.indexOf('\n') + 1), "TITLE=" + title.toUtf8() + "\r\n");
                EXPECT_EQ(Text(AfterTitle(r.first.project)), Text(AfterTitle(plainDeck))) << what;

                const harness::EngineRun run = RunEngine(r.first);
                EXPECT_EQ(run.result, 0) << what << "\n" << run.report;
                EXPECT_EQ(RightTrimmed(ReportTitle(run)), RightTrimmed(" " + title.toStdString())) << what;
                EXPECT_EQ(run.report.find("UNRECOGNIZED"), std::string::npos) << what;
                EXPECT_NE(run.report.find(units == 1 ? "ft/s**2" : "m/s**2"), std::string::npos) << what;
                // MATRIX (the second line) was read as the keyword it is.
                EXPECT_NE(run.report.find("STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED"), std::string::npos) << what;
            }
        }
    }
}

TEST(ProjectFileEngine, ATitleLongerThanTheAnalysisReadsIsToldAndKeptInTheProject)
{
    const QString title = QString(70, QLatin1Char('a')) + QStringLiteral("bcdefghij");  // 79 characters
    const QString notice = ProjectFile::TitleNotice(title);
    ASSERT_FALSE(notice.isEmpty());
    EXPECT_TRUE(notice.contains(QString(70, QLatin1Char('a')) + QStringLiteral("bcde\""))) << notice.toStdString();
    EXPECT_EQ(ProjectFile::TitleAsRead(title), title.left(74));
    // Multi-byte characters count by their bytes; one cut in half is dropped.
    const QString umlauts = QString(73, QLatin1Char('a')) + QString::fromUtf8("ü");
    EXPECT_EQ(ProjectFile::TitleAsRead(umlauts), QString(73, QLatin1Char('a')));
    EXPECT_FALSE(ProjectFile::TitleNotice(umlauts).isEmpty());

    TProject project;
    Fill(project, Foundation::HalfSpace, Load::Harmonic);
    project.Data().ProjectTitle = title;
    const RoundTripResult r = WriteReadWrite(project, TempFolder("title-long"));
    EXPECT_EQ(r.titleRead, title) << "the project keeps the whole title";
    ExpectSameFiles(r, "long title");
    const harness::EngineRun run = RunEngine(r.first);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(RightTrimmed(ReportTitle(run)), " " + title.left(74).toStdString()) << "what the notice said";
}

// ---------------------------------------------------------------------------------------------
// Random-load frequencies: hertz in the project, radians per second in the deck

TEST(ProjectFileEngine, RandomFrequenciesGoIntoTheDeckInRadiansPerSecondAndTheReportShowsTheHertzTyped)
{
    for (const int units : {2, 1}) {
        TProject project;
        Fill(project, Foundation::HalfSpace, Load::Random);
        project.Data().RandomFreqMax = 200;
        project.Data().RandomFreqMin = 5;
        project.SetUnits(units);
        const QString folder = TempFolder("random-frequencies");
        const RoundTripResult r = WriteReadWrite(project, folder);
        ExpectSameFiles(r, "random units " + std::to_string(units));
        const std::string deck = Text(r.first.project);
        EXPECT_NE(deck.find("RANDOM \r\nCONSTANTS \r\n1256 \r\n31.4 \r\n"), std::string::npos) << deck;
        TProject read;
        read.Open(folder + QStringLiteral("/first.tmx"));
        EXPECT_EQ(Digits10(read.Data().RandomFreqMax), QStringLiteral("200"));
        EXPECT_EQ(Digits10(read.Data().RandomFreqMin), QStringLiteral("5"));

        const harness::EngineRun run = RunEngine(r.first);
        EXPECT_EQ(run.result, 0) << run.report;
        EXPECT_NE(run.report.find(" MAXIMUM FREQUENCY (Hz)  ........200.000"), std::string::npos) << run.report;
        EXPECT_NE(run.report.find(" MINIMUM FREQUENCY (Hz) .........  5.000"), std::string::npos) << run.report;
    }
}

TEST(ProjectFileEngine, AFileWrittenByTheOldRuleReadsBackAsTheSameEngineFrequencies)
{
    // The example was written when the random frequencies went into the deck as entered: the
    // deck's numbers are what the engine has always read (radians per second).
    const QString folder = TempFolder("random-old-rule");
    const QString example = QStringLiteral(TREMEX_SOURCE_DIR) + QStringLiteral("/examples/pile-group-random");
    ASSERT_TRUE(QFile::copy(example + QStringLiteral(".tmx"), folder + QStringLiteral("/old.tmx")));
    ASSERT_TRUE(QFile::copy(example + QStringLiteral(".tmm"), folder + QStringLiteral("/old.tmm")));
    const Files old = ReadFiles(folder + QStringLiteral("/old.tmx"));
    const QList<QByteArray> lines = old.project.split('\n');
    int random = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith("RANDOM")) random = i;
    ASSERT_GT(random, 0);
    const long double oldMax = NumText::StrToFloat(QString::fromLatin1(lines[random + 2]).trimmed());
    const long double oldMin = NumText::StrToFloat(QString::fromLatin1(lines[random + 3]).trimmed());

    TProject project;
    project.Open(folder + QStringLiteral("/old.tmx"));
    EXPECT_EQ(Digits10(project.Data().RandomFreqMax), Digits10(oldMax / 6.28L)) << "the form shows hertz";
    EXPECT_EQ(Digits10(project.Data().RandomFreqMin), Digits10(oldMin / 6.28L));
    project.SaveAs(folder + QStringLiteral("/new.tmx"));
    const Files rewritten = ReadFiles(folder + QStringLiteral("/new.tmx"));
    const QList<QByteArray> newLines = rewritten.project.split('\n');
    ASSERT_GT(newLines.size(), random + 3);
    EXPECT_EQ(newLines[random + 2], lines[random + 2]);
    EXPECT_EQ(newLines[random + 3], lines[random + 3]);

    const harness::EngineRun before = RunEngine(old);
    const harness::EngineRun after = RunEngine(rewritten);
    EXPECT_EQ(before.result, 0);
    EXPECT_EQ(after.result, 0);
    for (const char* echo : {" MAXIMUM FREQUENCY (Hz)  ........", " MINIMUM FREQUENCY (Hz) ........."}) {
        const size_t a = before.report.find(echo);
        const size_t b = after.report.find(echo);
        ASSERT_NE(a, std::string::npos);
        ASSERT_NE(b, std::string::npos);
        EXPECT_EQ(before.report.substr(a, 45), after.report.substr(b, 45));
    }
    EXPECT_EQ(before.plot, after.plot);
}

// ---------------------------------------------------------------------------------------------
// Moment components of transient and random loads

TEST(ProjectFileEngine, MomentAmplitudesConvertAsMomentsAndForcesAsForces)
{
    // 1 kN = 224.8089237 lbs; 1 kN-m = 224.8089237 x 3.280839895 = 737.5620856 lbs-ft. A spectrum
    // is a spectral density: 1 kN^2-sec/rad = 50539.05218 lbs^2-sec/rad, 1 (kN-m)^2-sec/rad =
    // 543997.8302 (lbs-ft)^2-sec/rad.
    struct Loads {
        TGridTable* TProjectTables::*table;
        const char* force;
        const char* moment;
        const char* englishForce;   // 1 lbs (squared) in SI
        const char* englishMoment;  // 1 lbs-ft (squared) in SI
    };
    const Loads kinds[] = {
        {&TProjectTables::TLoadtype, "224.8089237", "737.5620856", "0.004448221999", "0.001355818065"},
        {&TProjectTables::Trandom, "50539.05218", "543997.8302", "1.978667895E-5", "1.838242626E-6"},
    };
    TProject project;
    TProjectTables& t = project.Tables();
    for (const Loads& k : kinds) {
        TGridTable* loads = t.*k.table;
        loads->SetRowCount(6);
        for (int code = 1; code <= 6; ++code) {
            loads->Cell(0, code - 1)->SetAsInteger(code);
            Values(loads->Cell(1, code - 1)->GetAsTable(), {1.0L, -1.0L});
        }
    }
    project.SetUnits(1);
    for (const Loads& k : kinds) {
        TGridTable* loads = t.*k.table;
        for (int code = 1; code <= 6; ++code) {
            const TGridTable* values = loads->Cell(1, code - 1)->GetAsTable();
            const QString expected = QString::fromLatin1(code <= 3 ? k.force : k.moment);
            EXPECT_EQ(Digits10(values->Cell(0, 0)->GetAsFloat()), expected) << loads->Caption().toStdString() << " " << code;
            EXPECT_EQ(Digits10(values->Cell(0, 1)->GetAsFloat()), QStringLiteral("-") + expected);
        }
    }
    // Back to SI gives the values typed.
    project.SetUnits(2);
    for (const Loads& k : kinds)
        for (int code = 1; code <= 6; ++code)
            EXPECT_NEAR(double((t.*k.table)->Cell(1, code - 1)->GetAsTable()->Cell(0, 0)->GetAsFloat()), 1.0, 1e-15);
    // Typed in English.
    TProject english;
    english.SetUnits(1);
    for (const Loads& k : kinds) {
        TGridTable* loads = english.Tables().*k.table;
        loads->SetRowCount(6);
        for (int code = 1; code <= 6; ++code) {
            loads->Cell(0, code - 1)->SetAsInteger(code);
            Values(loads->Cell(1, code - 1)->GetAsTable(), {1.0L});
        }
    }
    english.SetUnits(2);
    for (const Loads& k : kinds)
        for (int code = 1; code <= 6; ++code)
            EXPECT_EQ(Digits10((english.Tables().*k.table)->Cell(1, code - 1)->GetAsTable()->Cell(0, 0)->GetAsFloat()),
                      QString::fromLatin1(code <= 3 ? k.englishForce : k.englishMoment))
                << (english.Tables().*k.table)->Caption().toStdString() << " " << code;
    // A row whose load type changes to a moment converts as a moment at the next switch.
    t.TLoadtype->Cell(0, 0)->SetAsInteger(6);
    Values(t.TLoadtype->Cell(1, 0)->GetAsTable(), {1.0L});
    project.SetUnits(1);
    EXPECT_EQ(Digits10(t.TLoadtype->Cell(1, 0)->GetAsTable()->Cell(0, 0)->GetAsFloat()), QLatin1String(kinds[0].moment));
}

TEST(ProjectFileEngine, SpectrumHeadersShowTheUnitsOfASpectralDensity)
{
    TProject project;
    TGridTable* spectra = project.Tables().Trandom;
    spectra->SetRowCount(2);
    spectra->Cell(0, 0)->SetAsInteger(1);
    spectra->Cell(0, 1)->SetAsInteger(5);
    auto header = [&](int row) {
        const TColumn* c = spectra->Cell(1, row)->GetAsTable()->GetColumn(0);
        return c->GetCaptionLine(c->CaptionLineCount() - 1);
    };
    // A new row and a row whose direction changes show their units at once.
    EXPECT_EQ(header(0), QStringLiteral("Spectrum Data (kN^2-sec/rad)  "));
    EXPECT_EQ(header(1), QStringLiteral("Spectrum Data (kN^2-m^2-sec/rad)  "));
    TGridTable* loads = project.Tables().TLoadtype;
    loads->SetRowCount(1);
    loads->Cell(0, 0)->SetAsInteger(4);
    const TColumn* amplitude = loads->Cell(1, 0)->GetAsTable()->GetColumn(0);
    EXPECT_EQ(amplitude->GetCaptionLine(0), QStringLiteral("Load Amplitude (kN-m)  "));
    project.SetUnits(1);
    EXPECT_EQ(header(0), QStringLiteral("Spectrum Data (lbs^2-sec/rad)  "));
    EXPECT_EQ(header(1), QStringLiteral("Spectrum Data (lbs^2-ft^2-sec/rad)  "));
    project.SetUnits(2);
    EXPECT_EQ(header(0), QStringLiteral("Spectrum Data (kN^2-sec/rad)  "));
    EXPECT_EQ(header(1), QStringLiteral("Spectrum Data (kN^2-m^2-sec/rad)  "));
}

TEST(ProjectFileEngine, TransientAndRandomMomentLoadsRoundTripInBothUnitSystemsThroughTheEngine)
{
    for (const Load load : {Load::Transient, Load::Random}) {
        for (const int units : {2, 1}) {
            const std::string what = std::string(Name(load)) + " units " + std::to_string(units);
            TProject project;
            Fill(project, Foundation::HalfSpace, load);
            TGridTable* loads = load == Load::Transient ? project.Tables().TLoadtype : project.Tables().Trandom;
            // A moment about z (a new load type starts a new table of amplitudes).
            loads->Cell(0, 1)->SetAsInteger(6);
            std::vector<long double> values(project.Data().PointCount, 0.0L);
            values[2] = 21.5L;
            Values(loads->Cell(1, 1)->GetAsTable(), values);
            const long double si = 21.5L;
            project.SetUnits(units);
            // A moment amplitude by force x length, a moment spectrum by its square.
            const long double moment = 224.8089237L * 3.280839895L;
            const long double expected = units == 1 ? si * (load == Load::Random ? moment * moment : moment) : si;
            EXPECT_EQ(Digits10(loads->Cell(1, 1)->GetAsTable()->Cell(0, 2)->GetAsFloat()), Digits10(expected)) << what;
            const RoundTripResult r = WriteReadWrite(project, TempFolder("moments-" + what));
            ExpectSameFiles(r, what);
            const harness::EngineRun run = RunEngine(r.first);
            EXPECT_EQ(run.result, 0) << what << "\n" << run.report;
            EXPECT_EQ(run.report.find("ERROR"), std::string::npos) << what;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Every foundation and load in English units: write, read, write, the engine

TEST(ProjectFileEngine, EnglishProjectsOfEveryKindGiveTheSameFilesAtEverySave)
{
    for (const Foundation foundation :
         {Foundation::HalfSpace, Foundation::Pile, Foundation::Stratum, Foundation::Multilayer}) {
        for (const Load load : {Load::Harmonic, Load::Transient, Load::Random}) {
            for (const bool digits8 : {false, true}) {
                const std::string what = std::string(Name(foundation)) + "-" + Name(load) + (digits8 ? "-8digits" : "");
                TProject project;
                Fill(project, foundation, load, digits8);
                project.SetUnits(1);
                const QString folder = TempFolder("english-" + what);
                const RoundTripResult r = WriteReadWrite(project, folder);
                ExpectSameFiles(r, what);
                // And a third save of the second reading: no drift from save to save.
                TProject again;
                again.Open(folder + QStringLiteral("/second.tmx"));
                again.SaveAs(folder + QStringLiteral("/third.tmx"));
                const Files third = ReadFiles(folder + QStringLiteral("/third.tmx"));
                EXPECT_EQ(Text(third.project), Text(r.first.project)) << what;
                EXPECT_EQ(Text(third.drawing), Text(r.first.drawing)) << what;
                EXPECT_NE(Text(r.first.project).find("GRAVITY=32.2"), std::string::npos);
                const harness::EngineRun run = RunEngine(r.first);
                EXPECT_EQ(run.result, 0) << what << "\n" << run.report;
                EXPECT_NE(run.report.find("ft/s**2"), std::string::npos) << what;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The pile length derived in the save that writes it

TEST(ProjectFileEngine, AZeroPileLengthIsWrittenAsTheDrawingDefaultInTheSameSave)
{
    struct Case {
        Foundation foundation;
        int shape;
        const char* length;  // 2 x length x, or 3 x radius
    } cases[] = {{Foundation::Pile, 0, "12.4"}, {Foundation::Pile, 1, "4.5"}, {Foundation::Multilayer, 1, "3"}};
    for (const Case& c : cases) {
        TProject project;
        Fill(project, c.foundation, Load::Harmonic);
        TProgramData& d = project.Data();
        d.PileLength = 0;
        d.ShapeCode = c.shape;
        d.LengthX = 6.2L;
        d.WidthY = 4;
        d.Radius = c.foundation == Foundation::Pile ? 1.5L : 1;
        const RoundTripResult r = WriteReadWrite(project, TempFolder("pile-length"));
        EXPECT_EQ(NumText::FloatToStrGeneral(d.PileLength, 8), QString::fromLatin1(c.length));
        ExpectSameFiles(r, c.length);
        // The fourth value after CONSTANTS is the length.
        const std::string deck = Text(r.first.project);
        const size_t constants = deck.find("CONSTANTS \r\n");
        ASSERT_NE(constants, std::string::npos);
        const QStringList values =
            QString::fromStdString(deck.substr(constants + 12, 80)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(values.size(), 4);
        EXPECT_EQ(values[3], QString::fromLatin1(c.length)) << deck;
    }
}
