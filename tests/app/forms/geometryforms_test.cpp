// Tests of the geometry, soil and option forms: the common form contract (load on activation,
// store on deactivation and close, refusal while the focused field is invalid, modified flag,
// MDI activation), foundation options, shape, foundation data, soil below, multilayer
// properties, title and control options.
#include "forms/foundationsform.h"
#include "forms/layoutform.h"
#include "forms/multimatform.h"
#include "forms/optionsform.h"
#include "forms/shapeform.h"
#include "forms/tipsoilform.h"
#include "poissonratios.h"
#include "entry/misc.h"
#include "forms/titleform.h"
#include "forms_fixture.h"
#include "projectfile.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace {

class GeometryForms : public FormTest {};

}  // namespace

TEST_F(GeometryForms, SoilBelowLoadsEditsAndStoresOnLeaving)
{
    Data().TipVs = 250;
    Data().TipUnitWeight = 19;
    Data().TipPoisson = 0.33L;
    Data().TipDamping = 0.05L;
    auto* form = Open(new TfrmTipsoil(*project));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Soil Below The Footing"));
    EXPECT_EQ(form->DataEdit1->text(), QStringLiteral("250"));
    EXPECT_EQ(form->DataEdit3->text(), QStringLiteral("0.33"));
    EXPECT_EQ(modifiedCalls, 0) << "loading the values is no change";

    Enter(form->DataEdit1, QStringLiteral("300+20"), form->DataEdit2);
    EXPECT_EQ(form->DataEdit1->text(), QStringLiteral("320"));
    Enter(form->DataEdit4, QStringLiteral("0.1"), form->DataEdit1);
    EXPECT_GT(modifiedCalls, 0);
    EXPECT_EQ(Data().TipVs, 250) << "nothing stored before the form is left";
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(Data().TipVs, 320);
    EXPECT_EQ(Data().TipDamping, 0.1L);
    EXPECT_EQ(Data().TipUnitWeight, 19);
    EXPECT_EQ(recorder.Count(), 0);
}

