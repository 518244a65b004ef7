// 3-D view of the foundation (unit Block).
#include "gl/block.h"

#include "dataunit.h"
#include "projecttables.h"
#include "table/table.h"
#include "util/docfolder.h"
#include "util/filedialog.h"
#include "util/guard.h"
#include "util/messages.h"
#include "util/pagesetup.h"
#include "util/printchoice.h"
#include "util/safewrite.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QImageWriter>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A failure of the view's own commands (bitmap file, printer).
class EBlockError : public Exception {
public:
    using Exception::Exception;
};

const QString kPile = QStringLiteral("PILE");
const QString kMultilayer = QStringLiteral("MULTILAYER");
const QString kStratum = QStringLiteral("STRATUM");
const QString kHalfSpace = QStringLiteral("HALF-SPACE");

constexpr int kSegments = 32;

// The value of a float cell; a missing table, column or row reads as 0.
long double CellFloat(const TGridTable* table, int column, int row)
{
    if (!table || row < 0 || row >= table->RowCount() || column < 0 || column >= table->ColumnCount()) return 0;
    return table->Cell(column, row)->GetAsFloat();
}

int32_t CellInteger(const TGridTable* table, int column, int row)
{
    if (!table || row < 0 || row >= table->RowCount() || column < 0 || column >= table->ColumnCount()) return 0;
    return table->Cell(column, row)->GetAsInteger();
}

int Rows(const TGridTable* table) { return table ? table->RowCount() : 0; }

long double SumColumn(const TGridTable* table, int column, int rows)
{
    long double sum = 0;
    for (int row = 0; row < std::min(rows, Rows(table)); ++row) sum += CellFloat(table, column, row);
    return sum;
}

// The largest radius of the shaft's first `rows` layers, as the engine computes with them (0
// when none has one).
long double LargestShaftRadius(const TProjectTables& t, int rows)
{
    long double r = 0;
    for (int row = 0; row < std::min(rows, Rows(t.MultiElement)); ++row) r = std::max(r, t.ShaftRadius(row));
    return r;
}

long double CirclePoint(int i, bool sine)
{
    const long double angle = 2.0L * std::numbers::pi_v<long double> * i / kSegments;
    return sine ? std::sin(angle) : std::cos(angle);
}

void Corner(long double x, long double y, long double z) { TglWindow::Vertex3d(x, y, z); }

// A face as a triangle fan from its centre through four corners and back to the first.
void Face(const long double c[3], const long double corners[4][3], bool reversed)
{
    TglWindow::Begin(TglWindow::TRIANGLE_FAN);
    Corner(c[0], c[1], c[2]);
    for (int i = 0; i <= 4; ++i) {
        const int k = reversed ? (4 - i) % 4 : i % 4;
        Corner(corners[k][0], corners[k][1], corners[k][2]);
    }
    TglWindow::End();
}

void Outline(const long double corners[4][3])
{
    TglWindow::Begin(TglWindow::LINE_STRIP);
    for (int i = 0; i <= 4; ++i) Corner(corners[i % 4][0], corners[i % 4][1], corners[i % 4][2]);
    TglWindow::End();
}

}  // namespace

// ---- Construction, form events ----

TDlgBlock::TDlgBlock(TProjectSource project, QWidget* parent) : QWidget(parent), m_project(std::move(project))
{
    setWindowTitle(QStringLiteral("Tremex, 3D-View"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(739, 509);
    m_gl = new TglWindow(this);
    m_gl->setGeometry(0, 0, 739, 509);
    m_gl->SetBackgroundColor(Qt::white);
    m_gl->SetBlending(false);
    m_gl->SetDepthTesting(false);
    m_gl->SetFOV(45.0);
    m_gl->SetShadeModel(TGLShadeModel::glSmooth);
    m_gl->OnPaint = [this] { glRender(); };
    m_gl->OnCreate = [this] { glSetupRC(); };
    m_gl->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) { GLMouseDown(b, s, x, y); };
    m_gl->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) { GLMouseUp(b, s, x, y); };
    m_gl->OnMouseMove = [this](TShiftState s, int x, int y) { GLMouseMove(s, x, y); };
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_pageSetup = std::make_unique<TPageSetupDialog>();
    m_pageSetup->SetPrinter(m_printer.get());
    FormCreate();
}

TDlgBlock::TDlgBlock(const TProgramData* project, QWidget* parent)
    : TDlgBlock(TProjectSource([project] { return project; }), parent)
{
}

TDlgBlock::~TDlgBlock() = default;

void TDlgBlock::FormCreate()
{
    MouseMode = 0;
    ZoomWindowArmed = false;
    AxesVisible = true;
    m_soilLayersVisible = true;
    m_pileNumbersVisible = false;
    m_pilesVisible = true;
    m_pileCapVisible = true;
    m_soilLayerLabelsVisible = false;
    m_soilLayerDepthLabelsVisible = false;
    CapThickness = 0;
    CapEmbedded = false;
    LayerDefaultThickness = 0;
    ViewRotation = {0, 0, 0};
    ViewZoom = 1.0;
    ViewScale = 1.0;
    ViewPan = {0, 0, 0};
    DrawDirect = false;
    ViewActivated = false;
    FontListsBuilt = false;
    ModelMin = ModelMax = ModelSpan = {0, 0, 0};
    ModelReach = 0;
    MinSpan = 0;
    ModelCentre = {0, 0};
    FrameMin = FrameMax = FrameRotation = {0, 0, 0};
    ModelViewMatrix.fill(0);
    m_dragState = 0;
    m_pressPoint = QPoint();
    m_dragStartValues = {0, 0, 0};
    m_zoomAtPress = 1.0;
    m_selectionActive = false;
    m_selectionPoint = QPoint();
    m_gl->MakeCurrent();
    m_gl->ReleaseContext();
    m_pageSetup->SetOptions(poDefaultMinMargins | poThousandthsOfInches);
    m_pageSetup->SetMarginLeft(1000);
    m_pageSetup->SetMarginTop(1000);
    m_pageSetup->SetMarginRight(1000);
    m_pageSetup->SetMarginBottom(1000);
    m_pageSetup->SetMinMarginLeft(0);
    m_pageSetup->SetMinMarginTop(0);
    m_pageSetup->SetMinMarginRight(0);
    m_pageSetup->SetMinMarginBottom(0);
}

void TDlgBlock::FormActivate()
{
    if (!ViewActivated) {
        Guarded([this] { GetMaxDims(); });
        m_gl->MakeCurrent();
        m_gl->RequestSetup();
        if (!FontListsBuilt) {
            m_gl->BuildWindowFontLists();
            FontListsBuilt = true;
        }
        m_gl->ReleaseContext();
    }
    ViewActivated = true;
    RedrawFigure();
}

