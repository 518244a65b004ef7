// The 3-D view: model extents, the drawn picture, the view transforms against hand-computed
// matrices, the mouse, saving, printing and closing.
#include "gl/block.h"

#include "gl_fixture.h"
#include "util/messages.h"
#include "util/pagesetup.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrinter>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>

using gltest::Near;
using gltest::Rgb;

namespace {

using Mat3 = std::array<std::array<long double, 3>, 3>;

constexpr long double kDeg = std::numbers::pi_v<long double> / 180;

QString TmpDir()
{
    const QString dir = QStringLiteral(TEST_TMP_DIR);
    QDir().mkpath(dir);
    return dir;
}

// The four-pile project in a 600 x 400 view on screen.
class BlockView : public ::testing::Test {
protected:
    void SetUp() override
    {
        gltest::FourPileProject(project);
        view = std::make_unique<TDlgBlock>(&project.Data());
        view->resize(600, 400);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        ASSERT_EQ(view->GL()->size(), QSize(600, 400));
        Frame();
        ASSERT_TRUE(view->GL()->HasContext());
    }

    // One frame of the window, as shown.
    QImage Frame() { return view->GL()->grabFramebuffer(); }

    // The fit scale of the four-pile project in 600 x 400, front view: the drawn model reaches
    // from 0.45 above the ground (the block) to 14 below it (12 of piles and side layers, the
    // bottom layer of 2) in 400 - 50 pixels, and across the soil slabs (twice the plan, 8) in
    // 600 - 50.
    static long double HandScale() { return std::min(350.0L / 14.45L, 550.0L / 8); }
    // The pan that centres the drawn model: half way between 0.45 and -14.
    static constexpr std::array<long double, 3> kFramePan{0, 0, (14 - 0.45L) / 2};
    // Drawing checks that count from the ground at the window's centre.
    void GroundAtCentre()
    {
        view->ViewPan = {0, 0, 0};
        Frame();
    }

    // The kept matrix against s * R and the translation s * R * pan. OpenGL keeps its matrices
    // in single precision: the tolerance is a few units of the float's last place.
    void ExpectMatrix(const Mat3& R, long double s, const std::array<long double, 3>& pan)
    {
        const auto& m = view->ModelViewMatrix;
        const double tol = 1e-6 * double(s) * (1 + std::fabs(double(pan[0])) + std::fabs(double(pan[1])) +
                                               std::fabs(double(pan[2])));
        for (int r = 0; r < 3; ++r) {
            long double t = 0;
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(double(m[size_t(c * 4 + r)]), double(s * R[size_t(r)][size_t(c)]), tol)
                    << "row " << r << " column " << c;
                t += R[size_t(r)][size_t(c)] * pan[size_t(c)];
            }
            EXPECT_NEAR(double(m[size_t(12 + r)]), double(s * t), tol) << "translation " << r;
        }
        EXPECT_NEAR(double(m[15]), 1.0, 1e-12);
    }

    // Screen pixel (column, row from the top) of a model point through the kept matrix.
    QPointF Project(long double x, long double y, long double z) const
    {
        const auto& m = view->ModelViewMatrix;
        const long double vx = m[0] * x + m[4] * y + m[8] * z + m[12];
        const long double vy = m[1] * x + m[5] * y + m[9] * z + m[13];
        return QPointF(double(300 + vx), double(200 - vy));
    }

    TProject project;
    std::unique_ptr<TDlgBlock> view;
};

// A green pixel (the zoom-window box) within one pixel of (x, y).
bool GreenAround(const QImage& image, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (Near(image.pixel(x + dx, y + dy), 0, 255, 0, 10)) return true;
    return false;
}

// Rotation about x by -90 degrees (model z up the screen): every frame begins with it.
const Mat3 kFront = {{{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}};

}  // namespace

