// Footing amplitude dialog (unit AmpPlot): `TDlgAmpPlot`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The dialog belongs with the result plots: it reads the harmonic response graphs pltDxyzR
// (translations at the C.G.) and pltMxyzR (rotations) of the main window. It lives in views/
// beside the other drawings so that the plot library stays one unit of its own.
//
// The translations are moved from the C.G. to a reference point typed in feet or metres:
// u_P = f·u_C + (P − f·C) × θ, with f the factor from the project's length unit to the shown one
// (the sign pairs, by virtual work, with the engine's transfer of the loads to the C.G.); rotations are shown as they are. The chart (Qt Charts) shows the three
// curves, reads the value under the mouse, describes a clicked point, prints on one page, and
// the three curves are exported as a comma-separated text file (AmpPlot::ExportLines).
//
//     TDlgAmpPlot dialog(project, pltDxyzR, pltMxyzR, mainWindow);
//     dialog.exec();   // resets from the project when shown
#pragma once

#include "util/exceptions.h"

#include <QDialog>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class QCheckBox;
class QLabel;
class QDate;
class QPrinter;
class QRadioButton;
class TDataEdit;
class TGraphPlot;
class TProject;

class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

// A vector of three components (x, y, z).
struct TVector3 {
    long double X = 0, Y = 0, Z = 0;
};

namespace AmpPlot {

// Feet to metres.
constexpr long double kFootInMetres = 0.3048L;

// The factor from the project's length unit to the shown one (1 English, 2 SI).
long double UnitFactor(int projectUnits, int shownUnits);

// The translation at the reference point p (shown units) of a body whose C.G. c (project units)
// moves by u (project units) and turns by rot (radians): f·u + (p − f·c) × rot.
TVector3 MoveToPoint(const TVector3& u, const TVector3& rot, const TVector3& p, const TVector3& c, long double f);

// The left axis title.
QString LeftAxisTitle(bool rotation, bool english);

// An export number: sign position, one digit, ".", 14 digits, "E", exponent sign and 4 digits,
// 23 characters (" 1.00000000000000E+0000"); the value passes through a double first.
QString FormatExportNumber(long double value);

// The lines of the export file: the reference point, the headers, and one line per point of
// the three series (x of series 0, then the y values of series 0, 1 and 2).
QStringList ExportLines(const TVector3& reference, bool english, const std::array<std::vector<QPointF>, 3>& series);

// The title block of the printed chart, one line each: the project's title, its file, the
// response quantity (the left axis title), the reference point with its units, the date.
QStringList PrintTitleLines(const QString& projectTitle, const QString& fileName, const QString& quantity,
                            const TVector3& reference, bool english, const QDate& date);

// Writes the lines, each ended by CR LF, replacing the file whole or not at all; raises
// EInOutError naming the file and the system's reason (util/safewrite.h).
void WriteLines(const QString& path, const QStringList& lines);

}  // namespace AmpPlot

class TDlgAmpPlot : public QDialog {
    Q_OBJECT

public:
    // The dialog over the project and the two response graphs (which may come later through
    // SetPlots); the project must outlive the dialog.
    TDlgAmpPlot(TProject& project, TGraphPlot* dxyz, TGraphPlot* mxyz, QWidget* parent = nullptr);
    ~TDlgAmpPlot() override;

    void SetPlots(TGraphPlot* dxyz, TGraphPlot* mxyz);

    // Reset from the project (unit system, reference point at the C.G.), then UpdateGraph.
    void FormActivate();
    // Recomputes the three series from the graphs, the reference point and the options.
    void UpdateGraph();

    // Handlers of the controls.
    void UnitClick(int system);          // "English Units (ft)" (1) or "SI Units (m)" (2)
    void Button1Click();                 // "Default (C.G.)"
    void OnlyClick(int series);          // "Only" beside a check box
    void Button2Click();                 // "All"
    void Button10Click();                // "Go": prints the chart
    void Button4Click();                 // "Export Data"
    void ClickSeries(int series, int n); // a series point was clicked
    void ChartMouseMove(const QPoint& pos);

    // Export to a chosen file: an existing file is replaced only when the user answers Yes;
    // errors are shown.
    void ExportTo(const QString& path);
    // Writes the export file (no questions asked); raises EInOutError.
    void ExportData(const QString& path);
    // Prints the chart on one page of the printer in the chosen orientation, under a title block
    // that says what it shows (AmpPlot::PrintTitleLines, dated today).
    void PrintChart(QPrinter& printer);

    // What the chart shows.
    const std::array<std::vector<QPointF>, 3>& SeriesValues() const { return m_values; }
    TVector3 ReferencePoint() const;
    int ShownUnits() const { return m_shownUnits; }
    QString LeftTitle() const;
    QString ReadOut() const;
    bool SeriesVisible(int k) const;
    QChartView* ChartView() const { return m_view; }

    // Controls, for the tests and the screenshots.
    TDataEdit* Edit(int k) const { return m_edits[k]; }
    QRadioButton* DisplacementButton() const { return m_displacement; }
    QRadioButton* RotationButton() const { return m_rotation; }
    QRadioButton* EnglishButton() const { return m_english; }
    QRadioButton* SIButton() const { return m_si; }
    QCheckBox* DirectionBox(int k) const { return m_checks[k]; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Refresh();

    TProject& m_project;
    QPointer<TGraphPlot> m_dxyz;
    QPointer<TGraphPlot> m_mxyz;
    int m_shownUnits = 2;
    bool m_resetting = false;

    std::array<TDataEdit*, 3> m_edits{};
    std::array<QCheckBox*, 3> m_checks{};
    QRadioButton* m_displacement = nullptr;
    QRadioButton* m_rotation = nullptr;
    QRadioButton* m_english = nullptr;
    QRadioButton* m_si = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QLabel* m_readOut = nullptr;

    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QValueAxis* m_axisX = nullptr;
    QValueAxis* m_axisY = nullptr;
    std::array<QLineSeries*, 3> m_lines{};
    std::array<QScatterSeries*, 3> m_markers{};
    std::array<std::vector<QPointF>, 3> m_values;
    std::vector<int> m_source;  // the graph point of each shown (sorted) point
};