void TDlgBlock::FormResize()
{
    m_gl->setGeometry(0, 0, width(), height());
    m_gl->RequestSetup();
}

void TDlgBlock::RedrawFigure() { m_gl->Repaint(); }

void TDlgBlock::RedrawComplete()
{
    m_gl->RequestSetup();
    RedrawFigure();
}

void TDlgBlock::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormActivate();
}

bool TDlgBlock::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(event);
}

void TDlgBlock::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TDlgBlock::closeEvent(QCloseEvent* event)
{
    event->accept();
    FormClose();
}

void TDlgBlock::FormClose()
{
    if (m_closed) return;
    m_closed = true;
    try {
        emit Closed3DView();
    } catch (const Exception& e) {
        Messages::Error(this, e.message());
    }
    // Inside an MDI frame the frame goes with the view.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        QPointer<QMdiSubWindow> guard(frame);
        QMetaObject::invokeMethod(
            frame, [guard] { if (guard) guard->close(); }, Qt::QueuedConnection);
    }
}

void TDlgBlock::Guarded(const std::function<void()>& body) { Guard::Run(this, body); }

// ---- Model extents, set-up and frame ----

void TDlgBlock::GetMaxDims()
{
    const TProgramData* data = Project();
    if (!data) return;
    const TProjectTables& t = data->Tables();
    const QString& w = data->FoundationWord;

    // 1. Thickness of the drawn block: the side soil along it.
    if (w == kPile)
        CapThickness = SumColumn(t.pilecapsoil, 0, Rows(t.pilecapsoil));
    else if (w == kMultilayer)
        CapThickness = SumColumn(t.MultiElement, 0, Rows(t.D));
    else if (w == kStratum || w == kHalfSpace)
        CapThickness = SumColumn(t.D1, 0, Rows(t.D1));
    else
        CapThickness = 0;

    // 2, 3. Plan bounds; a block without side soil stands on the ground. A multilayer shaft is
    // the cylinder of its layers' radius (the foundation-shape fields play no part in its
    // analysis and are often left at 0); without a radius in its layers the shape fields draw it.
    const long double shaft = w == kMultilayer ? LargestShaftRadius(t, std::max(1, Rows(t.D))) : 0;
    if (shaft > 0) {
        ModelMin[0] = ModelMin[1] = -shaft;
        ModelMax[0] = ModelMax[1] = shaft;
        CapEmbedded = CapThickness >= 1e-5L;
        if (!CapEmbedded) CapThickness = 0.3L * shaft;
        LayerDefaultThickness = shaft;
    } else if (data->ShapeCode == 1) {
        ModelMin[0] = ModelMin[1] = -data->Radius;
        ModelMax[0] = ModelMax[1] = data->Radius;
        CapEmbedded = CapThickness >= 1e-5L;
        if (!CapEmbedded) CapThickness = 0.3L * data->Radius;
        LayerDefaultThickness = data->Radius;
    } else {
        ModelMin[0] = -data->LengthX / 2;
        ModelMax[0] = data->LengthX / 2;
        ModelMin[1] = -data->WidthY / 2;
        ModelMax[1] = data->WidthY / 2;
        CapEmbedded = CapThickness >= 1e-5L;
        if (!CapEmbedded) CapThickness = 0.15L * data->WidthY;
        LayerDefaultThickness = std::max(data->LengthX / 2, data->WidthY / 2);
    }
    // 4.
    if (w == kStratum) CapThickness = std::max(CapThickness, data->BaseDepth);
    // 5.
    if (CapEmbedded) {
        ModelMax[2] = 0;
        ModelMin[2] = -CapThickness;
    } else {
        ModelMax[2] = CapThickness;
        ModelMin[2] = 0;
    }
    // 6. The piles or the soil layers below.
    if (w == kPile)
        ModelMin[2] -= SumColumn(t.PileData, 0, Rows(t.PileData));
    else if (w == kStratum || w == kHalfSpace)
        ModelMin[2] -= SumColumn(t.D1, 0, Rows(t.D1));
    // 7.
    for (int i = 0; i < 3; ++i) ModelSpan[i] = ModelMax[i] - ModelMin[i];
    ModelReach = std::fabs(ModelSpan[2]);
    for (int i = 0; i < 3; ++i) {
        ModelReach = std::max(ModelReach, std::fabs(ModelMax[i]));
        ModelReach = std::max(ModelReach, std::fabs(ModelMin[i]));
    }
    MinSpan = std::min(ModelSpan[0], ModelSpan[1]);
    ModelCentre = {(ModelMin[0] + ModelMax[0]) / 2, (ModelMin[1] + ModelMax[1]) / 2};

    // The box of what is drawn: the block, the soil slabs (twice the plan, down to the bottom
    // layer) and the piles with their batter.
    FrameMin = ModelMin;
    FrameMax = ModelMax;
    auto take = [this](long double x, long double y, long double z) {
        const long double p[3] = {x, y, z};
        for (size_t i = 0; i < 3; ++i) {
            if (!std::isfinite(p[i])) continue;
            FrameMin[i] = std::min(FrameMin[i], p[i]);
            FrameMax[i] = std::max(FrameMax[i], p[i]);
        }
    };
    if (w == kStratum && data->BaseDepth > 0) {
        // The block is drawn lowered by the base depth.
        const long double c = (CapEmbedded ? -CapThickness / 2 : CapThickness / 2) - data->BaseDepth;
        take(ModelMin[0], ModelMin[1], c - CapThickness / 2);
        take(ModelMax[0], ModelMax[1], c + CapThickness / 2);
    }
    long double stack = 0;  // the soil slabs' thickness, as DrawSoilLayers lays them
    auto add = [&stack](long double d) {
        if (d > 0) stack += d;
    };
    if (w == kPile) {
        for (int q = 0; q < Rows(t.pilecapsoil); ++q) add(CellFloat(t.pilecapsoil, 0, q));
        for (int q = 0; q < Rows(t.PileData); ++q) add(CellFloat(t.PileData, 0, q));
    } else if (w == kHalfSpace) {
        for (int q = 0; q < Rows(t.D1); ++q) add(CellFloat(t.D1, 0, q));
    } else if (w == kStratum) {
        add(data->BedrockDepth);
    } else if (w == kMultilayer) {
        for (int q = 0; q < Rows(t.D) + Rows(t.Multisoil); ++q) add(CellFloat(t.MultiElement, 0, q));
    }
    add(LayerDefaultThickness);
    if (stack > 0) {
        take(ModelCentre[0] - ModelSpan[0], ModelCentre[1] - ModelSpan[1], -stack);
        take(ModelCentre[0] + ModelSpan[0], ModelCentre[1] + ModelSpan[1], 0);
    }
    if (w == kPile) {
        const long double head = CapEmbedded ? -CapThickness : 0;
        long double length = 0, radius = 0;
        for (int i = 0; i < Rows(t.PileData); ++i) {
            length += CellFloat(t.PileData, 0, i);
            const long double r1 = CellFloat(t.PileData, 1, i), r2 = CellFloat(t.PileData, 2, i);
            radius = std::max(radius, std::sqrt(r1 * r1 + r2 * r2));
        }
        for (int p = 0; p < Rows(t.Pilecoord); ++p) {
            const long double x = CellFloat(t.Pilecoord, 0, p), y = CellFloat(t.Pilecoord, 1, p);
            const long double angle = CellFloat(t.Pilecoord, 2, p) * std::numbers::pi_v<long double> / 180;
            const int32_t plane = CellInteger(t.Pilecoord, 3, p);
            // The tip as DrawAllPiles turns the pile: towards +x in the XZ plane, +y in the YZ plane.
            long double tx = x, ty = y;
            if (angle != 0 && plane == 1) tx += length * std::sin(angle);
            if (angle != 0 && plane == 2) ty += length * std::sin(angle);
            const long double tz = head - length * ((angle != 0 && (plane == 1 || plane == 2)) ? std::cos(angle) : 1);
            for (long double sx : {-radius, radius})
                for (long double sy : {-radius, radius})
                    for (long double sz : {-radius, radius}) {
                        take(x + sx, y + sy, head + sz);
                        take(tx + sx, ty + sy, tz + sz);
                    }
        }
    }
    FrameModel({0, 0, 0});
}

