// Footing amplitude dialog: see ampplot.h.
#include "ampplot.h"

#include "dataunit.h"
#include "entry/dataedit.h"
#include "project.h"
#include "plotform.h"  // completes the plot window type that pltdata.h names
#include "plotpaint.h"
#include "pltdata.h"
#include "util/docfolder.h"
#include "util/filedialog.h"
#include "util/messages.h"
#include "util/numtext.h"
#include "util/printchoice.h"
#include "util/safewrite.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace AmpPlot {

long double UnitFactor(int projectUnits, int shownUnits)
{
    if (projectUnits == shownUnits) return 1;
    return projectUnits == 1 ? kFootInMetres : 1 / kFootInMetres;
}

TVector3 MoveToPoint(const TVector3& u, const TVector3& rot, const TVector3& p, const TVector3& c, long double f)
{
    const long double dx = p.X - f * c.X, dy = p.Y - f * c.Y, dz = p.Z - f * c.Z;
    // u + r × θ with r = (dx, dy, dz): the sign that pairs, by virtual work, with the engine's
    // transfer of the loads to the C.G. (M − r × F).
    return {f * u.X + dy * rot.Z - dz * rot.Y, f * u.Y + dz * rot.X - dx * rot.Z, f * u.Z + dx * rot.Y - dy * rot.X};
}

QString LeftAxisTitle(bool rotation, bool english)
{
    if (rotation) return QStringLiteral("Rotational Amplitude (rad)");
    return english ? QStringLiteral("Translational Amplitude (ft)") : QStringLiteral("Translational Amplitude (m)");
}

QStringList PrintTitleLines(const QString& projectTitle, const QString& fileName, const QString& quantity,
                            const TVector3& p, bool english, const QDate& date)
{
    const QString u = english ? QStringLiteral(" ft") : QStringLiteral(" m");
    auto number = [](long double x) { return NumText::FloatToStrGeneral(x, 6); };
    const QString title = projectTitle.trimmed();
    return {
        QStringLiteral("Footing Response Amplitude: ") + (title.isEmpty() ? QStringLiteral("(no title)") : title),
        QStringLiteral("Project file: ") + QDir::toNativeSeparators(fileName),
        QStringLiteral("Response: ") + quantity + QStringLiteral(" against Frequency (Hz)"),
        QStringLiteral("Reference point: X = ") + number(p.X) + u + QStringLiteral(", Y = ") + number(p.Y) + u +
            QStringLiteral(", Z = ") + number(p.Z) + u,
        QStringLiteral("Printed: ") + date.toString(Qt::ISODate),
    };
}

QString FormatExportNumber(long double value)
{
    const double v = static_cast<double>(value);
    if (!std::isfinite(v)) {
        const QString s = std::isnan(v) ? QStringLiteral("NAN") : (v > 0 ? QStringLiteral("INF") : QStringLiteral("-INF"));
        return s.rightJustified(23);
    }
    // QString::number writes "d.ddddddddddddddde+xx" with "." whatever the locale.
    const QString e = QString::number(std::fabs(v), 'e', 14);
    const int at = int(e.indexOf(QLatin1Char('e')));
    const QString mantissa = e.left(at);
    const int exponent = e.mid(at + 1).toInt();
    return (std::signbit(v) && v != 0 ? QStringLiteral("-") : QStringLiteral(" ")) + mantissa + QStringLiteral("E") +
           (exponent < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
           QString::number(std::abs(exponent)).rightJustified(4, QLatin1Char('0'));
}

QStringList ExportLines(const TVector3& p, bool english, const std::array<std::vector<QPointF>, 3>& series)
{
    const QString u = english ? QStringLiteral("ft") : QStringLiteral("m");
    QStringList lines;
    lines << QStringLiteral("Reference Point");
    lines << QStringLiteral("X= ") + FormatExportNumber(p.X) + QStringLiteral(" ") + u + QStringLiteral(", Y= ") +
                 FormatExportNumber(p.Y) + QStringLiteral(" ") + u + QStringLiteral(", Z= ") + FormatExportNumber(p.Z) +
                 QStringLiteral(" ") + u;
    lines << QStringLiteral("n,Frequency,Disp_x,Disp_y,Disp_z");
    lines << QStringLiteral(",Hz,") + u + QStringLiteral(",") + u + QStringLiteral(",") + u;
    const size_t n = std::min({series[0].size(), series[1].size(), series[2].size()});
    for (size_t i = 0; i < n; ++i) {
        QString line = QString::number(i + 1) + QStringLiteral(",") + FormatExportNumber(series[0][i].x());
        for (int k = 0; k < 3; ++k) line += QStringLiteral(",") + FormatExportNumber(series[k][i].y());
        lines << line;
    }
    return lines;
}

void WriteLines(const QString& path, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) bytes += line.toUtf8() + "\r\n";
    // Whole or not at all: a full disk leaves an earlier export as it was.
    SafeWrite::WriteWhole(path, bytes);
}

}  // namespace AmpPlot

