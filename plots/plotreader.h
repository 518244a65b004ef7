// Reader of the engine's plot-data file (unit PlotReader).
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The plot-data file (extension tmq) holds the number of frequency points N, then, when the
// stiffness matrix was generated (MatrixFlag > 0), for every point a stiffness record (w, Kxx,
// Kyy, Kww, Kppx, Kppy, Kzt, Kxp, Kyp, the rest of its line skipped) and a damping record (w,
// Cxx, Cyy, Cww, Cppx, Cppy, Czt, Cxp, Cyp), then, for harmonic loading (LoadCode 1), one
// response record per point (w, Dx, Dy, Dz, Rx, Ry, Rz). w is in radians per second; every
// point goes into the graphs at x = w / 6.2832 (Hz).
#pragma once

#include <QList>
#include <QString>
#include <cstdint>

class TGraphPlot;

namespace PlotReader {

// What of the project the reader needs.
struct TPlotProject {
    int32_t UnitSystem = 2;
    int32_t MatrixFlag = 1;
    int32_t LoadCode = 1;
};

// Reads the file into the 18 result graphs (in the order of PltData::CreateResultPlots).
// true when the file was read without an input/output error (a count of 0 or 1 fills nothing,
// leaves every graph empty, and is still a success); then every graph gets the project's unit
// system. On false the graphs
// keep what was filled before the error and their unit systems are not set, and `problem`
// (when given) receives the message to show:
// - a field that is no number (asterisks of an overflow, NaN, a damaged file) is named with its
//   line and item;
// - a file that does not fit the project (it was written by a run of another layout: with or
//   without the stiffness matrix, harmonic or not) is out of date; the graphs are then cleared
//   and show nothing. A file fits when the records of the project's layout take up every word
//   of the file and every point's records carry the same frequency;
// - a file cut short (it ends within a line, or before the records of the project's layout are
//   whole, for a run writes every record of its layout) cannot be read; the graphs are cleared;
// - so cannot a file whose count of points no run gives (above 1024, below 0) or does not match
//   the records after it (a damaged count); the graphs are cleared.
// A run whose response could not be computed at some frequencies writes the other points only,
// with their count: such a file reads as any other.
// No message is shown here.
bool ReadPlotData(const QString& path, const TPlotProject& project, const QList<TGraphPlot*>& plots,
                  QString* problem = nullptr);

// The 18 graphs without curves' points: the stiffness and damping graphs with one curve, the
// response graphs with three, none with points or names.
void ClearPlots(const QList<TGraphPlot*>& plots);

}  // namespace PlotReader
