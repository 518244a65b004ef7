// 3-D view of the foundation (unit Block): `TDlgBlock`, the window "Tremex, 3D-View".
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The view draws the pile cap or footing block, the piles with their sections and batter and
// the soil layers as translucent slabs of the current project through its `TglWindow` `GL`,
// reading `TProgramData` and the project tables cell by cell; it never writes the project.
// Model coordinates are the project's: x and y horizontal in the pile coordinates' frame, z
// upward, the ground at z = 0. The extents and the fit are taken at the first activation; the
// display lists (1 block, 2 piles, 3 soil layers, 4 loading, empty) are rebuilt at every set-up
// (a resize, a display option, a new context).
//
// The main window drives the view:
//
//     the maker of TChildKind::Block in app/program/registerwindows.cpp
//
// or by hand:
//
//     auto* view = new TDlgBlock([this] { return &m_project.Data(); });
//     connect(view, &TDlgBlock::Closed3DView, this, &TMainForm::Close3DView);  // once, on close
//     mdiArea->addSubWindow(view)->show();
//     view->SetView(4); view->Zooming(1.4142); view->ShowPileNumbersOption();
//     view->MouseMode = 3; view->ZoomWindowArmed = false;  // the tool bar's mode buttons
//
// The main window reaches the commands through `TBlockViewControl` (app/ui/childhost.h).
//
// Closing the window (its own close or its MDI frame's) always succeeds: the window is freed
// (deleted later) and Closed3DView is emitted. The frame around the view is closed with it.
// Every command catches its own errors and shows them through the message interface.
//
// Details of the picture and the mouse:
// - Frames are opaque (the translucent layers blend colour, never the frame's alpha), and faces
//   sit a little behind their own edges so the outlines show whole.
// - Depth labels end at the slab's front-left corner, the layer names start at its back-right
//   one, so the two never print over each other.
// - A zoom drag keeps its factor at 0.05 or more (no collapse to a point, no mirror image); the
//   stepwise Zooming has no bound.
// - A zoom-window release applies a box only when a left press began it.
// - A MULTILAYER slab of no thickness is skipped and the next one reads the next shaft layer.
#pragma once

#include "gl/glwindow.h"
#include "childhost.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QPrinter;
class TPageSetupDialog;
class TProgramData;
class TGridTable;

class TDlgBlock : public QWidget, public TBlockViewControl {
    Q_OBJECT

public:
    // The project the view draws, asked for whenever it is read (none: nothing to draw).
    using TProjectSource = std::function<const TProgramData*()>;

    explicit TDlgBlock(TProjectSource project, QWidget* parent = nullptr);
    explicit TDlgBlock(const TProgramData* project, QWidget* parent = nullptr);
    ~TDlgBlock() override;

    TglWindow* GL() const { return m_gl; }
    TPageSetupDialog* PageSetupDialog() const { return m_pageSetup.get(); }

    // Written by the main window's tool bar: 1 pan, 2 zoom, 3 rotate, 4 zoom window (0 none).
    int32_t MouseMode = 0;
    bool ZoomWindowArmed = false;
    void SetMouseMode(int mode) override { MouseMode = mode; }
    void SetZoomWindowArmed(bool armed) override { ZoomWindowArmed = armed; }
    // Display options: the "Show" menu reads them, the Show...Option toggles change them.
    bool AxesVisible = true;
    bool SoilLayersVisible() const override { return m_soilLayersVisible; }
    bool PileNumbersVisible() const override { return m_pileNumbersVisible; }
    bool PilesVisible() const override { return m_pilesVisible; }
    bool PileCapVisible() const override { return m_pileCapVisible; }
    bool SoilLayerLabelsVisible() const override { return m_soilLayerLabelsVisible; }
    bool SoilLayerDepthLabelsVisible() const override { return m_soilLayerDepthLabelsVisible; }
    // The drawn block, set by GetMaxDims.
    long double CapThickness = 0;
    bool CapEmbedded = false;
    long double LayerDefaultThickness = 0;

