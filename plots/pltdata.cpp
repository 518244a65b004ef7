#include "pltdata.h"

#include "util/numtext.h"

namespace {

TPlotOpener& Opener()
{
    static TPlotOpener opener;
    return opener;
}

}  // namespace

// --- TLine -----------------------------------------------------------------------------------

TLine::TLine(TGraphPlot* owner) : m_owner(owner)
{
    Number = owner ? owner->LineCount() + 1 : 1;
    if (owner) SetPointCount(owner->PointCount());
}

void TLine::SetPointCount(int n)
{
    if (n < 0) n = 0;
    while (m_points.Count() > n) m_points.Delete(m_points.Count() - 1);
    while (m_points.Count() < n) m_points.Add(new TFloatPoint);
}

QString TLine::DisplayName() const
{
    if (!Name.isEmpty()) return Name;
    const QString prefix = m_owner ? m_owner->CurveName() : QString();
    return prefix + NumText::FloatToStrGeneral(Number, 18);
}

// --- TGraphPlot ------------------------------------------------------------------------------

TGraphPlot::TGraphPlot(QObject* owner) : QObject(owner) {}

TGraphPlot::~TGraphPlot()
{
    if (m_windowGuard) {
        m_windowGuard.clear();
        m_window = nullptr;
        m_windowExists = false;
        emit Freeing();
    }
}

void TGraphPlot::SetLineCount(int n)
{
    if (n < 0) n = 0;
    while (m_lines.Count() > n) m_lines.Delete(m_lines.Count() - 1);
    while (m_lines.Count() < n) m_lines.Add(new TLine(this));
}

int TGraphPlot::PointCount() const
{
    return m_lines.Count() == 0 ? 0 : m_lines[0]->PointCount();
}

void TGraphPlot::SetPointCount(int n)
{
    for (qsizetype i = 0; i < m_lines.Count(); ++i) m_lines[i]->SetPointCount(n);
}

void TGraphPlot::SetUnits(int value)
{
    m_units = value > 3 ? 3 : (value < 1 ? 1 : value);
}

void TGraphPlot::ShowPlot()
{
    if (!Opener()) throw Exception(QStringLiteral("No plot window is available"));
    Opener()(*this);
}

void TGraphPlot::WindowOpened(TPlotForm* window, QObject* object)
{
    m_window = window;
    m_windowGuard = object;
    m_windowExists = true;
}

void TGraphPlot::WindowClosed(QObject* window)
{
    if (m_windowGuard == window || !m_windowGuard) {
        m_windowGuard.clear();
        m_window = nullptr;
        m_windowExists = false;
    }
}

// --- unit names ------------------------------------------------------------------------------

