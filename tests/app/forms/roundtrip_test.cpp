// The forms with the rest of the program: projects edited in the forms, saved and run through
// the real engine library; the forms opened, committed and refreshed by the main window.
#include "engine_harness.h"
#include "forms/harmonicform.h"
#include "forms/massdataform.h"
#include "forms/pilepropertiesform.h"
#include "forms/randomform.h"
#include "registerwindows.h"
#include "forms/shapeform.h"
#include "forms/tipsoilform.h"
#include "forms/titleform.h"
#include "forms_fixture.h"
#include "mainform.h"

#include <QComboBox>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

class FormsRoundTrip : public FormTest {
protected:
    // Saves the project into a fresh folder and runs the saved deck and mass file through the
    // engine library.
    harness::EngineRun SaveAndRun(const QString& name)
    {
        const QString folder = QStringLiteral(TEST_TMP_DIR "/") + name;
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        path = folder + QStringLiteral("/") + name + QStringLiteral(".tmx");
        project->SaveAs(path);
        QString mass = path;
        mass.replace(QStringLiteral(".tmx"), QStringLiteral(".tmm"));
        harness::RunOptions options;
        options.mass_file = harness::read_file(mass.toStdString());
        harness::EngineRun run = harness::run_engine(harness::read_file(path.toStdString()), options);
        if (run.folder.rfind("/tmp/", 0) == 0) QDir(QString::fromStdString(run.folder)).removeRecursively();
        return run;
    }
    QString path;
};

}  // namespace

TEST_F(FormsRoundTrip, FootingEditedInTheFormsRunsThroughTheEngine)
{
    build::Fill(*project, build::Foundation::HalfSpace, build::Load::Harmonic);

    auto* title = Open(new TdlgTitle(*project));
    title->TitleMemo->selectAll();
    QTest::keyClicks(title->TitleMemo, QStringLiteral("Compressor block"));
    ASSERT_TRUE(title->close());

    auto* shape = Open(new TfrmShape(*project));
    QTest::mouseClick(shape->RadioButton2, Qt::LeftButton);
    Enter(shape->DataEdit1, QStringLiteral("2.5"), shape->RadioButton2);
    ASSERT_TRUE(shape->close());

    auto* soil = Open(new TfrmTipsoil(*project));
    Enter(soil->DataEdit1, QStringLiteral("260"), soil->DataEdit2);
    Enter(soil->DataEdit4, QStringLiteral("0.04"), soil->DataEdit1);
    ASSERT_TRUE(soil->close());

    auto* mass = Open(new TfrmMassdata(*project));
    QTest::mouseClick(mass->CalculateButton, Qt::LeftButton);
    ASSERT_TRUE(mass->close());

    auto* load = Open(new Tfrmharmonic(*project));
    Enter(load->FreqEdit[0], QStringLiteral("40"), load->ForceEdit[0]);
    Enter(load->ForceEdit[0], QStringLiteral("12.5"), load->ForceEdit[1]);
    ASSERT_TRUE(load->close());
    Flush();
    ASSERT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();

    const harness::EngineRun run = SaveAndRun(QStringLiteral("footing"));
    EXPECT_EQ(run.result, 0);
    EXPECT_TRUE(run.plot_exists);
    EXPECT_NE(run.report.find("Compressor block"), std::string::npos);

    TProject again;
    again.Open(path);
    const TProgramData& d = again.Data();
    EXPECT_EQ(d.ProjectTitle, QStringLiteral("Compressor block"));
    EXPECT_EQ(d.ShapeCode, 1);
    EXPECT_EQ(d.Radius, 2.5L);
    EXPECT_EQ(d.TipVs, 260);
    EXPECT_EQ(d.TipDamping, 0.04L);
    EXPECT_EQ(d.FreqMax, 40);
    EXPECT_EQ(d.Fx, 12.5L);
    EXPECT_EQ(d.Mass, 200) << "the mass of the two components (150 + 50)";
}

TEST_F(FormsRoundTrip, PileGroupEditedInTheFormsRunsThroughTheEngine)
{
    build::Fill(*project, build::Foundation::Pile, build::Load::Random);
    auto* pile = Open(new TfrmCPileProperties(*project));
    pile->ComboBox1->setCurrentIndex(1);
    emit pile->ComboBox1->activated(1);  // PINNED
    pile->ComboBox3->setCurrentIndex(1);
    emit pile->ComboBox3->activated(1);  // no interaction
    Enter(pile->DataEdit[7], QStringLiteral("15"), pile->DataEdit[0]);
    ASSERT_TRUE(pile->close());
    auto* random = Open(new Tfrmrandom(*project));
    Enter(random->DataEdit1, QStringLiteral("100"), random->DataEdit2);
    ASSERT_TRUE(random->close());
    Flush();
    ASSERT_EQ(recorder.Count(), 0);

    const harness::EngineRun run = SaveAndRun(QStringLiteral("pile"));
    EXPECT_EQ(run.result, 0);
    EXPECT_TRUE(run.plot_exists);
    TProject again;
    again.Open(path);
    EXPECT_EQ(again.Data().FixedHead, 0);
    EXPECT_EQ(again.Data().Interaction, 0);
    EXPECT_EQ(again.Data().PileLength, 15);
    EXPECT_EQ(again.Data().RandomFreqMax, 100);
}

