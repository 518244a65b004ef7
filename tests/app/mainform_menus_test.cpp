// The main window's menus: captions, enabling by project state, child windows made once,
// the 3-D view's tool bar and menu, the Window menu, the external editor and the Help items.
#include "mainform_fixture.h"

#include "projecttables.h"
#include "table/table.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <cmath>
#include <vector>

namespace {

QStringList Captions(QMenu* menu)
{
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && !a->objectName().startsWith(QLatin1String("FileRecent")) &&
            !a->objectName().startsWith(QLatin1String("WindowChild")))
            texts << a->text();
    return texts;
}

// A data form that counts its activations and deactivations.
class FakeForm : public QWidget, public TChildWindow {
public:
    void FormActivate() override { ++activations; }
    void FormDeactivate() override { ++deactivations; }
    int activations = 0, deactivations = 0;
};

// A 3-D view that records what the main window asks of it.
class FakeBlock : public QWidget, public TBlockViewControl {
public:
    explicit FakeBlock(TMainForm& main) : m_main(main) {}
    void SetView(int preset) override { log << QStringLiteral("view %1").arg(preset); }
    void ReverseView() override { log << QStringLiteral("reverse"); }
    void Zooming(long double f) override
    {
        log << QStringLiteral("zoom");
        zooms.push_back(f);
    }
    void RestartViewButtonClick() override { log << QStringLiteral("restart"); }
    void SetMouseMode(int mode) override { log << QStringLiteral("mode %1").arg(mode); }
    void SetZoomWindowArmed(bool armed) override { log << QStringLiteral("armed %1").arg(armed); }
    void SaveBitmapButtonClick() override { log << QStringLiteral("bitmap"); }
    void PageSetupButtonClick() override { log << QStringLiteral("page"); }
    void PrintButtonClick() override { log << QStringLiteral("print"); }
    bool SoilLayerDepthLabelsVisible() const override { return true; }
    bool SoilLayerLabelsVisible() const override { return false; }
    bool SoilLayersVisible() const override { return true; }
    bool PileCapVisible() const override { return false; }
    bool PilesVisible() const override { return true; }
    bool PileNumbersVisible() const override { return false; }
    void ShowSoilLayerDepthLabelsOption() override { log << QStringLiteral("depth"); }
    void ShowSoilLayerLabelsOption() override { log << QStringLiteral("labels"); }
    void ShowSoilLayersOption() override { log << QStringLiteral("layers"); }
    void ShowPileCapOption() override { log << QStringLiteral("cap"); }
    void ShowAllPilesOption() override { log << QStringLiteral("piles"); }
    void ShowPileNumbersOption() override { log << QStringLiteral("numbers"); }
    void closeEvent(QCloseEvent* e) override
    {
        m_main.Close3DView();
        QWidget::closeEvent(e);
    }
    QStringList log;
    std::vector<long double> zooms;

private:
    TMainForm& m_main;
};