TEST(BlockModel, ExtentsOfTheProject)
{
    struct Case {
        const char* what;
        std::function<void(TProject&)> setUp;
        long double thickness;
        bool embedded;
        std::array<long double, 3> min, max;
        long double reach, layerDefault;
    };
    const Case cases[] = {
        {"four piles, cap on the ground", [](TProject& p) { gltest::FourPileProject(p); }, 0.45L, false,
         {-2, -1.5L, -12}, {2, 1.5L, 0.45L}, 12.45L, 2},
        {"four piles, cap in 1.5 of side soil",
         [](TProject& p) {
             gltest::FourPileProject(p);
             p.Tables().pilecapsoil->SetRowCount(2);
             gltest::Row(p.Tables().pilecapsoil, 0, {1});
             gltest::Row(p.Tables().pilecapsoil, 1, {0.5L});
         },
         1.5L, true, {-2, -1.5L, -13.5L}, {2, 1.5L, 0}, 13.5L, 2},
        {"circular half-space footing without layers",
         [](TProject& p) {
             p.Data().ShapeCode = 1;
             p.Data().Radius = 2;
             p.Tables().D1->SetRowCount(1);
         },
         0.6L, false, {-2, -2, 0}, {2, 2, 0.6L}, 2, 2},
        {"rectangular half-space footing in 1 + 2 of layers",
         [](TProject& p) {
             p.Data().LengthX = 6;
             p.Data().WidthY = 2;
             p.Tables().D1->SetRowCount(2);
             gltest::Row(p.Tables().D1, 0, {1});
             gltest::Row(p.Tables().D1, 1, {2});
         },
         3, true, {-3, -1, -6}, {3, 1, 0}, 6, 3},
        {"stratum footing, base 2.5 deep, no layers",
         [](TProject& p) {
             p.Data().FoundationWord = QStringLiteral("STRATUM");
             p.Data().LengthX = 4;
             p.Data().WidthY = 4;
             p.Data().BaseDepth = 2.5L;
         },
         2.5L, false, {-2, -2, 0}, {2, 2, 2.5L}, 2.5L, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProject project;
        c.setUp(project);
        TDlgBlock view(&project.Data());
        view.GetMaxDims();
        EXPECT_NEAR(double(view.CapThickness), double(c.thickness), 1e-12);
        EXPECT_EQ(view.CapEmbedded, c.embedded);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(double(view.ModelMin[size_t(i)]), double(c.min[size_t(i)]), 1e-12) << i;
            EXPECT_NEAR(double(view.ModelMax[size_t(i)]), double(c.max[size_t(i)]), 1e-12) << i;
        }
        EXPECT_NEAR(double(view.ModelReach), double(c.reach), 1e-12);
        EXPECT_NEAR(double(view.LayerDefaultThickness), double(c.layerDefault), 1e-12);
    }
    // Without a project nothing is set.
    TDlgBlock none(static_cast<const TProgramData*>(nullptr));
    none.GetMaxDims();
    EXPECT_EQ(none.ModelReach, 0);
}

TEST(BlockModel, DepthLabelsAndPalette)
{
    EXPECT_EQ(TDlgBlock::GetValueLabel(0.0005L), QStringLiteral("5.000E-04"));
    EXPECT_EQ(TDlgBlock::GetValueLabel(-0.0L), QStringLiteral("0.000E+00"));
    EXPECT_EQ(TDlgBlock::GetValueLabel(12.5L), QStringLiteral("12.500"));
    EXPECT_EQ(TDlgBlock::GetValueLabel(0.001L), QStringLiteral("1.000E-03"));
    EXPECT_EQ(TDlgBlock::GetValueLabel(123456), QStringLiteral("1.235E+05"));
    EXPECT_EQ(TDlgBlock::GetValueLabel(99999.5L), QStringLiteral("99999.500"));
    const std::array<float, 3> teal{0, 0.5f, 0.5f};
    EXPECT_EQ(TDlgBlock::LayerColour(0), teal);
    EXPECT_EQ(TDlgBlock::LayerColour(5), teal);
    EXPECT_EQ(TDlgBlock::LayerColour(12), teal);
    EXPECT_EQ(TDlgBlock::LayerColour(1), (std::array<float, 3>{0.8f, 0.55f, 0}));
}

TEST_F(BlockView, FitAndFrontViewMatrix)
{
    EXPECT_TRUE(view->ViewActivated);
    EXPECT_NEAR(double(view->ViewScale), double(HandScale()), 1e-9);
    ExpectMatrix(kFront, HandScale(), kFramePan);
}