TEST_F(GeometryForms, InvalidFocusedEntryRefusesLeavingAndClosing)
{
    Data().Radius = 2;
    Data().ShapeCode = 1;
    QPointer<TfrmShape> form = Open(new TfrmShape(*project));
    QSignalSpy closed(form.data(), &TDataForm::FormClosed);
    Type(form->DataEdit1, QStringLiteral("2*"));
    EXPECT_FALSE(form->Deactivate());
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(recorder.LastText().startsWith(QStringLiteral("Entry could not be evaluated:")));
    EXPECT_EQ(Data().Radius, 2) << "nothing stored";

    EXPECT_FALSE(form->close());
    EXPECT_EQ(recorder.Count(), 2);
    Flush();
    ASSERT_TRUE(form) << "the form stays while the entry is invalid";
    EXPECT_EQ(closed.count(), 0);

    Type(form->DataEdit1, QStringLiteral("2.5"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(closed.count(), 1);
    Flush();
    EXPECT_FALSE(form) << "a closed form frees itself";
    EXPECT_EQ(Data().Radius, 2.5L);
    EXPECT_EQ(recorder.Count(), 2);
}

TEST_F(GeometryForms, ATextThatIsNoNumberIsAWarningThatNamesTheField)
{
    // "abc" in the unit weight of the soil below the footing, then Tab to the next field.
    Data().UnitSystem = 2;
    auto* form = Open(new TfrmTipsoil(*project));
    Enter(form->DataEdit2, QStringLiteral("abc"), form->DataEdit3);
    ASSERT_EQ(recorder.Count(), 1);
    const MessageRecorder::Message message = recorder.Messages().at(0);
    EXPECT_EQ(message.kind, MessageSink::Kind::Warning);
    EXPECT_EQ(message.text, QStringLiteral("Entry could not be evaluated:\rinvalid character(s) in expression"));
    EXPECT_EQ(message.place, QStringLiteral("Unit weight (kN/m^3)"));
    EXPECT_EQ(message.place, LabelText(form->DataEdit2)) << "the field as its label reads";
    EXPECT_EQ(form->DataEdit2->text(), QStringLiteral("abc")) << "the text stays as typed";
}

// No soil has a Poisson's ratio above 0.5 or at or below -1: the field of the soil below (the
// half-space, the stratum, the soil under the piles) refuses such a ratio as it refuses a text
// that is no number, keeping the text for correction; 0.5 and negative ratios above -1 are taken.
TEST_F(GeometryForms, SoilBelowRefusesAPoissonsRatioNoSoilHas)
{
    Data().TipPoisson = 0.3L;
    auto* form = Open(new TfrmTipsoil(*project));
    for (const char* text : {"0.6", "0.75", "1", "0.5+1e-15", "-1", "-3"}) {
        SCOPED_TRACE(text);
        recorder.Clear();
        Enter(form->DataEdit3, QString::fromLatin1(text), form->DataEdit4);
        ASSERT_EQ(recorder.Count(), 1);
        const MessageRecorder::Message message = recorder.Messages().at(0);
        EXPECT_EQ(message.kind, MessageSink::Kind::Warning);
        EXPECT_EQ(message.text, PoissonRatios::RefusalText());
        EXPECT_EQ(message.place, QStringLiteral("Poisson's ratio"));
        EXPECT_EQ(form->DataEdit3->text(), QString::fromLatin1(text)) << "the text stays as typed";
        EXPECT_FALSE(form->Deactivate());
        EXPECT_EQ(Data().TipPoisson, 0.3L) << "nothing stored";
    }
    for (const char* text : {"0.5", "-0.5", "0"}) {
        SCOPED_TRACE(text);
        recorder.Clear();
        Enter(form->DataEdit3, QString::fromLatin1(text), form->DataEdit4);
        EXPECT_EQ(recorder.Count(), 0);
        EXPECT_TRUE(form->Deactivate());
        EXPECT_EQ(Data().TipPoisson, Misc::EvaluateExpression(QString::fromLatin1(text)));
    }
    // A ratio the project already holds (a file edited by hand) is shown as it is, not changed.
    Data().TipPoisson = 0.75L;
    form->FormActivate();
    EXPECT_EQ(form->DataEdit3->text(), QStringLiteral("0.75"));
}

// A number beyond a bound is refused and the field keeps what it held: the project never gets
// the bound, a value the user did not type.
TEST_F(GeometryForms, OutOfRangeEntryKeepsTheValueTheFieldHeld)
{
    Data().TipVs = 250;
    auto* form = Open(new TfrmTipsoil(*project));
    ASSERT_EQ(form->DataEdit1->text(), QStringLiteral("250"));
    for (const char* typed : {"3e9", "1e308"}) {
        SCOPED_TRACE(typed);
        Enter(form->DataEdit1, QString::fromLatin1(typed), form->DataEdit2);
        EXPECT_EQ(recorder.LastText(), QStringLiteral("Entry must be less than or equal to 2147483647"));
        EXPECT_EQ(form->DataEdit1->text(), QStringLiteral("250"));
        EXPECT_TRUE(form->Deactivate());
        EXPECT_EQ(Data().TipVs, 250.0L);
    }
    // What the user types next is taken.
    Enter(form->DataEdit1, QStringLiteral("300"), form->DataEdit2);
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(Data().TipVs, 300.0L);
}

TEST_F(GeometryForms, UnitLabelsFollowTheUnitSystem)
{
    struct Case {
        TDataEdit* edit;
        const char* si;
        const char* english;
    };
    auto* soil = Open(new TfrmTipsoil(*project));
    auto* multi = new TfrmMultimat(*project);
    multi->FormActivate();
    auto* foundations = new TfrmFoundations(*project);
    foundations->FormActivate();
    const Case cases[] = {
        {soil->DataEdit1, "Shear wave velocity (m/sec)", "Shear wave velocity (ft/sec)"},
        {soil->DataEdit2, "Unit weight (kN/m^3)", "Unit weight (lbs/ft^3)"},
        {soil->DataEdit3, "Poisson's ratio", "Poisson's ratio"},
        {multi->DataEdit[6], "&Elastic modulus of the pile  (kN/m\u00b2)", "&Elastic modulus of the pile  (lbs/ft\u00b2)"},
        // A ratio: no units (the switch does not convert it).
        {multi->DataEdit[8], "Cross-sectional coefficient of rigidity", "Cross-sectional coefficient of rigidity"},
        {multi->DataEdit[9], "Static load on foundation (kN)", "Static load on foundation (lbs)"},
        {foundations->DataEdit5, "Depth from ground surface to bed rock (rigid underlying layer) (m)",
         "Depth from ground surface to bed rock (rigid underlying layer) (ft)"},
    };
    for (const Case& c : cases) EXPECT_EQ(LabelText(c.edit), QString::fromUtf8(c.si));
    Data().TipVs = 100;
    project->SetUnits(1);  // the main window then reloads its open forms
    for (TDataForm* f : std::initializer_list<TDataForm*>{soil, multi, foundations}) f->FormActivate();
    for (const Case& c : cases) EXPECT_EQ(LabelText(c.edit), QString::fromUtf8(c.english));
    EXPECT_NEAR(double(soil->DataEdit1->Number()), 328.0839895, 1e-6) << "the converted value is shown";
    delete multi;
    delete foundations;
}

TEST_F(GeometryForms, ShapeKeepsAllThreeSizesAndMarksAChangedShape)
{
    Data().ShapeCode = 0;
    Data().LengthX = 6;
    Data().WidthY = 4;
    Data().Radius = 1;
    auto* form = Open(new TfrmShape(*project));
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_FALSE(form->DataEdit1->isVisible());
    EXPECT_TRUE(form->DataEdit2->isVisible());
    EXPECT_EQ(LabelText(form->DataEdit2), QStringLiteral("Length x,  (m)"));

    Enter(form->DataEdit2, QStringLiteral("7"), form->DataEdit3);
    modifiedCalls = 0;
    QTest::mouseClick(form->RadioButton2, Qt::LeftButton);
    EXPECT_EQ(Data().ShapeCode, 1);
    EXPECT_GT(modifiedCalls, 0);
    EXPECT_TRUE(form->DataEdit1->isVisible());
    EXPECT_FALSE(form->DataEdit2->isVisible());
    EXPECT_FALSE(form->DataEdit3->EditLabel()->isVisible());
    Enter(form->DataEdit1, QStringLiteral("3"), form->RadioButton2);
    QTest::mouseClick(form->RadioButton1, Qt::LeftButton);
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(Data().ShapeCode, 0);
    EXPECT_EQ(Data().LengthX, 7) << "hidden fields are stored too";
    EXPECT_EQ(Data().WidthY, 4);
    EXPECT_EQ(Data().Radius, 3);
}

TEST_F(GeometryForms, FoundationDataShowsDepthsOnlyForAStratum)
{
    for (int code : {1, 3}) {
        Data().FoundationCode = code;
        Data().BedrockDepth = 12;
        auto* form = Open(new TfrmFoundations(*project));
        EXPECT_EQ(form->DataEdit4->isVisible(), code == 3);
        EXPECT_EQ(form->DataEdit5->EditLabel()->isVisible(), code == 3);
        EXPECT_EQ(LabelText(form->DataEdit1), QStringLiteral("X Coordinate (Xc) (m)"));
        Enter(form->DataEdit3, QStringLiteral("-1.25"), form->DataEdit1);
        EXPECT_TRUE(form->close());
        EXPECT_EQ(Data().Zc, -1.25L);
        EXPECT_EQ(Data().BedrockDepth, 12);
        Flush();
    }
}

TEST_F(GeometryForms, MultilayerPropertiesStoreEveryField)
{
    auto* form = Open(new TfrmMultimat(*project));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Foundation Properties"));
    const char* typed[10] = {"0.1", "0.2", "1.5", "24", "0.2", "0.02", "3e7", "9", "1.334", "500"};
    for (int i = 0; i < 10; ++i) Enter(form->DataEdit[i], QString::fromLatin1(typed[i]), form->DataEdit[(i + 1) % 10]);
    EXPECT_TRUE(form->Deactivate());
    const TProgramData& d = Data();
    const long double stored[10] = {d.Xc, d.Yc, d.Zc, d.PileUnitWeight, d.PilePoisson, d.PileDamping, d.PileModulus,
                                    d.PileLength, d.ShearCoefficient, d.StaticLoad};
    const long double expected[10] = {0.1L, 0.2L, 1.5L, 24, 0.2L, 0.02L, 3e7L, 9, 1.334L, 500};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(stored[i], expected[i]) << i;
    Enter(form->DataEdit[9], QStringLiteral("3e12"), form->DataEdit[0]);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Entry must be less than or equal to 2147483647000"));
}

TEST_F(GeometryForms, FoundationOptionsSetTheCodeAndMarkOnlyAChangedWord)
{
    const QString folder = QStringLiteral(TEST_TMP_DIR "/no-pictures");
    QDir().mkpath(folder);
    LayoutForm::SetPictureFolder(folder);  // no picture there: the form shows none
    Data().FoundationWord = QStringLiteral("HALF-SPACE");
    Data().FoundationCode = 1;
    auto* form = Open(new TfrmLayout(*project));
    QSignalSpy menus(form, &TfrmLayout::UpdateFoundationMenus);
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("HALF-SPACE"));
    EXPECT_FALSE(form->Image1->isVisible());

    form->ComboBox1->setCurrentIndex(2);
    emit form->ComboBox1->activated(2);  // the user's choice of "STRATUM"
    EXPECT_EQ(Data().FoundationWord, QStringLiteral("STRATUM"));
    EXPECT_EQ(Data().FoundationCode, 3);
    EXPECT_EQ(modifiedCalls, 0) << "the choice itself marks nothing";
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(modifiedCalls, 1);
    EXPECT_EQ(menus.count(), 1);

    form->FormActivate();
    emit form->ComboBox1->activated(2);  // the same word again
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(modifiedCalls, 1);
    EXPECT_EQ(recorder.Count(), 0);
    LayoutForm::SetPictureFolder(QString());
}

TEST_F(GeometryForms, FoundationOptionsShowTheTypePicturesOfTheProgramFolder)
{
    // The pictures are copied beside the program; each type shows its own.
    auto* form = Open(new TfrmLayout(*project));
    QList<QImage> pictures;
    for (int i = 0; i < 4; ++i) {
        form->ComboBox1->setCurrentIndex(i);
        emit form->ComboBox1->activated(i);
        ASSERT_FALSE(form->Image1->pixmap().isNull()) << i;
        EXPECT_TRUE(form->Image1->isVisible());
        EXPECT_EQ(form->Image1->x(), qRound((form->width() - form->Image1->width()) / 2.0));
        pictures << form->Image1->pixmap().toImage();
    }
    for (int i = 1; i < 4; ++i) EXPECT_NE(pictures[i], pictures[0]) << i;
    EXPECT_EQ(Data().FoundationCode, 4);
}

TEST_F(GeometryForms, TitleTakesOneLineOfAtMostTheSeventyFourCharactersTheAnalysisReads)
{
    Data().ProjectTitle = QStringLiteral("New Pile");
    auto* form = Open(new TdlgTitle(*project));
    EXPECT_EQ(form->TitleMemo->toPlainText(), QStringLiteral("New Pile"));
    // The caret opens at the end: typing goes on after the title.
    EXPECT_EQ(form->TitleMemo->textCursor().position(), 8);
    EXPECT_FALSE(form->TitleMemo->textCursor().hasSelection());
    form->TitleMemo->setFocus();
    form->TitleMemo->selectAll();
    QTest::keyClicks(form->TitleMemo, QStringLiteral("Pump foundation"));
    QTest::keyClick(form->TitleMemo, Qt::Key_Return);
    QTest::keyClicks(form->TitleMemo, QString(90, QLatin1Char('x')));
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(Data().ProjectTitle.size(), 74);  // "TITLE=" and the title fill the engine's 80 columns
    EXPECT_TRUE(Data().ProjectTitle.startsWith(QStringLiteral("Pump foundationxxx")));
    EXPECT_EQ(modifiedCalls, 1);
    form->TitleMemo->setPlainText(QStringLiteral("a\nb"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Data().ProjectTitle, QStringLiteral("a b"));
    EXPECT_EQ(modifiedCalls, 2);
}

// A title longer than the form holds (a project file edited by hand, a pasted text) is cut
// with the notice the save gives, not silently; typing past the end is refused as in any field.
TEST_F(GeometryForms, TheTitleFormTellsWhenItCutsALongTitle)
{
    const QString longTitle = QStringLiteral("Pump block ") + QString(10000, QLatin1Char('t'));
    Data().ProjectTitle = longTitle;
    auto* form = Open(new TdlgTitle(*project));
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.Count() == 1; }, 2000)) << recorder.Count();
    EXPECT_EQ(recorder.LastText(), ProjectFile::TitleNotice(longTitle));
    EXPECT_TRUE(recorder.LastText().contains(QStringLiteral("\"Pump block ") + QString(63, QLatin1Char('t')) +
                                             QStringLiteral("\"")));
    EXPECT_EQ(form->TitleMemo->toPlainText(), longTitle.left(74));
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(Data().ProjectTitle, longTitle.left(74));

    // A long text pasted: told again; typing at the limit: refused without a word.
    recorder.Clear();
    form->TitleMemo->setFocus();
    form->TitleMemo->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("Compressor ") + QString(100, QLatin1Char('c')));
    form->TitleMemo->paste();
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.Count() == 1; }, 2000)) << recorder.Count();
    EXPECT_TRUE(recorder.LastText().startsWith(QStringLiteral("The title is longer than the 74 characters")));
    QTest::keyClicks(form->TitleMemo, QStringLiteral("xyz"));
    QTest::qWait(50);
    EXPECT_EQ(recorder.Count(), 1);
    EXPECT_EQ(form->TitleMemo->toPlainText(), QStringLiteral("Compressor ") + QString(63, QLatin1Char('c')));
}