TEST_F(MainFormTest, MenuCaptions)
{
    TMainForm& m = Make();
    QStringList bar;
    for (QAction* a : m.menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Data", "&Computation", "&Graphics", "View Geometry", "&Window",
                                "Show 3D View", "&Help"}));
    EXPECT_EQ(Captions(m.Menu("FileMenu")),
              (QStringList{"&New", "&Open...", "&Save", "Save &As...", "Save Bitmap", "Page Setup", "Print Page", "E&xit"}));
    EXPECT_EQ(m.Menu("FileMenu")->actions().size(), 4 + 1 + 10 + 1 + 3 + 1 + 1);
    EXPECT_EQ(Captions(m.Menu("DataMenu")),
              (QStringList{"&Title", "&Units", "Option of Foundation System", "Option of Loading",
                           "Option of Foundation Shape", "Footing Mass Parameters", "Foundation Dimension and Constants",
                           "Foundation Layer", "Pile Cap Shape/Dimension", "Pile Cap Mass Properties",
                           "Pile Coordinates", "&Pile Properties", "Pile Elements", "Soil &Layer Data",
                           "Soil Data Below Footing/PileTip", "Side Soil of Fondation", "Soil Column Layer",
                           "Harmonic Loading Data", "Transient Loading Data", "Random Loading Data",
                           "Control &Options..."}));
    EXPECT_EQ(Captions(m.Menu("DataUnits")), (QStringList{"&English Units (lbs, slug, ft)", "&SI Units (kN, Mg, m)"}));
    EXPECT_EQ(Captions(m.Menu("DataLoading")), (QStringList{"Harmonic Loading", "Transient Loading", "Random Loading"}));
    EXPECT_EQ(Captions(m.Menu("DataHarmonicData")), (QStringList{"Quadratic", "NonQuadratic"}));
    EXPECT_EQ(Captions(m.Menu("CompMenu")),
              (QStringList{"&Run Analysis", "Edit I&nput Text", "Edit &Processor-Run Notes", "Edit &Output Text"}));
    EXPECT_EQ(Captions(m.Menu("GraphicsMenu")),
              (QStringList{"&Translational Stiffness (Kxx, Kyy, Kww)", "Rotational Stiffness (Kppx, Kppy, Kzt)",
                           "Translational Damping (Cxx, Cyy, Cww)", "Rotational Damping (Cppx, Cppy, Czt)",
                           "Footing Response Amplitude (Displacement)", "Footing Response Amplitude (Rotation)",
                           "Interactive Footing Response Amplitude "}));
    EXPECT_EQ(Captions(m.Menu("ViewMenu")),
              (QStringList{"Top View", "Side View (XZ-Plane)", "Side View (YZ-Plane)", "3D View"}));
    EXPECT_EQ(Captions(m.Menu("WindowMenu")), (QStringList{"&Cascade", "&Arrange Icons", "C&lose"}));
    EXPECT_EQ(m.Menu("WindowMenu")->actions().size(), 4 + 50);
    EXPECT_EQ(Captions(m.Menu("Show3DMenu")), (QStringList{"Foundation", "Piles", "Pile Numbers", "Soil Layers",
                                                           "Soil Layer Labels", "Soil Layer Depth Labels"}));
    EXPECT_EQ(Captions(m.Menu("HelpMenu")),
              (QStringList{"&Contents", "&User's Manual", "&About...", "Check for &Updates"}));
    // Hidden until the 3-D view opens.
    EXPECT_FALSE(m.Menu("Show3DMenu")->menuAction()->isVisible());
    EXPECT_FALSE(m.Action("FileSaveBitmap")->isVisible());
    EXPECT_FALSE(m.Action("FilePageSetup")->isVisible());
    EXPECT_TRUE(m.BlockToolBar()->isHidden());
    EXPECT_TRUE(m.Tables().D->Comments().startsWith(QStringLiteral("Weak Zone Shear Moduli Ratio is suggested to be:\r")));
    // New and Open replace the tables: the soil table keeps its advice.
    const QString comments = m.Tables().D->Comments();
    m.FileNewClick();
    EXPECT_EQ(m.Tables().D->Comments(), comments);
    m.OpenFileName(CopyExample(QStringLiteral("multilayer-harmonic"), QStringLiteral("multi.tmx")));
    EXPECT_EQ(m.Data().FoundationWord, QStringLiteral("MULTILAYER"));
    EXPECT_EQ(m.Tables().D->Comments(), comments);
}

TEST_F(MainFormTest, DataMenuFollowsTheFoundation)
{
    TMainForm& m = Make();
    m.FormShow();
    const char* items[] = {"DataPileProperties", "DataPileElements", "DataPileCoord", "DataPileCapMass",
                           "DataPileCapShape", "DataFoundations", "DataFootingMass", "DataShape",
                           "DataFoundationLayer", "DataSoilLayer", "DataTipSoil", "DataSideSoil", "DataSoilColumn"};
    const struct {
        const char* word;
        const char* enabled;  // one digit per item above
        const char* side;
    } cases[] = {
        {"HALF-SPACE", "0000011100110", "Side Soil of Fondation"},
        {"PILE", "1111100001110", "Side Soil of Pile Cap"},
        {"STRATUM", "0000011100100", "Side Soil"},
        {"MULTILAYER", "0000011110111", "Side Soil of Fondation"},
    };
    for (const auto& c : cases) {
        m.Data().FoundationWord = QString::fromLatin1(c.word);
        m.DataMenuClick();
        for (int i = 0; i < 13; ++i)
            EXPECT_EQ(m.Action(items[i])->isEnabled(), c.enabled[i] == '1') << c.word << " " << items[i];
        EXPECT_EQ(m.Action("DataSideSoil")->text(), QString::fromLatin1(c.side));
    }
    // Soil Column Layer follows the foundation layers.
    m.Tables().MultiElement->SetRowCount(5);
    m.Tables().D->SetRowCount(2);
    m.DataMenuClick();
    EXPECT_EQ(m.Tables().Multisoil->RowCount(), 3);
    // After the foundation options form: only the pile items.
    m.Data().FoundationWord = QStringLiteral("PILE");
    m.UpdateFoundationMenus();
    EXPECT_TRUE(m.Action("DataPileCoord")->isEnabled());
    m.FormActivate();
    EXPECT_FALSE(m.Action("DataPileCoord")->isEnabled());
}

