// The plot-data reader on hand-made files: with and without the stiffness matrix, harmonic,
// transient and random loading, short counts and damaged files.
#include "mainform_fixture.h"

#include "plotreader.h"
#include "pltdata.h"

namespace {

class PlotReaderTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        plots = PltData::CreateResultPlots(&owner);
        for (TGraphPlot* p : plots) p->SetUnits(3);
    }

    bool Read(const QByteArray& text, int matrix, int load, int units = 1)
    {
        const QString path = work.filePath(QStringLiteral("hand.tmq"));
        WriteBytes(path, text);
        PlotReader::TPlotProject project;
        project.UnitSystem = units;
        project.MatrixFlag = matrix;
        project.LoadCode = load;
        return PlotReader::ReadPlotData(path, project, plots);
    }

    TGraphPlot* P(const char* name) const
    {
        for (TGraphPlot* p : plots)
            if (p->objectName() == QLatin1String(name)) return p;
        return nullptr;
    }

    static double X(TGraphPlot* p, int i, int j) { return double(p->Points(i, j)->X); }
    static double Y(TGraphPlot* p, int i, int j) { return double(p->Points(i, j)->Y); }

    QObject owner;
    QList<TGraphPlot*> plots;
};

// Two points; the stiffness lines carry extra words that are skipped; the damping and response
// records are split over lines as they please.
const QByteArray kTwoPointsMatrixHarmonic =
    "    2\n"
    " 62.832 11 12 13 14 15 16 17 18 999 999\n"
    " 62.832 21 22 23 24\n 25 26 27 28\n"
    " 125.664 31 32 33 34 35 36 37 38 -1\n"
    " 125.664 41 42 43 44 45 46 47 48\n"
    " 62.832 0.1 0.2 0.3 0.4 0.5 0.6\n"
    " 125.664 1.1 1.2\n 1.3 1.4 1.5 1.6\n";

TEST_F(PlotReaderTest, MatrixAndHarmonicResponse)
{
    ASSERT_TRUE(Read(kTwoPointsMatrixHarmonic, 1, 1));
    TGraphPlot* kxx = P("pltRealKXX");
    ASSERT_EQ(kxx->LineCount(), 3);
    ASSERT_EQ(kxx->PointCount(), 2);
    EXPECT_NEAR(X(kxx, 0, 0), 10.0, 1e-15) << "62.832 rad/s is 10 Hz";
    EXPECT_NEAR(X(kxx, 0, 1), 20.0, 1e-15);
    EXPECT_EQ(Y(kxx, 0, 0), 11);
    EXPECT_EQ(Y(kxx, 1, 0), 12);  // Kyy
    EXPECT_EQ(Y(kxx, 2, 1), 33);  // Kww of point 2
    EXPECT_NEAR(X(kxx, 2, 1), 20.0, 1e-15);
    EXPECT_EQ((QStringList{kxx->Lines(0)->Name, kxx->Lines(1)->Name, kxx->Lines(2)->Name}),
              (QStringList{"Kxx", "Kyy", "Kww"}));
    TGraphPlot* kppx = P("pltRealKPPX");
    EXPECT_EQ(Y(kppx, 0, 1), 34);
    EXPECT_EQ(Y(kppx, 2, 0), 16);
    EXPECT_EQ(kppx->Lines(2)->Name, QStringLiteral("Kzt"));
    EXPECT_EQ(P("pltRealKYY")->LineCount(), 1);
    EXPECT_EQ(Y(P("pltRealKYY"), 0, 1), 32);
    EXPECT_EQ(Y(P("pltRealKXP"), 0, 0), 17);
    EXPECT_EQ(Y(P("pltRealKYP"), 0, 1), 38);
    TGraphPlot* cxx = P("pltDampCXX");
    EXPECT_EQ(Y(cxx, 0, 0), 21);
    EXPECT_EQ(Y(cxx, 2, 1), 43);
    EXPECT_EQ(cxx->Lines(1)->Name, QStringLiteral("Cyy"));
    TGraphPlot* cppx = P("pltDampCPPX");
    EXPECT_EQ(Y(cppx, 1, 0), 25);
    EXPECT_EQ(cppx->Lines(0)->Name, QStringLiteral("Cppx"));
    EXPECT_EQ(Y(P("pltDampCZT"), 0, 1), 46);
    EXPECT_EQ(Y(P("pltDampCYP"), 0, 0), 28);
    TGraphPlot* d = P("pltDxyzR");
    TGraphPlot* r = P("pltMxyzR");
    ASSERT_EQ(d->LineCount(), 3);
    EXPECT_NEAR(X(d, 1, 1), 20.0, 1e-15);
    EXPECT_DOUBLE_EQ(Y(d, 0, 0), 0.1);
    EXPECT_DOUBLE_EQ(Y(d, 2, 1), 1.3);
    EXPECT_DOUBLE_EQ(Y(r, 0, 1), 1.4);
    EXPECT_DOUBLE_EQ(Y(r, 2, 0), 0.6);
    EXPECT_EQ((QStringList{d->Lines(0)->Name, d->Lines(1)->Name, d->Lines(2)->Name}),
              (QStringList{"X-Dir.", "Y-Dir.", "Z-Dir."}));
    EXPECT_EQ((QStringList{r->Lines(0)->Name, r->Lines(1)->Name, r->Lines(2)->Name}),
              (QStringList{"About X-Dir.", "About Y-Dir.", "About Z-Dir"}));
    for (TGraphPlot* p : plots) EXPECT_EQ(p->Units(), 1) << p->objectName().toStdString();
}

