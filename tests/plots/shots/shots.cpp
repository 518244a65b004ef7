// Screenshots of a plot window: three stiffness curves against frequency with legend and
// markers, inside an MDI area as the main window shows them, a zoomed view, the same plot saved
// as a bitmap with its legend box, and printed to a PDF file. Run under a display (xvfb-run);
// the files go to the folder named on the command line (the current folder by default).
#include "plotform.h"
#include "pltdata.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QTest>

#include <clocale>
#include <cmath>
#include <cstdio>

namespace {

bool Save(QWidget* widget, const QString& path)
{
    QTest::qWait(300);
    const bool ok = widget->grab().save(path);
    std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "FAILED", qPrintable(path), widget->width(),
                widget->height());
    return ok;
}

// Made-up stiffnesses of a footing in kN/m over 0 to 25 Hz.
void Fill(TGraphPlot& plot)
{
    plot.SetLineCount(3);
    plot.SetPointCount(26);
    for (int j = 0; j < 26; ++j) {
        const long double f = j;
        const long double a0 = f / 25;
        plot.Points(0, j)->X = f;
        plot.Points(0, j)->Y = 1.85e6L * (1 - 0.18L * a0 * a0);
        plot.Points(1, j)->X = f;
        plot.Points(1, j)->Y = 1.70e6L * (1 - 0.10L * a0) + 1.5e5L * std::sin(3 * a0);
        plot.Points(2, j)->X = f;
        plot.Points(2, j)->Y = 2.30e6L * (1 - 0.55L * a0 * a0);
    }
    plot.Lines(0)->Name = QStringLiteral("Kxx");
    plot.Lines(1)->Name = QStringLiteral("Kyy");
    plot.Lines(2)->Name = QStringLiteral("Kww");
    plot.SetUnits(2);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    bool ok = true;

    QMainWindow main;
    main.setWindowTitle(QStringLiteral("TREMEX 3.0.11 - NewData.tmx"));
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1000, 720);
    main.show();
    PltData::SetPlotOpener(TPlotForm::Opener(area));

    QObject owner;
    const QList<TGraphPlot*> plots = PltData::CreateResultPlots(&owner);
    TGraphPlot* kxx = plots.first();
    Fill(*kxx);
    kxx->ShowPlot();
    TPlotForm* form = kxx->PlotWindow();
    if (!form) return 1;
    ok &= Save(&main, out.filePath(QStringLiteral("plot_window.png")));

    // A zoomed view: rubber band from 5 to 15 Hz.
    const TPlotForm::TEdges pl = form->PlotRect();
    TFloatPoint a, b;
    a.X = 5;
    a.Y = 2.0e6L;
    b.X = 15;
    b.Y = 1.0e6L;
    QTest::mousePress(form->PaintBox(), Qt::LeftButton, {}, form->WorldToPixel(a));
    QTest::mouseMove(form->PaintBox(), form->WorldToPixel(b));
    ok &= Save(&main, out.filePath(QStringLiteral("plot_band.png")));
    QTest::mouseRelease(form->PaintBox(), Qt::LeftButton, {}, form->WorldToPixel(b));
    ok &= Save(&main, out.filePath(QStringLiteral("plot_zoomed.png")));
    QTest::mouseClick(form->PaintBox(), Qt::RightButton, {}, QPoint((pl.left + pl.right) / 2, pl.top + 5));
    QTest::mouseClick(form->PaintBox(), Qt::RightButton, {}, QPoint((pl.left + pl.right) / 2, pl.top + 5));

    // Bitmap and printed page with a title and the legend box.
    kxx->GraphTitle = QStringLiteral("Footing on a half-space");
    form->FormResize();
    QImage bitmap(600, 400, QImage::Format_RGB32);
    form->SaveBitmap(bitmap, out.filePath(QStringLiteral("plot_saved.bmp")));
    QImage(out.filePath(QStringLiteral("plot_saved.bmp"))).save(out.filePath(QStringLiteral("plot_saved.png")));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("plot_printed.pdf")));
    printer.setPageOrientation(QPageLayout::Landscape);
    form->PrintTo(printer);
    {
        // The same page drawn at 100 pixels per inch, landscape letter, for a look at it.
        QImage page(1100, 850, QImage::Format_RGB32);
        page.fill(Qt::lightGray);
        QPainter painter(&page);
        form->RenderPage(painter, 100, 100, 25, 25, 1050, 800);
        painter.end();
        ok &= page.save(out.filePath(QStringLiteral("plot_page.png")));
    }
    std::printf("wrote %s\n", qPrintable(out.filePath(QStringLiteral("plot_printed.pdf"))));
    ok &= Save(&main, out.filePath(QStringLiteral("plot_title.png")));

    // A plot with its X axis on top (values growing downward), doubled texts and thick lines.
    TGraphPlot* dxyz = plots[16];
    dxyz->SetLineCount(3);
    dxyz->SetPointCount(26);
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 26; ++j) {
            dxyz->Points(k, j)->X = j;
            dxyz->Points(k, j)->Y = (k + 1) * 1.0e-4L / (1 + std::pow((j - 12.0L) / (3 + k), 2));
        }
    dxyz->SetXOnTop(true);
    dxyz->SetMarkers(2);
    dxyz->ShowPlot();
    if (TPlotForm* top = dxyz->PlotWindow()) {
        top->SizeClick(15);
        top->WidthClick(2);
        ok &= Save(&main, out.filePath(QStringLiteral("plot_xontop.png")));
    }
    return ok ? 0 : 1;
}