TEST_F(MainFormTest, UnitsAndLoadingChoices)
{
    TMainForm& m = Make();
    m.FormShow();
    m.UnitsMenuClick();
    EXPECT_TRUE(m.Action("DataSI")->isChecked());
    m.Action("DataEnglish")->trigger();
    EXPECT_EQ(m.Data().UnitSystem, 1);
    m.UnitsMenuClick();
    EXPECT_TRUE(m.Action("DataEnglish")->isChecked());
    EXPECT_FALSE(m.Action("DataSI")->isChecked());

    // A project read from a file, then switched: the stored word does not force it back.
    const QString path = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("load.tmx"));
    m.SetModified(false);
    m.OpenFileName(path);
    EXPECT_TRUE(m.Action("DataHarmonic")->isChecked());
    EXPECT_TRUE(m.Menu("DataHarmonicData")->menuAction()->isEnabled());
    m.Action("DataTransient")->trigger();
    EXPECT_EQ(m.Data().LoadCode, 2);
    EXPECT_TRUE(m.IsModified());
    m.UpdateLoadingMenus();
    m.FormActivate();
    EXPECT_EQ(m.Data().LoadCode, 2);
    EXPECT_TRUE(m.Action("DataTransient")->isChecked());
    EXPECT_FALSE(m.Action("DataHarmonic")->isChecked());
    EXPECT_TRUE(m.Action("DataTransientData")->isEnabled());
    EXPECT_FALSE(m.Menu("DataHarmonicData")->menuAction()->isEnabled());
    EXPECT_FALSE(m.Action("DataRandomData")->isEnabled());

    // The harmonic data items: the check mark follows the quadratic flag; an open form of another
    // loading type closes when the chosen type's form is open.
    FakeForm* transient = nullptr;
    m.RegisterChild(TChildKind::Transient, [&](TChildHost&) { return transient = new FakeForm; });
    m.RegisterChild(TChildKind::Quad, [&](TChildHost&) { return new FakeForm; });
    m.Action("DataTransientData")->trigger();
    ASSERT_NE(m.Child(TChildKind::Transient), nullptr);
    m.Action("DataQuadratic")->trigger();
    EXPECT_EQ(m.Data().QuadraticFlag, 1);
    EXPECT_TRUE(m.Action("DataQuadratic")->isChecked());
    EXPECT_FALSE(m.Action("DataNonQuadratic")->isChecked());
    m.Action("DataHarmonic")->trigger();
    EXPECT_EQ(m.Child(TChildKind::Transient), nullptr) << "the transient form closed";
    EXPECT_NE(m.Child(TChildKind::Quad), nullptr);
}

// A unit switch that would make a value infinite (a force of 1e4931 kN is beyond the largest
// number in pounds) is refused with a message, and no table, cell or project value changes.
TEST_F(MainFormTest, AUnitSwitchThatWouldOverflowChangesNothing)
{
    TMainForm& m = Make();
    m.FormShow();
    TProjectTables& t = m.Tables();
    t.PileData->SetRowCount(1);
    t.PileData->Cell(0, 0)->SetAsFloat(2.5L);  // converted before the load table, were it done
    t.Dtransient->SetRowCount(2);
    t.Dtransient->Cell(0, 0)->SetAsFloat(1e4931L);
    t.Dtransient->Cell(0, 1)->SetAsFloat(5);
    m.Data().Fx = 3;

    struct Case {
        const char* what;
        long double load;
        long double fx;
    };
    for (const Case& c : {Case{"cell", 1e4931L, 3}, Case{"project value", 5, 1e4931L}}) {
        SCOPED_TRACE(c.what);
        t.Dtransient->Cell(0, 1)->SetAsFloat(c.load);
        m.Data().Fx = c.fx;
        recorder.Clear();
        m.Action("DataEnglish")->trigger();
        ASSERT_EQ(recorder.Count(), 1);
        EXPECT_TRUE(recorder.LastText().contains(QStringLiteral("too large for the new units"))) << recorder.LastText().toStdString();
        EXPECT_EQ(m.Data().UnitSystem, 2);
        EXPECT_EQ(t.Dtransient->UnitSystem(), 2);
        EXPECT_EQ(t.PileData->UnitSystem(), 2);
        EXPECT_EQ(t.PileData->Cell(0, 0)->GetAsFloat(), 2.5L);
        EXPECT_EQ(t.Dtransient->Cell(0, 0)->GetAsFloat(), 1e4931L);
        EXPECT_EQ(t.Dtransient->Cell(0, 1)->GetAsFloat(), c.load);
        EXPECT_EQ(m.Data().Fx, c.fx);
        m.UnitsMenuClick();
        EXPECT_TRUE(m.Action("DataSI")->isChecked());
    }
    // Once the value fits, the switch is made.
    t.Dtransient->Cell(0, 0)->SetAsFloat(1e4000L);
    t.Dtransient->Cell(0, 1)->SetAsFloat(5);
    m.Data().Fx = 3;
    recorder.Clear();
    m.Action("DataEnglish")->trigger();
    EXPECT_EQ(recorder.Count(), 0);
    EXPECT_EQ(m.Data().UnitSystem, 1);
    EXPECT_NE(t.PileData->Cell(0, 0)->GetAsFloat(), 2.5L);
    EXPECT_TRUE(std::isfinite(t.Dtransient->Cell(0, 0)->GetAsFloat()));
}