TEST_F(PlotReaderTest, NoMatrixHarmonicReadsOnlyTheResponse)
{
    ASSERT_TRUE(Read("2\n62.832 1 2 3 4 5 6\n125.664 7 8 9 10 11 12\n", 0, 1, 2));
    EXPECT_EQ(P("pltRealKXX")->LineCount(), 1);
    EXPECT_EQ(P("pltRealKXX")->PointCount(), 2) << "only this one is sized";
    EXPECT_EQ(P("pltRealKYY")->PointCount(), 0);
    EXPECT_EQ(P("pltDampCPPX")->LineCount(), 1);
    EXPECT_EQ(Y(P("pltDxyzR"), 1, 1), 8);
    EXPECT_EQ(Y(P("pltMxyzR"), 2, 1), 12);
    EXPECT_EQ(P("pltDxyzR")->Units(), 2);
}

TEST_F(PlotReaderTest, TransientAndRandomReadNoResponse)
{
    // With the matrix: only the stiffness and damping records; the response graphs stay zero.
    const QByteArray matrixOnly = "2\n 62.832 1 2 3 4 5 6 7 8\n 62.832 1 2 3 4 5 6 7 8\n"
                                  " 125.664 1 2 3 4 5 6 7 8\n 125.664 1 2 3 4 5 6 7 8\n";
    for (int load : {2, 3}) {
        ASSERT_TRUE(Read(matrixOnly, 1, load)) << load;
        EXPECT_EQ(P("pltRealKXX")->LineCount(), 3);
        EXPECT_EQ(P("pltDxyzR")->PointCount(), 2);
        EXPECT_EQ(Y(P("pltDxyzR"), 0, 1), 0);
        EXPECT_TRUE(P("pltDxyzR")->Lines(0)->Name.isEmpty());
    }
    // Without the matrix nothing is read after the count.
    ASSERT_TRUE(Read("2\n", 0, 2));
    ASSERT_TRUE(Read("3\n", 0, 3));
    EXPECT_EQ(P("pltRealKXX")->PointCount(), 3);
}

