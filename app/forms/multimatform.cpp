#include "forms/multimatform.h"

#include "dataunit.h"

#include <QGridLayout>

TfrmMultimat::TfrmMultimat(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    using namespace DataForm;
    setWindowTitle(QStringLiteral("Foundation Properties"));
    auto* g = new QGridLayout(this);
    struct Field {
        const char* caption;
        const char* units;
        long double TProgramData::*field;
        long double min, max;
    };
    const Field fields[10] = {
        {"Distance from center of foundation base to center of gravity (Xc) ", "L2", &TProgramData::Xc, kNoMin, kNoMax},
        {"Distance from center of foundation base to center of gravity (Yc)", "L2", &TProgramData::Yc, kNoMin, kNoMax},
        {"Height of center of gravity of foundation from the base (Zc)", "L2", &TProgramData::Zc, kNoMin, kNoMax},
        {"Unit weight of pile", "F/L2^3", &TProgramData::PileUnitWeight, kNoMin, kNoMax},
        {"Poisson's ratio of the pile", "", &TProgramData::PilePoisson, kNoMin, kNoMax},
        {"Material damping of the pile", "", &TProgramData::PileDamping, kNoMin, kNoMax},
        {"&Elastic modulus of the pile ", "F/L2\u00b2", &TProgramData::PileModulus, kNoMin, kNoMax},
        {"Total length of pile", "L2", &TProgramData::PileLength, kIntMin, kIntMax},
        // A ratio of the section (1.334 for a solid circle), without units as on the pile form.
        {"Cross-sectional coefficient of rigidity", "", &TProgramData::ShearCoefficient, kIntMin, kIntMax},
        {"Static load on foundation", "F", &TProgramData::StaticLoad, kNoMin, 2147483647000.0L},
    };
    for (int i = 0; i < 10; ++i)
        DataEdit[i] = AddNumber(g, i, 0, QString::fromUtf8(fields[i].caption), QString::fromUtf8(fields[i].units),
                                fields[i].field, fields[i].min, fields[i].max);
    g->setColumnStretch(0, 1);
    g->setRowStretch(10, 1);
    SetClientSize(560, 380);
}