TEST_F(MainFormTest, GraphicsMenuNeedsPlotDataOfTheRightKind)
{
    const QString path = CopyExample(QStringLiteral("stratum-transient"), QStringLiteral("t.tmx"));
    TMainForm& m = Make();
    m.FormShow();
    const char* all[] = {"GraphKxx", "GraphKppx", "GraphCxx", "GraphCppx", "GraphDisplacement", "GraphRotation",
                         "GraphInteractive"};
    m.GraphicsMenuClick();
    for (const char* a : all) EXPECT_FALSE(m.Action(a)->isEnabled()) << a;

    // Transient with plot data read: the matrix items only while the project has the matrix.
    // (The plot data of a run with the matrix fit only a project with the matrix.)
    QByteArray project = ReadBytes(path);
    project.replace("GRAVITY=", "MATRIX\r\nGRAVITY=");
    WriteBytes(path, project);
    WriteBytes(work.filePath(QStringLiteral("t.tmq")), "2\n 6.2832 1 2 3 4 5 6 7 8\n 6.2832 1 2 3 4 5 6 7 8\n"
                                                       " 12.5664 1 2 3 4 5 6 7 8\n 12.5664 1 2 3 4 5 6 7 8\n");
    m.OpenFileName(path);
    ASSERT_EQ(m.Data().MatrixFlag, 1);
    ASSERT_TRUE(m.PlotDataRead());
    m.Data().MatrixFlag = 1;
    m.GraphicsMenuClick();
    EXPECT_TRUE(m.Action("GraphKxx")->isEnabled());
    EXPECT_FALSE(m.Action("GraphDisplacement")->isEnabled());
    m.Data().MatrixFlag = 0;
    m.GraphicsMenuClick();
    for (const char* a : all) EXPECT_FALSE(m.Action(a)->isEnabled()) << a;
    // The plot-data file gone: nothing.
    m.Data().MatrixFlag = 1;
    QFile::remove(work.filePath(QStringLiteral("t.tmq")));
    m.GraphicsMenuClick();
    EXPECT_FALSE(m.Action("GraphKxx")->isEnabled());
}

TEST_F(MainFormTest, ChildWindowsExistOnceAndFollowTheProject)
{
    TMainForm& m = Make();
    m.FormShow();
    // No maker: the user is told.
    m.Action("DataTitle")->trigger();
    EXPECT_EQ(recorder.LastText(), QStringLiteral("This window is not available in this build."));

    int made = 0;
    QPointer<FakeForm> form;
    m.RegisterChild(TChildKind::Title, [&](TChildHost&) {
        ++made;
        form = new FakeForm;
        form->setWindowTitle(QStringLiteral("Project Title"));
        return form.data();
    });
    m.Action("DataTitle")->trigger();
    m.Action("DataTitle")->trigger();
    EXPECT_EQ(made, 1);
    ASSERT_TRUE(form);
    EXPECT_EQ(m.MdiArea()->subWindowList().size(), 1);

    // The active form stores its values before a menu opens; a unit switch reloads it.
    m.MdiArea()->setActiveSubWindow(m.MdiArea()->subWindowList().first());
    m.FileMenuClick();
    EXPECT_GE(form->deactivations, 1);
    const int before = form->activations;
    m.Action("DataEnglish")->trigger();
    EXPECT_EQ(form->activations, before + 1);

    // Closed by the user: the next command makes a new one.
    m.MdiArea()->subWindowList().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form);
    EXPECT_EQ(m.Child(TChildKind::Title), nullptr);
    m.Action("DataTitle")->trigger();
    EXPECT_EQ(made, 2);

    // A table command opens the table's editor in the frame; New closes every child window.
    m.Data().FoundationWord = QStringLiteral("MULTILAYER");
    m.Data().FoundationCode = 4;
    m.Action("DataSoilColumn")->trigger();
    EXPECT_NE(m.Tables().Multisoil->Editor(), nullptr);
    EXPECT_EQ(m.MdiArea()->subWindowList().size(), 2);
    m.Action("DataSideSoil")->trigger();
    EXPECT_NE(m.Tables().D->Editor(), nullptr);
    m.SetModified(false);
    m.FileNewClick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m.MdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(m.Child(TChildKind::Title), nullptr);
}