namespace {

using TMat3 = std::array<std::array<long double, 3>, 3>;

TMat3 Multiply(const TMat3& a, const TMat3& b)
{
    TMat3 c{};
    for (size_t r = 0; r < 3; ++r)
        for (size_t k = 0; k < 3; ++k)
            for (size_t i = 0; i < 3; ++i) c[r][k] += a[r][i] * b[i][k];
    return c;
}

// The rotation of glRotated by the angle (degrees) about a coordinate axis (0 x, 1 y, 2 z).
TMat3 Rotation(long double degrees, int axis)
{
    const long double a = degrees * std::numbers::pi_v<long double> / 180;
    const long double c = std::cos(a), s = std::sin(a);
    switch (axis) {
    case 0: return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
    case 1: return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
    default: return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
    }
}

}  // namespace

long double TDlgBlock::FitScale(const std::array<long double, 3>& boxMin, const std::array<long double, 3>& boxMax,
                                const std::array<long double, 3>& angles, long double w, long double h)
{
    // The frame's rotation: model z up the screen, then the view's angles (DrawFigure).
    const TMat3 R = Multiply(Multiply(Multiply(Rotation(-90, 0), Rotation(angles[0], 0)), Rotation(angles[1], 1)),
                             Rotation(angles[2], 2));
    long double across = 0, down = 0;  // half sizes of the box on the screen, in model units
    for (size_t i = 0; i < 3; ++i) {
        const long double half = (boxMax[i] - boxMin[i]) / 2;
        if (!std::isfinite(half)) return 1.0L;
        across += std::fabs(R[0][i]) * half;
        down += std::fabs(R[1][i]) * half;
    }
    const long double sx = across > 0 ? std::max(w - 50, 1.0L) / (2 * across) : 0;
    const long double sy = down > 0 ? std::max(h - 50, 1.0L) / (2 * down) : 0;
    if (sx > 0 && sy > 0) return std::min(sx, sy);
    if (sx > 0 || sy > 0) return std::max(sx, sy);
    return 1.0L;
}

long double TDlgBlock::FrameScale() const
{
    return FitScale(FrameMin, FrameMax, FrameRotation, width(), height());
}

void TDlgBlock::FrameModel(const std::array<long double, 3>& angles)
{
    FrameRotation = angles;
    for (size_t i = 0; i < 3; ++i) ViewPan[i] = -(FrameMin[i] + FrameMax[i]) / 2;
    ViewScale = FrameScale();
}

void TDlgBlock::glRender()
{
    if (!m_gl->TakeSetupDone()) glSetupRC();
    DrawFigure();
}

void TDlgBlock::glSetupRC()
{
    TglWindow::DropGLErrors();
    TglWindow::ClearColor(1, 1, 1, 1);
    TglWindow::Clear(TglWindow::COLOR_BUFFER_BIT);
    TglWindow::MatrixMode(TglWindow::PROJECTION);
    TglWindow::LoadIdentity();
    SetOrtho();
    TglWindow::MatrixMode(TglWindow::MODELVIEW);

    // Fit: the whole model in the window for the angles it was last framed for.
    ViewScale = FrameScale();

    if (!DrawDirect) {
        auto compile = [](GLuint list, const std::function<void()>& draw) {
            TglWindow::NewList(list, TglWindow::COMPILE);
            try {
                draw();
            } catch (...) {
                TglWindow::EndList();
                throw;
            }
            TglWindow::EndList();
        };
        compile(1, [this] { DrawPileCap(); });
        compile(2, [this] { DrawAllPiles(); });
        compile(3, [this] { DrawSoilLayers(); });
        compile(4, [this] { DrawLoading(); });
    }
}

void TDlgBlock::SetOrtho()
{
    const long double w = m_gl->Width(), h = m_gl->Height();
    const long double half = std::min(w, h) / 2;
    long double depth = MinSpan != 0 ? ModelReach / MinSpan * half * 640 : std::max(w, h) / 2;
    if (!(std::fabs(depth) > 0)) depth = 1;
    TglWindow::Ortho(-w / 2, w / 2, -h / 2, h / 2, -depth, depth);
}

QSize TDlgBlock::sizeHint() const { return QSize(739, 509); }