TEST_F(BlockView, PresetViewsReverseAndZoomAsMatrices)
{
    const long double s = HandScale();
    view->Zooming(1.4142L);
    view->Zooming(1.4142L);
    view->SetView(1);
    EXPECT_EQ(view->ViewZoom, 1.4142L * 1.4142L);
    Frame();
    ExpectMatrix(kFront, s * 1.4142L * 1.4142L, kFramePan);
    view->Zooming(0.7071135624381275633L);
    view->Zooming(0.7071135624381275633L);
    EXPECT_NEAR(double(view->ViewZoom), 1.0, 1e-15);
    view->ViewZoom = 1;

    // View 3: (90, 0, 0) cancels the first rotation: the plan, y up the screen.
    // Each preset frames the drawn model anew (x -4..4, y -3..3, z -14..0.45).
    view->SetView(3);
    Frame();
    const long double plan = std::min(550.0L / 8, 350.0L / 6);
    ExpectMatrix({{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, plan, kFramePan);
    // View 2: (0, 0, 90): Rx(-90) Rz(90); y across, z up.
    view->SetView(2);
    Frame();
    ExpectMatrix({{{0, -1, 0}, {0, 0, 1}, {-1, 0, 0}}}, std::min(550.0L / 6, 350.0L / 14.45L), kFramePan);
    // View 1 reversed: (0, 0, 180).
    view->SetView(1);
    view->ReverseView();
    Frame();
    ExpectMatrix({{{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}}, s, kFramePan);
    // View 4: (22.5, 0, 45): Rx(-67.5) Rz(45) written out.
    view->SetView(4);
    EXPECT_EQ(view->ViewRotation, (std::array<long double, 3>{22.5L, 0, 45}));
    Frame();
    const long double ct = std::cos(-67.5L * kDeg), st = std::sin(-67.5L * kDeg);
    const long double cp = std::cos(45 * kDeg), sp = std::sin(45 * kDeg);
    // The box's half sizes 4, 3, 7.225 seen through the rows of the rotation.
    const long double across = cp * 4 + sp * 3, down = std::fabs(ct * sp) * 4 + std::fabs(ct * cp) * 3 + std::fabs(st) * 7.225L;
    ExpectMatrix({{{cp, -sp, 0}, {ct * sp, ct * cp, -st}, {st * sp, st * cp, ct}}},
                 std::min(550 / (2 * across), 350 / (2 * down)), kFramePan);
    // Any other view keeps the angles; the reset clears zoom and angles.
    view->SetView(5);
    EXPECT_EQ(view->ViewRotation, (std::array<long double, 3>{22.5L, 0, 45}));
    view->Zooming(3);
    view->ViewPan = {1, 2, 3};
    view->RestartViewButtonClick();
    EXPECT_EQ(view->ViewZoom, 1.0L);
    EXPECT_EQ(view->ViewPan, kFramePan);
    EXPECT_EQ(view->ViewRotation, (std::array<long double, 3>{0, 0, 0}));
    // A pan enters as s * R * pan.
    view->ViewPan = {0.5L, -1, 2};
    Frame();
    ExpectMatrix(kFront, s, {0.5L, -1, 2});
}

TEST_F(BlockView, OffscreenPictureShowsTheBlockWhereItMustBe)
{
    GroundAtCentre();
    {
        // Unzoomed: the second pile section lies in the second slab (colour 1: 0.8, 0.55, 0).
        const QImage whole = view->RenderOffscreen();
        const long double s = HandScale();
        const QRgb p = whole.pixel(int(std::lround(300 + s * 3)), int(std::lround(200 + s * 7)));
        EXPECT_TRUE(Near(p, 230, 198, 128)) << Rgb(p).toStdString();
    }
    view->Zooming(2);
    const QImage picture = view->RenderOffscreen();
    ASSERT_EQ(picture.size(), QSize(600, 400));
    EXPECT_EQ(picture.depth(), 24);
    EXPECT_GT(gltest::CountNonWhite(picture), 20000);
    picture.save(TmpDir() + QStringLiteral("/four-piles-front.png"));

    // Front view: screen x = s (x + pan x), screen y = s (z + pan z), the ground at the centre.
    const long double s = 2 * HandScale();
    auto pixel = [&](long double x, long double z) {
        return picture.pixel(int(std::lround(300 + s * x)), int(std::lround(200 - s * z)));
    };
    // The block face (0.25 grey) inside its edges: x in -2..2, z in 0..0.45.
    for (long double x : {-1.5L, -0.5L, 1.0L, 1.8L})
        for (long double z : {0.1L, 0.225L, 0.35L})
            EXPECT_TRUE(Near(pixel(x, z), 64, 64, 64)) << "block at " << double(x) << ", " << double(z) << ": "
                                                       << Rgb(pixel(x, z)).toStdString();
    // Above the block and beside the soil slab (twice the plan: x in -4..4): white.
    EXPECT_TRUE(Near(pixel(1, 1.5L), 255, 255, 255));
    EXPECT_TRUE(Near(pixel(4.8L, -2), 255, 255, 255));
    // A pile (0.5 grey) behind the first soil slab (colour 0, teal, half transparent).
    EXPECT_TRUE(Near(pixel(1.2L, -2.5L), 64, 128, 128)) << Rgb(pixel(1.2L, -2.5L)).toStdString();
    // The slab alone over the white ground between the piles.
    EXPECT_TRUE(Near(pixel(3, -2.5L), 128, 191, 191)) << Rgb(pixel(3, -2.5L)).toStdString();

    // The window shows the same picture.
    const QImage shown = Frame().convertToFormat(QImage::Format_RGB888);
    int differ = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 600; ++x)
            if (!Near(shown.pixel(x, y), qRed(picture.pixel(x, y)), qGreen(picture.pixel(x, y)),
                      qBlue(picture.pixel(x, y)), 4))
                ++differ;
    EXPECT_LT(differ, 600 * 4) << "pixels differing between window and bitmap";
}

TEST_F(BlockView, ShowOptionsRebuildTheLists)
{
    GroundAtCentre();
    view->Zooming(2);
    const long double s = 2 * HandScale();
    const QPoint blockPoint(int(std::lround(300 + s * 1.0L)), int(std::lround(200 - s * 0.225L)));
    EXPECT_TRUE(Near(Frame().pixel(blockPoint), 64, 64, 64));
    view->ShowPileCapOption();
    EXPECT_FALSE(view->PileCapVisible());
    EXPECT_FALSE(view->GL()->TakeSetupDone());  // the next paint sets up again
    view->GL()->RequestSetup();
    EXPECT_TRUE(Near(Frame().pixel(blockPoint), 255, 255, 255));
    view->ShowPileCapOption();
    EXPECT_TRUE(Near(Frame().pixel(blockPoint), 64, 64, 64));

    // Soil layers off: the pile shows in its own grey.
    const QPoint pilePoint(int(std::lround(300 + s * 1.2L)), int(std::lround(200 + s * 2.5L)));
    view->ShowSoilLayersOption();
    EXPECT_TRUE(Near(Frame().pixel(pilePoint), 128, 128, 128)) << Rgb(Frame().pixel(pilePoint)).toStdString();
    view->ShowAllPilesOption();
    EXPECT_TRUE(Near(Frame().pixel(pilePoint), 255, 255, 255));
    view->ShowAllPilesOption();
    view->ShowSoilLayersOption();

    // Labels and numbers add dark or red text somewhere.
    const int plain = gltest::CountNonWhite(Frame());
    view->ShowPileNumbersOption();
    view->ShowSoilLayerLabelsOption();
    view->ShowSoilLayerDepthLabelsOption();
    view->SetView(4);
    view->RestartViewButtonClick();
    const QImage labelled = Frame();
    EXPECT_NE(gltest::CountNonWhite(labelled), plain);
    labelled.save(TmpDir() + QStringLiteral("/four-piles-labels.png"));
}

TEST(BlockModel, EmptySlabsKeepTheColourAndTheBottomIsColourFour)
{
    // Half-space footing 4 x 2 in layers 1, 0, 1: the drawn slabs get colours 0 and 1, the
    // bottom colour 4; the block (embedded, 2 thick) sits inside the first slab.
    TProject project;
    project.Data().LengthX = 4;
    project.Data().WidthY = 2;
    project.Tables().D1->SetRowCount(3);
    gltest::Row(project.Tables().D1, 0, {1});
    gltest::Row(project.Tables().D1, 1, {0});
    gltest::Row(project.Tables().D1, 2, {1});
    TDlgBlock view(&project.Data());
    view.resize(600, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.ViewPan = {0, 0, 0};  // the ground at the window's centre, half the fit
    view.ViewZoom = 0.5L;
    view.GL()->grabFramebuffer();
    const QImage picture = view.RenderOffscreen();
    const long double s = view.ViewScale * view.ViewZoom;
    auto pixel = [&](long double x, long double z) {
        return picture.pixel(int(std::lround(300 + s * x)), int(std::lround(200 - s * z)));
    };
    // Beside the block (x 2..6 is slab only), half over white.
    EXPECT_TRUE(Near(pixel(3, -0.5L), 128, 191, 191)) << Rgb(pixel(3, -0.5L)).toStdString();
    EXPECT_TRUE(Near(pixel(3, -1.5L), 230, 198, 128)) << Rgb(pixel(3, -1.5L)).toStdString();
    // Bottom layer (2 thick, the larger half-size): colour 4 (0.4, 0.4, 0.55).
    EXPECT_TRUE(Near(pixel(3, -3), 179, 179, 198)) << Rgb(pixel(3, -3)).toStdString();
    // Inside the block's outline the dark block shows through the first slab.
    EXPECT_TRUE(Near(pixel(1, -0.5L), 32, 96, 96)) << Rgb(pixel(1, -0.5L)).toStdString();
}

TEST_F(BlockView, PanDragWithShiftMovesAlongTheLargerDisplacementOnly)
{
    GroundAtCentre();
    const long double s = HandScale();
    view->MouseMode = 1;
    view->GLMouseDown(TMouseButton::mbLeft, ssLeft | ssShift, 300, 200);
    EXPECT_EQ(view->DragState(), 1);
    view->GLMouseMove(ssLeft | ssShift, 400, 230);  // 100 right, 30 down
    EXPECT_NEAR(double(view->ViewPan[0]), double(100 / s), 1e-6);
    EXPECT_NEAR(double(view->ViewPan[2]), 0, 1e-6);
    view->GLMouseUp(TMouseButton::mbLeft, ssShift, 400, 230);
    EXPECT_EQ(view->DragState(), 0);
    const QPointF before = Project(0, 0, 0);
    Frame();
    EXPECT_NEAR(Project(0, 0, 0).x(), 300 + 100, 1e-4);
    EXPECT_NEAR(Project(0, 0, 0).y(), before.y(), 1e-4);
    EXPECT_NEAR(before.x(), 300, 1e-4);

    // Without Shift the model follows both ways: 100 left, 30 down.
    view->GLMouseDown(TMouseButton::mbLeft, ssLeft, 300, 200);
    view->GLMouseMove(ssLeft, 200, 230);
    view->GLMouseUp(TMouseButton::mbLeft, TShiftState(), 200, 230);
    Frame();
    EXPECT_NEAR(Project(0, 0, 0).x(), 300, 1e-4);
    EXPECT_NEAR(Project(0, 0, 0).y(), 230, 1e-4);

    // A right-button drag moves nothing on the way, all at the release.
    const auto panBefore = view->ViewPan;
    view->GLMouseDown(TMouseButton::mbRight, ssRight, 300, 200);
    view->GLMouseMove(ssRight, 350, 200);
    EXPECT_EQ(view->ViewPan, panBefore);
    view->GLMouseUp(TMouseButton::mbRight, TShiftState(), 350, 200);
    EXPECT_NEAR(double(view->ViewPan[0] - panBefore[0]), double(50 / s), 1e-6);
}

TEST_F(BlockView, RotateAndZoomDrags)
{
    // Half the window height downward: 45 degrees about the screen's horizontal axis.
    view->MouseMode = 3;
    view->GLMouseDown(TMouseButton::mbLeft, ssLeft, 300, 100);
    view->GLMouseMove(ssLeft, 300, 300);
    view->GLMouseUp(TMouseButton::mbLeft, TShiftState(), 300, 300);
    EXPECT_NEAR(double(view->ViewRotation[0]), 45, 1e-5);
    EXPECT_NEAR(double(view->ViewRotation[1]), 0, 1e-5);
    EXPECT_NEAR(double(view->ViewRotation[2]), 0, 1e-5);
    // In view 2 (R rows (0, -1, 0), (0, 0, 1), (-1, 0, 0)) the screen's x axis is model -y.
    view->SetView(2);
    Frame();
    view->GLMouseDown(TMouseButton::mbLeft, ssLeft, 300, 100);
    view->GLMouseMove(ssLeft, 300, 300);
    view->GLMouseUp(TMouseButton::mbLeft, TShiftState(), 300, 300);
    EXPECT_NEAR(double(view->ViewRotation[0]), 0, 1e-5);
    EXPECT_NEAR(double(view->ViewRotation[1]), -45, 1e-5);
    EXPECT_NEAR(double(view->ViewRotation[2]), 90, 1e-5);

    // Zoom: a quarter height up enlarges by 1.25; down the full height keeps a small factor.
    view->MouseMode = 2;
    view->GLMouseDown(TMouseButton::mbLeft, ssLeft, 300, 200);
    view->GLMouseMove(ssLeft, 300, 100);
    EXPECT_NEAR(double(view->ViewZoom), 1.25, 1e-12);
    view->GLMouseUp(TMouseButton::mbLeft, TShiftState(), 300, 100);
    view->GLMouseDown(TMouseButton::mbLeft, ssLeft, 300, 0);
    view->GLMouseMove(ssLeft, 300, 400);
    EXPECT_GT(view->ViewZoom, 0);
    EXPECT_LT(view->ViewZoom, 0.1);
    view->GLMouseUp(TMouseButton::mbLeft, TShiftState(), 300, 400);
}

TEST_F(BlockView, ZoomWindowCentresTheBoxAndZoomsBySix)
{
    GroundAtCentre();
    view->MouseMode = 4;
    view->ZoomWindowArmed = true;
    const long double s = HandScale();
    // The model point under the centre (150, 125) of the box, at y = 0.
    const long double px = (150 - 300) / s, pz = (200 - 125) / s;
    view->GLMouseDown(TMouseButton::mbLeft, ssLeft, 100, 100);
    EXPECT_TRUE(view->SelectionActive());
    view->GLMouseMove(ssLeft, 200, 150);
    const QImage withBox = Frame();
    // The green box from (100, 100) to (200, 150).
    EXPECT_TRUE(GreenAround(withBox, 150, 100));
    EXPECT_TRUE(GreenAround(withBox, 100, 125));
    EXPECT_TRUE(GreenAround(withBox, 200, 140));
    EXPECT_FALSE(GreenAround(withBox, 150, 125));
    view->GLMouseUp(TMouseButton::mbLeft, TShiftState(), 200, 150);
    EXPECT_FALSE(view->SelectionActive());
    EXPECT_NEAR(double(view->ViewZoom), 6.0, 1e-12);  // min(400 / 50, 600 / 100)
    Frame();
    const QPointF centre = Project(px, 0, pz);
    EXPECT_NEAR(centre.x(), 300, 1e-4);
    EXPECT_NEAR(centre.y(), 200, 1e-4);
    const QImage after = Frame();
    EXPECT_FALSE(GreenAround(after, 150, 100));  // the box is gone

    // A box without height changes nothing; a right press never starts a box.
    const auto pan = view->ViewPan;
    view->GLMouseDown(TMouseButton::mbLeft, ssLeft, 100, 100);
    view->GLMouseMove(ssLeft, 200, 100);
    view->GLMouseUp(TMouseButton::mbLeft, TShiftState(), 200, 100);
    view->GLMouseDown(TMouseButton::mbRight, ssRight, 100, 100);
    view->GLMouseUp(TMouseButton::mbRight, TShiftState(), 300, 300);
    EXPECT_EQ(view->ViewPan, pan);
    EXPECT_NEAR(double(view->ViewZoom), 6.0, 1e-12);
}

TEST_F(BlockView, SaveBitmapWritesA24BitFile)
{
    const QString path = TmpDir() + QStringLiteral("/view.bmp");
    QFile::remove(path);
    int asked = 0;
    view->ChooseBitmapFile = [&](QWidget*) {
        ++asked;
        return asked == 1 ? QString() : path;  // cancelled the first time
    };
    view->SaveBitmapButtonClick();
    EXPECT_FALSE(QFile::exists(path));
    view->SaveBitmapButtonClick();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    auto le32 = [&](int at) {
        return int32_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8 | uint8_t(bytes[at + 2]) << 16 |
                       uint32_t(uint8_t(bytes[at + 3])) << 24);
    };
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(le32(18), 600);
    EXPECT_EQ(le32(22), 400);
    EXPECT_EQ(uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8, 24);
    EXPECT_EQ(bytes.size(), 54 + 400 * 600 * 3);  // rows of 1800 bytes need no padding
    QImage back(path);
    EXPECT_EQ(back.size(), QSize(600, 400));

    // A file that cannot be written is reported.
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    view->ChooseBitmapFile = [](QWidget*) { return QStringLiteral("/nonexistent-folder/view.bmp"); };
    view->SaveBitmapButtonClick();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(),
              QStringLiteral("The file /nonexistent-folder/view.bmp could not be written: No such file or directory"));
}

TEST(BlockPrint, PlacementOnThePage)
{
    const int inch[4] = {1000, 1000, 1000, 1000};
    // Letter paper at 600 dpi, printable area offset by 100 and 50 pixels: one inch from each
    // paper edge, the width (paper less two inches) reached first by a 600 x 400 bitmap.
    const int pageW = 5100 - 200, pageH = 6600 - 100;
    EXPECT_EQ(TDlgBlock::PrintRectangle(inch, 600, 600, 100, 50, pageW, pageH, 600, 400),
              QRect(500, 550, 3900, 2600));
    // A wide bitmap on a landscape page: the height is reached first.
    EXPECT_EQ(TDlgBlock::PrintRectangle(inch, 600, 600, 0, 0, 6600, 5100, 1000, 200), QRect(600, 600, 5400, 1080));
    // Offsets above the margin win; the picture then starts at the printable area's corner.
    const int small[4] = {100, 100, 100, 100};
    EXPECT_EQ(TDlgBlock::PrintRectangle(small, 600, 600, 120, 90, 4860, 6420, 100, 100).topLeft(), QPoint(0, 0));
}

TEST_F(BlockView, PrintsToAPdfFile)
{
    EXPECT_EQ(view->PageSetupDialog()->MarginLeft(), 1000);
    EXPECT_EQ(view->PageSetupDialog()->MarginBottom(), 1000);
    EXPECT_EQ(view->PageSetupDialog()->MinMarginTop(), 0);
    EXPECT_TRUE(view->PageSetupDialog()->Options().testFlag(poThousandthsOfInches));
    const QString path = TmpDir() + QStringLiteral("/view.pdf");
    QFile::remove(path);
    QPrinter* used = nullptr;
    view->ChoosePrinter = [&](QWidget*, QPrinter& printer) {
        used = &printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    };
    view->PrintButtonClick();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.size(), 5000);  // the picture is in it
    ASSERT_NE(used, nullptr);
    EXPECT_EQ(used->docName(), QStringLiteral("OPenGL figure"));

    // Cancelled: nothing printed.
    QFile::remove(path);
    view->ChoosePrinter = [](QWidget*, QPrinter&) { return false; };
    view->PrintButtonClick();
    EXPECT_FALSE(QFile::exists(path));
}

