// Result graphs of the main program (unit PltData): the plot-data component `TGraphPlot`, its
// curves `TLine` and their points `TFloatPoint`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// A `TGraphPlot` holds one result graph: captions, axis unit templates, display settings and an
// ordered list of curves, each with its points. The main window owns one per result graph
// (PltData::CreateResultPlots makes the 18 of them) and fills it after reading the plot data:
//
//     plot->SetLineCount(3);                 // curves, numbered 1, 2, 3
//     plot->SetPointCount(n);                // every curve gets n zero points
//     plot->Points(i, j)->X = f; plot->Points(i, j)->Y = k;
//     plot->Lines(0)->Name = "Kxx";          // legend captions (default "Curve #1", ...)
//     plot->SetUnits(2);                     // unit names of the captions (no value converted)
//     plot->ShowPlot();                      // opens (or brings up) the plot window
//
// All indices are 0-based; an index outside a list raises EListError. Showing a plot opens its
// plot window `TPlotForm` (plotform.h) through the opener that the program installs once
// (PltData::SetPlotOpener; the main window's puts the window into its MDI area, see
// TPlotForm::Opener), as the grid tables open their editors through an editor factory. The plot
// itself never makes a window; closing the window frees it.
// The curves of a plot must not drop in number while its window is open (the window refers to
// curves by index).
#pragma once

#include "util/exceptions.h"
#include "util/hvlconst.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class TGraphPlot;
class TPlotForm;

// Opens the window of a plot, or brings its open window to the front; returns the window, none
// when the plot cannot be shown (the opener has told the user why).
using TPlotOpener = std::function<TPlotForm*(TGraphPlot& plot)>;

// One point of a curve.
class TFloatPoint {
public:
    long double X = 0.0L;
    long double Y = 0.0L;
};

// One curve of a `TGraphPlot` and its points (owned).
class TLine {
public:
    // A curve of the given plot (not yet in its list): Number := the plot's LineCount + 1,
    // active, listed, no name, as many zero points as the plot's PointCount.
    explicit TLine(TGraphPlot* owner);
    virtual ~TLine() = default;
    TLine(const TLine&) = delete;
    TLine& operator=(const TLine&) = delete;

    int PointCount() const { return int(m_points.Count()); }
    // Point j (EListError outside the list).
    TFloatPoint* Points(int j) const { return m_points[j]; }
    // A negative n counts as 0; points are freed from the end or zero points appended.
    void SetPointCount(int n);

    // The curve's caption: Name, else the owner's CurveName followed by Number.
    QString DisplayName() const;
    TGraphPlot* Owner() const { return m_owner; }

    long double Number = 0.0L;  // 1-based position in the curve list when it was created
    QString Name;               // legend caption; empty: the default caption
    bool Active = true;         // the curve is drawn
    bool Listed = true;         // the curve has a legend row and a menu entry

private:
    TGraphPlot* m_owner;
    TObjectList<TFloatPoint> m_points;
};

// Called when a plot window opens, for every listed curve: may replace its legend caption.
using TGetCaptionEvent = std::function<void(int index, QString& value)>;