void TDlgBlock::DrawFigure()
{
    // The picture is opaque: the clear sets alpha 1 and the translucent layers blend the colour
    // only, so the window's frame buffer never shows through to what lies behind it.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    TglWindow::Clear(TglWindow::COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    TglWindow::Clear(TglWindow::DEPTH_BUFFER_BIT);
    TglWindow::MatrixMode(TglWindow::MODELVIEW);
    TglWindow::LoadIdentity();
    TglWindow::ShadeModel(TglWindow::SMOOTH);
    TglWindow::Enable(TglWindow::DEPTH_TEST);
    TglWindow::Enable(TglWindow::CULL_FACE);
    // Faces sit a little behind their own edges, so the outlines show whole.
    glPolygonOffset(1.0f, 1.0f);
    TglWindow::Enable(GL_POLYGON_OFFSET_FILL);

    TglWindow::PushMatrix();
    TglWindow::Rotated(-90, 1, 0, 0);  // model z up the screen, y away from the viewer
    TglWindow::PushMatrix();
    TglWindow::Rotated(ViewRotation[0], 1, 0, 0);
    TglWindow::Rotated(ViewRotation[1], 0, 1, 0);
    TglWindow::Rotated(ViewRotation[2], 0, 0, 1);
    TglWindow::PushMatrix();
    TglWindow::Scaled(ViewZoom, ViewZoom, ViewZoom);
    TglWindow::Scaled(ViewScale, ViewScale, ViewScale);
    TglWindow::Translated(ViewPan[0], 0, 0);
    TglWindow::Translated(0, ViewPan[1], 0);
    TglWindow::Translated(0, 0, ViewPan[2]);
    TglWindow::GetMatrix(TglWindow::MODELVIEW_MATRIX, ModelViewMatrix.data());

    TglWindow::Enable(TglWindow::DEPTH_TEST);
    if (DrawDirect) {
        DrawPileCap();
        DrawAllPiles();
        DrawSoilLayers();
        DrawLoading();
    } else {
        for (GLuint list = 1; list <= 4; ++list) TglWindow::CallList(list);
    }
    TglWindow::Disable(TglWindow::DEPTH_TEST);
    if (AxesVisible) DrawAxes();

    TglWindow::PopMatrix();
    TglWindow::PopMatrix();
    TglWindow::PopMatrix();
    if (m_selectionActive) DrawSelectionBox();
}

// ---- The model ----

void TDlgBlock::DrawPileCap()
{
    const TProgramData* data = Project();
    if (!m_pileCapVisible || !data) return;
    long double c = CapEmbedded ? -CapThickness / 2 : CapThickness / 2;
    if (data->FoundationWord == kStratum && data->BaseDepth > 0) c -= data->BaseDepth;
    const TProjectTables& t = data->Tables();
    if (data->FoundationWord == kMultilayer && LargestShaftRadius(t, std::max(1, Rows(t.D))) > 0) {
        // The shaft layer by layer, each a cylinder of its own radius; one on the ground
        // without layer depths.
        if (!CapEmbedded) {
            DrawShaftLayer(t.ShaftRadius(0), CapThickness, CapThickness / 2);
            return;
        }
        long double top = 0;
        for (int row = 0; row < std::min(Rows(t.D), Rows(t.MultiElement)); ++row) {
            const long double length = CellFloat(t.MultiElement, 0, row);
            if (length > 0) DrawShaftLayer(t.ShaftRadius(row), length, top - length / 2);
            top -= length;
        }
        return;
    }
    TglWindow::Translated(0, 0, c);
    TglWindow::Color4f(0.25L, 0.25L, 0.25L, 1);
    if (data->ShapeCode == 1) {
        DrawSolidCylinder3DZ(data->Radius, CapThickness);
        TglWindow::Color4f(1, 0.5L, 0, 1);
        DrawCylinder3DZ(data->Radius, CapThickness);
    } else {
        DrawSolidPara3D(data->LengthX, data->WidthY, CapThickness);
        TglWindow::Color4f(1, 0.5L, 0, 1);
        DrawPara3D(data->LengthX, data->WidthY, CapThickness);
    }
    TglWindow::Translated(0, 0, -c);
}

void TDlgBlock::DrawShaftLayer(long double radius, long double length, long double centre)
{
    TglWindow::Translated(0, 0, centre);
    TglWindow::Color4f(0.25L, 0.25L, 0.25L, 1);
    DrawSolidCylinder3DZ(radius, length);
    TglWindow::Color4f(1, 0.5L, 0, 1);
    DrawCylinder3DZ(radius, length);
    TglWindow::Translated(0, 0, -centre);
}

void TDlgBlock::DrawAllPiles()
{
    const TProgramData* data = Project();
    if (!m_pilesVisible || !data || data->FoundationWord != kPile) return;
    const TProjectTables& t = data->Tables();
    const int piles = Rows(t.Pilecoord);
    const int sections = Rows(t.PileData);

    if (CapEmbedded) TglWindow::Translated(0, 0, -CapThickness);
    for (int p = 0; p < piles; ++p) {
        const long double x = CellFloat(t.Pilecoord, 0, p);
        const long double y = CellFloat(t.Pilecoord, 1, p);
        const long double angle = CellFloat(t.Pilecoord, 2, p);
        const int32_t plane = CellInteger(t.Pilecoord, 3, p);
        TglWindow::Translated(x, y, 0);
        if (angle != 0) {
            if (plane == 1) TglWindow::Rotated(-angle, 0, 1, 0);
            if (plane == 2) TglWindow::Rotated(angle, 1, 0, 0);
        }
        long double top = 0;
        for (int i = 0; i < sections; ++i) {
            const long double L = CellFloat(t.PileData, 0, i);
            const long double r1 = CellFloat(t.PileData, 1, i);
            const long double r2 = CellFloat(t.PileData, 2, i);
            const long double r = std::sqrt(r1 * r1 + r2 * r2);
            const long double centre = top - L / 2;
            TglWindow::Translated(0, 0, centre);
            TglWindow::Color4f(0.5L, 0.5L, 0.5L, 1);
            DrawShadeCylinderZ(r, L);
            if (i == 0) {
                TglWindow::Translated(0, 0, L / 2);
                TglWindow::Color4f(0.5L, 0.5L, 0.5L, 1);
                DrawShadeCircleZ(r);
                TglWindow::Color4f(1, 0.5L, 0, 1);
                DrawCircleZ(r);
                TglWindow::Translated(0, 0, -L / 2);
            }
            if (i == sections - 1) {
                TglWindow::Translated(0, 0, -L / 2);
                TglWindow::Rotated(180, 1, 0, 0);
                TglWindow::Color4f(0.5L, 0.5L, 0.5L, 1);
                DrawShadeCircleZ(r);
                TglWindow::Rotated(-180, 1, 0, 0);
                TglWindow::Color4f(1, 0.5L, 0, 1);
                DrawCircleZ(r);
                TglWindow::Translated(0, 0, L / 2);
            }
            TglWindow::Translated(0, 0, -centre);
            top -= L;
        }
        if (angle != 0) {
            if (plane == 1) TglWindow::Rotated(angle, 0, 1, 0);
            if (plane == 2) TglWindow::Rotated(-angle, 1, 0, 0);
        }
        TglWindow::Translated(-x, -y, 0);
    }
    if (CapEmbedded) TglWindow::Translated(0, 0, CapThickness);

    if (m_pileNumbersVisible) {
        // At the top face of the block.
        TglWindow::Disable(TglWindow::DEPTH_TEST);
        TglWindow::Color4f(1, 0, 0, 1);
        if (!CapEmbedded) TglWindow::Translated(0, 0, CapThickness);
        for (int p = 0; p < piles; ++p)
            TglWindow::DrawText3D(QString::number(p + 1), CellFloat(t.Pilecoord, 0, p), CellFloat(t.Pilecoord, 1, p), 0);
        TglWindow::Enable(TglWindow::DEPTH_TEST);
        if (!CapEmbedded) TglWindow::Translated(0, 0, -CapThickness);
    }
}