    // View state (reset when the window is made).
    std::array<long double, 3> ViewRotation{0, 0, 0};  // degrees about x, y, z
    long double ViewZoom = 1.0;                         // user zoom factor
    long double ViewScale = 1.0;                        // fit scale, pixels per model unit
    std::array<long double, 3> ViewPan{0, 0, 0};        // model translation
    bool DrawDirect = false;
    bool ViewActivated = false;
    bool FontListsBuilt = false;
    std::array<long double, 3> ModelMin{0, 0, 0}, ModelMax{0, 0, 0}, ModelSpan{0, 0, 0};
    long double ModelReach = 0;
    long double MinSpan = 0;
    std::array<long double, 2> ModelCentre{0, 0};
    // The box of everything the model draws (block, piles with their batter, the soil slabs down
    // to the bottom layer), set by GetMaxDims, and the angles the fit was last framed for (the
    // first view, a preset, the reset). The first view, each preset and the reset centre this
    // box in the window and the fit scale shows it whole at zoom 1 (25 pixels of the window's
    // border left free on each side).
    std::array<long double, 3> FrameMin{0, 0, 0}, FrameMax{0, 0, 0};
    std::array<long double, 3> FrameRotation{0, 0, 0};
    // The model-view matrix of the model in the last frame, column after column.
    std::array<long double, 16> ModelViewMatrix{};

    // Drag state: 0 idle, 1 pressed, 3 being released.
    int32_t DragState() const { return m_dragState; }
    bool SelectionActive() const { return m_selectionActive; }

    // ---- Commands of the main window ----
    // Preset views: 1 (0, 0, 0), 2 (0, 0, 90), 3 (90, 0, 0), 4 (22.5, 0, 45), each framing the
    // whole model (pan to its centre, fit scale for the angles); others keep the angles and the
    // pan. The zoom stays.
    void SetView(int n) override;
    void ReverseView() override;
    void Zooming(long double factor) override;
    void RestartViewButtonClick() override;
    void ShowSoilLayersOption() override;
    void ShowSoilLayerLabelsOption() override;
    void ShowSoilLayerDepthLabelsOption() override;
    void ShowPileCapOption() override;
    void ShowAllPilesOption() override;
    void ShowPileNumbersOption() override;
    void SaveBitmapButtonClick() override;
    void PageSetupButtonClick() override;
    void PrintButtonClick() override;

    // What the dialog commands do once the file or printer is chosen; they raise on failure.
    void SaveBitmapTo(const QString& path);
    // The picture as a bitmap file, whole or not at all (util/safewrite.h): a failure leaves an
    // earlier file of that name as it was and raises naming the file and the system's reason.
    static void WriteBitmap(const QString& path, const QImage& picture);
    void PrintTo(QPrinter& printer);
    // The picture drawn off-screen in the window's size (24 bits per pixel); raises EOpenGL.
    QImage RenderOffscreen();

    // Where the bitmap goes on a printed page, in printable-area coordinates: margins in
    // thousandths of an inch (left, top, right, bottom), the printer's resolution, the physical
    // offsets and size of the printable area in printer pixels, the bitmap's size.
    static QRect PrintRectangle(const int margins[4], int dpiX, int dpiY, int offsetX, int offsetY,
                                int pageWidth, int pageHeight, int bitmapWidth, int bitmapHeight);

    // Choosers of the dialog commands, replaceable for tests: the save name (empty: cancelled)
    // and the printer dialog (false: cancelled).
    std::function<QString(QWidget*)> ChooseBitmapFile;
    std::function<bool(QWidget*, QPrinter&)> ChoosePrinter;

    // ---- Form events ----
    void FormActivate();
    void FormResize();
    void RedrawFigure();
    void RedrawComplete();