namespace PltData {

namespace {

// Replaces every occurrence of the first of the three codes that the text holds.
void ReplaceFirstPresent(QString& text, const char* const (&codes)[3], const char* const (&names)[3])
{
    for (int k = 0; k < 3; ++k) {
        const QString code = QString::fromLatin1(codes[k]);
        if (text.contains(code)) {
            text.replace(code, QString::fromLatin1(names[k]));
            return;
        }
    }
}

}  // namespace

QString ExpandPlotUnits(const QString& unitTemplate, int units)
{
    if (units < 1) units = 1;
    if (units >= 3) return unitTemplate;
    static const char* const kForceCodes[3] = {"F2", "F1", "F"};
    static const char* const kLengthCodes[3] = {"L2", "L1", "L"};
    static const char* const kForce[2][3] = {{"tons", "kips", "lbs"}, {"kN", "kN", "kN"}};
    static const char* const kLength[2][3] = {{"ft", "in", "in"}, {"m", "mm", "m"}};
    QString text = unitTemplate;
    ReplaceFirstPresent(text, kForceCodes, kForce[units - 1]);
    ReplaceFirstPresent(text, kLengthCodes, kLength[units - 1]);
    return text;
}

QString AxisCaptionText(const QString& caption, const QString& unitTemplate, int units)
{
    if (unitTemplate.isEmpty()) return caption;
    return caption + QStringLiteral(" (") + ExpandPlotUnits(unitTemplate, units) +
           QStringLiteral(")");
}

void SetPlotOpener(TPlotOpener opener) { Opener() = std::move(opener); }

QList<TGraphPlot*> CreateResultPlots(QObject* owner)
{
    struct Def {
        const char* name;
        const char* caption;
        const char* xCaption;
        const char* xUnits;
        const char* yCaption;
        const char* yUnits;
    };
    static const Def kPlots[] = {
        {"pltRealKXX", "Translational Stiffnesses  (Real Part)", "Frequency (Hz)", "",
         "Translational Stiffness", "F/L2"},
        {"pltRealKYY", "Horizontal Translation Stiffness, KYY (Real Part)", "Frequency (Hz)", "",
         "Horizontal Stiffness", ""},
        {"pltRealKWW", "Vertical Translation Stiffness, KWW (Real Part)", "Frequency (Hz)", "",
         "Vertical Stiffness (Real Part)", "F/L2"},
        {"pltRealKPPX", "Rotational Stiffnesses  (Real Part)", "Frequency (Hz)", "",
         "Rotational Stiffness", "F-L2/radian"},
        {"pltRealKPPY", "Rotational Stiffness, KPPY (Real Part)", "Frequency (Hz)", "",
         "Rotational Stiffness (Real Part)", "F-L2/Radian"},
        {"pltRealKZT", "Torsional Stiffness (Real Part)", "Frequency (Hz)", "",
         "Torsional Stiffness (Real Part)", ""},
        {"pltRealKXP", "Cross Stiffness, KXP (Real Part)", "Frequency (Hz)", "",
         "Cross Stiffness, KXP (Real Part)", "F-L2/Radian"},
        {"pltRealKYP", "Cross Stiffness, KYP (Real Part)", "Frequency (Hz)", "",
         "Cross Stiffness, KYP (Real Part)", ""},
        {"pltDampCXX", "Translational Damping Coefficient", "Frequencies", "Hz",
         "Translational Damping", "F-sec/L2-radian"},
        {"pltDampCYY", "Horizontal Translation Damping, CYY (Imaginary Part)", "Frequency (Hz)",
         "", "Horizontal Translation Damping, CYY  (Imaginary Part)", ""},
        {"pltDampCWW", "Vertical Translation Damping, CWW (Imaginary Part)", "Frequency (Hz)", "",
         "Axial Translation Damping  (Imaginary Part)", "F/L2"},
        {"pltDampCPPX", "Rotational Damping Coefficient", "Frequency (Hz)", "",
         "Rotational Damping", "F-L2-sec/radian2"},
        {"pltDampCPPY", "Rotational Damping, CPPY (Imaginary Part)", "Frequency (Hz)", "",
         "Rotational Damping, CPPY (Imaginary Part)", "F/L2"},
        {"pltDampCZT", "Torsional Damping, CZT (Imaginary Part)", "Frequency (Hz)", "",
         "Torsional damping, CZT (Imaginary Part)", ""},
        {"pltDampCXP", "Cross-Damping Stiffness, CXP (Imaginary Part)", "Frequency", "Hz",
         "Cross-Damping Stiffness, CXP (Imaginary Part)", ""},
        {"pltDampCYP", "Cross-damping Stiffness, CYP (Imaginary Part)", "Frequencies", "",
         "Cross-Damping Stiffness, CYP (Imaginary Part)", ""},
        {"pltDxyzR", "Footing Response", "Frequency", "Hz", "Translational Amplitude", "L2"},
        {"pltMxyzR", "Footing Response", "Frequency", "Hz", "Rotational Amplitude", "rad."},
    };
    QList<TGraphPlot*> plots;
    for (const Def& d : kPlots) {
        auto* plot = new TGraphPlot(owner);
        plot->setObjectName(QString::fromLatin1(d.name));
        plot->SetCaption(QString::fromLatin1(d.caption));
        plot->SetXCaption(QString::fromLatin1(d.xCaption));
        plot->SetXUnits(QString::fromLatin1(d.xUnits));
        plot->SetYCaption(QString::fromLatin1(d.yCaption));
        plot->SetYUnits(QString::fromLatin1(d.yUnits));
        plot->SetXOnTop(false);
        plots.append(plot);
    }
    return plots;
}

}  // namespace PltData