void TDlgBlock::DrawSoilLayers()
{
    const TProgramData* data = Project();
    if (!m_soilLayersVisible || !data) return;
    const TProjectTables& t = data->Tables();
    const QString& w = data->FoundationWord;
    const long double xs = ModelSpan[0], ys = ModelSpan[1];
    const long double cx = (ModelMin[0] + ModelMax[0]) / 2, cy = (ModelMin[1] + ModelMax[1]) / 2;

    TglWindow::Enable(TglWindow::BLEND);
    TglWindow::BlendFunc(TglWindow::SRC_ALPHA, TglWindow::ONE_MINUS_SRC_ALPHA);
    long double top = 0;
    int j = 0;
    int k = 0;
    for (int g = 1; g <= 3; ++g) {
        // Rows of the group and the thickness of row q (k: the running row over the groups).
        int rows = 0;
        std::function<long double(int q)> thickness;
        if (g == 3) {
            rows = 1;
            thickness = [this](int) { return LayerDefaultThickness; };
        } else if (w == kPile) {
            const TGridTable* table = g == 1 ? t.pilecapsoil : t.PileData;
            rows = Rows(table);
            thickness = [table](int q) { return CellFloat(table, 0, q); };
        } else if (w == kHalfSpace) {
            if (g == 1) {
                rows = Rows(t.D1);
                thickness = [&t](int q) { return CellFloat(t.D1, 0, q); };
            }
        } else if (w == kStratum) {
            if (g == 2) {
                rows = 1;
                thickness = [data](int) { return data->BedrockDepth; };
            }
        } else if (w == kMultilayer) {
            rows = Rows(g == 1 ? t.D : t.Multisoil);
            thickness = [&t, &k](int) { return CellFloat(t.MultiElement, 0, k); };
        }
        for (int q = 0; q < rows; ++q) {
            if (j > 11) j = 0;
            SetColorLayer(j, 0.5L);
            if (g == 3) {
                SetColorLayer(4, 0.5L);
                if (j == 5) SetColorLayer(5, 0.5L);
            }
            const long double d = thickness(q);
            if (!(d > 0)) {
                // Not drawn; the colour and the depth stay, the running row moves on.
                ++k;
                continue;
            }
            const long double bottom = top - d;
            const long double cz = (top + bottom) / 2;
            TglWindow::Translated(cx, cy, cz);
            DrawPara3D(2 * xs, 2 * ys, d);
            DrawSolidPara3D(2 * xs, 2 * ys, d);
            TglWindow::Translated(-cx, -cy, -cz);

            if (m_soilLayerDepthLabelsVisible) {
                TglWindow::Disable(TglWindow::DEPTH_TEST);
                TglWindow::Color4f(0, 0, 0, 1);
                const long double lx = ModelMin[0] - xs / 2, ly = ModelMin[1] - ys / 2;
                // Ending at the front-left corner, clear of the names at the back-right one.
                TglWindow::DrawText3D(GetValueLabel(-top), lx, ly, top, true);
                if (g == 3) TglWindow::DrawText3D(QStringLiteral("Bottom"), lx, ly, bottom, true);
                TglWindow::Enable(TglWindow::DEPTH_TEST);
            }
            if (m_soilLayerLabelsVisible) {
                TglWindow::Disable(TglWindow::DEPTH_TEST);
                TglWindow::Color4f(0, 0, 0, 1);
                QString name;
                const QString number = QString::number(q + 1);
                if (g == 1)
                    name = QStringLiteral("Side Cap ") + number;
                else if (g == 2)
                    name = w == kStratum      ? QStringLiteral("Stratum")
                           : w == kMultilayer ? QStringLiteral("Side Column ") + number
                                              : QStringLiteral("Side Pile ") + number;
                else
                    name = QStringLiteral("Bottom");
                TglWindow::DrawText3D(name, ModelMax[0] + xs / 2, ModelMax[1] + ys / 2, cz);
                TglWindow::Enable(TglWindow::DEPTH_TEST);
            }
            ++k;
            top = bottom;
            ++j;
        }
    }
    TglWindow::Disable(TglWindow::BLEND);
}

void TDlgBlock::DrawAxes()
{
    // 80 pixels on the screen at every zoom.
    const long double s = ViewZoom * ViewScale;
    const long double L = s != 0 ? 80 / ViewZoom / ViewScale : 80;
    TglWindow::Color4f(0, 0, 1, 1);
    DrawLine(0, 0, 0, L, 0, 0);
    TglWindow::DrawText3D(QStringLiteral("X"), L, 0, 0);
    TglWindow::Color4f(0, 1, 0, 0);
    DrawLine(0, 0, 0, 0, L, 0);
    TglWindow::DrawText3D(QStringLiteral("Y"), 0, L, 0);
    TglWindow::Color4f(1, 0, 0, 0);
    DrawLine(0, 0, 0, 0, 0, -L);
    TglWindow::DrawText3D(QStringLiteral("Z"), 0, 0, -L);
}

void TDlgBlock::DrawSelectionBox()
{
    const long double w = m_gl->Width(), h = m_gl->Height();
    const long double x0 = m_pressPoint.x() - w / 2, y0 = h / 2 - m_pressPoint.y();
    const long double xs = m_selectionPoint.x() - w / 2, ys = h / 2 - m_selectionPoint.y();
    TglWindow::Color4f(0, 1, 0, 1);
    TglWindow::Begin(TglWindow::LINE_STRIP);
    TglWindow::Vertex3d(x0, y0, 0);
    TglWindow::Vertex3d(x0, ys, 0);
    TglWindow::Vertex3d(xs, ys, 0);
    TglWindow::Vertex3d(xs, y0, 0);
    TglWindow::Vertex3d(x0, y0, 0);
    TglWindow::End();
}