    // ---- Drawing ----
    void glRender();
    void glSetupRC();
    void SetOrtho();
    void DrawFigure();
    void GetMaxDims();
    // The fit scale, pixels per model unit, that shows the box whole under the angles (degrees
    // about x, y, z, as ViewRotation) in a window of w x h pixels with 25 pixels free on each
    // side; 1.0 for an empty box.
    static long double FitScale(const std::array<long double, 3>& boxMin, const std::array<long double, 3>& boxMax,
                                const std::array<long double, 3>& angles, long double w, long double h);
    void DrawPileCap();
    // One layer of a multilayer shaft: a solid cylinder of the radius and length about the height
    // `centre`, with its rims.
    void DrawShaftLayer(long double radius, long double length, long double centre);
    void DrawAllPiles();
    void DrawSoilLayers();
    void DrawAxes();
    void DrawLoading() {}
    void DrawSelectionBox();
    static void SetColorLayer(int k, long double alpha);
    // The palette behind SetColorLayer.
    static std::array<float, 3> LayerColour(int k);
    // A depth label: exponent form with 4 significant digits for |x| <= 0.001 or >= 100000,
    // else 3 decimals.
    static QString GetValueLabel(long double x);

    // ---- Mouse (events of GL) ----
    void GLMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void GLMouseMove(TShiftState shift, int x, int y);
    void GLMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void UpdateMouseMove(TShiftState shift, int x, int y);

    // ---- Primitives (full sizes, centred on the local origin) ----
    static void DrawLine(long double x1, long double y1, long double z1, long double x2, long double y2,
                         long double z2);
    static void DrawCircleZ(long double r);
    static void DrawCircleX(long double r);
    static void DrawCircleY(long double r);
    static void DrawShadeCircleZ(long double r);
    static void DrawShadeCircleX(long double r);
    static void DrawShadeCircleY(long double r);
    static void DrawShadeCylinderZ(long double r, long double length);
    static void DrawSolidCylinder3DZ(long double r, long double length);
    static void DrawCylinder3DZ(long double r, long double length);
    static void DrawSolidCylinder3DX(long double r, long double length);
    static void DrawSolidCylinder3DY(long double r, long double length);
    static void DrawCylinder3DX(long double r, long double length);
    static void DrawCylinder3DY(long double r, long double length);
    // Faces at a position on their axis; the "1" face and the reversed faces wind the other way.
    static void DrawSolidRectX(long double x, long double sy, long double sz);
    static void DrawSolidRectX1(long double x, long double sy, long double sz);
    static void DrawSolidRectY(long double y, long double sx, long double sz, bool reversed = false);
    static void DrawSolidRectZ(long double z, long double sx, long double sy, bool reversed = false);
    static void DrawRectX(long double x, long double sy, long double sz);
    static void DrawRectY(long double y, long double sx, long double sz);
    static void DrawRectZ(long double z, long double sx, long double sy);
    static void DrawSolidPara3D(long double sx, long double sy, long double sz);
    static void DrawPara3D(long double sx, long double sy, long double sz);

    // The form's size, 739 x 509 (an MDI frame takes it).
    QSize sizeHint() const override;

signals:
    // The view closed (emitted once; the main window hides its 3-D tool bar and menu items).
    void Closed3DView();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    const TProgramData* Project() const { return m_project ? m_project() : nullptr; }
    // Screen displacement (pixels, y upward) to model coordinates through the kept matrix.
    std::array<long double, 3> ScreenToModel(long double dx, long double dy) const;
    // A command body run with its errors shown through the message interface.
    void Guarded(const std::function<void()>& body);
    // Frames the model for the angles: the pan to the centre of its box, the fit scale.
    void FrameModel(const std::array<long double, 3>& angles);
    long double FrameScale() const;

    TProjectSource m_project;
    TglWindow* m_gl = nullptr;
    std::unique_ptr<TPageSetupDialog> m_pageSetup;
    std::unique_ptr<QPrinter> m_printer;
    bool m_closed = false;
    bool m_soilLayersVisible = true;
    bool m_pileNumbersVisible = false;
    bool m_pilesVisible = true;
    bool m_pileCapVisible = true;
    bool m_soilLayerLabelsVisible = false;
    bool m_soilLayerDepthLabelsVisible = false;

    int32_t m_dragState = 0;
    QPoint m_pressPoint;
    std::array<long double, 3> m_dragStartValues{0, 0, 0};
    long double m_zoomAtPress = 1.0;
    bool m_selectionActive = false;
    QPoint m_selectionPoint;
};