TEST_F(GeometryForms, ControlOptionsEditThePathAndTheMatrixSwitch)
{
    QString path;
    Data().MatrixFlag = 1;
    auto* form = new TDlgOptions(
        *project, [&] { return path; }, [&](const QString& p) { path = p; });
    form->Browser = [](QWidget*, const QString& start) { return start + QStringLiteral("-chosen"); };
    Open(form);
    EXPECT_EQ(form->EdtWord->text(), OptionsForm::DefaultTextEditor()) << "an empty path shows the default editor";
    EXPECT_TRUE(form->CheckBox1->isChecked());
    QTest::mouseClick(form->BtnBrowse, Qt::LeftButton);
    EXPECT_EQ(form->EdtWord->text(), OptionsForm::DefaultTextEditor() + QStringLiteral("-chosen"));
    form->CheckBox1->setChecked(false);
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(path, OptionsForm::DefaultTextEditor() + QStringLiteral("-chosen"));
    EXPECT_EQ(Data().MatrixFlag, 0);
    EXPECT_EQ(modifiedCalls, 1) << "the matrix switch is saved with the project";
}

TEST_F(GeometryForms, MdiChildStoresWhenAnotherChildIsActivated)
{
    Data().TipVs = 100;
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1000, 800);
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    auto* soil = new TfrmTipsoil(*project);
    QMdiSubWindow* soilSub = area->addSubWindow(soil);
    soilSub->setAttribute(Qt::WA_DeleteOnClose);
    soilSub->show();
    area->setActiveSubWindow(soilSub);
    EXPECT_EQ(soil->DataEdit1->text(), QStringLiteral("100")) << "activation loads";
    auto* title = new TdlgTitle(*project);
    QMdiSubWindow* titleSub = area->addSubWindow(title);
    titleSub->show();

    area->setActiveSubWindow(soilSub);
    Enter(soil->DataEdit1, QStringLiteral("150"), soil->DataEdit2);
    area->setActiveSubWindow(titleSub);
    EXPECT_EQ(Data().TipVs, 150) << "deactivation stores";

    // An invalid focused entry keeps the values out of the project and the window in front.
    area->setActiveSubWindow(soilSub);
    Type(soil->DataEdit2, QStringLiteral("x"));
    area->setActiveSubWindow(titleSub);
    EXPECT_EQ(recorder.Count(), 1);
    QTest::qWait(20);
    EXPECT_EQ(area->activeSubWindow(), soilSub);
    // Closing the sub-window is refused as well.
    QPointer<QMdiSubWindow> guard(soilSub);
    EXPECT_FALSE(soilSub->close());
    ASSERT_TRUE(guard);
    Type(soil->DataEdit2, QStringLiteral("18"));
    EXPECT_TRUE(soilSub->close());
    Flush();
    EXPECT_FALSE(guard);
    EXPECT_EQ(Data().TipUnitWeight, 18);
}
