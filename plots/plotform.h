// Plot window of a result graph (unit PltData): `TPlotForm`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The window shows one `TGraphPlot` (pltdata.h): a white paint box with the plot rectangle,
// axis captions, ticks, dotted grid, labels and the curves with their markers, a legend list
// that can be dragged over it, and the "&Plot" menu (markers, font size, line width, title,
// legend names, active curves, printing, page setup, bitmap export and one entry per legend
// row). The full range is computed once from the points when the window is created; the left
// button drags a rubber band to zoom in (at most to a twentieth of the full span), the right
// button zooms out about the pointer. One drawing (PlotPaint::Render, plotpaint.h, free
// functions over QPainter) serves the screen, the printer and bitmap files. The window is created by TGraphPlot::ShowPlot and frees itself
// when closed.
#pragma once

#include "plotpaint.h"
#include "pltdata.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QPolygon>
#include <QString>
#include <QStringList>
#include <QWidget>

class QAction;
class QActionGroup;
class QListWidget;
class QMdiArea;
class QMenu;
class QMenuBar;
class QPainter;
class QPrinter;
class TPageSetupDialog;
class TPlotForm;

// The paint box of the plot window: its client area is the drawing area on the screen.
class TPlotPaintBox : public QWidget {
    Q_OBJECT

public:
    explicit TPlotPaintBox(TPlotForm* form);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TPlotForm* m_form;
};

class TPlotForm : public QWidget {
    Q_OBJECT

public:
    // Edges, ranges and ticks of the drawing (plotpaint.h).
    using TEdges = PlotPaint::TEdges;
    using TRange = PlotPaint::TRange;
    using TTicks = PlotPaint::TTicks;

    // Creates the window for the plot, as a maximized child of the MDI area when one is given;
    // none when its ranges cannot be computed (the window then closes itself at once).
    static TPlotForm* Open(TGraphPlot* plot, QMdiArea* area);
    // The opener of plot windows (PltData::SetPlotOpener): the open window of a plot comes to
    // the front; else a new one opens in the area (a window of its own when there is none, or
    // once the area is freed); a plot whose ranges cannot be computed is told in a message.
    static TPlotOpener Opener(QMdiArea* area);
    // Frees the window (with its MDI child window).
    static void FreeWindow(TPlotForm* window);

    // Window creation: ranges, legend, curve entries, page margins, layout.
    explicit TPlotForm(TGraphPlot* plot, QWidget* parent = nullptr);
    ~TPlotForm() override;

    TGraphPlot* Plot() const { return m_plot; }
    // True when the ranges could not be computed at creation (the window is not to be shown).
    bool RangeFailed() const { return m_rangeFailed; }
    // Shows the window in front, restored when minimized.
    void BringToFront();
    // Called by the plot when it is freed before its window.
    void DetachPlot() { m_plot = nullptr; }

    // Ranges, layout and mapping.
    TRange CurrentRange() const { return m_range; }
    void SetCurrentRange(const TRange& range) { m_range = range; }
    TRange FullRange() const { return m_full; }
    TEdges Area() const { return m_cv.area; }
    TEdges PlotRect() const { return m_cv.plot; }
    int DpiX() const { return m_cv.dpiX; }
    int DpiY() const { return m_cv.dpiY; }
    // Scaled font height h of the current canvas.
    int TextHeightUnit() const;
    QPoint WorldToPixel(const TFloatPoint& point) const;
    TFloatPoint PixelToWorld(const QPoint& pixel) const;
    TTicks ComputeTicks() const;
    // Lays the window out on the screen (drawing area = the paint box).
    void FormResize();
    // Draws everything on the painter within the current drawing area (PlotPaint::Render).
    void Render(QPainter& painter);
    // The window's drawing: its plot, range, canvas and legend rows.
    PlotPaint::TDrawing Drawing() const;

    // Legend and curve entries: row r is the r-th listed curve.
    QListWidget* Legend() const { return m_legend; }
    int LegendRowCount() const { return int(m_rowCurve.size()); }
    int LegendRowCurve(int row) const { return m_rowCurve.value(row, -1); }
    // The row's caption followed by " *" when its curve is active.
    QString LegendRowText(int row) const;
    QString LegendRowCaption(int row) const { return m_rowCaption.value(row); }
    int LegendRowHeight() const { return m_rowHeight; }
    int LegendPointSize() const { return m_legendPointSize; }
    QMenuBar* MenuBar() const { return m_menuBar; }
    QMenu* PlotMenu() const { return m_plotMenu; }
    QList<QAction*> CurveEntries() const { return m_curveEntries; }
    QAction* ShowLegendEntry() const { return m_showLegendEntry; }
    QList<QAction*> MarkerEntries() const { return m_markerEntries; }
    QAction* FontSizeMenuEntry() const { return m_fontMenuEntry; }
    QAction* LineWidthMenuEntry() const { return m_widthMenuEntry; }
    QAction* PrintEntry() const { return m_printEntry; }
    QAction* PageSetupEntry() const { return m_pageEntry; }
    TPageSetupDialog* PageSetup() const { return m_pageSetup; }
    TPlotPaintBox* PaintBox() const { return m_paintBox; }
    bool RubberBandActive() const { return m_bandActive; }

