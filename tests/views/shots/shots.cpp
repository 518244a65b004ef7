// Screenshots of the side views, the top view and the amplitude dialog (run under xvfb-run):
//     view_shots <output folder> [project file]
// The views show the six-pile group of the examples; the amplitude dialog a made-up resonance.
#include "ampplot.h"
#include "dataunit.h"
#include "entry/dataedit.h"
#include "plotform.h"
#include "pltdata.h"
#include "project.h"
#include "sideview.h"
#include "topview.h"
#include "mainform.h"
#include "registerwindows.h"
#include "util/messages.h"
#include "viewprint.h"

#include <QImage>
#include <QPainter>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QTest>

#include <clocale>
#include <cmath>
#include <cstdio>

namespace {

void Shot(QWidget& w, const QString& path)
{
    w.show();
    QTest::qWait(300);
    w.grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

// The main window with the views in its MDI area, after a harmonic run of the real engine,
// and the amplitude dialog over the response of that run.
int MainWindowShots(const QString& out)
{
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    const QString deck = out + QStringLiteral("/single-pile-harmonic.tmx");
    for (const char* ext : {".tmx", ".tmm"}) {
        const QString target = out + QStringLiteral("/single-pile-harmonic") + QLatin1String(ext);
        QFile::remove(target);
        QFile::copy(QStringLiteral(TREMEX_SOURCE_DIR "/examples/single-pile-harmonic") + QLatin1String(ext), target);
    }
    TMainForm main;
    RegisterWindows::RegisterViews(main);
    main.SetEngineLibraryPath(QStringLiteral(TREMCALC_PATH));
    main.SetCommandLine({});
    main.CreateDialogs();
    main.resize(1200, 800);
    main.show();
    QTest::qWait(200);
    try {
        main.OpenFileName(deck);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    main.CompRunClick();
    for (const QString& t : recorder.Texts()) std::printf("message: %s\n", qPrintable(t));
    for (TChildKind kind : {TChildKind::TopView, TChildKind::SideViewXZ, TChildKind::SideViewYZ})
        if (!main.ShowChild(kind)) std::fprintf(stderr, "view not made\n");
    // First as they open (each at its own size), then tiled.
    QTest::qWait(300);
    main.grab().save(out + QStringLiteral("/mainwindow-views-untiled.png"));
    std::printf("%s\n", qPrintable(out + QStringLiteral("/mainwindow-views-untiled.png")));
    main.MdiArea()->tileSubWindows();
    QTest::qWait(300);
    main.grab().save(out + QStringLiteral("/mainwindow-views.png"));
    std::printf("%s\n", qPrintable(out + QStringLiteral("/mainwindow-views.png")));
    TGraphPlot* d = main.Plot(QStringLiteral("pltDxyzR"));
    std::printf("response points: %d\n", d ? d->PointCount() : -1);
    TDlgAmpPlot amp(main.Project(), d, main.Plot(QStringLiteral("pltMxyzR")), &main);
    amp.show();
    QTest::qWait(300);
    amp.grab().save(out + QStringLiteral("/ampplot-run.png"));
    std::printf("%s\n", qPrintable(out + QStringLiteral("/ampplot-run.png")));
    return 0;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QString file = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : QStringLiteral(TREMEX_SOURCE_DIR "/examples/pile-group-random.tmx");
    QDir().mkpath(out);
    if (argc > 2 && QString::fromLocal8Bit(argv[2]) == QLatin1String("--main")) {
        QApplication::setOrganizationName(QStringLiteral("Halvane"));
        QApplication::setApplicationName(QStringLiteral("TREMEX-shots"));
        return MainWindowShots(out);
    }
    TProject project;
    try {
        project.Open(file);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    TDlgSideViewXZ xz(project);
    Shot(xz, out + QStringLiteral("/sideview-xz.png"));
    TDlgSideViewYZ yz(project);
    Shot(yz, out + QStringLiteral("/sideview-yz.png"));
    TDlgTopView top(project);
    top.show();
    QTest::qWait(200);
    top.FormActivate();  // the second activation also fits the outline
    Shot(top, out + QStringLiteral("/topview.png"));

    // The printed profile pages, drawn on a letter sheet at 300 dpi and saved at a quarter size.
    auto page = [&](const QString& path, const std::function<void(QPainter&, int, int)>& draw) {
        QImage image(3300, 2550, QImage::Format_RGB32);
        image.setDotsPerMeterX(11811);
        image.setDotsPerMeterY(11811);
        image.fill(Qt::white);
        QPainter painter(&image);
        draw(painter, image.width(), image.height());
        painter.end();
        image.scaled(825, 638, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(path);
        std::printf("%s\n", qPrintable(path));
    };
    page(out + QStringLiteral("/profile-xz.png"), [&](QPainter& p, int w, int h) {
        ViewPrint::DrawSidePage(p, w, h, SideView::FitWindow(xz.WorldWindow(), w, int(0.8 * h)), SideView::LayerDrawing(project.Data()), xz.Outlines());
    });
    page(out + QStringLiteral("/profile-top.png"), [&](QPainter& p, int w, int h) {
        ViewPrint::DrawTopPage(p, w, h, TopView::FitWindow(top.WorldWindow(), w, h), top.Spans(), top.Circles());
    });

    // A single-degree resonance near 18 Hz for the amplitude dialog.
    TGraphPlot dxyz, mxyz;
    const int n = 40;
    for (TGraphPlot* p : {&dxyz, &mxyz}) {
        p->SetLineCount(3);
        p->SetPointCount(n);
    }
    for (int i = 0; i < n; ++i) {
        const long double f = 1 + i;
        for (int k = 0; k < 3; ++k) {
            const long double fn = 14 + 4 * k, r = f / fn;
            const long double amp = 1e-4L / std::sqrt((1 - r * r) * (1 - r * r) + 0.04L * r * r);
            dxyz.Points(k, i)->X = mxyz.Points(k, i)->X = f;
            dxyz.Points(k, i)->Y = amp * (1 + 0.5L * k);
            mxyz.Points(k, i)->Y = amp * 1e-2L * (3 - k);
        }
    }
    project.Data().CGLocalZ = 1.2L;
    TDlgAmpPlot amp(project, &dxyz, &mxyz);
    amp.show();
    QTest::qWait(200);
    amp.Edit(0)->setText(QStringLiteral("2.5"));
    Shot(amp, out + QStringLiteral("/ampplot.png"));
    return 0;
}
