// Pictures of the 3-D view of the six-pile example project, on screen and inside an MDI frame,
// written as PNG files to look at (build folder tests/views/gl_tmp/shots).
#include "gl/block.h"

#include "gl_fixture.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString ShotDir()
{
    const QString dir = QStringLiteral(TEST_TMP_DIR) + QStringLiteral("/shots");
    QDir().mkpath(dir);
    return dir;
}

int CountColour(const QImage& image, int r, int g, int b)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (gltest::Near(image.pixel(x, y), r, g, b, 2)) ++n;
    return n;
}

}  // namespace

TEST(BlockShots, SixPileGroup)
{
    TProject project;
    project.Open(QStringLiteral(TREMEX_SOURCE_DIR "/examples/pile-group-random.tmx"));
    ASSERT_EQ(project.Data().FoundationWord, QStringLiteral("PILE"));
    ASSERT_EQ(project.Tables().Pilecoord->RowCount(), 6);

    TDlgBlock view(&project.Data());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Tremex, 3D-View"));
    EXPECT_EQ(view.size(), QSize(739, 509));

    const QImage front = view.grab().toImage();
    front.save(ShotDir() + QStringLiteral("/six-piles-front.png"));
    view.SetView(4);
    const QImage iso = view.grab().toImage();
    iso.save(ShotDir() + QStringLiteral("/six-piles-view4.png"));
    EXPECT_GT(CountColour(iso, 64, 64, 64), 500);  // the block's faces
    view.ShowPileNumbersOption();
    view.ShowSoilLayerLabelsOption();
    view.ShowSoilLayerDepthLabelsOption();
    view.grab().toImage().save(ShotDir() + QStringLiteral("/six-piles-view4-labels.png"));
    view.SetView(3);
    view.ShowSoilLayersOption();
    view.grab().toImage().save(ShotDir() + QStringLiteral("/six-piles-plan.png"));
    view.SaveBitmapTo(ShotDir() + QStringLiteral("/six-piles-plan.bmp"));
}

TEST(BlockShots, InsideAnMdiFrame)
{
    TProject project;
    project.Open(QStringLiteral(TREMEX_SOURCE_DIR "/examples/pile-group-random.tmx"));
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    auto* view = new TDlgBlock(&project.Data());
    QMdiSubWindow* frame = area.addSubWindow(view);
    frame->show();
    QTest::qWait(100);
    view->SetView(4);
    view->Zooming(1.4142L);
    QTest::qWait(100);
    const QImage shot = area.grab().toImage();
    shot.save(ShotDir() + QStringLiteral("/six-piles-mdi.png"));
    // What the X server shows, when imagemagick is there.
    if (!QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                     ShotDir() + QStringLiteral("/six-piles-screen.png")});
    EXPECT_GT(CountColour(shot, 64, 64, 64), 500);
    frame->close();
}
