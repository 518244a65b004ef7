// The plot window's commands: title, legend names, active curves, bitmap export and printing.
#include "plot_fixture.h"

#include "plotdialogs.h"

#include "entry/dataedit.h"
#include "util/pagesetup.h"
#include "util/printchoice.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>

namespace {

// Runs `action` on the modal dialog of type D once it is shown.
template <class D> void OnModal(std::function<void(D*)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        action(dialog);
    });
}

QString TempPath(const QString& name)
{
    QDir().mkpath(QStringLiteral(TEST_TMP_DIR));
    const QString path = QStringLiteral(TEST_TMP_DIR "/") + name;
    QFile::remove(path);
    return path;
}

QString g_savePath;
QString SavePathHook(QWidget*) { return g_savePath; }

class PlotCommandsTest : public PlotWindowTest {
protected:
    void TearDown() override { TPlotForm::SetSaveFileNameHook(nullptr); }
};

// --- graph title -----------------------------------------------------------------------------

TEST_F(PlotCommandsTest, GraphTitleIsTakenHoweverTheDialogCloses)
{
    auto form = Open();
    const int top = form->PlotRect().top;
    const QPoint legend(10, 20);
    form->Legend()->move(legend);  // the legend stays where it is
    OnModal<TfrmGraphCaption>([](TfrmGraphCaption* d) {
        EXPECT_EQ(d->windowTitle(), "Graph Caption");
        EXPECT_TRUE(d->BottomButton->isChecked());
        d->Edit->setText(QStringLiteral("Pile group, 3 x 3"));
        d->TopButton->setChecked(true);
        d->reject();  // closing without OK
    });
    form->PlotCaptionClick();
    EXPECT_EQ(plot.GraphTitle, "Pile group, 3 x 3");
    EXPECT_TRUE(plot.TitleOnTop);
    EXPECT_EQ(form->PlotRect().top, top + 14 / 8 + 14);
    EXPECT_EQ(form->Legend()->pos(), legend);

    OnModal<TfrmGraphCaption>([](TfrmGraphCaption* d) {
        EXPECT_EQ(d->Edit->text(), "Pile group, 3 x 3");
        EXPECT_TRUE(d->TopButton->isChecked());
        d->BottomButton->setChecked(true);
        d->OkButton->click();
    });
    form->PlotCaptionClick();
    EXPECT_FALSE(plot.TitleOnTop);
    EXPECT_EQ(form->PlotRect().top, top);
}

// --- legend names ----------------------------------------------------------------------------

TEST_F(PlotCommandsTest, LegendNamesDialogRefusesAnEmptyName)
{
    QStringList names{"Kxx", "Kyy", "Kww"};
    TfrmLineNames dialog(names);
    EXPECT_EQ(dialog.windowTitle(), "Legend");
    EXPECT_EQ(dialog.List->currentRow(), 0);
    EXPECT_EQ(dialog.Edit->text(), "Kxx");
    dialog.List->setCurrentRow(2);
    EXPECT_EQ(dialog.Edit->text(), "Kww");
    EXPECT_EQ(dialog.Edit->palette().color(QPalette::Text), PlotForm::PlotColour(2));

    dialog.Edit->clear();
    EXPECT_FALSE(dialog.CommitEdit());
    EXPECT_EQ(recorder.LastText(), "The line must have a name!");
    EXPECT_EQ(dialog.Edit->text(), "Kww");

    dialog.Edit->setText(QStringLiteral("Vertical"));
    QTest::keyClick(dialog.Edit, Qt::Key_Return);
    EXPECT_EQ(dialog.List->item(2)->text(), "Vertical");
    dialog.reject();  // the rows go back into the list either way
    EXPECT_EQ(names, (QStringList{"Kxx", "Kyy", "Vertical"}));
}