TEST_F(PlotReaderTest, ShortCountsAndDamagedFiles)
{
    for (const char* count : {"1\n", "0\n"}) {
        for (TGraphPlot* p : plots) p->SetUnits(3);
        ASSERT_TRUE(Read(count, 1, 1, 2)) << count;
        EXPECT_EQ(P("pltDxyzR")->PointCount(), 0);
        EXPECT_EQ(P("pltRealKPPX")->Units(), 2) << "the units are set also without points";
    }
    // Cut short, a word that is no number, an empty file, no file: false, units not set.
    QByteArray cut = kTwoPointsMatrixHarmonic;
    cut.chop(12);
    for (const QByteArray& text : {cut, QByteArray("2\n62.832 1 2 x 4 5 6 7 8\n"), QByteArray(), QByteArray("two\n")}) {
        for (TGraphPlot* p : plots) p->SetUnits(3);
        EXPECT_FALSE(Read(text, 1, 1, 2)) << text.toStdString();
        EXPECT_EQ(P("pltRealKXX")->Units(), 3);
    }
    // What came before a word that is no number stays; a file that ends before the records of
    // the project's layout do does not fit the project and leaves no points.
    EXPECT_FALSE(Read(QByteArray(kTwoPointsMatrixHarmonic).replace(" 36 ", " x "), 1, 1, 2));
    EXPECT_EQ(Y(P("pltRealKWW"), 0, 1), 33);
    EXPECT_FALSE(Read(cut, 1, 1, 2));
    for (TGraphPlot* p : plots) EXPECT_EQ(p->PointCount(), 0);
    PlotReader::TPlotProject project;
    EXPECT_FALSE(PlotReader::ReadPlotData(work.filePath(QStringLiteral("none.tmq")), project, plots));
    // A count no run can give is refused before anything is allocated.
    EXPECT_FALSE(Read("2000000000\n", 1, 1));
    EXPECT_FALSE(Read("1025\n", 1, 1));  // the engine gives at most 1024 points
}

}  // namespace

namespace {

// A file of one layout read for a project of another: nothing is shown, the plot data are out
// of date. The layouts as the engine writes them: with the matrix, a stiffness and a damping
// record per point; for harmonic loading, a response record per point after them.
TEST_F(PlotReaderTest, AFileOfAnotherLayoutIsOutOfDateAndShowsNothing)
{
    const QByteArray matrixOnly = "2\n 62.832 1 2 3 4 5 6 7 8\n 62.832 1 2 3 4 5 6 7 8\n"
                                  " 125.664 1 2 3 4 5 6 7 8\n 125.664 1 2 3 4 5 6 7 8\n";
    const QByteArray responseOnly = "2\n62.832 1 2 3 4 5 6\n125.664 7 8 9 10 11 12\n";
    struct Case {
        const char* what;
        QByteArray text;
        int matrix, load;
    } cases[] = {
        // The stiffness values must not pass for displacements (matrix switched off since).
        {"matrix and response read without matrix", kTwoPointsMatrixHarmonic, 0, 1},
        {"response only read with matrix", responseOnly, 1, 1},
        // (A file of the stiffness and damping records alone read as harmonic is one cut at a line
        // end for all the reader can tell: AFileCutAtALineEndOrWithAWrongCountIsCutShortOrDamaged.)
        {"matrix and response read as transient", kTwoPointsMatrixHarmonic, 1, 2},
        {"matrix read as random without matrix", matrixOnly, 0, 3},
        {"response read as transient without matrix", responseOnly, 0, 2},
        {"a damping record of another frequency", QByteArray("2\n 62.832 1 2 3 4 5 6 7 8\n 99 1 2 3 4 5 6 7 8\n"
                                                             " 125.664 1 2 3 4 5 6 7 8\n 125.664 1 2 3 4 5 6 7 8\n"),
         1, 2},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Read(kTwoPointsMatrixHarmonic, 1, 1)) << "the graphs hold points before";
        const QString path = work.filePath(QStringLiteral("hand.tmq"));
        WriteBytes(path, c.text);
        PlotReader::TPlotProject project;
        project.MatrixFlag = c.matrix;
        project.LoadCode = c.load;
        QString problem;
        EXPECT_FALSE(PlotReader::ReadPlotData(path, project, plots, &problem)) << c.what;
        EXPECT_TRUE(problem.contains(QStringLiteral("out of date"))) << c.what << ": " << problem.toStdString();
        EXPECT_TRUE(problem.contains(path)) << c.what;
        for (TGraphPlot* p : plots) EXPECT_EQ(p->PointCount(), 0) << c.what << " " << p->objectName().toStdString();
        EXPECT_EQ(P("pltDxyzR")->LineCount(), 3);
        EXPECT_EQ(P("pltRealKXX")->LineCount(), 1);
    }
    // Each file fits its own layout, with no message.
    QString problem;
    PlotReader::TPlotProject project;
    project.MatrixFlag = 0;
    WriteBytes(work.filePath(QStringLiteral("hand.tmq")), responseOnly);
    EXPECT_TRUE(PlotReader::ReadPlotData(work.filePath(QStringLiteral("hand.tmq")), project, plots, &problem));
    EXPECT_TRUE(problem.isEmpty());
}