namespace {

// The chart view that reports the pointer to the dialog.
class TAmpChartView : public QChartView {
public:
    TAmpChartView(QChart* chart, TDlgAmpPlot* dialog) : QChartView(chart), m_dialog(dialog) { setMouseTracking(true); }

protected:
    void mouseMoveEvent(QMouseEvent* event) override
    {
        QChartView::mouseMoveEvent(event);
        m_dialog->ChartMouseMove(event->position().toPoint());
    }

private:
    TDlgAmpPlot* m_dialog;
};

const char* const kTitles[3] = {"X-Dir", "Y-Dir", "Z-dir"};

}  // namespace

TDlgAmpPlot::TDlgAmpPlot(TProject& project, TGraphPlot* dxyz, TGraphPlot* mxyz, QWidget* parent)
    : QDialog(parent), m_project(project), m_dxyz(dxyz), m_mxyz(mxyz)
{
    setObjectName(QStringLiteral("DlgAmpPlot"));
    setWindowTitle(QStringLiteral("Footing Amplitude Plot"));
    setModal(true);
    BuildControls();
    resize(900, 620);
}

TDlgAmpPlot::~TDlgAmpPlot() = default;

void TDlgAmpPlot::SetPlots(TGraphPlot* dxyz, TGraphPlot* mxyz)
{
    m_dxyz = dxyz;
    m_mxyz = mxyz;
}