class TGraphPlot : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString CurveName READ CurveName WRITE SetCurveName)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool ShowLegend READ ShowLegend WRITE SetShowLegend)
    Q_PROPERTY(bool ShowLayers READ ShowLayers WRITE SetShowLayers)
    Q_PROPERTY(bool ShowWall READ ShowWall WRITE SetShowWall)
    Q_PROPERTY(bool ShowThree READ ShowThree WRITE SetShowThree)
    Q_PROPERTY(bool ShowFontWidth READ ShowFontWidth WRITE SetShowFontWidth)
    Q_PROPERTY(int WallLineCount READ WallLineCount WRITE SetWallLineCount)
    Q_PROPERTY(int Markers READ Markers WRITE SetMarkers)
    Q_PROPERTY(int SizeFont READ SizeFont WRITE SetSizeFont)
    Q_PROPERTY(int LegendFont READ LegendFont WRITE SetLegendFont)
    Q_PROPERTY(int WidthLine READ WidthLine WRITE SetWidthLine)
    Q_PROPERTY(int Units READ Units WRITE SetUnits)
    Q_PROPERTY(QString XCaption READ XCaption WRITE SetXCaption)
    Q_PROPERTY(QString XUnits READ XUnits WRITE SetXUnits)
    Q_PROPERTY(bool XOnTop READ XOnTop WRITE SetXOnTop)
    Q_PROPERTY(QString YCaption READ YCaption WRITE SetYCaption)
    Q_PROPERTY(QString YUnits READ YUnits WRITE SetYUnits)
    Q_PROPERTY(QString XCaption2 MEMBER m_xCaption2)
    Q_PROPERTY(QString XUnits2 MEMBER m_xUnits2)
    Q_PROPERTY(QString YCaption2 MEMBER m_yCaption2)
    Q_PROPERTY(QString YUnits2 MEMBER m_yUnits2)
    Q_PROPERTY(QString XCaption3 MEMBER m_xCaption3)
    Q_PROPERTY(QString XUnits3 MEMBER m_xUnits3)
    Q_PROPERTY(QString YCaption3 MEMBER m_yCaption3)
    Q_PROPERTY(QString YUnits3 MEMBER m_yUnits3)

public:
    explicit TGraphPlot(QObject* owner = nullptr);
    // Frees the curves and the plot window if one exists.
    ~TGraphPlot() override;

    // Curves.
    int LineCount() const { return int(m_lines.Count()); }
    // A negative n counts as 0; the last curves are freed, or new curves appended.
    void SetLineCount(int n);
    TLine* Lines(int i) const { return m_lines[i]; }
    // Point count of curve 0 (0 without curves).
    int PointCount() const;
    // Every curve gets n points; nothing without curves.
    void SetPointCount(int n);
    // Point j of curve i.
    TFloatPoint* Points(int i, int j) const { return m_lines[i]->Points(j); }

    // Opens the plot window (created maximized when there is none), brings it to the front and
    // restores it when minimized: through the installed opener (Exception when there is none).
    void ShowPlot();
    // The open plot window, none when there is none.
    TPlotForm* PlotWindow() const { return m_windowGuard ? m_window : nullptr; }
    bool WindowExists() const { return m_windowExists; }

    // Published settings.
    QString CurveName() const { return m_curveName; }
    void SetCurveName(const QString& v) { m_curveName = v; }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    bool ShowLegend() const { return m_showLegend; }
    void SetShowLegend(bool v) { m_showLegend = v; }
    bool ShowLayers() const { return m_showLayers; }
    void SetShowLayers(bool v) { m_showLayers = v; }
    bool ShowWall() const { return m_showWall; }
    void SetShowWall(bool v) { m_showWall = v; }
    bool ShowThree() const { return m_showThree; }
    void SetShowThree(bool v) { m_showThree = v; }
    bool ShowFontWidth() const { return m_showFontWidth; }
    void SetShowFontWidth(bool v) { m_showFontWidth = v; }
    int WallLineCount() const { return m_wallLineCount; }
    void SetWallLineCount(int v) { m_wallLineCount = v; }
    // Marker spacing: a marker on the first and on every Markers-th point; 0 = none.
    int Markers() const { return m_markers; }
    void SetMarkers(int v) { m_markers = v; }
    // Size of the plot's texts in tenths of the canvas font's height.
    int SizeFont() const { return m_sizeFont; }
    void SetSizeFont(int v) { m_sizeFont = v; }
    // Point size of the legend list (reset from the legend when a window opens).
    int LegendFont() const { return m_legendFont; }
    void SetLegendFont(int v) { m_legendFont = v; }
    // Curve pen width factor.
    int WidthLine() const { return m_widthLine; }
    void SetWidthLine(int v) { m_widthLine = v; }
    // Unit system of the captions: 1 English, 2 SI, 3 templates as written.
    int Units() const { return m_units; }
    // Values above 3 become 3, values below 1 become 1; no value is converted.
    void SetUnits(int value);
    QString XCaption() const { return m_xCaption; }
    void SetXCaption(const QString& v) { m_xCaption = v; }
    QString XUnits() const { return m_xUnits; }
    void SetXUnits(const QString& v) { m_xUnits = v; }
    // X axis along the top edge, Y values growing downward.
    bool XOnTop() const { return m_xOnTop; }
    void SetXOnTop(bool v) { m_xOnTop = v; }
    QString YCaption() const { return m_yCaption; }
    void SetYCaption(const QString& v) { m_yCaption = v; }
    QString YUnits() const { return m_yUnits; }
    void SetYUnits(const QString& v) { m_yUnits = v; }

    // May replace the legend caption of a curve when a plot window opens.
    TGetCaptionEvent onGetCaption;

    // Title line above or below the plot, edited in the plot window.
    QString GraphTitle;
    bool TitleOnTop = false;

    // The listing is limited to the first 20 curves (always on).
    bool LimitTo20() const { return m_limit20; }