TEST_F(PlotCommandsTest, EditLegendRenamesOnOkOnly)
{
    auto form = Open();
    OnModal<TfrmLineNames>([](TfrmLineNames* d) {
        d->List->setCurrentRow(1);
        d->Edit->setText(QStringLiteral("Horizontal"));
        d->CancelButton->click();
    });
    form->mLineNameClick();
    EXPECT_EQ(plot.Lines(1)->Name, "Kyy");

    OnModal<TfrmLineNames>([](TfrmLineNames* d) {
        d->List->setCurrentRow(1);
        d->Edit->setText(QStringLiteral("Horizontal"));
        d->OkButton->click();
    });
    form->mLineNameClick();
    EXPECT_EQ(plot.Lines(1)->Name, "Horizontal");
    EXPECT_EQ(form->LegendRowText(1), "Horizontal *");
    EXPECT_EQ(form->CurveEntries()[1]->text(), "Horizontal");
    // The legend grows to fit the longer name.
    EXPECT_GE(form->Legend()->width(),
              QFontMetrics(form->Legend()->font()).horizontalAdvance("Horizontal *") + 24);
}

TEST_F(PlotCommandsTest, AfterHidingTheFirstCurveNamesGoToTheirOwnRows)
{
    auto form = Open();
    form->ApplyActiveStates({TfrmActiveLines::No, TfrmActiveLines::Yes, TfrmActiveLines::Yes});
    form->ApplyLegendNames({"A", "B", "C"});
    ASSERT_EQ(form->LegendRowCount(), 2);
    EXPECT_EQ(form->LegendRowText(0), "B *");
    EXPECT_EQ(form->LegendRowText(1), "C *");
    EXPECT_EQ(plot.Lines(0)->Name, "A");
}

// --- active curves ---------------------------------------------------------------------------

TEST_F(PlotCommandsTest, ActiveCurvesDialogTogglesStates)
{
    QStringList states{TfrmActiveLines::Yes, TfrmActiveLines::No, TfrmActiveLines::Yes};
    TfrmActiveLines dialog({"Kxx", "Kyy", "Kww"}, states);
    EXPECT_EQ(dialog.windowTitle(), "Active Curves");
    EXPECT_EQ(dialog.List->item(0)->text(), " yes :    Kxx");
    EXPECT_EQ(dialog.List->item(1)->text(), " no  :    Kyy");
    EXPECT_EQ(dialog.List->currentRow(), 0);

    dialog.ToggleRow(1);
    EXPECT_EQ(dialog.List->item(1)->text(), " yes :    Kyy");
    // Several rows selected: each of them toggles.
    dialog.List->item(0)->setSelected(true);
    dialog.List->item(2)->setSelected(true);
    dialog.ToggleSelected();
    EXPECT_EQ(dialog.States(),
              (QStringList{TfrmActiveLines::No, TfrmActiveLines::Yes, TfrmActiveLines::No}));
    dialog.NoneButton->click();
    EXPECT_EQ(dialog.States(), QStringList(3, TfrmActiveLines::No));
    dialog.AllButton->click();
    EXPECT_EQ(dialog.States(), QStringList(3, TfrmActiveLines::Yes));
    dialog.NoneButton->click();

    // Cancel leaves the states as they were; OK hands them back.
    dialog.reject();
    EXPECT_EQ(states[0], TfrmActiveLines::Yes);
    TfrmActiveLines again({"Kxx", "Kyy", "Kww"}, states);
    again.SetAll(false);
    again.accept();
    EXPECT_EQ(states, QStringList(3, TfrmActiveLines::No));
}

TEST_F(PlotCommandsTest, ActiveCurvesCommandRelistsCurves)
{
    auto form = Open();
    OnModal<TfrmActiveLines>([](TfrmActiveLines* d) {
        d->ToggleRow(0);
        d->OkButton->click();
    });
    form->ActiveGraphsClick();
    EXPECT_FALSE(plot.Lines(0)->Listed);
    ASSERT_EQ(form->LegendRowCount(), 2);
    EXPECT_EQ(form->Legend()->height(), 2 * 16 + 3);
    EXPECT_EQ(form->CurveEntries().size(), 2);
    EXPECT_EQ(form->CurveEntries()[0]->data().toInt(), 1);
    // A new window lists every curve again.
    form.reset();
    auto second = Open();
    EXPECT_TRUE(plot.Lines(0)->Listed);
    EXPECT_EQ(second->LegendRowCount(), 3);
}