TEST_F(MainFormTest, WindowMenuListsTheFirstFifty)
{
    TMainForm& m = Make();
    m.WindowMenuClick();
    EXPECT_FALSE(m.Action("WindowChild1")->isVisible());
    for (int i = 0; i < 51; ++i) {
        auto* w = new QWidget;
        w->setWindowTitle(QStringLiteral("Child %1").arg(i));
        m.MdiArea()->addSubWindow(w)->show();
    }
    m.WindowMenuClick();
    EXPECT_EQ(m.Action("WindowChild1")->text(), QStringLiteral("Child 0"));
    EXPECT_EQ(m.Action("WindowChild50")->text(), QStringLiteral("Child 49"));
    EXPECT_TRUE(m.Action("WindowChild50")->isVisible());
    m.Action("WindowChild3")->trigger();
    EXPECT_EQ(m.MdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("Child 2"));
}

TEST_F(MainFormTest, ThreeDViewToolBarAndMenu)
{
    TMainForm& m = Make();
    m.FormShow();
    int made = 0;
    QPointer<FakeBlock> block;
    m.RegisterChild(TChildKind::Block, [&](TChildHost&) {
        ++made;
        block = new FakeBlock(m);
        return block.data();
    });
    m.Action("View3D")->trigger();
    m.Action("View3D")->trigger();
    EXPECT_EQ(made, 1);
    ASSERT_TRUE(block);
    EXPECT_FALSE(m.BlockToolBar()->isHidden());
    EXPECT_TRUE(m.Menu("Show3DMenu")->menuAction()->isVisible());
    EXPECT_TRUE(m.Action("FileSaveBitmap")->isVisible());
    EXPECT_TRUE(m.Action("FilePrintPage")->isVisible());

    for (const char* a : {"ToolView2", "ToolReverse", "ToolZoomWindow", "ToolRotate", "ToolZoomIn", "ToolZoomOut",
                          "ToolRestart", "FileSaveBitmap", "FilePrintPage", "ShowFoundation", "ShowDepthLabels"})
        m.Action(a)->trigger();
    EXPECT_EQ(block->log, (QStringList{"view 2", "reverse", "mode 4", "armed 1", "mode 3", "armed 0", "zoom",
                                       "zoom", "restart", "bitmap", "print", "cap", "depth"}));
    ASSERT_EQ(block->zooms.size(), 2u);
    EXPECT_EQ(block->zooms[0], 1.4142L);
    EXPECT_EQ(block->zooms[1], 0.7071135624381275633L);
    EXPECT_NEAR(double(block->zooms[0] * block->zooms[1]), 1.0, 1e-15) << "zoom out undoes zoom in";
    EXPECT_EQ(m.Action("ToolZoomWindow")->toolTip(), QStringLiteral("Zoom Window"));
    m.Show3DMenuClick();
    EXPECT_TRUE(m.Action("ShowDepthLabels")->isChecked());
    EXPECT_FALSE(m.Action("ShowFoundation")->isChecked());
    EXPECT_TRUE(m.Action("ShowPiles")->isChecked());

    // Closed: the tool bar and the menu go; the next choice makes a new view.
    m.MdiArea()->subWindowList().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m.BlockToolBar()->isHidden());
    EXPECT_FALSE(m.Menu("Show3DMenu")->menuAction()->isVisible());
    m.Action("View3D")->trigger();
    EXPECT_EQ(made, 2);
    EXPECT_FALSE(m.BlockToolBar()->isHidden());
}