signals:
    // The plot is being freed while its window is open: the window lets go of it and goes too.
    void Freeing();

private:
    friend class TPlotForm;
    // The window tells the plot that it opened (`object` is the window itself) and closed.
    void WindowOpened(TPlotForm* window, QObject* object);
    void WindowClosed(QObject* window);

    TObjectList<TLine> m_lines;
    QPointer<QObject> m_windowGuard;
    TPlotForm* m_window = nullptr;
    bool m_windowExists = false;
    bool m_limit20 = true;

    QString m_curveName = QStringLiteral("Curve #");
    QString m_caption;
    bool m_showLegend = true;
    bool m_showLayers = false;
    bool m_showWall = false;
    bool m_showThree = false;
    bool m_showFontWidth = true;
    int m_wallLineCount = 0;
    int m_markers = 1;
    int m_sizeFont = 10;
    int m_legendFont = 11;
    int m_widthLine = 1;
    int m_units = 1;
    QString m_xCaption;
    QString m_xUnits;
    bool m_xOnTop = true;
    QString m_yCaption;
    QString m_yUnits;
    QString m_xCaption2, m_xUnits2, m_yCaption2, m_yUnits2;
    QString m_xCaption3, m_xUnits3, m_yCaption3, m_yUnits3;
};

namespace PltData {

// The template with its force ("F", "F1", "F2") and length ("L", "L1", "L2") placeholders
// replaced by the names of the unit system (1 English, 2 SI; 3: unchanged). Of the force codes
// only the first present of "F2", "F1", "F" is replaced (every occurrence), then likewise of
// "L2", "L1", "L".
QString ExpandPlotUnits(const QString& unitTemplate, int units);

// The caption alone when the template is empty, else caption + " (" + expanded units + ")".
QString AxisCaptionText(const QString& caption, const QString& unitTemplate, int units);

// The opener of every plot window (see TPlotOpener; TPlotForm::Opener makes the usual one).
void SetPlotOpener(TPlotOpener opener);

// The 18 result graphs of the main window, owned by `owner`, in this order and with these
// object names: pltRealKXX, pltRealKYY, pltRealKWW, pltRealKPPX, pltRealKPPY, pltRealKZT,
// pltRealKXP, pltRealKYP, pltDampCXX, pltDampCYY, pltDampCWW, pltDampCPPX, pltDampCPPY,
// pltDampCZT, pltDampCXP, pltDampCYP, pltDxyzR, pltMxyzR; each with its captions and unit
// templates, X along the bottom, no curves.
QList<TGraphPlot*> CreateResultPlots(QObject* owner);

}  // namespace PltData