// --- bitmap export ---------------------------------------------------------------------------

TEST_F(PlotCommandsTest, SizeDialogMakesTheBitmap)
{
    TdlgFormat dialog;
    EXPECT_EQ(dialog.windowTitle(), "Save Attributes");
    dialog.show();
    dialog.OkClick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.BitmapWidth, 432);
    EXPECT_EQ(dialog.BitmapHeight, 288);
    EXPECT_EQ(dialog.Bitmap.size(), QSize(432, 288));

    // A height below its minimum is set to it with a message; the dialog stays open.
    TdlgFormat low;
    low.show();
    low.HeightEdit->setText(QStringLiteral("1"));
    low.OkClick();
    EXPECT_TRUE(low.isVisible());
    EXPECT_TRUE(recorder.LastText().startsWith("Entry must be greater than or equal to 2"))
        << qPrintable(recorder.LastText());

    // Return in a field presses OK: the typed width counts.
    TdlgFormat typed;
    typed.show();
    typed.WidthEdit->setFocus();
    typed.WidthEdit->selectAll();
    QTest::keyClicks(typed.WidthEdit, QStringLiteral("5"));
    QTest::keyClick(typed.WidthEdit, Qt::Key_Return);
    EXPECT_EQ(typed.result(), QDialog::Accepted);
    EXPECT_FALSE(typed.isVisible());
    EXPECT_EQ(typed.BitmapWidth, 360);

    // More pixels than memory can hold: the abort result.
    TdlgFormat huge;
    huge.show();
    huge.PpiEdit->setText(QStringLiteral("2147483647"));
    huge.OkClick();
    EXPECT_EQ(huge.result(), TdlgFormat::Abort);
    EXPECT_TRUE(huge.Bitmap.isNull());
}

TEST_F(PlotCommandsTest, SaveToDiskWritesAWindowsBitmapWithTheLegendInThePlot)
{
    auto form = Open();
    const TPlotForm::TEdges plotRect = form->PlotRect();
    g_savePath = TempPath(QStringLiteral("kxx.bmp"));
    TPlotForm::SetSaveFileNameHook(&SavePathHook);
    OnModal<TdlgFormat>([](TdlgFormat* d) { d->OkButton->click(); });
    form->PlotSaveClick();
    EXPECT_EQ(recorder.Count(), 0) << qPrintable(recorder.LastText());

    QFile file(g_savePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(2), "BM");
    file.close();
    QImageReader reader(g_savePath);
    EXPECT_EQ(reader.format(), "bmp");
    const QImage image = reader.read();
    ASSERT_EQ(image.size(), QSize(432, 288));
    // The printed legend: a black box at the plot's lower right with the three marker colours.
    EXPECT_GT(CountColour(image, 0x0000FF), 20);
    EXPECT_GT(CountColour(image, 0xFF0000), 20);
    // The window is as it was.
    EXPECT_EQ(form->PlotRect().right, plotRect.right);
    EXPECT_EQ(form->Area().bottom, 472);
}

TEST_F(PlotCommandsTest, SaveFailuresAreReportedAndLeaveTheWindowWhole)
{
    auto form = Open();
    TPlotForm::SetSaveFileNameHook(&SavePathHook);

    g_savePath = QStringLiteral(TEST_TMP_DIR "/no such folder/kxx.bmp");
    OnModal<TdlgFormat>([](TdlgFormat* d) { d->OkButton->click(); });
    form->PlotSaveClick();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages()[0].kind, MessageSink::Kind::Error);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("The file ") + g_savePath +
                                       QStringLiteral(" could not be written: No such file or directory"));
    EXPECT_EQ(form->Area().right, 672);
    EXPECT_EQ(form->PlotRect().left, 41);

    g_savePath = TempPath(QStringLiteral("huge.bmp"));
    OnModal<TdlgFormat>([](TdlgFormat* d) {
        d->PpiEdit->setText(QStringLiteral("100000"));
        d->OkButton->click();
    });
    form->PlotSaveClick();
    EXPECT_EQ(recorder.LastText(), "There is not enough memory to complete this task.");
    EXPECT_EQ(recorder.Messages().last().kind, MessageSink::Kind::Information);
    EXPECT_FALSE(QFile::exists(g_savePath));

    // Cancelled file dialog: nothing at all.
    recorder.Clear();
    g_savePath.clear();
    form->PlotSaveClick();
    EXPECT_EQ(recorder.Count(), 0);
}