TEST(BlockClose, ClosingFreesTheViewAndTellsTheMainWindowOnce)
{
    TProject project;
    gltest::FourPileProject(project);
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    for (bool closeFrame : {true, false}) {
        SCOPED_TRACE(closeFrame ? "frame closed" : "view closed");
        int closed = 0;
        auto* view = new TDlgBlock(&project.Data());
        QObject::connect(view, &TDlgBlock::Closed3DView, [&] { ++closed; });
        QPointer<QMdiSubWindow> frame = area.addSubWindow(view);
        QPointer<TDlgBlock> guard(view);
        frame->show();
        QTest::qWait(50);
        if (closeFrame)
            frame->close();
        else
            view->close();
        for (int i = 0; i < 5 && (guard || frame); ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QTest::qWait(20);
        }
        EXPECT_EQ(closed, 1);
        EXPECT_TRUE(guard.isNull());
        EXPECT_TRUE(frame.isNull());
    }
}

TEST_F(BlockView, AxesKeepEightyPixelsAtEveryZoom)
{
    GroundAtCentre();
    for (long double zoom : {1.0L, 4.0L, 0.5L}) {
        SCOPED_TRACE(double(zoom));
        view->ViewZoom = zoom;
        const QImage frame = Frame();
        // The x axis (blue) runs from the origin at the centre 80 pixels to the right.
        EXPECT_TRUE(Near(frame.pixel(370, 200), 0, 0, 255, 10)) << Rgb(frame.pixel(370, 200)).toStdString();
        EXPECT_FALSE(Near(frame.pixel(400, 200), 0, 0, 255, 60)) << Rgb(frame.pixel(400, 200)).toStdString();
    }
}