TEST_F(MainFormTest, ExternalEditorAndHelp)
{
    const QString path = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("my pump.tmx"));
    TMainForm& m = Make();
    m.FormShow();
    m.OpenFileName(path);
    m.CompMenuClick();
    EXPECT_TRUE(m.Action("CompInput")->isEnabled());
    EXPECT_FALSE(m.Action("CompOutput")->isEnabled());
    EXPECT_FALSE(m.Action("CompKernel")->isEnabled());

    // An editor path with blanks that names a file is taken whole; the project path goes as one
    // argument.
    const QString editor = work.filePath(QStringLiteral("My Editor"));
    WriteBytes(editor, "#!/bin/sh\n");
    m.SetWordProcessorPath(editor);
    m.Action("CompInput")->trigger();
    ASSERT_EQ(watched.size(), 1);
    EXPECT_EQ(watched.last(), (QStringList{editor, path}));
    // A command with options.
    m.SetWordProcessorPath(QStringLiteral("gedit --new-window"));
    WriteBytes(work.filePath(QStringLiteral("my pump.tmo")), "report\n");
    m.CompMenuClick();
    m.Action("CompOutput")->trigger();
    EXPECT_EQ(watched.last(), (QStringList{"gedit", "--new-window", work.filePath(QStringLiteral("my pump.tmo"))}));
    // It cannot start.
    startResult = false;
    m.Action("CompInput")->trigger();
    EXPECT_TRUE(recorder.LastText().startsWith(QStringLiteral("An error occurred in running the Word Processor")));
    EXPECT_TRUE(recorder.LastText().contains(path)) << "the message names the file";

    // The manual: opened by the desktop's opener when the build made it (tests/doc), else the
    // user is told; the update check opens its address.
    recorder.Clear();
    startResult = true;
    watched.clear();
    m.Action("HelpManual")->trigger();
    if (QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/Tremx v3 Manual.pdf"))) {
        ASSERT_EQ(watched.size(), 1);
        EXPECT_EQ(watched.first().first(), QStringLiteral("xdg-open"));
        EXPECT_TRUE(watched.first().last().endsWith(QStringLiteral("/Tremx v3 Manual.pdf")));
    } else {
        EXPECT_TRUE(recorder.LastText().contains(QStringLiteral("Tremx v3 Manual.pdf")));
        EXPECT_TRUE(watched.isEmpty());
    }
    m.Action("HelpUpdates")->trigger();
    ASSERT_EQ(urls.size(), 1);
    EXPECT_TRUE(urls.first().toString().endsWith(QStringLiteral("/checkupdates/check/check.php?TREMEX;3.0.11;12/10/26")))
        << urls.first().toString().toStdString();
}

TEST_F(MainFormTest, EditorDefaultsToTheDesktopOpenerWhichTellsTheFileWhenNoEditorStarts)
{
    // A terminal editor of the environment would run without a terminal, unseen: the default is
    // the desktop's opener.
    qputenv("VISUAL", "");
    qputenv("EDITOR", "nano");
    TMainForm& m = Make();
    m.FormShow();
    EXPECT_EQ(m.WordProcessorPath(), QStringLiteral("xdg-open"));
    qunsetenv("EDITOR");
    qunsetenv("VISUAL");
    m.UpdateRegistry();
    {
        QSettings s(QStringLiteral("Halvane"), QStringLiteral("TREMEX"));
        EXPECT_EQ(s.value(QStringLiteral("3.0.11/Word Processor")).toString(), QString())
            << "the default editor is not written";
    }

    const QString report = work.filePath(QStringLiteral("pump.tmo"));
    WriteBytes(report, "report\n");
    m.OpenInEditor(report);
    ASSERT_EQ(watched.size(), 1);
    EXPECT_EQ(watched.last(), (QStringList{QStringLiteral("xdg-open"), report}));
    EXPECT_EQ(recorder.Count(), 0) << "the opener started an editor";

    // The opener finds no editor for the file, or is not installed: the message names the file.
    for (const bool installed : {true, false}) {
        recorder.Clear();
        openerFails = installed;
        startResult = installed;
        m.OpenInEditor(report);
        ASSERT_EQ(recorder.Count(), 1) << installed;
        EXPECT_TRUE(recorder.LastText().startsWith(QStringLiteral("An error occurred in running the Word Processor")));
        EXPECT_TRUE(recorder.LastText().contains(report)) << recorder.LastText().toStdString();
    }
}

}  // namespace