// --- printing --------------------------------------------------------------------------------

TEST(PlotPrinting, MarginsNeverFallBelowThePrintersOffsets)
{
    const int margins[4] = {1000, 1000, 1000, 1000};
    TPlotForm::TEdges a = PlotForm::PrintArea(margins, 600, 600, 0, 0, 5100, 6600);
    EXPECT_EQ(a.left, 600);
    EXPECT_EQ(a.top, 600);
    EXPECT_EQ(a.right, 4500);
    EXPECT_EQ(a.bottom, 6000);
    // Physical offsets of more than one inch serve as the margins.
    a = PlotForm::PrintArea(margins, 600, 600, 700, 650, 3700, 5300);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(a.right, 3700);
    EXPECT_EQ(a.bottom, 5300);
    const int mixed[4] = {500, 2000, 1500, 250};
    a = PlotForm::PrintArea(mixed, 300, 200, 60, 30, 2430, 2140);
    EXPECT_EQ(a.left, 150 - 60);
    EXPECT_EQ(a.top, 400 - 30);
    EXPECT_EQ(a.right, 2430 + 60 - 450);
    EXPECT_EQ(a.bottom, 2140 + 30 - 50);
}

TEST_F(PlotCommandsTest, PrintsOnePageToAPdfFile)
{
    auto form = Open();
    EXPECT_EQ(form->PageSetup()->MarginLeft(), 1000);
    EXPECT_EQ(form->PageSetup()->Options(), poDefaultMinMargins | poThousandthsOfInches);
    // Print and Page Setup are offered whether or not the system knows a printer.
    EXPECT_TRUE(form->PrintEntry()->isEnabled());
    EXPECT_TRUE(form->PageSetupEntry()->isEnabled());
    plot.GraphTitle = QStringLiteral("Three curves");
    const QString path = TempPath(QStringLiteral("kxx.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    form->PrintTo(printer);
    EXPECT_EQ(printer.docName(), "Translational Stiffnesses");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(5), "%PDF-");
    EXPECT_GT(file.size(), 2000);
    // The window's layout and resolution are back.
    EXPECT_EQ(form->DpiX(), 96);
    EXPECT_EQ(form->PlotRect().left, 41);
    EXPECT_EQ(form->Area().right, 672);
}

// Plot > Print... as the user gives it, on a machine with or without printers: the print
// dialog's PDF file is the printer.
TEST_F(PlotCommandsTest, PrintCommandWritesAPdfFileWithoutAPrinter)
{
    auto form = Open();
    const QString path = TempPath(QStringLiteral("print-command.pdf"));
    QString offered;
    PrintChoice::SetHook([&](QWidget* parent, QPrinter& printer) {
        EXPECT_EQ(parent, form.get());
        offered = printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    });
    struct Unhook {
        ~Unhook() { PrintChoice::SetHook(nullptr); }
    } unhook;
    form->PlotMenuClick();
    ASSERT_TRUE(form->PrintEntry()->isEnabled());
    ASSERT_TRUE(form->PageSetupEntry()->isEnabled());
    form->PrintEntry()->trigger();
    // The PDF file the dialog offers is named after the plot.
    EXPECT_EQ(offered, "Translational Stiffnesses");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(5), "%PDF-");
    EXPECT_GT(file.size(), 2000);

    // A cancelled dialog prints nothing.
    const QString other = TempPath(QStringLiteral("print-cancelled.pdf"));
    PrintChoice::SetHook([&](QWidget*, QPrinter& printer) {
        printer.setOutputFileName(other);
        return false;
    });
    form->PrintEntry()->trigger();
    EXPECT_FALSE(QFile::exists(other));
}

}  // namespace