    // Commands of the Plot menu and the legend (each catches its own errors).
    void PlotMenuClick();
    void PlotLegendClick();
    void PlotMarkersClick();
    void MarkClick(int value);
    void SizeClick(int value);
    void WidthClick(int value);
    void PlotCaptionClick();
    void mLineNameClick();
    void ActiveGraphsClick();
    void PlotPrintClick();
    void PlotPageClick();
    void PlotSaveClick();
    void CurveItemClick(int tag);
    void LegendDblClick();
    // Legend size for the font-size factor v (10 = as created).
    void SetupLegend(int value);

    // The parts of the commands behind their dialogs.
    // Edit Legend accepted: each curve gets the name of its row.
    void ApplyLegendNames(const QStringList& names);
    // Active Curves accepted: a curve is listed when its state is " yes : ".
    void ApplyActiveStates(const QStringList& states);
    // Prints one page on the printer (margins from the page setup); the window is restored.
    void PrintTo(QPrinter& printer);
    // Draws the printed page on a painter of the given resolution, physical offsets of the
    // printable area and its size in device pixels (PrintTo without the printer).
    void RenderPage(QPainter& painter, int dpiX, int dpiY, int offX, int offY, int pageWidth,
                    int pageHeight);
    // Renders the plot into the bitmap and writes it to the file as a Windows bitmap; raises
    // EInOutError when the file cannot be written. The window is restored in any case.
    void SaveBitmap(QImage& bitmap, const QString& path);
    // The file dialog of Save To Disk; tests replace it (empty: cancelled).
    static void SetSaveFileNameHook(QString (*hook)(QWidget* parent));

    // Paint-box events.
    void PaintBoxMouseDown(Qt::MouseButton button, const QPoint& pixel);
    void PaintBoxMouseMove(const QPoint& pixel);
    void FormMouseUp(const QPoint& pixel);
    void PaintBoxPaint(QPainter& painter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using TCanvas = PlotPaint::TCanvas;
    friend class TPlotPaintBox;

    void FormCreate();
    void BuildMenu();
    void BuildLegendRows(bool fresh);
    void GrowLegendWidth();
    void KeepLegendInside();
    void PlaceLegendAtCorner();
    void ScreenLayout(int width, int height);
    void Repaint();
    template <class F> void Guarded(F&& action);

    TGraphPlot* m_plot;
    TCanvas m_cv;
    TRange m_range;
    TRange m_full;
    bool m_rangeFailed = false;

    TPlotPaintBox* m_paintBox = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_plotMenu = nullptr;
    QAction* m_showLegendEntry = nullptr;
    QAction* m_fontMenuEntry = nullptr;
    QAction* m_widthMenuEntry = nullptr;
    QAction* m_printEntry = nullptr;
    QAction* m_pageEntry = nullptr;
    QList<QAction*> m_markerEntries;
    QList<QAction*> m_curveEntries;
    QListWidget* m_legend = nullptr;
    QList<int> m_rowCurve;
    QStringList m_rowCaption;
    int m_rowHeight = 16;
    int m_legendPointSize = 11;
    bool m_legendDragging = false;
    bool m_legendAnchored = true;
    QPoint m_legendGrab;
    TPageSetupDialog* m_pageSetup = nullptr;

    bool m_bandActive = false;
    QPoint m_bandStart;
    QPoint m_bandEnd;
    QPixmap m_bandCache;
};

namespace PlotForm {

// The drawing's routines under the window's names (plotpaint.h).
using PlotPaint::FormatGeneral;
using PlotPaint::MajorStep;
using PlotPaint::MarkerIndices;
using PlotPaint::MarkerPolygon;
using PlotPaint::PlotColour;
using PlotPaint::PrintArea;

// The full range of the plot's points: both ranges hold 0 and are rounded outward to multiples
// of a power of ten. False when a step cannot be found (no finite range).
bool ComputeRange(const TGraphPlot& plot, TPlotForm::TRange& range);

}  // namespace PlotForm