TEST(BlockModel, BatteredAndEmbeddedPiles)
{
    // One pile 10 long (radius 0.42) under a 4 x 4 cap, soil layers hidden.
    struct Case {
        const char* what;
        int plane;       // 1 XZ, 2 YZ
        int view;        // preset view that shows the batter across the screen
        QPointF toward;  // screen direction (x right, y up) of the tip for +10 degrees
    };
    const Case cases[] = {
        {"XZ plane, +10 degrees turns by -10 about y: tip towards +x", 1, 1, {1, 0}},
        {"YZ plane, +10 degrees turns by +10 about x: tip towards +y", 2, 3, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProject project;
        TProgramData& d = project.Data();
        d.FoundationWord = QStringLiteral("PILE");
        d.LengthX = 4;
        d.WidthY = 4;
        gltest::Row(project.Tables().PileData, 0, {10, 0.3L, 0.3L});
        gltest::Row(project.Tables().Pilecoord, 0, {0, 0, 10});
        project.Tables().Pilecoord->Cell(3, 0)->SetAsInteger(c.plane);
        TDlgBlock view(&project.Data());
        view.resize(600, 400);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.ShowSoilLayersOption();
        view.ShowPileCapOption();
        view.SetView(c.view);
        view.ViewPan = {0, 0, 0};  // the pile head at the window's centre, half the fit
        view.ViewZoom = 0.5L;
        view.GL()->grabFramebuffer();
        const QImage picture = view.RenderOffscreen();
        // 8 along the pile axis, 5 pixels beside the axis lines.
        const long double s = view.ViewScale * view.ViewZoom, off = 8 * std::sin(10 * kDeg) * s;
        const QPoint tip(int(std::lround(300 + c.toward.x() * off + 5 * c.toward.y())),
                         int(std::lround(c.view == 1 ? 200 + 8 * std::cos(10 * kDeg) * s : 200 - off)));
        const QPoint mirror(int(std::lround(300 - c.toward.x() * off + 5 * c.toward.y())),
                            c.view == 1 ? tip.y() : int(std::lround(200 + off)));
        EXPECT_TRUE(Near(picture.pixel(tip), 128, 128, 128, 4)) << Rgb(picture.pixel(tip)).toStdString();
        EXPECT_TRUE(Near(picture.pixel(mirror), 255, 255, 255)) << Rgb(picture.pixel(mirror)).toStdString();
    }

    // Side soil 1.5 thick: the block lies below the ground and the pile starts at its underside.
    TProject project;
    gltest::FourPileProject(project);
    gltest::Row(project.Tables().pilecapsoil, 0, {1.5L});
    TDlgBlock view(&project.Data());
    view.resize(600, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.ShowSoilLayersOption();
    view.ViewPan = {0, 0, 0};  // the ground at the window's centre, half the fit
    view.ViewZoom = 0.5L;
    view.GL()->grabFramebuffer();
    EXPECT_TRUE(view.CapEmbedded);
    const QImage picture = view.RenderOffscreen();
    const long double s = view.ViewScale * view.ViewZoom;
    auto pixel = [&](long double x, long double z) {
        return picture.pixel(int(std::lround(300 + s * x)), int(std::lround(200 - s * z)));
    };
    EXPECT_TRUE(Near(pixel(1.5L, -0.75L), 64, 64, 64)) << Rgb(pixel(1.5L, -0.75L)).toStdString();
    EXPECT_TRUE(Near(pixel(1.2L, -3), 128, 128, 128)) << Rgb(pixel(1.2L, -3)).toStdString();
    EXPECT_TRUE(Near(pixel(1.5L, 0.3L), 255, 255, 255)) << Rgb(pixel(1.5L, 0.3L)).toStdString();
}

namespace {

// The rectangle of the picture's pixels that are not white.
QRect DrawnRect(const QImage& image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The whole model lies inside the picture with white all round, and fills it in one direction.
void ExpectFramed(const QImage& picture, const char* what)
{
    SCOPED_TRACE(what);
    const QRect drawn = DrawnRect(picture);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_GE(drawn.left(), 5) << drawn.left();
    EXPECT_GE(drawn.top(), 5) << drawn.top();
    EXPECT_LE(drawn.right(), picture.width() - 6) << drawn.right();
    EXPECT_LE(drawn.bottom(), picture.height() - 6) << drawn.bottom();
    EXPECT_TRUE(drawn.width() > picture.width() * 3 / 4 || drawn.height() > picture.height() * 3 / 4)
        << drawn.width() << " x " << drawn.height();
}

}  // namespace

TEST(BlockFrame, FirstViewPresetsAndResetShowTheWholeModel)
{
    struct Case {
        const char* what;
        QSize size;
        std::function<void(TProject&)> setUp;
    };
    const Case cases[] = {
        {"six-pile example, the form's size", QSize(739, 509),
         [](TProject& p) { p.Open(QStringLiteral(TREMEX_SOURCE_DIR "/examples/pile-group-random.tmx")); }},
        {"four piles, wide and low", QSize(900, 300), [](TProject& p) { gltest::FourPileProject(p); }},
        {"four piles, battered and embedded, narrow", QSize(360, 560),
         [](TProject& p) {
             gltest::FourPileProject(p);
             gltest::Row(p.Tables().pilecapsoil, 0, {1.5L});
             gltest::Row(p.Tables().Pilecoord, 1, {1.2L, -0.8L, 20});
             p.Tables().Pilecoord->Cell(3, 1)->SetAsInteger(1);
             gltest::Row(p.Tables().Pilecoord, 2, {-1.2L, 0.8L, 15});
             p.Tables().Pilecoord->Cell(3, 2)->SetAsInteger(2);
         }},
        {"stratum footing", QSize(739, 509),
         [](TProject& p) { p.Open(QStringLiteral(TREMEX_SOURCE_DIR "/examples/stratum-transient.tmx")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProject project;
        c.setUp(project);
        TDlgBlock view(&project.Data());
        view.resize(c.size);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        ExpectFramed(view.GL()->grabFramebuffer(), "first view");
        // The printed page is the off-screen picture stretched to the page.
        ExpectFramed(view.RenderOffscreen(), "first view, printed");
        for (int preset = 1; preset <= 4; ++preset) {
            view.SetView(preset);
            const std::string name = "preset " + std::to_string(preset);
            ExpectFramed(view.GL()->grabFramebuffer(), name.c_str());
            ExpectFramed(view.RenderOffscreen(), (name + ", printed").c_str());
        }
        view.ReverseView();
        ExpectFramed(view.GL()->grabFramebuffer(), "preset 4 reversed");
        view.Zooming(3);
        view.RestartViewButtonClick();
        ExpectFramed(view.GL()->grabFramebuffer(), "reset");
    }
}

// A multilayer shaft built through the forms (the radius in the layer table, the foundation-shape
// fields at 0) stands in the 3-D view as a cylinder of its layers' radius: in the front view the
// block's grey fills 2 r across, from the ground down its 3 m, inside the window.
TEST(BlockModel, ShaftTakesTheRadiusOfItsLayers)
{
    TProject project;
    TProgramData& d = project.Data();
    TProjectTables& t = project.Tables();
    d.FoundationWord = QStringLiteral("MULTILAYER");
    d.FoundationCode = 4;
    d.ShapeCode = 0;
    d.Radius = d.LengthX = d.WidthY = 0;
    const long double r = 0.5L;
    t.MultiElement->SetRowCount(3);
    t.D->SetRowCount(3);
    for (int i = 0; i < 3; ++i) {
        gltest::Row(t.MultiElement, i, {1, r, r, 0.785L, 0.049L, 0.049L, 0.098L});
        gltest::Row(t.D, i, {150.0L + 50 * i, 18, 0.3L});
    }
    TDlgBlock view(&d);
    view.resize(600, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.GL()->grabFramebuffer();
    EXPECT_NEAR(double(view.ModelMax[0]), double(r), 1e-12);
    EXPECT_NEAR(double(view.ModelMin[1]), double(-r), 1e-12);
    EXPECT_NEAR(double(view.ModelMin[2]), -3.0, 1e-12);
    view.ShowSoilLayersOption();  // the shaft alone
    view.ViewPan = {0, 0, 1.5L};  // its middle at the window's centre
    const QImage picture = view.GL()->grabFramebuffer();
    const QRect drawn = DrawnRect(picture);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_TRUE(QRect(5, 5, picture.width() - 10, picture.height() - 10).contains(drawn)) << "inside the window";
    const long double s = view.ViewScale * view.ViewZoom;
    // Grey across the middle row: 2 r wide.
    int grey = 0;
    for (int x = 0; x < picture.width(); ++x)
        if (Near(picture.pixel(x, 200), 64, 64, 64)) ++grey;
    EXPECT_NEAR(grey, double(2 * r * s), 3.0) << "scale " << double(s);
    // Grey down the shaft's axis: its whole length.
    int high = 0;
    for (int y = 0; y < picture.height(); ++y)
        if (Near(picture.pixel(300, y), 64, 64, 64)) ++high;
    EXPECT_NEAR(high, double(3 * s), 3.0);
}