void TDlgAmpPlot::BuildControls()
{
    auto* root = new QHBoxLayout(this);
    auto* side = new QVBoxLayout;
    root->addLayout(side);

    auto* refBox = new QGroupBox(QStringLiteral("Reference Point"));
    auto* refGrid = new QGridLayout(refBox);
    const char* captions[3] = {"X", "Y", "Z"};
    for (int k = 0; k < 3; ++k) {
        auto* label = new QLabel;
        m_edits[k] = new TDataEdit;
        m_edits[k]->setObjectName(QStringLiteral("DataEdit%1").arg(k + 1));
        m_edits[k]->SetCaption(QString::fromLatin1(captions[k]));
        m_edits[k]->SetUnitsString(QStringLiteral("L2"));
        m_edits[k]->SetEditLabel(label);
        m_edits[k]->SetNumber(0);
        refGrid->addWidget(label, k, 0);
        refGrid->addWidget(m_edits[k], k, 1);
        connect(m_edits[k], &QLineEdit::textChanged, this, [this] { Refresh(); });
    }
    auto* defaultButton = new QPushButton(QStringLiteral("Default (C.G.)"));
    refGrid->addWidget(defaultButton, 3, 0, 1, 2);
    connect(defaultButton, &QPushButton::clicked, this, [this] { Button1Click(); });
    side->addWidget(refBox);

    auto* typeBox = new QGroupBox(QStringLiteral("Type"));
    auto* typeLayout = new QVBoxLayout(typeBox);
    m_displacement = new QRadioButton(QStringLiteral("Displacement"));
    m_rotation = new QRadioButton(QStringLiteral("Rotation"));
    m_displacement->setChecked(true);
    typeLayout->addWidget(m_displacement);
    typeLayout->addWidget(m_rotation);
    connect(m_displacement, &QRadioButton::clicked, this, [this] { Refresh(); });
    connect(m_rotation, &QRadioButton::clicked, this, [this] { Refresh(); });
    side->addWidget(typeBox);

    auto* unitBox = new QGroupBox(QStringLiteral("Units"));
    auto* unitLayout = new QVBoxLayout(unitBox);
    m_english = new QRadioButton(QStringLiteral("English Units (ft)"));
    m_si = new QRadioButton(QStringLiteral("SI Units (m)"));
    m_si->setChecked(true);
    unitLayout->addWidget(m_english);
    unitLayout->addWidget(m_si);
    connect(m_english, &QRadioButton::clicked, this, [this] { UnitClick(1); });
    connect(m_si, &QRadioButton::clicked, this, [this] { UnitClick(2); });
    side->addWidget(unitBox);

    auto* viewBox = new QGroupBox(QStringLiteral("View Options"));
    auto* viewGrid = new QGridLayout(viewBox);
    const char* dirs[3] = {"X dir", "Y dir", "Z dir"};
    for (int k = 0; k < 3; ++k) {
        m_checks[k] = new QCheckBox(QString::fromLatin1(dirs[k]));
        m_checks[k]->setChecked(true);
        auto* only = new QPushButton(QStringLiteral("Only"));
        viewGrid->addWidget(m_checks[k], k, 0);
        viewGrid->addWidget(only, k, 1);
        connect(m_checks[k], &QCheckBox::clicked, this, [this] { Refresh(); });
        connect(only, &QPushButton::clicked, this, [this, k] { OnlyClick(k); });
    }
    auto* all = new QPushButton(QStringLiteral("All"));
    viewGrid->addWidget(all, 3, 0, 1, 2);
    connect(all, &QPushButton::clicked, this, [this] { Button2Click(); });
    side->addWidget(viewBox);

    auto* printBox = new QGroupBox(QStringLiteral("Printing"));
    auto* printLayout = new QHBoxLayout(printBox);
    auto* go = new QPushButton(QStringLiteral("Go"));
    auto* orientation = new QVBoxLayout;
    m_portrait = new QRadioButton(QStringLiteral("Portrait"));
    m_landscape = new QRadioButton(QStringLiteral("LandScape"));
    m_portrait->setChecked(true);
    orientation->addWidget(m_portrait);
    orientation->addWidget(m_landscape);
    printLayout->addWidget(go);
    printLayout->addLayout(orientation);
    connect(go, &QPushButton::clicked, this, [this] { Button10Click(); });
    side->addWidget(printBox);

    auto* exportButton = new QPushButton(QStringLiteral("Export Data"));
    auto* closeButton = new QPushButton(QStringLiteral("CLOSE"));
    connect(exportButton, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    side->addWidget(exportButton);
    side->addWidget(closeButton);
    side->addStretch(1);

    m_chart = new QChart;
    m_chart->setBackgroundBrush(Qt::white);
    m_chart->legend()->setVisible(true);
    m_chart->legend()->setAlignment(Qt::AlignRight);
    m_axisX = new QValueAxis;
    m_axisX->setTitleText(QStringLiteral("Frequency (Hz)"));
    m_axisX->setLabelFormat(QStringLiteral("%g"));
    m_axisY = new QValueAxis;
    m_axisY->setLabelFormat(QStringLiteral("%.8g"));
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    // Each component in the colour of its curve in the plot windows (X black, Y blue, Z red), so
    // that the dialog and the response plots read alike.
    const QColor colours[3] = {PlotPaint::PlotColour(0), PlotPaint::PlotColour(1), PlotPaint::PlotColour(2)};
    const QScatterSeries::MarkerShape shapes[3] = {QScatterSeries::MarkerShapeRectangle,
                                                   QScatterSeries::MarkerShapeTriangle, QScatterSeries::MarkerShapeStar};
    for (int k = 0; k < 3; ++k) {
        m_lines[k] = new QLineSeries;
        m_lines[k]->setName(QString::fromLatin1(kTitles[k]));
        m_lines[k]->setColor(colours[k]);
        m_markers[k] = new QScatterSeries;
        m_markers[k]->setName(QString::fromLatin1(kTitles[k]));
        m_markers[k]->setColor(colours[k]);
        m_markers[k]->setBorderColor(colours[k]);
        m_markers[k]->setMarkerShape(shapes[k]);
        m_markers[k]->setMarkerSize(k == 2 ? 9 : 6);
        for (QXYSeries* s : {static_cast<QXYSeries*>(m_lines[k]), static_cast<QXYSeries*>(m_markers[k])}) {
            m_chart->addSeries(s);
            s->attachAxis(m_axisX);
            s->attachAxis(m_axisY);
            // Colours after addSeries, which applies the chart theme.
            s->setColor(colours[k]);
            if (s == m_markers[k]) m_markers[k]->setBorderColor(colours[k]);
            connect(s, &QXYSeries::clicked, this, [this, k](const QPointF& point) {
                // The point of the series nearest the click.
                const std::vector<QPointF>& v = m_values[k];
                if (v.empty()) return;
                size_t best = 0;
                for (size_t i = 1; i < v.size(); ++i)
                    if (std::fabs(v[i].x() - point.x()) < std::fabs(v[best].x() - point.x())) best = i;
                ClickSeries(k, int(best));
            });
        }
        // One legend row per series.
        for (QLegendMarker* marker : m_chart->legend()->markers(m_markers[k])) marker->setVisible(false);
    }
    m_view = new TAmpChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumSize(480, 360);

    auto* chartColumn = new QVBoxLayout;
    chartColumn->addWidget(m_view, 1);
    m_readOut = new QLabel;
    m_readOut->setObjectName(QStringLiteral("ReadOut"));
    m_readOut->setMinimumHeight(m_readOut->fontMetrics().height());
    chartColumn->addWidget(m_readOut);
    root->addLayout(chartColumn, 1);
}

void TDlgAmpPlot::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TDlgAmpPlot::FormActivate()
{
    const TProgramData& d = m_project.Data();
    const int units = d.UnitSystem == 1 ? 1 : 2;
    m_resetting = true;
    (units == 1 ? m_english : m_si)->setChecked(true);
    for (TDataEdit* e : m_edits) e->SetUnits(units);
    m_edits[0]->SetNumber(d.CGLocalX);
    m_edits[1]->SetNumber(d.CGLocalY);
    m_edits[2]->SetNumber(d.CGLocalZ);
    m_shownUnits = units;
    m_resetting = false;
    UpdateGraph();
}

TVector3 TDlgAmpPlot::ReferencePoint() const
{
    return {m_edits[0]->Number(), m_edits[1]->Number(), m_edits[2]->Number()};
}

QString TDlgAmpPlot::LeftTitle() const { return m_axisY->titleText(); }
QString TDlgAmpPlot::ReadOut() const { return m_readOut->text(); }
bool TDlgAmpPlot::SeriesVisible(int k) const { return m_lines[k]->isVisible(); }

void TDlgAmpPlot::Refresh()
{
    if (m_resetting) return;
    UpdateGraph();
}

void TDlgAmpPlot::UpdateGraph()
{
    const TProgramData& d = m_project.Data();
    const bool rotation = m_rotation->isChecked();
    const int shown = m_english->isChecked() ? 1 : 2;
    const long double f = AmpPlot::UnitFactor(d.UnitSystem == 1 ? 1 : 2, shown);
    m_axisY->setTitleText(AmpPlot::LeftAxisTitle(rotation, shown == 1));

    TVector3 p;
    try {
        p = ReferencePoint();
    } catch (const Exception&) {
        return;  // an entry being typed: the chart keeps what it shows
    }
    const TVector3 c{d.CGLocalX, d.CGLocalY, d.CGLocalZ};
    for (auto& v : m_values) v.clear();
    int n = 0;
    if (m_dxyz && m_mxyz && m_dxyz->LineCount() >= 3 && m_mxyz->LineCount() >= 3)
        n = std::min(m_dxyz->PointCount(), m_mxyz->PointCount());
    // Points in ascending frequency; m_source keeps the graph point of each shown point.
    m_source.resize(size_t(n));
    for (int i = 0; i < n; ++i) m_source[size_t(i)] = i;
    std::stable_sort(m_source.begin(), m_source.end(),
                     [this](int a, int b) { return double(m_dxyz->Points(0, a)->X) < double(m_dxyz->Points(0, b)->X); });
    for (int i : m_source) {
        const double nu = double(m_dxyz->Points(0, i)->X);
        const TVector3 u{m_dxyz->Points(0, i)->Y, m_dxyz->Points(1, i)->Y, m_dxyz->Points(2, i)->Y};
        const TVector3 r{m_mxyz->Points(0, i)->Y, m_mxyz->Points(1, i)->Y, m_mxyz->Points(2, i)->Y};
        const TVector3 v = rotation ? r : AmpPlot::MoveToPoint(u, r, p, c, f);
        m_values[0].emplace_back(nu, double(v.X));
        m_values[1].emplace_back(nu, double(v.Y));
        m_values[2].emplace_back(nu, double(v.Z));
    }
    double xlo = 0, xhi = 1, ylo = 0, yhi = 1;
    bool any = false;
    for (int k = 0; k < 3; ++k) {
        m_lines[k]->replace(QList<QPointF>(m_values[k].begin(), m_values[k].end()));
        m_markers[k]->replace(QList<QPointF>(m_values[k].begin(), m_values[k].end()));
        const bool visible = m_checks[k]->isChecked();
        m_lines[k]->setVisible(visible);
        m_markers[k]->setVisible(visible);
        for (QLegendMarker* marker : m_chart->legend()->markers(m_markers[k])) marker->setVisible(false);
        if (!visible) continue;
        for (const QPointF& q : m_values[k]) {
            if (!std::isfinite(q.x()) || !std::isfinite(q.y())) continue;
            if (!any) {
                xlo = xhi = q.x();
                ylo = yhi = q.y();
                any = true;
            }
            xlo = std::min(xlo, q.x());
            xhi = std::max(xhi, q.x());
            ylo = std::min(ylo, q.y());
            yhi = std::max(yhi, q.y());
        }
    }
    if (xhi <= xlo) xhi = xlo + 1;
    if (yhi <= ylo) {
        const double pad = ylo == 0 ? 1 : std::fabs(ylo) * 0.1;
        ylo -= pad;
        yhi += pad;
    }
    // The frequency axis spans the data exactly, with ticks at round multiples of a 1, 2 or 5
    // step; the amplitude axis is rounded out to round numbers from a fixed tick count each
    // time (rounding changes the count, which then rounded the next range wider and wider).
    m_axisX->setRange(xlo, xhi);
    const long double step = PlotPaint::MajorStep(xhi - xlo, 5);
    if (step > 0) {
        m_axisX->setTickType(QValueAxis::TicksDynamic);
        m_axisX->setTickAnchor(0);
        m_axisX->setTickInterval(double(step));
    }
    m_axisY->setTickCount(5);
    m_axisY->setRange(ylo, yhi);
    if (any) m_axisY->applyNiceNumbers();
    update();
}

void TDlgAmpPlot::UnitClick(int s)
{
    (s == 1 ? m_english : m_si)->setChecked(true);
    try {
        for (TDataEdit* e : m_edits) e->SetUnits(s);
        if (s != m_shownUnits) {
            const long double factor = s == 1 ? 1 / AmpPlot::kFootInMetres : AmpPlot::kFootInMetres;
            const TVector3 p = ReferencePoint();
            m_resetting = true;
            m_edits[0]->SetNumber(p.X * factor);
            m_edits[1]->SetNumber(p.Y * factor);
            m_edits[2]->SetNumber(p.Z * factor);
            m_resetting = false;
            m_shownUnits = s;
        }
    } catch (const Exception& e) {
        m_resetting = false;
        Messages::Information(this, e.message());
    }
    UpdateGraph();
}

void TDlgAmpPlot::Button1Click()
{
    const TProgramData& d = m_project.Data();
    const long double f = AmpPlot::UnitFactor(d.UnitSystem == 1 ? 1 : 2, m_english->isChecked() ? 1 : 2);
    m_resetting = true;
    m_edits[0]->SetNumber(f * d.CGLocalX);
    m_edits[1]->SetNumber(f * d.CGLocalY);
    m_edits[2]->SetNumber(f * d.CGLocalZ);
    m_resetting = false;
    UpdateGraph();
}

void TDlgAmpPlot::OnlyClick(int series)
{
    for (int k = 0; k < 3; ++k) m_checks[k]->setChecked(k == series);
    UpdateGraph();
}

void TDlgAmpPlot::Button2Click()
{
    for (QCheckBox* c : m_checks) c->setChecked(true);
    UpdateGraph();
}

void TDlgAmpPlot::ChartMouseMove(const QPoint& pos)
{
    m_readOut->clear();
    const QPointF v = m_chart->mapToValue(m_view->mapToScene(pos), m_lines[0]);
    if (v.x() >= m_axisX->min() && v.x() <= m_axisX->max() && v.y() >= m_axisY->min() && v.y() <= m_axisY->max())
        m_readOut->setText(QStringLiteral("(") + NumText::FloatToStrGeneral(v.x(), 6) + QStringLiteral(",") +
                           NumText::FloatToStrGeneral(v.y(), 6) + QStringLiteral(")"));
}

void TDlgAmpPlot::ClickSeries(int series, int n)
{
    if (n < 0 || size_t(n) >= m_values[series].size()) return;
    const QString title = QString::fromLatin1(kTitles[series]);
    m_view->setToolTip(QStringLiteral(" Clicked Series: ") + title + QStringLiteral(" at point: ") + QString::number(n));
    auto g = [](long double x) { return NumText::FloatToStrGeneral(x, 6); };
    QStringList lines;
    lines << title << QStringLiteral("Point: ") + QString::number(n)
          << QStringLiteral("Freq: ") + g(m_values[series][n].x());
    const char* names[3] = {"X: ", "Y: ", "Z: "};
    for (int k = 0; k < 3; ++k)
        lines << QString::fromLatin1(names[k]) + (size_t(n) < m_values[k].size() ? g(m_values[k][n].y()) : QString());
    const TProgramData& d = m_project.Data();
    const long double f = AmpPlot::UnitFactor(d.UnitSystem == 1 ? 1 : 2, m_english->isChecked() ? 1 : 2);
    const char* centre[3] = {"Xo: ", "Yo: ", "Zo: "};
    const char* rot[3] = {"Rx: ", "Ry: ", "Rz: "};
    // The response at the C.G. of the same point as the chart's (the chart shows the points in
    // ascending frequency, the graphs keep the order of the result file).
    const int source = size_t(n) < m_source.size() ? m_source[size_t(n)] : -1;
    const bool haveData = m_dxyz && m_mxyz && source >= 0 && source < m_dxyz->PointCount() &&
                          source < m_mxyz->PointCount();
    for (int k = 0; k < 3; ++k)
        lines << QString::fromLatin1(centre[k]) + (haveData ? g(f * m_dxyz->Points(k, source)->Y) : QString());
    for (int k = 0; k < 3; ++k)
        lines << QString::fromLatin1(rot[k]) + (haveData ? g(m_mxyz->Points(k, source)->Y) : QString());
    Messages::Information(this, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TDlgAmpPlot::ExportData(const QString& path)
{
    const TVector3 p = ReferencePoint();
    AmpPlot::WriteLines(path, AmpPlot::ExportLines(p, m_english->isChecked(), m_values));
}

void TDlgAmpPlot::Button4Click()
{
    try {
        const QString path = FileDialog::SaveFileName(this, QString(), DocFolder::StartFolder(),
                                                      QStringLiteral("Text files (*.txt *.TXT)"), false);
        if (path.isEmpty()) return;
        ExportTo(path);
    } catch (const Exception& e) {
        Messages::Error(this, e.message());
    }
}

void TDlgAmpPlot::ExportTo(const QString& path)
{
    try {
        if (QFileInfo::exists(path) &&
            Messages::Confirm(this, QStringLiteral("File already exists, do you want to overwrite it?")) !=
                MessageSink::Answer::Yes)
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            ExportData(path);
        } catch (...) {
            QApplication::restoreOverrideCursor();
            throw;
        }
        QApplication::restoreOverrideCursor();
    } catch (const Exception& e) {
        Messages::Error(this, e.message());
    }
}

void TDlgAmpPlot::PrintChart(QPrinter& printer)
{
    printer.setPageOrientation(m_portrait->isChecked() ? QPageLayout::Portrait : QPageLayout::Landscape);
    const TProgramData& d = m_project.Data();
    const QStringList lines = AmpPlot::PrintTitleLines(d.ProjectTitle, d.FileName, LeftTitle(), ReferencePoint(),
                                                       m_english->isChecked(), QDate::currentDate());
    PrintChoice::TFileOutput file(printer);  // a PDF file whole or not at all
    QPainter painter;
    if (!painter.begin(&printer)) throw EInOutError(QStringLiteral("Printing failed: the printer could not be started."));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());

    // The title block: a framed box across the page, 10-point lines (the first in bold).
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(10);
    painter.setFont(font);
    const int lineHeight = painter.fontMetrics().lineSpacing();
    const int pad = lineHeight / 2;
    const QRect block(0, 0, page.width(), 2 * pad + lineHeight * int(lines.size()));
    painter.setPen(QPen(Qt::black, std::max(1, printer.resolution() / 150)));
    painter.drawRect(block.adjusted(0, 0, -1, -1));
    int y = pad;
    for (int i = 0; i < lines.size(); ++i) {
        QFont lineFont = font;
        lineFont.setBold(i == 0);
        painter.setFont(lineFont);
        const QRect line(pad, y, block.width() - 2 * pad, lineHeight);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(lines.at(i), Qt::ElideMiddle, line.width()));
        y += lineHeight;
    }

    // The chart below it.
    const int top = block.bottom() + 1 + lineHeight;
    m_chart->scene()->render(&painter, QRectF(0, top, page.width(), std::max(1, page.height() - top)),
                             m_chart->sceneBoundingRect(), Qt::KeepAspectRatio);
    painter.end();
    file.Commit();
}

void TDlgAmpPlot::Button10Click()
{
    try {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(m_portrait->isChecked() ? QPageLayout::Portrait : QPageLayout::Landscape);
        printer.setDocName(QStringLiteral("Footing Amplitude Plot"));
        if (!PrintChoice::Choose(this, printer)) return;
        PrintChart(printer);
    } catch (const Exception& e) {
        Messages::Error(this, e.message());
    }
}
