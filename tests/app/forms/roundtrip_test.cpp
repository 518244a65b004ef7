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