// A load point typed in local axes whose origin is not at the base (the C.B. 0.75 up in them),
// run as typed and again after the form has shown it from the C.G.: the engine moves the loads
// to the same centre of gravity both times, and to what the form's equivalent loads say.
TEST_F(FormsRoundTrip, ALocalLoadPointRunsAsTheFormShowsItFromTheCentreOfGravity)
{
    build::Fill(*project, build::Foundation::HalfSpace, build::Load::Harmonic);
    // The C.B. at (0.125, -0.25, 0.75) in local axes, 1 below the C.G., which is therefore at
    // (0.125, -0.25, 1.75) in them: the local point (1.125, 0.75, 2.75) is (1, 1, -1) from it.
    ASSERT_EQ(Data().CBLocalZ, 0.75L);
    ASSERT_EQ(Data().Zc, 1);
    Data().Fy = -4;
    Data().Mx = 1;
    Data().Mz = -3;
    Data().LoadPointRef = 1;
    auto* load = Open(new Tfrmharmonic(*project));
    ASSERT_TRUE(load->RadioButton2->isChecked());
    Enter(load->PointEdit[0], QStringLiteral("1.125"), load->PointEdit[1]);
    Enter(load->PointEdit[1], QStringLiteral("0.75"), load->PointEdit[2]);
    Enter(load->PointEdit[2], QStringLiteral("2.75"), load->PointEdit[0]);
    QTest::mouseClick(load->Button1, Qt::LeftButton);
    const QString local = recorder.LastText();
    ASSERT_TRUE(load->Deactivate());
    const harness::EngineRun asTyped = SaveAndRun(QStringLiteral("local-point"));
    EXPECT_NE(asTyped.report.find("MOMENT ABOUT"), std::string::npos);

    QTest::mouseClick(load->RadioButton1, Qt::LeftButton);
    EXPECT_EQ(load->PointEdit[0]->Number(), 1);
    EXPECT_EQ(load->PointEdit[1]->Number(), 1);
    EXPECT_EQ(load->PointEdit[2]->Number(), -1);
    QTest::mouseClick(load->Button1, Qt::LeftButton);
    EXPECT_EQ(recorder.LastText(), local) << "the same loads at the C.G. from either reference";
    // M - r x F for F = (10, -4, 20), M = (1, 5, -3), r = (1, 1, -1).
    EXPECT_EQ(local, QStringLiteral("Equivalent Loads.\n\nFx: 10 kN\nFy: -4 kN\nFz: 20 kN\nMx: -15 kN-m\n"
                                    "My: 35 kN-m\nMz: 11 kN-m\n"));
    ASSERT_TRUE(load->close());
    Flush();
    EXPECT_EQ(Data().LoadPointRef, 0);
    const harness::EngineRun fromGravity = SaveAndRun(QStringLiteral("global-point"));

    ASSERT_EQ(asTyped.result, 0);
    ASSERT_EQ(fromGravity.result, 0);
    EXPECT_FALSE(asTyped.plot.empty());
    EXPECT_EQ(asTyped.plot, fromGravity.plot);
    for (const char* line : {" MOMENT ABOUT X-AXIS  ...........-1.500E+01 kN-m ", " MOMENT ABOUT Y-AXIS  ........... 3.500E+01 kN-m ",
                             " MOMENT ABOUT Z-AXIS  ........... 1.100E+01 kN-m "}) {
        EXPECT_NE(asTyped.report.find(line), std::string::npos) << line;
        EXPECT_NE(fromGravity.report.find(line), std::string::npos) << line;
    }
}

TEST(FormsInMainWindow, OpenedCommittedAndRefreshedByTheMainWindow)
{
    QTemporaryDir work;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    {
        TMainForm main;
        main.SetCommandLine({});
        RegisterWindows::RegisterForms(main);
        main.resize(1100, 800);
        main.show();
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

        main.Data().TipVs = 100;
        auto* soil = qobject_cast<TfrmTipsoil*>(main.ShowChild(TChildKind::Tipsoil));
        ASSERT_TRUE(soil);
        EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(soil->parentWidget()));
        EXPECT_EQ(main.ShowChild(TChildKind::Tipsoil), soil) << "one window of a kind";
        EXPECT_EQ(soil->DataEdit1->text(), QStringLiteral("100"));
        soil->DataEdit1->setFocus();
        soil->DataEdit1->clear();
        QTest::keyClicks(soil->DataEdit1, QStringLiteral("120"));
        EXPECT_TRUE(main.IsModified());
        main.CommitActiveChild();  // what opening a menu does
        EXPECT_EQ(main.Data().TipVs, 120);

        main.Project().SetUnits(1);  // the main window reloads its open forms
        EXPECT_EQ(soil->DataEdit1->EditLabel()->text(), QStringLiteral("Shear wave velocity (ft/sec)"));
        EXPECT_NEAR(double(soil->DataEdit1->Number()), 120 * 3.280839895, 1e-6);

        // The foundation options bring the Data menu up to date; the quadratic form is a window
        // of its own.
        QWidget* quad = main.ShowChild(TChildKind::Quad);
        ASSERT_TRUE(quad);
        EXPECT_TRUE(quad->isWindow());
        QPointer<QWidget> guard(soil);
        main.CloseAllChildren();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(guard);
        EXPECT_FALSE(main.Child(TChildKind::Quad));
        EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
    }
}