std::array<float, 3> TDlgBlock::LayerColour(int k)
{
    switch (k) {
    case 1: return {0.8f, 0.55f, 0.0f};
    case 2: return {0.55f, 0.4f, 0.2f};
    case 3: return {0.4f, 0.4f, 0.2f};
    case 4: return {0.4f, 0.4f, 0.55f};
    case 6: return {0.2f, 0.2f, 0.55f};
    case 7: return {0.8f, 0.0f, 0.8f};
    case 8: return {0.4f, 0.4f, 0.55f};
    case 9: return {0.15f, 0.15f, 0.45f};
    case 10: return {0.65f, 0.4f, 0.2f};
    case 11: return {0.4f, 0.5f, 0.55f};
    default: return {0.0f, 0.5f, 0.5f};
    }
}

void TDlgBlock::SetColorLayer(int k, long double alpha)
{
    const std::array<float, 3> c = LayerColour(k);
    TglWindow::Color4f(c[0], c[1], c[2], alpha);
}

QString TDlgBlock::GetValueLabel(long double x)
{
    if (x == 0) x = 0;  // no "-0"
    // QString::number is independent of the locale: "." always.
    const long double a = std::fabs(x);
    if (a <= 0.001L || a >= 100000.0L) return QString::number(double(x), 'E', 3);
    return QString::number(double(x), 'f', 3);
}

// ---- Commands ----

void TDlgBlock::SetView(int n)
{
    switch (n) {
    case 1: ViewRotation = {0, 0, 0}; break;
    case 2: ViewRotation = {0, 0, 90}; break;
    case 3: ViewRotation = {90, 0, 0}; break;
    case 4: ViewRotation = {22.5L, 0, 45}; break;
    default: RedrawFigure(); return;
    }
    FrameModel(ViewRotation);
    RedrawFigure();
}

void TDlgBlock::ReverseView()
{
    ViewRotation[2] += 180;
    RedrawFigure();
}

void TDlgBlock::Zooming(long double factor)
{
    ViewZoom *= factor;
    RedrawFigure();
}

void TDlgBlock::RestartViewButtonClick()
{
    ViewRotation = {0, 0, 0};
    ViewZoom = 1.0;
    FrameModel(ViewRotation);
    RedrawFigure();
}

void TDlgBlock::ShowSoilLayersOption()
{
    m_soilLayersVisible = !m_soilLayersVisible;
    RedrawComplete();
}

void TDlgBlock::ShowSoilLayerLabelsOption()
{
    m_soilLayerLabelsVisible = !m_soilLayerLabelsVisible;
    RedrawComplete();
}

void TDlgBlock::ShowSoilLayerDepthLabelsOption()
{
    m_soilLayerDepthLabelsVisible = !m_soilLayerDepthLabelsVisible;
    RedrawComplete();
}

void TDlgBlock::ShowPileCapOption()
{
    m_pileCapVisible = !m_pileCapVisible;
    RedrawComplete();
}

void TDlgBlock::ShowAllPilesOption()
{
    m_pilesVisible = !m_pilesVisible;
    RedrawComplete();
}

void TDlgBlock::ShowPileNumbersOption()
{
    m_pileNumbersVisible = !m_pileNumbersVisible;
    RedrawComplete();
}

QImage TDlgBlock::RenderOffscreen()
{
    TglBitmap bitmap(std::max(1, m_gl->Width()), std::max(1, m_gl->Height()));
    TglWindow::BuildFontLists();
    DrawDirect = true;
    try {
        glSetupRC();
        DrawFigure();
        TglWindow::Finish();
    } catch (...) {
        DrawDirect = false;
        throw;
    }
    DrawDirect = false;
    return bitmap.Image();
}

void TDlgBlock::SaveBitmapTo(const QString& path) { WriteBitmap(path, RenderOffscreen()); }

void TDlgBlock::WriteBitmap(const QString& path, const QImage& picture)
{
    // The bitmap in memory first, then to the disk whole or not at all: a full disk leaves an
    // earlier file of that name as it was.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(picture))
        throw EBlockError(QStringLiteral("Cannot create file ") + QDir::toNativeSeparators(path) +
                          QStringLiteral(". ") + writer.errorString());
    SafeWrite::WriteWhole(path, bytes);
}