// A file cut short (the first bytes of a good one; the project as it was) cannot be read: it is
// not out of date. Cut within a line, or at a line end within the stiffness and damping records
// or within the response records.
TEST_F(PlotReaderTest, AFileCutShortCannotBeRead)
{
    const QByteArray good = ReadBytes(QStringLiteral(TREMEX_SOURCE_DIR "/tests/engine/golden/expected/halfspace-harmonic.tmq"));
    ASSERT_GT(good.size(), 5000);
    const QByteArray cuts[] = {good.left(5000), good.left(good.indexOf('\n', 3000) + 1),
                               good.left(good.lastIndexOf('\n', good.size() - 2) + 1)};  // without the last line
    for (const QByteArray& cut : cuts) {
        SCOPED_TRACE(cut.size());
        const QString path = work.filePath(QStringLiteral("cut.tmq"));
        WriteBytes(path, cut);
        PlotReader::TPlotProject project;
        QString problem;
        EXPECT_FALSE(PlotReader::ReadPlotData(path, project, plots, &problem));
        EXPECT_EQ(problem, QStringLiteral("The plot data in ") + path + QStringLiteral(" cannot be read:\rThe file ends in "
                                                                               "the middle of its records: it was cut "
                                                                               "short, and no plots are shown. Run the "
                                                                               "analysis again to see its plots."));
        for (TGraphPlot* p : plots) EXPECT_EQ(p->PointCount(), 0);
    }
    // The whole file reads.
    WriteBytes(work.filePath(QStringLiteral("cut.tmq")), good);
    PlotReader::TPlotProject project;
    QString problem;
    EXPECT_TRUE(PlotReader::ReadPlotData(work.filePath(QStringLiteral("cut.tmq")), project, plots, &problem));
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
}

// A file cut at a line end (the first 101 of the 151 lines of the harmonic example's plot data:
// its stiffness and damping records, without the response) or whose count of points was changed
// (25 or 999999999 for 50, or a count no run writes) is cut short or damaged, not out of date:
// the project did not change. A run writes every record of its layout, so a file that ends
// before those of the project's layout was cut, whatever layout what is left would fit.
TEST_F(PlotReaderTest, AFileCutAtALineEndOrWithAWrongCountIsCutShortOrDamaged)
{
    const QByteArray good = ReadBytes(QStringLiteral(TREMEX_SOURCE_DIR "/tests/engine/golden/expected/halfspace-harmonic.tmq"));
    const QList<QByteArray> lines = good.split('\n');
    ASSERT_EQ(lines.size(), 152) << "151 lines, each ended";
    ASSERT_EQ(lines[0], "          50");
    QByteArray first101;
    for (int i = 0; i < 101; ++i) first101 += lines[i] + '\n';
    const QByteArray rest = good.mid(lines[0].size());
    const QString cut = QStringLiteral(" cannot be read:\rThe file ends in the middle of its records: it was cut short, and "
                                       "no plots are shown. Run the analysis again to see its plots.");
    const auto count = [](const char* n) {
        return QStringLiteral(" cannot be read:\rIts count of points (%1) does not match the records it holds: the file "
                              "is damaged or cut short, and no plots are shown. Run the analysis again to see its plots.")
            .arg(QLatin1String(n));
    };
    const struct {
        const char* what;
        QByteArray text;
        QString message;
    } cases[] = {
        {"101 of 151 lines", first101, cut},
        {"the count 25", "          25" + rest, count("25")},
        {"the count 999999999", "   999999999" + rest, count("999999999")},
        {"the count 1025", "        1025" + rest, count("1025")},
        {"the count -3", "          -3" + rest, count("-3")},
        {"the count 70", "          70" + rest, count("70")},
    };
    const QString path = work.filePath(QStringLiteral("block.tmq"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Read(good, 1, 1)) << "the graphs hold points before";
        WriteBytes(path, c.text);
        PlotReader::TPlotProject project;  // the harmonic project with its stiffness matrix
        QString problem;
        EXPECT_FALSE(PlotReader::ReadPlotData(path, project, plots, &problem));
        EXPECT_EQ(problem, QStringLiteral("The plot data in ") + path + c.message);
        for (TGraphPlot* p : plots) EXPECT_EQ(p->PointCount(), 0) << p->objectName().toStdString();
    }
    // The same records whole read with the layout they are whole for.
    WriteBytes(path, first101);
    PlotReader::TPlotProject transient;
    transient.LoadCode = 2;
    QString problem;
    EXPECT_TRUE(PlotReader::ReadPlotData(path, transient, plots, &problem)) << problem.toStdString();
    EXPECT_EQ(P("pltRealKXX")->PointCount(), 50);
}