void TDlgBlock::SaveBitmapButtonClick()
{
    Guarded([this] {
        QString path;
        if (ChooseBitmapFile) {
            path = ChooseBitmapFile(this);
        } else {
            QFileDialog dialog(this);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(QStringLiteral("bmp"));
            dialog.setNameFilter(QStringLiteral("Bitmap files (*.bmp)"));
            dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
            dialog.setDirectory(DocFolder::StartFolder());
            if (FileDialog::Exec(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
                path = dialog.selectedFiles().constFirst();
        }
        if (path.isEmpty()) return;
        SaveBitmapTo(path);
    });
}

void TDlgBlock::PageSetupButtonClick()
{
    Guarded([this] { m_pageSetup->Execute(); });
}

QRect TDlgBlock::PrintRectangle(const int margins[4], int dpiX, int dpiY, int offsetX, int offsetY, int pageWidth,
                                int pageHeight, int bitmapWidth, int bitmapHeight)
{
    auto pixels = [](int dpi, int margin) { return int(std::lround(double(dpi) * margin / 1000.0)); };
    const int left = std::max(pixels(dpiX, margins[0]), offsetX);
    const int top = std::max(pixels(dpiY, margins[1]), offsetY);
    const int right = std::max(pixels(dpiX, margins[2]), offsetX);
    const int bottom = std::max(pixels(dpiY, margins[3]), offsetY);
    long A = pageWidth + 2L * offsetX - left - right;
    long B = pageHeight + 2L * offsetY - top - bottom;
    const double w = std::max(bitmapWidth, 1), h = std::max(bitmapHeight, 1);
    if (B / h > A / w)
        B = std::lround(h * A / w);
    else
        A = std::lround(w * B / h);
    return QRect(left - offsetX, top - offsetY, int(A), int(B));
}

void TDlgBlock::PrintTo(QPrinter& printer)
{
    const QImage picture = RenderOffscreen();
    printer.setDocName(QStringLiteral("OPenGL figure"));
    PrintChoice::TFileOutput file(printer);  // a PDF file whole or not at all
    QPainter painter;
    if (!painter.begin(&printer)) throw EBlockError(QStringLiteral("Printing failed: the printer cannot be opened"));
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const int margins[4] = {m_pageSetup->MarginLeft(), m_pageSetup->MarginTop(), m_pageSetup->MarginRight(),
                            m_pageSetup->MarginBottom()};
    const QRect target = PrintRectangle(margins, printer.logicalDpiX(), printer.logicalDpiY(),
                                        page.left() - paper.left(), page.top() - paper.top(), page.width(),
                                        page.height(), picture.width(), picture.height());
    painter.drawImage(target, picture);
    painter.end();
    file.Commit();
}

void TDlgBlock::PrintButtonClick()
{
    Guarded([this] {
        bool accepted = false;
        if (ChoosePrinter) {
            accepted = ChoosePrinter(this, *m_printer);
        } else {
            m_printer->setDocName(QStringLiteral("OPenGL figure"));
            accepted = PrintChoice::Choose(this, *m_printer);
        }
        if (accepted) PrintTo(*m_printer);
    });
}

// ---- Mouse ----

std::array<long double, 3> TDlgBlock::ScreenToModel(long double dx, long double dy) const
{
    const long double s = ViewScale * ViewZoom;
    std::array<long double, 3> result{0, 0, 0};
    if (s == 0) return result;
    const long double d[3] = {dx, dy, 0};
    for (int i = 0; i < 3; ++i) {
        // Row i of the transpose is column i of the matrix.
        long double sum = 0;
        for (int r = 0; r < 3; ++r) sum += ModelViewMatrix[size_t(i * 4 + r)] * d[r];
        result[size_t(i)] = sum / (s * s);
    }
    return result;
}

void TDlgBlock::GLMouseDown(TMouseButton button, TShiftState, int x, int y)
{
    m_dragState = 1;
    m_pressPoint = QPoint(x, y);
    if (ZoomWindowArmed && button == TMouseButton::mbLeft) {
        m_selectionActive = true;
        m_selectionPoint = m_pressPoint;
        m_dragStartValues = ViewPan;
        m_zoomAtPress = ViewZoom;
    }
    switch (MouseMode) {
    case 1: m_dragStartValues = ViewPan; break;
    case 2: m_dragStartValues[0] = ViewZoom; break;
    case 3: m_dragStartValues = ViewRotation; break;
    default: break;
    }
}

void TDlgBlock::GLMouseMove(TShiftState shift, int x, int y)
{
    if (shift != TShiftState(ssLeft) && shift != (ssLeft | ssShift) && shift != (ssLeft | ssCtrl)) return;
    if (ZoomWindowArmed) {
        m_selectionPoint = QPoint(x, y);
        if (m_selectionActive) RedrawFigure();
    } else {
        UpdateMouseMove(shift, x, y);
    }
}

void TDlgBlock::UpdateMouseMove(TShiftState shift, int x, int y)
{
    if (m_dragState != 1 && m_dragState != 3) return;
    const long double w = std::max(m_gl->Width(), 1), h = std::max(m_gl->Height(), 1);
    const long double X0 = m_pressPoint.x(), Y0 = m_pressPoint.y();
    const bool shiftHeld = shift == TShiftState(ssShift) || shift == (ssShift | ssLeft);
    switch (MouseMode) {
    case 1: {
        long double dx = x - X0, dy = Y0 - y;
        if (shiftHeld) {
            if (std::fabs(dx) > std::fabs(dy))
                dy = 0;
            else
                dx = 0;
        }
        const std::array<long double, 3> d = ScreenToModel(dx, dy);
        for (int i = 0; i < 3; ++i) ViewPan[size_t(i)] = m_dragStartValues[size_t(i)] + d[size_t(i)];
        RedrawFigure();
        break;
    }
    case 2: {
        // Dragging up enlarges, down shrinks; the factor stays positive so the model neither
        // collapses to a point nor turns over.
        const long double factor = std::max(1 - (y - Y0) / h, 0.05L);
        ViewZoom = m_dragStartValues[0] * factor;
        RedrawFigure();
        break;
    }
    case 3: {
        long double a = (y - Y0) * 180 / 2 / h, b = (x - X0) * 180 / 2 / w;
        if (shiftHeld) {
            if (std::fabs(a) > std::fabs(b))
                b = 0;
            else
                a = 0;
        }
        const long double s = ViewScale * ViewZoom;
        std::array<long double, 3> u = ScreenToModel(a, b);
        for (long double& v : u) v *= s * s;  // Mᵀ·(a, b, 0) without the scale division
        const long double n = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        const long double g = std::sqrt(a * a + b * b);
        for (int i = 0; i < 3; ++i)
            ViewRotation[size_t(i)] = m_dragStartValues[size_t(i)] + (n > 0 ? g * u[size_t(i)] / n : u[size_t(i)]);
        RedrawFigure();
        break;
    }
    default: break;
    }
}

void TDlgBlock::GLMouseUp(TMouseButton, TShiftState shift, int x, int y)
{
    m_dragState = 3;
    if (ZoomWindowArmed) {
        m_selectionPoint = QPoint(x, y);
        // Only a box begun by a left press carries the pan and zoom saved at that press.
        const bool boxDragged = m_selectionActive;
        m_selectionActive = false;
        const int X0 = m_pressPoint.x(), Y0 = m_pressPoint.y();
        if (boxDragged && x != X0 && y != Y0) {
            const long double w = m_gl->Width(), h = m_gl->Height();
            const long double cx = w / 2 - (x + X0) / 2.0L, cy = (y + Y0) / 2.0L - h / 2;
            const std::array<long double, 3> d = ScreenToModel(cx, cy);
            for (int i = 0; i < 3; ++i) ViewPan[size_t(i)] = m_dragStartValues[size_t(i)] + d[size_t(i)];
            const long double f = std::min(h / std::abs(y - Y0), w / std::abs(x - X0));
            ViewZoom = m_zoomAtPress * f;
        }
        RedrawFigure();
    } else {
        UpdateMouseMove(shift, x, y);
    }
    m_dragState = 0;
}

// ---- Primitives ----

void TDlgBlock::DrawLine(long double x1, long double y1, long double z1, long double x2, long double y2, long double z2)
{
    TglWindow::Begin(TglWindow::LINES);
    TglWindow::Vertex3d(x1, y1, z1);
    TglWindow::Vertex3d(x2, y2, z2);
    TglWindow::End();
}

void TDlgBlock::DrawCircleZ(long double r)
{
    TglWindow::Begin(TglWindow::LINE_STRIP);
    for (int i = 0; i <= kSegments; ++i) TglWindow::Vertex3d(r * CirclePoint(i, false), r * CirclePoint(i, true), 0);
    TglWindow::End();
}

void TDlgBlock::DrawCircleX(long double r)
{
    TglWindow::Rotated(90, 0, 1, 0);
    DrawCircleZ(r);
    TglWindow::Rotated(-90, 0, 1, 0);
}

void TDlgBlock::DrawCircleY(long double r)
{
    TglWindow::Rotated(90, 1, 0, 0);
    DrawCircleZ(r);
    TglWindow::Rotated(-90, 1, 0, 0);
}

void TDlgBlock::DrawShadeCircleZ(long double r)
{
    TglWindow::Begin(TglWindow::TRIANGLE_FAN);
    TglWindow::Vertex3d(0, 0, 0);
    for (int i = 0; i <= kSegments; ++i) TglWindow::Vertex3d(r * CirclePoint(i, false), r * CirclePoint(i, true), 0);
    TglWindow::End();
}

void TDlgBlock::DrawShadeCircleX(long double r)
{
    TglWindow::Rotated(90, 0, 1, 0);
    DrawShadeCircleZ(r);
    TglWindow::Rotated(-90, 0, 1, 0);
}

void TDlgBlock::DrawShadeCircleY(long double r)
{
    TglWindow::Rotated(90, 1, 0, 0);
    DrawShadeCircleZ(r);
    TglWindow::Rotated(-90, 1, 0, 0);
}

void TDlgBlock::DrawShadeCylinderZ(long double r, long double length)
{
    const long double h = length / 2;
    for (int i = 0; i < kSegments; ++i) {
        const long double x0 = r * CirclePoint(i, false), y0 = r * CirclePoint(i, true);
        const long double x1 = r * CirclePoint(i + 1, false), y1 = r * CirclePoint(i + 1, true);
        TglWindow::Begin(TglWindow::TRIANGLE_FAN);
        TglWindow::Vertex3d(x0, y0, h);
        TglWindow::Vertex3d(x0, y0, -h);
        TglWindow::Vertex3d(x1, y1, -h);
        TglWindow::Vertex3d(x1, y1, h);
        TglWindow::End();
    }
}

void TDlgBlock::DrawSolidCylinder3DZ(long double r, long double length)
{
    DrawShadeCylinderZ(r, length);
    TglWindow::Translated(0, 0, length / 2);
    DrawShadeCircleZ(r);
    TglWindow::Translated(0, 0, -length);
    TglWindow::Rotated(180, 1, 0, 0);
    DrawShadeCircleZ(r);
    TglWindow::Rotated(-180, 1, 0, 0);
    TglWindow::Translated(0, 0, length / 2);
}

void TDlgBlock::DrawCylinder3DZ(long double r, long double length)
{
    TglWindow::Translated(0, 0, length / 2);
    DrawCircleZ(r);
    TglWindow::Translated(0, 0, -length);
    DrawCircleZ(r);
    TglWindow::Translated(0, 0, length / 2);
}

void TDlgBlock::DrawSolidCylinder3DX(long double r, long double length)
{
    TglWindow::Rotated(90, 0, 1, 0);
    DrawSolidCylinder3DZ(r, length);
    TglWindow::Rotated(-90, 0, 1, 0);
}

void TDlgBlock::DrawSolidCylinder3DY(long double r, long double length)
{
    TglWindow::Rotated(90, 1, 0, 0);
    DrawSolidCylinder3DZ(r, length);
    TglWindow::Rotated(-90, 1, 0, 0);
}

void TDlgBlock::DrawCylinder3DX(long double r, long double length)
{
    TglWindow::Rotated(90, 0, 1, 0);
    DrawCylinder3DZ(r, length);
    TglWindow::Rotated(-90, 0, 1, 0);
}

void TDlgBlock::DrawCylinder3DY(long double r, long double length)
{
    TglWindow::Rotated(90, 1, 0, 0);
    DrawCylinder3DZ(r, length);
    TglWindow::Rotated(-90, 1, 0, 0);
}

// Corners of each face, counter-clockwise seen from outside on the positive side of its axis.

void TDlgBlock::DrawSolidRectX(long double x, long double sy, long double sz)
{
    const long double hy = sy / 2, hz = sz / 2;
    const long double c[3] = {x, 0, 0};
    const long double k[4][3] = {{x, -hy, -hz}, {x, hy, -hz}, {x, hy, hz}, {x, -hy, hz}};
    Face(c, k, false);
}

void TDlgBlock::DrawSolidRectX1(long double x, long double sy, long double sz)
{
    const long double hy = sy / 2, hz = sz / 2;
    const long double c[3] = {x, 0, 0};
    const long double k[4][3] = {{x, -hy, -hz}, {x, hy, -hz}, {x, hy, hz}, {x, -hy, hz}};
    Face(c, k, true);
}

void TDlgBlock::DrawSolidRectY(long double y, long double sx, long double sz, bool reversed)
{
    const long double hx = sx / 2, hz = sz / 2;
    const long double c[3] = {0, y, 0};
    const long double k[4][3] = {{hx, y, -hz}, {-hx, y, -hz}, {-hx, y, hz}, {hx, y, hz}};
    Face(c, k, reversed);
}

void TDlgBlock::DrawSolidRectZ(long double z, long double sx, long double sy, bool reversed)
{
    const long double hx = sx / 2, hy = sy / 2;
    const long double c[3] = {0, 0, z};
    const long double k[4][3] = {{-hx, -hy, z}, {hx, -hy, z}, {hx, hy, z}, {-hx, hy, z}};
    Face(c, k, reversed);
}

void TDlgBlock::DrawRectX(long double x, long double sy, long double sz)
{
    const long double hy = sy / 2, hz = sz / 2;
    const long double k[4][3] = {{x, -hy, -hz}, {x, hy, -hz}, {x, hy, hz}, {x, -hy, hz}};
    Outline(k);
}

void TDlgBlock::DrawRectY(long double y, long double sx, long double sz)
{
    const long double hx = sx / 2, hz = sz / 2;
    const long double k[4][3] = {{hx, y, -hz}, {-hx, y, -hz}, {-hx, y, hz}, {hx, y, hz}};
    Outline(k);
}

void TDlgBlock::DrawRectZ(long double z, long double sx, long double sy)
{
    const long double hx = sx / 2, hy = sy / 2;
    const long double k[4][3] = {{-hx, -hy, z}, {hx, -hy, z}, {hx, hy, z}, {-hx, hy, z}};
    Outline(k);
}

void TDlgBlock::DrawSolidPara3D(long double sx, long double sy, long double sz)
{
    DrawSolidRectZ(sz / 2, sx, sy, false);
    DrawSolidRectZ(-sz / 2, sx, sy, true);
    DrawSolidRectX(sx / 2, sy, sz);
    DrawSolidRectX1(-sx / 2, sy, sz);
    DrawSolidRectY(sy / 2, sx, sz, false);
    DrawSolidRectY(-sy / 2, sx, sz, true);
}

void TDlgBlock::DrawPara3D(long double sx, long double sy, long double sz)
{
    DrawRectZ(sz / 2, sx, sy);
    DrawRectZ(-sz / 2, sx, sy);
    DrawRectX(sx / 2, sy, sz);
    DrawRectX(-sx / 2, sy, sz);
    DrawRectY(sy / 2, sx, sz);
    DrawRectY(-sy / 2, sx, sz);
}