// A run whose response could not be computed at some frequencies writes the others with their
// count: such a file reads as any other, its points those of the frequencies solved.
TEST_F(PlotReaderTest, APlotDataFileOfTheSolvedFrequenciesReadsAsAnyOther)
{
    const QByteArray good = ReadBytes(QStringLiteral(TREMEX_SOURCE_DIR "/tests/engine/golden/expected/halfspace-harmonic.tmq"));
    const QList<QByteArray> lines = good.split('\n');
    ASSERT_EQ(lines.size(), 152);
    // Points 1, 2 and 4 of 50: their stiffness and damping records and their response records.
    QByteArray three = "           3\n";
    for (int k : {0, 1, 3}) three += lines[1 + 2 * k] + '\n' + lines[2 + 2 * k] + '\n';
    for (int k : {0, 1, 3}) three += lines[101 + k] + '\n';
    QString problem;
    const QString path = work.filePath(QStringLiteral("three.tmq"));
    WriteBytes(path, three);
    PlotReader::TPlotProject project;
    ASSERT_TRUE(PlotReader::ReadPlotData(path, project, plots, &problem)) << problem.toStdString();
    EXPECT_EQ(P("pltDxyzR")->PointCount(), 3);
    EXPECT_NEAR(X(P("pltDxyzR"), 0, 2), 25.12 / 6.2832, 1e-6) << "the fourth frequency, 25.12 rad/s";
    // And a run that solved none: the count 0 alone.
    WriteBytes(path, "           0\n");
    EXPECT_TRUE(PlotReader::ReadPlotData(path, project, plots, &problem));
    for (TGraphPlot* p : plots) EXPECT_EQ(p->PointCount(), 0);
}

TEST_F(PlotReaderTest, AFieldThatIsNoNumberIsNamedInTheMessage)
{
    // The engine writes asterisks where a value outgrows its field; NaN and inf are no values.
    for (const char* word : {"**********", "NaN", "nan", "inf", "-inf", "1.0E+99999"}) {
        QByteArray text = kTwoPointsMatrixHarmonic;
        text.replace(" 33 ", QByteArray(" ") + word + " ");
        const QString path = work.filePath(QStringLiteral("hand.tmq"));
        WriteBytes(path, text);
        PlotReader::TPlotProject project;
        QString problem;
        EXPECT_FALSE(PlotReader::ReadPlotData(path, project, plots, &problem)) << word;
        EXPECT_TRUE(problem.contains(QStringLiteral("Line 5 Item 4"))) << problem.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromLatin1(word))) << problem.toStdString();
        EXPECT_TRUE(problem.contains(path));
    }
}

}  // namespace
